#!/usr/bin/env python3
"""Prints what the four evaluations give in three kinds of arithmetic: each order as
docs/polynomial.py defines it, in the arithmetics of docs/roundings.py, computed exactly with
integers and rounded where the hardware rounds:

  binary64     every operation rounded to a 53-bit significand (what polyeval prints)
  x87          every operation rounded to a 64-bit significand, the x87 unit's default; once with
               every value kept in registers, once with x^4, y^4 and each result stored as binary64
  fused        binary64, with each addition and subtraction fused with the last multiplication of
               one of its operands into one multiply-add, rounded once (as GCC contracts them)

It prints three blocks of docs/numbers.md: the table of what each kind of arithmetic prints, in the
program's number text, the spacing of 64-bit significands, and the program's whole output when
multiply-adds are fused.

usage: python3 docs/arithmetic.py   (any python3; docs/page.py puts the blocks into the page)
"""
from fractions import Fraction

from blocks import emit, table
from evaluations import EVALUATIONS, LINES
from polynomial import STEP, TOP_EXPONENT, X, Y, execute
from roundings import BINARY64_BITS, fused, nearest, registers
from text import minus, power, program_output, program_text, scientific

X87_BITS = 64  # the x87 unit's significand at its start-up precision
# The kinds of arithmetic, each a row of the table.
ARITHMETICS = [
    ("binary64 (polyeval)", nearest(BINARY64_BITS)),
    ("64-bit significands (x87), all in registers", nearest(X87_BITS)),
    ("64-bit significands, X4, Y4 and results stored", registers(X87_BITS, BINARY64_BITS)),
    ("fused multiply-add", fused(BINARY64_BITS)),
]
FUSE_COMMAND = (
    "g++ -std=c++17 -O3 -march=native -ffp-contract=fast -Isrc src/driver/main.cpp src/eval/eval.cpp "
    "src/report/format_e.cpp -o fused"
)


def four_lines(number):
    """The program's four results in the arithmetic whose numbers `number` makes, as rationals: each
    line's routine's program run in it."""
    return [execute(EVALUATIONS[line.key].program, X, Y, number).result.value for line in LINES]


def main():
    """Prints the blocks, from each kind of arithmetic evaluated once."""
    rows = [(name, four_lines(number)) for name, number in ARITHMETICS]
    emit(
        "other-hardware",
        table(
            ["", "Single", "Double", "Extended", "Extended2"],
            [[name] + [minus(program_text(float(v))) for v in values] for name, values in rows],
        ),
    )
    x87_exponent = TOP_EXPONENT - (X87_BITS - 1)
    x87_step = Fraction(2) ** x87_exponent
    emit(
        "x87-steps",
        table(
            ["quantity", "value"],
            [
                [
                    "spacing near the largest terms, 64-bit significands",
                    f"{power(2, x87_exponent)} ≈ {scientific(x87_step)}",
                ],
                ["finer than binary64's by", STEP / x87_step],
                ["Double's result, in those steps", minus(str(rows[1][1][1] / x87_step))],
            ],
        ),
    )
    emit(
        "fused-output",
        f"    $ {FUSE_COMMAND}\n    $ ./fused </dev/null\n"
        + program_output([(line.label, float(v)) for line, v in zip(LINES, rows[-1][1])]),
    )


if __name__ == "__main__":
    main()
