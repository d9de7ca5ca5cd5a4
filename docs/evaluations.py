"""The table of evaluations: each evaluation the pages and the browser page show, once, by its key
(the key the browser page publishes it under in #results), with its words, its order, the arithmetic
it runs in, the sign T2 carries and, for the program's routines, the export and the format; and what
each gives at a point and a width: its result, the widths from which it has f's sign and equals f,
and what the detectors conclude. Shared by the scripts that write the explanation's numbers and by
the page's test (tests/targets/page-results.py); not a program of its own. Random rounding's
confidence needs mpmath (Student's t); everything else, any python3.
"""
import functools
import math
from fractions import Fraction
from typing import Callable, NamedTuple, Optional, Tuple

from polynomial import X, Y, chain, exact_f, on_chain, rewritten, reusing_powers, term_by_term
from roundings import (
    BINARY64_BITS,
    error_free_products,
    exact_sum,
    expansion,
    fused,
    nearest,
    neumaier_sum,
    outward,
    products_rounded,
    random_rounding,
    running_bound,
    splitmix64,
)
from text import hexadecimal

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
    kind: str  # routine, fused, interval, running_bound, random_rounding or remedy
    t2_sign: int = 1
    export: Optional[str] = None
    format: Optional[str] = None
    place: Optional[Tuple[str, ...]] = None
    threshold: Optional[str] = None
    applies: Optional[Callable] = None  # where it evaluates f at all, if not everywhere


def of_its_own(key, words, short, arithmetic, kind=None, order=term_by_term, applies=None):
    """The row of a detector or a remedy, which the browser page publishes under its own key: of the
    kind named by its key (a detector) or a remedy."""
    return Evaluation(key, words, short, order, arithmetic, kind or key, place=(key,), applies=applies)


def k_fold(folds):
    """The row of `folds`-fold summation."""
    words = f"every product split exactly, summed {folds}-fold"
    return of_its_own(f"sum_{folds}", words, f"{folds}-fold sum", lambda bits: expansion(bits, folds), "remedy")


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
    of_its_own(
        "running_bound", "a running error bound, carried from computed values alone", "running bound", running_bound
    ),
    of_its_own(
        "random_rounding",
        "random rounding, each operation rounded up or down as a random bit says",
        "random rounding",
        random_rounding,
    ),
    of_its_own(
        "neumaier",
        "Neumaier's compensated sum of the rounded terms",
        "Neumaier",
        lambda bits: products_rounded(bits, neumaier_sum(bits)),
        "remedy",
    ),
    of_its_own(
        "exact_sum",
        "the rounded terms summed exactly, rounded once",
        "exact sum",
        lambda bits: products_rounded(bits, exact_sum(bits)),
        "remedy",
    ),
    of_its_own(
        "compensated", "compensated products into a compensated sum", "compensated", error_free_products, "remedy"
    ),
    k_fold(2),
    k_fold(3),
    k_fold(4),
    of_its_own(
        "rewrite", "1 − 2·x·x, which is f where x² − 17y² = 1", "1 − 2·x·x", nearest, "remedy", rewritten, on_chain
    ),
]
EVALUATIONS = {row.key: row for row in TABLE}
REMEDIES = [row for row in TABLE if row.kind == "remedy"]


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


@functools.lru_cache(maxsize=None)
def thresholds(key, x, y):
    """(sign_from, exact_from) of an evaluation with integer results at integers x, y: the least
    width from which its result has f's sign (or is 0 where f is) at every width up to WIDEST, and
    from which it equals f; None where there is none. Tried from WIDEST down, each width once."""
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


@functools.lru_cache(maxsize=None)
def interval_sign_from(x, y):
    """The least width from which the interval decides f's sign at every width up to WIDEST."""
    return least_width(lambda bits: decides_sign(result("interval", x, y, bits)))


def bound_of(x, y, bits):
    """The running bound at integers x, y and `bits` bits: (the result, its bound, whether the bound
    proves the sign: |result| > bound, or both are 0)."""
    end = run("running_bound", x, y, bits).result
    return end.value, end.bound, abs(end.value) > end.bound or end.value == end.bound == 0


