#!/usr/bin/env python3
"""Prints the blocks of docs/numbers.md that show what fixes the evaluation, each with its result:
the algebra (1 − 2x² in binary64), an exact sum of the rounded terms (math.fsum), the same
term-by-term evaluation at wider significands (mpmath), interval arithmetic (mpmath's iv), and each
remedy of the table of evaluations (docs/evaluations.py) at 53 bits with the widths it needs and
why; and the tables of the answers to the exercises on summation and K-fold summation
(docs/answers.md).

usage: /usr/bin/python3 docs/remedies.py   (needs mpmath: Debian's python3-mpmath)
"""
import math
from fractions import Fraction

import mpmath

from blocks import block, emit_blocks, table
from evaluations import EVALUATIONS, GOLDEN_POINTS, NARROWEST, PLAIN, REMEDIES, counts, result, results, run, sign
from evaluations import thresholds
from polynomial import TERM_BY_TERM, X, Y, chain, exact_f, execute
from roundings import BINARY64_BITS, EXACT, mpmath_numbers
from text import in_steps, minus, program_text, scientific

F = exact_f(X, Y)
WIDEST = 4 * BINARY64_BITS  # the widths searched: up to four binary64 significands
OFF_CHAIN = (1000, 300)  # a point that does not solve x² − 17y² = 1, where 1 − 2·x·x is not f
SUMMING = {"neumaier": "Neumaier's sum of them", "exact": "rounding their exact sum once"}  # in words


def against(value, exact):
    """'exact' when the value (a float or an integer) equals the exact integer, else how far off it is."""
    return "exact" if Fraction(value) == exact else f"off by {minus(str(Fraction(value) - exact))}"


def integer(value):
    """An mpmath value that is a whole number, as a Python integer."""
    assert value == int(value)
    return int(value)


@block("algebra")
def algebra_block():
    """1 − 2·x·x in binary64, step by step: every value is an integer below 2⁵³, so none rounds."""
    x = float(X)
    square = x * x
    double_square = 2.0 * square
    result = 1.0 - double_square
    rows = [
        ["x·x", f"{square:.0f}", against(square, X * X)],
        ["2·x·x", f"{double_square:.0f}", against(double_square, 2 * X * X)],
        ["1 − 2·x·x", minus(f"{result:.0f}"), against(result, F)],
        ["2⁵³, below which every integer is a binary64", str(2**BINARY64_BITS), ""],
    ]
    return table(["step", "binary64", "against the exact value"], rows)


@block("fsum")
def fsum_block():
    """math.fsum of the five rounded terms: the terms' sum without any further rounding error."""
    terms = [sign * term for sign, term in execute(TERM_BY_TERM, X, Y, float).terms()]
    total = math.fsum(terms)
    step = Fraction(math.ulp(terms[0]))
    rows = [
        ["math.fsum of the rounded terms", minus(repr(total))],
        ["in steps of the largest terms' spacing", minus(f"{float(Fraction(total) / step):.3f}")],
        ["relative error", scientific(abs(Fraction(total) - F) / abs(F))],
    ]
    return table(["quantity", "value"], rows)


def at_width(context, bits):
    """The term-by-term evaluation (Double's order) with every operation rounded to `bits` bits in
    mpmath's context (mpmath.mp: round to nearest; mpmath.iv: outward)."""
    return execute(TERM_BY_TERM, X, Y, mpmath_numbers(context, bits)).result


def least_width(decides):
    """The least width from binary64's up whose result satisfies decides, and whether every width
    from there to WIDEST does too."""
    least = next(bits for bits in range(BINARY64_BITS, WIDEST + 1) if decides(bits))
    return least, all(decides(bits) for bits in range(least, WIDEST + 1))


@block("widths")
def widths_block():
    """The least significand width at which the evaluation gives f exactly, and narrower ones."""
    gives_f = lambda bits: at_width(mpmath.mp, bits) == F  # noqa: E731
    least, from_then_on = least_width(gives_f)
    assert from_then_on, "a wider significand lost the exact value again"
    rows = [
        [
            bits,
            minus(mpmath.nstr(at_width(mpmath.mp, bits), 17, min_fixed=-1, max_fixed=20)),
            against(integer(at_width(mpmath.mp, bits)), F),
        ]
        for bits in (BINARY64_BITS, least - 2, least - 1, least)
    ]
    rows.append([f"{least} to {WIDEST}", minus(str(F)), "exact at every width"])
    return table(["significand bits", "result", "against f"], rows)


