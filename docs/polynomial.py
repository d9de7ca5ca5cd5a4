"""The polynomial, the program's point and its two orders of evaluation, shared by the scripts that
write the explanation page's numbers; and the helpers that print those numbers as the page shows
them. Not a program of its own.

The evaluations are written once, over any number type whose + - * round as that type rounds:
Python's float (binary64, one rounding per operation), mpmath's mpf and interval types at any
precision, Rounded below (any significand width) or Chain below (counts roundings).
"""
import decimal
import os
import sys
from fractions import Fraction

X, Y = 9478657, 2298912  # the program's point, a solution of x^2 - 17 y^2 = 1
C1, C2, C3, C4 = 83521, 578, 2, 2  # the coefficients of y^8, x^2 y^4, x^4 and x^6 (17^4, 2*17^2)
BINARY64_BITS = 53  # significand width of binary64, the hidden bit included
BINARY32_MAX = (2 - Fraction(2) ** -23) * Fraction(2) ** 127  # the largest finite binary32


def signed_terms(x, y):
    """The five terms of f at integers x, y, exact, each with the sign it has in f."""
    return [C1 * y**8, C2 * x**2 * y**4, -C3 * x**4, C4 * x**6, -(x**8)]


def exact_f(x, y):
    """f at integers x, y, exactly."""
    return sum(signed_terms(x, y))


def multiply(first, factor, count):
    """first times factor, count times, left to right: the program's way to form a power."""
    for _ in range(count):
        first = first * factor
    return first


def term_by_term(x, y, number, subtract_t2=False):
    """The term-by-term order (Double, Extended; Single with subtract_t2) at integers x, y, in the
    number type that `number` converts to: a list of (step name, value), the result last."""
    x, y = number(x), number(y)
    t1 = multiply(number(C1), y, 8)
    t2 = multiply(multiply(number(C2), x, 2), y, 4)
    sign = "−" if subtract_t2 else "+"
    s = t1 - t2 if subtract_t2 else t1 + t2
    steps = [("T1 = 83521·y·y·y·y·y·y·y·y", t1), ("T2 = 578·x·x·y·y·y·y", t2), (f"S = T1 {sign} T2", s)]
    t3 = multiply(number(C3), x, 4)
    s = s - t3
    steps += [("T3 = 2·x·x·x·x", t3), ("S = S − T3", s)]
    t4 = multiply(number(C4), x, 6)
    s = s + t4
    steps += [("T4 = 2·x·x·x·x·x·x", t4), ("S = S + T4", s)]
    t5 = multiply(x, x, 7)
    return steps + [("T5 = x·x·x·x·x·x·x·x", t5), ("S = S − T5", s - t5)]


def reusing_powers(x, y, number):
    """The power-reuse order (Extended2) at integers x, y in the type that `number` converts to:
    a list of (step name, value), the result last."""
    x, y = number(x), number(y)
    x4 = multiply(x, x, 3)
    y4 = multiply(y, y, 3)
    s = number(C1) * y4 * y4
    u2 = number(C2) * x * x * y4
    steps = [("X4 = x·x·x·x", x4), ("Y4 = y·y·y·y", y4), ("S = U1 = 83521·Y4·Y4", s), ("U2 = 578·x·x·Y4", u2)]
    s = s + u2
    u3 = number(C3) * x4
    steps += [("S = S + U2", s), ("U3 = 2·X4", u3)]
    s = s - u3
    u4 = number(C4) * x * x * x4
    steps += [("S = S − U3", s), ("U4 = 2·x·x·X4", u4)]
    s = s + u4
    u5 = x4 * x4
    return steps + [("S = S + U4", s), ("U5 = X4·X4", u5), ("S = S − U5", s - u5)]


def evaluations(x=X, y=Y):
    """The program's four lines at integers x, y in binary64: (label, steps). The Single line's
    operands are integers below 2^24, exact in binary32 and widened exactly, so its products are the
    binary64 products of the same integers."""
    double = term_by_term(x, y, float)
    return [
        ("Single", term_by_term(x, y, float, subtract_t2=True)),
        ("Double", double),
        ("Extended", double),
        ("Extended2", reusing_powers(x, y, float)),
    ]