# Random rounding: N runs of the term-by-term order (from 2 to 20, 3 unless chosen), the operations'
# bits drawn from splitmix64 started at a seed (1 unless chosen; below 2^64), the runs one after
# another. Its confidence in their mean counts the significant digits with Student's t.
RUNS, SEED, MOST_RUNS = 3, 1, 20
CLAIM_SEEDS = range(1, 101)  # the seeds whose false claims the browser page counts


def random_runs(x, y, bits, n=RUNS, seed=SEED):
    """The results of n runs of random rounding at integers x, y and `bits` bits, from the seed."""
    draws = splitmix64(seed)
    return [run("random_rounding", x, y, bits, draws=draws).result.value for _ in range(n)]


@functools.lru_cache(maxsize=None)
def student_t(degrees):
    """τ, the 0.975 quantile of Student's t with the given degrees of freedom, 1 to MOST_RUNS − 1
    (two-sided 95 %): the t at which the integral of its density from 0 reaches 0.475, found by
    mpmath at 30 digits with Newton's method from 0 (the integral is concave there, so each step
    stays below τ and comes closer)."""
    assert 1 <= degrees < MOST_RUNS, f"no Student's t here for {degrees} degrees of freedom"
    import mpmath

    with mpmath.workdps(30):
        nu = mpmath.mpf(degrees)
        scale = mpmath.gamma((nu + 1) / 2) / (mpmath.sqrt(nu * mpmath.pi) * mpmath.gamma(nu / 2))

        def density(t):
            return scale * (1 + t * t / nu) ** (-(nu + 1) / 2)

        def mass(t):
            """The density's integral from 0 to t, less 0.475."""
            return mpmath.quad(density, [0, t]) - mpmath.mpf("0.475")

        return float(mpmath.findroot(mass, 0, df=density, solver="newton"))


def log10_of(value):
    """log₁₀ of a positive rational, from its numerator's and denominator's logarithms (exact integers
    of any size, so that a huge value loses no range)."""
    value = Fraction(value)
    return math.log10(value.numerator) - math.log10(value.denominator)


def digits(runs, f, bits):
    """(C, D) of random rounding's runs, whose exact value is f, at `bits` bits: C, the significant
    decimal digits it claims (log₁₀(√N·|m| / (σ·τ)), m the runs' mean, σ their sample standard
    deviation), and D, the correct digits of m (−log₁₀(|m − f| / |f|)); each clamped to [0, p·log₁₀ 2]."""
    n, most = len(runs), bits * math.log10(2)
    m = Fraction(sum(runs), n)
    variance = sum((r - m) ** 2 for r in runs) / (n - 1)
    if m == 0:
        claimed = 0.0
    elif variance == 0:
        claimed = most
    else:
        claimed = math.log10(n) / 2 + log10_of(abs(m)) - log10_of(variance) / 2 - math.log10(student_t(n - 1))
    if m == f:
        correct = most
    elif f == 0:
        correct = 0.0
    else:
        correct = log10_of(abs(f)) - log10_of(abs(m - f))
    return min(max(claimed, 0.0), most), min(max(correct, 0.0), most)


def false_claim(runs, f, bits):
    """Whether the runs claim a significant digit (C ≥ 1) while their mean has none (D < 1)."""
    claimed, correct = digits(runs, f, bits)
    return claimed >= 1 and correct < 1


def false_claims(x, y, bits, n=RUNS, seeds=CLAIM_SEEDS):
    """How many of the seeds give a false claim at integers x, y and `bits` bits with n runs."""
    f = exact_f(x, y)
    return sum(false_claim(random_runs(x, y, bits, n, seed), f, bits) for seed in seeds)


GOLDEN_POINTS = 6  # the points of the chain whose remedies at 53 bits tests/golden-remedies.txt holds


def golden_remedies():
    """The lines of tests/golden-remedies.txt: each remedy at 53 bits at each of the first points of
    the chain, `<key> <x> <y> <value as C's %a writes it>`, remedy by remedy."""
    return [
        f"{row.key} {x} {y} {hexadecimal(result(row.key, x, y, BINARY64_BITS))}"
        for row in REMEDIES
        for x, y in chain(GOLDEN_POINTS)
    ]