def interval_text(interval):
    """An interval's ends, exact, each shown to three significant digits. mpmath gives each end's
    numerator and denominator in its backend's integer type (gmpy2's mpz where gmpy2 is installed),
    taken here as Python integers."""
    low, high = (Fraction(*map(int, mpmath.libmp.to_rational(end))) for end in interval._mpi_)
    return f"[{scientific(low)}, {scientific(high)}]"


@block("intervals")
def intervals_block():
    """Interval arithmetic on the same evaluation: the enclosure, and the width that decides the sign."""
    decides_sign = lambda bits: at_width(mpmath.iv, bits).b < 0  # noqa: E731
    least, from_then_on = least_width(decides_sign)
    assert from_then_on, "a wider significand lost the sign again"
    rows = []
    for bits in (BINARY64_BITS, least - 1, least):
        enclosure = at_width(mpmath.iv, bits)
        rows.append(
            [
                bits,
                interval_text(enclosure),
                "yes" if enclosure.a <= 0 <= enclosure.b else "no",
                "yes" if enclosure.a <= F <= enclosure.b else "no",
            ]
        )
    return table(["significand bits", "enclosure of f", "holds 0 (sign undecided)", "holds f"], rows)


def width(bits):
    """A threshold as the tables write it: the width, or none."""
    return "none" if bits is None else bits


@block("remedies")
def remedies_block():
    """Each remedy at 53 bits at the program's point, exact, and the least widths from which it has
    f's sign and equals f at every width up to 1024 (none where there is none): the table the
    browser page's tests read, one row a remedy in the table's order."""
    rows = []
    for row in REMEDIES:
        sign_from, exact_from = thresholds(row.key, X, Y)
        rows.append([row.words, minus(str(result(row.key, X, Y, BINARY64_BITS))), width(sign_from), width(exact_from)])
    return table(["evaluation", "at 53 bits", "sign right from", "exact from"], rows)


def correct_digits(value, exact=F):
    """How many leading decimal digits of value are right, in words: exact, the wrong sign, or
    ⌊−log₁₀(|value − f| / |f|)⌋ correct digits (none below one)."""
    if value == exact:
        return "exact"
    if sign(value) != sign(exact):
        return "the wrong sign"
    digits = 0
    while 10 ** (digits + 1) * abs(value - exact) <= abs(exact):
        digits += 1
    return f"{digits} correct digit{'s' if digits > 1 else ''}" if digits else "no correct digit"


def errors_of_sum(key):
    """(the error already in the five rounded terms, the error the evaluation's summation of them
    adds) at 53 bits at the program's point: the rounded terms' exact sum less f, and the result
    less that sum. The terms are rounded as the plain order rounds them, in every row that sums
    them."""
    in_terms = sum(sign * term.value for sign, term in run(PLAIN.key, X, Y, BINARY64_BITS).terms()) - F
    return in_terms, result(key, X, Y, BINARY64_BITS) - F - in_terms


def widths_text(key):
    """'from s bits for the sign and e to be exact', a remedy's thresholds at the program's point."""
    sign_from, exact_from = thresholds(key, X, Y)
    return f"{width(sign_from)} bits for the sign and {width(exact_from)} to be exact"


def summed_why(key, summing):
    """Why a sum of the rounded terms stays wrong: the error in the terms against the one its
    summing (in words) adds."""
    in_terms, own = errors_of_sum(key)
    plain = widths_text(PLAIN.key)
    return (
        f"the rounded terms already carry an error of {in_steps(in_terms)} steps ({scientific(in_terms)}), "
        f"and {summing} adds {in_steps(own)} steps; it needs {widths_text(key)}"
        + (", as the plain order does." if widths_text(key) == plain else f"; the plain order, {plain}.")
    )


def decimal(value):
    """A rational as the tables write a width: whole, or to one decimal."""
    return str(value) if value.denominator == 1 else f"{float(value):.1f}"


# The evaluations a remedy is held against: the plain order, and Horner's scheme for its compensated
# form; each with its name in words and its name's possessive.
AGAINST = {"order": ("the plain order", "the plain order's"), "scheme": ("Horner's scheme", "Horner's")}