def rounded(value, bits):
    """The rational value rounded to nearest, ties to even, with a significand of the given bits."""
    if value == 0:
        return Fraction(0)
    magnitude = abs(Fraction(value))
    exponent = magnitude.numerator.bit_length() - magnitude.denominator.bit_length()
    if Fraction(2) ** exponent > magnitude:  # the lengths' difference may be one too large
        exponent -= 1
    unit = Fraction(2) ** (exponent - bits + 1)
    whole, rest = divmod(magnitude, unit)
    if rest > unit / 2 or (rest == unit / 2 and whole % 2 == 1):
        whole += 1
    return (whole if value > 0 else -whole) * unit


class Rounded:
    """A number whose every sum and product is rounded to a significand of `bits` bits."""

    def __init__(self, value, bits):
        self.value, self.bits = Fraction(value), bits

    def _result(self, value):
        return Rounded(rounded(value, self.bits), self.bits)

    def _operand(self, other):
        return other.value if isinstance(other, Rounded) else Fraction(other)

    def __add__(self, other):
        return self._result(self.value + self._operand(other))

    def __sub__(self, other):
        return self._result(self.value - self._operand(other))

    def __mul__(self, other):
        return self._result(self.value * self._operand(other))

    __rmul__ = __mul__


class Chain:
    """Counts roundings: chain is the most roundings any exact term's relative error collects on its
    way to this value (a product collects its factors' and its own; a sum, the longer one's and its own)."""

    def __init__(self, chain=0):
        self.chain = chain  # Chain() is an exact operand: nothing rounded yet

    def _other(self, other):
        return other.chain if isinstance(other, Chain) else 0  # an exact constant

    def __add__(self, other):
        return Chain(max(self.chain, self._other(other)) + 1)

    __sub__ = __add__

    def __mul__(self, other):
        return Chain(self.chain + self._other(other) + 1)

    __rmul__ = __mul__


# Text: how the page writes numbers.
SUPERSCRIPTS = str.maketrans("-0123456789", "⁻⁰¹²³⁴⁵⁶⁷⁸⁹")


def minus(text):
    """text with its ASCII minus signs written as the minus sign U+2212."""
    return text.replace("-", "−")


def power(base, exponent):
    """base^exponent with a superscript exponent, e.g. 2¹³³."""
    return f"{base}{str(exponent).translate(SUPERSCRIPTS)}"


def scientific(value, digits=2):
    """value as d.dd·10ⁿ with `digits` digits after the point (a rational is converted exactly)."""
    if isinstance(value, Fraction):
        value = decimal.Context(prec=40).divide(value.numerator, value.denominator)
    mantissa, exponent = f"{decimal.Decimal(value):.{digits}e}".split("e")
    return minus(f"{mantissa}·{power(10, int(exponent))}")


def significant_digits(value, count, exact=None):
    """value (or the decimal exact) rounded half up to count significant digits, written as the
    program writes numbers: d.ddd, 'e', the exponent's sign and three exponent digits."""
    exact = decimal.Decimal(value) if exact is None else exact
    if exact == 0:
        return "0." + "0" * (count - 1) + "e+000"
    digits = decimal.Context(prec=count, rounding=decimal.ROUND_HALF_UP).plus(exact)
    mantissa, exponent = f"{digits:.{count - 1}e}".split("e")
    return f"{mantissa}e{exponent[0]}{int(exponent[1:]):03d}"


def program_text(value):
    """The program's number text: the exact value rounded half up to 17 significant digits, those
    digits half up to 7, and the exponent in three digits."""
    seventeen = decimal.Context(prec=17, rounding=decimal.ROUND_HALF_UP).plus(decimal.Decimal(value))
    return significant_digits(value, 7, seventeen)


def program_output(values):
    """The program's output for four results, as the page shows it: the lines, each followed by
    the empty line the program writes."""
    labels = ["Single", "Double", "Extended", "Extended2"]
    return "".join(f"    Ergebnis {label}: {program_text(value)}\n\n" for label, value in zip(labels, values))


def emit(name, text):
    """Prints one block of the page between the markers that name this script and the block."""
    script = "docs/" + os.path.basename(sys.argv[0])
    print(f"<!-- from {script}: {name} -->\n{text.rstrip(chr(10))}\n<!-- end -->")


def table(header, rows):
    """A markdown table."""
    lines = ["| " + " | ".join(header) + " |", "|" + "---|" * len(header)]
    return "\n".join(lines + ["| " + " | ".join(str(cell) for cell in row) + " |" for row in rows])
