#!/usr/bin/env python3
"""Prints what the four evaluations give in three kinds of arithmetic, computed exactly with
rationals and rounded where the hardware rounds:

  binary64     every operation rounded to a 53-bit significand (what polyeval prints)
  x87          every operation rounded to a 64-bit significand, the x87 unit's default; once with
               every value kept in registers, once with x^4, y^4 and each result stored as binary64
  fused        binary64, with each addition and subtraction fused with the last multiplication of
               one of its operands into one multiply-add, rounded once (as GCC contracts them)

It prints two blocks of docs/numbers.md: the table of what each kind of arithmetic prints, in the
program's number text, and the program's whole output when multiply-adds are fused.

usage: python3 docs/arithmetic.py   (any python3; docs/page.py puts the blocks into the page)
"""
from fractions import Fraction

from polynomial import emit, minus, power, program_output, program_text, rounded, scientific, table

from polynomial import BINARY64_BITS as B64
from polynomial import X as POINT_X, Y as POINT_Y
from steps import STEP, TOP_EXPONENT

X, Y = Fraction(POINT_X), Fraction(POINT_Y)
X87_BITS = 64  # the x87 unit's significand at its start-up precision


def product(first, factors, bits):
    """first times each factor in turn, each product rounded."""
    for factor in factors:
        first = rounded(first * factor, bits)
    return first


def term_by_term(sign_of_t2, bits, fused=None):
    """The term-by-term sum. fused names the term whose last product is fused into the first sum
    (t1 or t2); the later sums always fuse the product they subtract or add."""
    t1_but_last = product(Fraction(83521), [Y] * 7, bits)
    t2_but_last = product(Fraction(578), [X, X, Y, Y, Y], bits)
    if fused is None:
        s = rounded(rounded(t1_but_last * Y, bits) + sign_of_t2 * rounded(t2_but_last * Y, bits), bits)
        s = rounded(s - product(Fraction(2), [X] * 4, bits), bits)
        s = rounded(s + product(Fraction(2), [X] * 6, bits), bits)
        return rounded(s - product(X, [X] * 7, bits), bits)
    if fused == "t1":
        s = rounded(t1_but_last * Y + sign_of_t2 * rounded(t2_but_last * Y, bits), bits)
    else:
        s = rounded(rounded(t1_but_last * Y, bits) + sign_of_t2 * t2_but_last * Y, bits)
    s = rounded(s - product(Fraction(2), [X] * 3, bits) * X, bits)
    s = rounded(s + product(Fraction(2), [X] * 5, bits) * X, bits)
    return rounded(s - product(X, [X] * 6, bits) * X, bits)


def reusing_powers(bits, power_bits, fused=False):
    """The power-reuse sum; x^4 and y^4 are rounded to power_bits after they are formed."""
    x4 = rounded(product(X, [X] * 3, bits), power_bits)
    y4 = rounded(product(Y, [Y] * 3, bits), power_bits)
    s = product(Fraction(83521), [y4, y4], bits)
    if not fused:
        s = rounded(s + product(Fraction(578), [X, X, y4], bits), bits)
        s = rounded(s - rounded(2 * x4, bits), bits)
        s = rounded(s + product(Fraction(2), [X, X, x4], bits), bits)
        return rounded(s - rounded(x4 * x4, bits), bits)
    s = rounded(s + product(Fraction(578), [X, X], bits) * y4, bits)
    s = rounded(s - 2 * x4, bits)
    s = rounded(s + product(Fraction(2), [X, X], bits) * x4, bits)
    return rounded(s - x4 * x4, bits)


ROWS = [
    (
        "binary64 (polyeval)",
        [term_by_term(-1, B64), term_by_term(+1, B64), term_by_term(+1, B64), reusing_powers(B64, B64)],
    ),
    (
        "64-bit significands (x87), all in registers",
        [
            term_by_term(-1, X87_BITS),
            term_by_term(+1, X87_BITS),
            term_by_term(+1, X87_BITS),
            reusing_powers(X87_BITS, X87_BITS),
        ],
    ),
    (
        "64-bit significands, X4, Y4 and results stored",
        [
            rounded(term_by_term(-1, X87_BITS), B64),
            rounded(term_by_term(+1, X87_BITS), B64),
            rounded(term_by_term(+1, X87_BITS), B64),
            rounded(reusing_powers(X87_BITS, B64), B64),
        ],
    ),
    (
        "fused multiply-add",
        [
            term_by_term(-1, B64, "t1"),
            term_by_term(+1, B64, "t2"),
            term_by_term(+1, B64, "t2"),
            reusing_powers(B64, B64, fused=True),
        ],
    ),
]
FUSE_COMMAND = (
    "g++ -std=c++17 -O3 -march=native -ffp-contract=fast -Isrc src/driver/main.cpp src/eval/eval.cpp "
    "src/report/format_e.cpp -o fused"
)

if __name__ == "__main__":
    emit(
        "other-hardware",
        table(
            ["", "Single", "Double", "Extended", "Extended2"],
            [[name] + [minus(program_text(float(v))) for v in values] for name, values in ROWS],
        ),
    )
    x87_exponent = TOP_EXPONENT - (X87_BITS - 1)
    x87_step = Fraction(2) ** x87_exponent
    binary64_step = STEP
    emit(
        "x87-steps",
        table(
            ["quantity", "value"],
            [
                [
                    "spacing near the largest terms, 64-bit significands",
                    f"{power(2, x87_exponent)} ≈ {scientific(x87_step)}",
                ],
                ["finer than binary64's by", binary64_step / x87_step],
                ["Double's result, in those steps", minus(str(ROWS[1][1][1] / x87_step))],
            ],
        ),
    )
    emit(
        "fused-output",
        f"    $ {FUSE_COMMAND}\n    $ ./fused </dev/null\n" + program_output([float(v) for v in ROWS[-1][1]]),
    )