def halved(key, folds, against=PLAIN):
    """A remedy's thresholds against those of the evaluation it mends (against) over `folds`,
    'exactly' those where they are."""
    (sign_from, exact_from), (plain_sign, plain_exact) = thresholds(key, X, Y), thresholds(against.key, X, Y)
    over = [Fraction(plain_sign, folds), Fraction(plain_exact, folds)]
    needs, its = f"it needs {sign_from} and {exact_from} bits", AGAINST[against.kind][1]
    if over == [sign_from, exact_from]:
        return f"{needs}, exactly {its} {plain_sign} and {plain_exact} over {folds}"
    over_text = f"{decimal(over[0])} and {decimal(over[1])}"
    return f"{needs}, where {its} {plain_sign} and {plain_exact} over {folds} are {over_text}"


def compensated_why():
    """Why compensated products halve the widths: each chain carries its own error to the sum."""
    value, reused = result("compensated", X, Y, BINARY64_BITS), result("powers_reused", X, Y, BINARY64_BITS)
    return (
        f"each product chain carries its rounding error to the sum, as if at twice the width, and at 53 bits "
        f"it gives {minus(str(value))}"
        + (", as Extended2 does" if value == reused else "")
        + f"; {halved('compensated', 2)}."
    )


def k_fold(row, folds, against=PLAIN):
    """The result of the evaluation a remedy mends (against) at `folds`·53 bits, and the remedy's at 53."""
    return result(against.key, X, Y, folds * BINARY64_BITS), result(row.key, X, Y, BINARY64_BITS)


def k_fold_why(row, folds, against=PLAIN):
    """Why a remedy (K-fold summation, compensated Horner) behaves as the evaluation it mends
    (against) at `folds`·53 bits."""
    plain, value = k_fold(row, folds, against)
    return (
        f"like {AGAINST[against.kind][0]} at {folds}·53 = {folds * BINARY64_BITS} bits, which gives "
        f"{minus(str(plain))} ({correct_digits(plain)}), it gives {minus(str(value))} ({correct_digits(value)}); "
        f"{halved(row.key, folds, against)}."
    )


def comp_horner_why():
    """Why compensated Horner behaves as Horner's scheme at twice the width."""
    return "each value of Horner's scheme carries its rounding errors, as if at twice the width; " + k_fold_why(
        EVALUATIONS["comp_horner"], 2, EVALUATIONS["horner"]
    )


def rewrite_why():
    """Why 1 − 2·x·x is exact from its threshold on, and what it gives off the chain."""
    sign_from, exact_from = thresholds("rewrite", X, Y)
    longest = (2 * X * X).bit_length()
    assert exact_from == longest and sign_from == NARROWEST
    x, y = OFF_CHAIN
    return (
        f"every step is an integer of at most {longest} bits (2·x² has {longest}), so none rounds from "
        f"{exact_from} bits on, and the sign is right at every width; off the chain it is not f at all: at "
        f"({x}, {y}) it gives {minus(str(result('rewrite', x, y, BINARY64_BITS)))} where f is {exact_f(x, y)}."
    )


@block("remedies-why")
def why_block():
    """One sentence for each remedy: why it gives what it gives, from its numbers."""
    why = {"compensated": compensated_why(), "rewrite": rewrite_why(), "comp_horner": comp_horner_why()}
    for row in REMEDIES:
        if row.sum == "k_fold":
            why[row.key] = k_fold_why(row, row.K)
        elif row.sum:
            why[row.key] = summed_why(row.key, SUMMING[row.sum])
    return "\n".join(f"- **{row.short}**: {why[row.key]}" for row in REMEDIES)


@block("summation-answers")
def summation_block():
    """The answers on summation: the plain order, Neumaier's sum and the exact sum at 53 bits, in
    steps, with the error already in the rounded terms and the one each summing adds, and their
    thresholds."""
    rows = []
    for key, label in [(PLAIN.key, "term by term (Double)"), ("neumaier", "Neumaier"), ("exact_sum", "exact sum")]:
        in_terms, own = errors_of_sum(key)
        value = result(key, X, Y, BINARY64_BITS)
        rows.append([label, in_steps(value), in_steps(in_terms), in_steps(own), *map(width, thresholds(key, X, Y))])
    header = ["evaluation", "at 53 bits, in steps", "error in the rounded terms, in steps", "error the summing adds"]
    return table(header + ["sign right from", "exact from"], rows)


