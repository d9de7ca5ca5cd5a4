"""The table of evaluations: each evaluation the pages and the browser page show, once, by its key
(the key the browser page publishes it under in #results), with its words, its order, the arithmetic
it runs in, the sign T2 carries and, for the program's routines, the export and the format; and what
each gives at a point and a width: its result, the widths from which it has f's sign and equals f,
and what the detectors conclude. Shared by the scripts that write the explanation's numbers and by
the page's test (tests/targets/page-results.py); not a program of its own. Random rounding's
confidence needs mpmath (Student's t); everything else, any python3.
"""
from typing import Callable, NamedTuple, Optional, Tuple

from polynomial import X, Y, exact_f, reusing_powers, term_by_term
from roundings import BINARY64_BITS, fused, nearest, outward

NARROWEST, WIDEST = 2, 1024  # the widths a threshold is sought in, and the browser page's range
FORMATS = {  # the formats of the routines' operands: the words for a table's cell, and for prose
    "binary32": (
        "binary32 values, widened exactly before each multiply",
        "binary32 operands, each widened exactly to binary64 before it is multiplied",
    ),
    "binary64": ("binary64", "binary64 operands"),
}


class Evaluation(NamedTuple):
    """A row of the table. kind says what the browser page publishes of it, at place (its path in
    #results) and, for a threshold in #results' thresholds, under the name threshold."""

    key: str
    words: str
    short: str
    order: Callable
    arithmetic: Callable  # of the width (and, for random rounding, its draws): the conversion
    kind: str  # routine, fused or interval
    t2_sign: int = 1
    export: Optional[str] = None
    format: Optional[str] = None
    place: Optional[Tuple[str, ...]] = None
    threshold: Optional[str] = None


TABLE = [
    Evaluation(
        "t2_subtracted",
        "the terms one by one, with the 578·x²·y⁴ term subtracted, so it evaluates another polynomial",
        "term by term, the 578·x²·y⁴ term **subtracted**",
        term_by_term,
        nearest,
        "routine",
        t2_sign=-1,
        export="sum_terms_single",
        format="binary32",
    ),
    Evaluation(
        "term_by_term",
        "the terms one by one",
        "term by term",
        term_by_term,
        nearest,
        "routine",
        export="sum_terms_double",
        format="binary64",
        place=("term_by_term",),
        threshold="term_by_term",
    ),
    Evaluation(
        "powers_reused",
        "x⁴ and y⁴ computed once and reused",
        "x⁴ and y⁴ computed once and reused",
        reusing_powers,
        nearest,
        "routine",
        export="sum_reusing_powers",
        format="binary64",
        place=("powers_reused",),
        threshold="powers_reused",
    ),
    Evaluation(
        "term_by_term_fused",
        "term by term, each sum fused with a term's last product",
        "term by term, fused",
        term_by_term,
        fused,
        "fused",
        place=("term_by_term", "fused"),
        threshold="term_by_term_fused",
    ),
    Evaluation(
        "powers_reused_fused",
        "powers reused, each sum fused with a term's last product",
        "powers reused, fused",
        reusing_powers,
        fused,
        "fused",
        place=("powers_reused", "fused"),
        threshold="powers_reused_fused",
    ),
    Evaluation(
        "interval",
        "interval arithmetic, every operand and operation rounded outward",
        "interval",
        term_by_term,
        outward,
        "interval",
        place=("term_by_term", "interval"),
        threshold="interval_sign",
    ),
]
EVALUATIONS = {row.key: row for row in TABLE}


class Line(NamedTuple):
    """A line the program prints: its label, the routine whose result it prints, and the line whose
    computation it repeats under its own label, if it does."""

    label: str
    key: str
    same_as: Optional[str] = None


LINES = [Line("Single", "t2_subtracted"), Line("Double", "term_by_term"), Line("Extended", "term_by_term", "Double")]
LINES.append(Line("Extended2", "powers_reused"))


def operand_words(line, long=False):
    """The operands of a line's routine in short words (a table's cell) or long ones (prose); none
    in prose for a line that repeats another's computation."""
    return "" if long and line.same_as else FORMATS[EVALUATIONS[line.key].format][long]


def what_line_computes(line, long=False):
    """What a line computes, in its routine's short or long words, or that it repeats another line."""
    if line.same_as:
        return f"the same computation as {line.same_as}, under its own label"
    row = EVALUATIONS[line.key]
    return row.words if long else row.short


def program_lines(x=X, y=Y):
    """The program's lines at integers x, y, each its routine's order in binary64 (Python's floats,
    which round as nearest(53) does, and which it must agree with): (label, Run) each. The Single
    line's operands are integers below 2^24, exact in binary32 and widened exactly, so its products
    are the binary64 products of the same integers."""
    runs = {}
    for line in LINES:
        if line.key not in runs:
            row = EVALUATIONS[line.key]
            runs[line.key] = row.order(x, y, float, row.t2_sign)
            assert runs[line.key].result == result(line.key, x, y, BINARY64_BITS), "floats and nearest(53) disagree"
    return [(line.label, runs[line.key]) for line in LINES]


def run(key, x, y, bits, **more):
    """The evaluation `key` at integers x, y and `bits` bits (more: what its arithmetic needs besides
    the width): its Run."""
    row = EVALUATIONS[key]
    return row.order(x, y, row.arithmetic(bits, **more), row.t2_sign)


def result(key, x, y, bits):
    """What the evaluation `key` gives at integers x, y and `bits` bits: an integer (for the interval,
    its ends)."""
    return run(key, x, y, bits).result.value


def sign(value):
    """−1, 0 or +1."""
    return (value > 0) - (value < 0)


def least_width(holds):
    """The least width from which holds(bits) is true at every width up to WIDEST, or None; found by
    trying every width from WIDEST down."""
    least = None
    for bits in range(WIDEST, NARROWEST - 1, -1):
        if not holds(bits):
            break
        least = bits
    return least


def thresholds(key, x, y):
    """(sign_from, exact_from) of an evaluation at integers x, y: the least width from which its
    result has f's sign (or is 0 where f is) at every width up to WIDEST, and from which it equals f;
    None where there is none. Tried from WIDEST down, each width once."""
    f = exact_f(x, y, EVALUATIONS[key].t2_sign)
    sign_from = exact_from = None
    exact = True
    for bits in range(WIDEST, NARROWEST - 1, -1):
        value = result(key, x, y, bits)
        if sign(value) != sign(f):
            break
        sign_from = bits
        exact = exact and value == f
        exact_from = bits if exact else exact_from
    return sign_from, exact_from


def decides_sign(interval):
    """Whether an interval (its ends) decides the sign: it lies on one side of 0, or is [0, 0]."""
    low, high = interval
    return low > 0 or high < 0 or low == high == 0


def interval_sign_from(x, y):
    """The least width from which the interval decides f's sign at every width up to WIDEST."""
    return least_width(lambda bits: decides_sign(result("interval", x, y, bits)))
