#!/usr/bin/env python3
"""Prints the blocks of docs/numbers.md that show what fixes the evaluation, each with its result:
the algebra (1 − 2x² in binary64), an exact sum of the rounded terms (math.fsum), the same
term-by-term evaluation at wider significands (mpmath), and interval arithmetic (mpmath's iv).

usage: /usr/bin/python3 docs/remedies.py   (needs mpmath: Debian's python3-mpmath)
"""
import math
from fractions import Fraction

import mpmath

from blocks import emit, table
from polynomial import X, Y, exact_f, signed_terms, term_by_term
from roundings import BINARY64_BITS, mpmath_numbers
from text import minus, scientific

F = exact_f(X, Y)
WIDEST = 4 * BINARY64_BITS  # the widths searched: up to four binary64 significands


def against(value, exact):
    """'exact' when the value (a float or an integer) equals the exact integer, else how far off it is."""
    return "exact" if Fraction(value) == exact else f"off by {minus(str(Fraction(value) - exact))}"


def integer(value):
    """An mpmath value that is a whole number, as a Python integer."""
    assert value == int(value)
    return int(value)


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


def fsum_block():
    """math.fsum of the five rounded terms: the terms' sum without any further rounding error."""
    signs = [1 if term > 0 else -1 for term in signed_terms(X, Y)]
    terms = [sign * term for sign, term in zip(signs, term_by_term(X, Y, float).of("term"))]
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
    return term_by_term(X, Y, mpmath_numbers(context, bits)).result


def least_width(decides):
    """The least width from binary64's up whose result satisfies decides, and whether every width
    from there to WIDEST does too."""
    least = next(bits for bits in range(BINARY64_BITS, WIDEST + 1) if decides(bits))
    return least, all(decides(bits) for bits in range(least, WIDEST + 1))


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


if __name__ == "__main__":
    emit("algebra", algebra_block())
    emit("fsum", fsum_block())
    emit("widths", widths_block())
    emit("intervals", intervals_block())