@block("k-fold-answers")
def k_fold_block():
    """The answers on K-fold summation: each K at 53 bits against the plain order at K·53 bits, and
    their thresholds against the plain order's over K."""
    plain_sign, plain_exact = thresholds(PLAIN.key, X, Y)
    rows = []
    for row in REMEDIES:
        if row.sum == "k_fold":
            plain, value = k_fold(row, row.K)
            over = f"{decimal(Fraction(plain_sign, row.K))}, {decimal(Fraction(plain_exact, row.K))}"
            widths = ", ".join(str(width(bits)) for bits in thresholds(row.key, X, Y))
            rows.append([row.K, minus(str(value)), correct_digits(value), minus(str(plain)), correct_digits(plain)])
            rows[-1] += [widths, over]
    header = ["K", "K-fold at 53 bits", "right", "the plain order at K·53 bits", "right", "K-fold: sign, exact from"]
    return table(header + ["the plain order's over K"], rows)


ORDERS = EVALUATIONS["summation_orders"]  # the rounded terms summed in each order
HORNER = EVALUATIONS["horner"]  # Horner's scheme, another order of the same polynomial


def about(value):
    """A value as d.dd·10ⁿ, or 0."""
    return scientific(value) if value else "0"


def closest(values, exact):
    """The value closest to exact (the first of those)."""
    return min(values, key=lambda value: abs(value - exact))


@block("horner")
def horner_block():
    """Each step of Horner's scheme at 53 bits at the program's point and its exact value, about, and
    its error in steps of the spacing at the largest terms."""
    computed = run(HORNER.key, X, Y, BINARY64_BITS)
    exact = execute(HORNER.program, X, Y, EXACT)
    rows = [
        [name, about(value.value), about(right), in_steps(value.value - right)]
        for name, value, right in zip(computed.names, computed.values, exact.values)
    ]
    return table(["step", "at 53 bits", "exact", "error, in steps"], rows)


@block("orders")
def orders_block():
    """The program's two orders, Horner's scheme and the 120 orders of summation at 53 bits at the
    program's point: what they give, how right, and from which widths they have f's sign and give f."""
    rows = []
    labelled = [(PLAIN, "term by term (Double)"), (EVALUATIONS["powers_reused"], "powers reused (Extended2)")]
    for row, label in labelled + [(HORNER, HORNER.words)]:
        value = result(row.key, X, Y, BINARY64_BITS)
        rows.append([label, about(value), correct_digits(value), *map(width, thresholds(row.key, X, Y))])
    values = results(ORDERS.key, X, Y, BINARY64_BITS)
    counted = counts(values, F)
    rows.append(
        [
            ORDERS.words,
            f"{counted['distinct']} different values, {about(counted['least'])} to {about(counted['most'])}",
            f"{counted['right_sign']} of {counted['count']} with f's sign; "
            f"the closest: {correct_digits(closest(values, F))}",
            *map(width, thresholds(ORDERS.key, X, Y)),
        ]
    )
    return table(["evaluation", "at 53 bits", "right", "sign right from", "exact from"], rows)


@block("orders-answers")
def orders_answers_block():
    """The answer on the orders of summation: at each point of the chain at 53 bits, how many
    different values the 120 orders give, how many have f's sign, are 0 and are f, and from which
    widths all of them have f's sign and give f, beside the plain order's."""
    rows = []
    for k, (x, y) in enumerate(chain(GOLDEN_POINTS), start=1):
        counted = counts(results(ORDERS.key, x, y, BINARY64_BITS), exact_f(x, y))
        widths = [", ".join(str(width(bits)) for bits in thresholds(key, x, y)) for key in (ORDERS.key, PLAIN.key)]
        assert widths[0] == widths[1], "an order of summation needs other widths than term by term: say so"
        rows.append([k, *(counted[name] for name in ("distinct", "right_sign", "zero", "exact")), *widths])
    header = ["k", "different values", "with f's sign", "0", "f", "all: sign, exact from"]
    return table(header + ["term by term: sign, exact from"], rows)


@block("horner-answers")
def horner_answers_block():
    """The answer on Horner's scheme: at each point of the chain at 53 bits, what it and compensated
    Horner give, in the program's text, and from which widths each has f's sign and gives f."""
    rows = []
    for k, (x, y) in enumerate(chain(GOLDEN_POINTS), start=1):
        rows.append([k])
        for key in (HORNER.key, "comp_horner"):
            value = result(key, x, y, BINARY64_BITS)
            rows[-1] += [f"{minus(program_text(value))} ({correct_digits(value, exact_f(x, y))})"]
            rows[-1] += [", ".join(str(width(bits)) for bits in thresholds(key, x, y))]
    header = ["k", "Horner at 53 bits", "sign, exact from", "compensated Horner at 53 bits", "sign, exact from"]
    return table(header, rows)


if __name__ == "__main__":
    emit_blocks()
