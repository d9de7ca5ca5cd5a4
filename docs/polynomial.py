"""The polynomial, the program's point and its two orders of evaluation, shared by the scripts that
write the explanation page's numbers; and the helpers that print those numbers as the page shows
them. Not a program of its own.

Each order is written once, over any arithmetic: a number type whose + - * round as that arithmetic
rounds, and a function that turns an integer into such a number. Python's float is binary64 (one
rounding per operation); mpmath's mpf and interval types round at any precision, to nearest or
outward; nearest(bits) rounds every operand and result to a significand of that many bits;
registers(bits, stored) does too, but rounds what the program stores in a variable to `stored` bits
(the x87 unit's 64-bit registers and 53-bit variables); fused(bits) fuses each sum with the last
product of a term, as a compiler contracts them; Chain counts roundings.
"""
import decimal
import os
import sys
from fractions import Fraction

X, Y = 9478657, 2298912  # the program's point, a solution of x^2 - 17 y^2 = 1
C1, C2, C3, C4 = 83521, 578, 2, 2  # the coefficients of y^8, x^2 y^4, x^4 and x^6 (17^4, 2*17^2)
BINARY64_BITS = 53  # significand width of binary64, the hidden bit included
BINARY32_MAX = (2 - Fraction(2) ** -23) * Fraction(2) ** 127  # the largest finite binary32
U = Fraction(1, 2**BINARY64_BITS)  # the unit roundoff of binary64, round to nearest
TERM_NAMES = ["83521·y⁸", "578·x²·y⁴", "2·x⁴", "2·x⁶", "x⁸"]


def signed_terms(x, y, subtract_t2=False):
    """The five terms of f at integers x, y, exact, each with the sign it has in f; with
    subtract_t2, those of g, the polynomial the Single line evaluates (its 578·x²·y⁴ subtracted)."""
    return [C1 * y**8, (-1 if subtract_t2 else 1) * C2 * x**2 * y**4, -C3 * x**4, C4 * x**6, -(x**8)]


def exact_f(x, y, subtract_t2=False):
    """f at integers x, y, exactly; with subtract_t2, g."""
    return sum(signed_terms(x, y, subtract_t2))


# The spacing of binary64 numbers at the largest terms at the program's point, the unit of every
# error on the pages: the largest term lies in [2^TOP_EXPONENT, 2^(TOP_EXPONENT + 1)).
TOP_EXPONENT = max(abs(term) for term in signed_terms(X, Y)).bit_length() - 1
STEP_EXPONENT = TOP_EXPONENT - (BINARY64_BITS - 1)
STEP = Fraction(2) ** STEP_EXPONENT


class Run:
    """The steps of one evaluation in the order they arise, each with its name and its role: a
    power (x⁴ or y⁴, which later terms are built from), a term of the polynomial, or a sum (the
    running sum once it has taken a term; the first term starts it). The last step is the result."""

    def __init__(self):
        self.names, self.roles, self.values = [], [], []

    def _record(self, role, name, value):
        self.names.append(name)
        self.roles.append(role)
        self.values.append(value)
        return value

    def power(self, name, value):
        return self._record("power", name, value)

    def term(self, name, value):
        return self._record("term", name, value)

    def sum(self, name, value):
        return self._record("sum", name, value)

    def of(self, role):
        """The values of the steps of one role, in order."""
        return [value for each, value in zip(self.roles, self.values) if each == role]

    def named(self):
        """(name, value) of every step, in order."""
        return list(zip(self.names, self.values))

    @property
    def result(self):
        return self.values[-1]


def multiply(first, factor, count):
    """first times factor, count times, left to right: the program's way to form a power."""
    for _ in range(count):
        first = first * factor
    return first


def stored(value):
    """value as the program holds it in a variable: unchanged, but where the arithmetic keeps
    intermediate results wider than its variables (registers below)."""
    return value.stored() if hasattr(value, "stored") else value


def term_by_term(x, y, number, subtract_t2=False):
    """The term-by-term order (Double, Extended; Single with subtract_t2) at integers x, y, in the
    arithmetic whose numbers `number` makes: its Run."""
    run = Run()
    x, y = number(x), number(y)
    t1 = run.term("T1 = 83521·y·y·y·y·y·y·y·y", multiply(number(C1), y, 8))
    t2 = run.term("T2 = 578·x·x·y·y·y·y", multiply(multiply(number(C2), x, 2), y, 4))
    s = run.sum(f"S = T1 {'−' if subtract_t2 else '+'} T2", t1 - t2 if subtract_t2 else t1 + t2)
    t3 = run.term("T3 = 2·x·x·x·x", multiply(number(C3), x, 4))
    s = run.sum("S = S − T3", s - t3)
    t4 = run.term("T4 = 2·x·x·x·x·x·x", multiply(number(C4), x, 6))
    s = run.sum("S = S + T4", s + t4)
    t5 = run.term("T5 = x·x·x·x·x·x·x·x", multiply(x, x, 7))
    run.sum("S = S − T5", stored(s - t5))
    return run


def reusing_powers(x, y, number):
    """The power-reuse order (Extended2) at integers x, y, in the arithmetic whose numbers `number`
    makes: its Run. X4 and Y4 are held in variables."""
    run = Run()
    x, y = number(x), number(y)
    x4 = run.power("X4 = x·x·x·x", stored(multiply(x, x, 3)))
    y4 = run.power("Y4 = y·y·y·y", stored(multiply(y, y, 3)))
    s = run.term("S = U1 = 83521·Y4·Y4", number(C1) * y4 * y4)
    u2 = run.term("U2 = 578·x·x·Y4", number(C2) * x * x * y4)
    s = run.sum("S = S + U2", s + u2)
    u3 = run.term("U3 = 2·X4", number(C3) * x4)
    s = run.sum("S = S − U3", s - u3)
    u4 = run.term("U4 = 2·x·x·X4", number(C4) * x * x * x4)
    s = run.sum("S = S + U4", s + u4)
    u5 = run.term("U5 = X4·X4", x4 * x4)
    run.sum("S = S − U5", stored(s - u5))
    return run


def evaluations(x=X, y=Y):
    """The program's four lines at integers x, y in binary64: (label, Run). The Single line's
    operands are integers below 2^24, exact in binary32 and widened exactly, so its products are the
    binary64 products of the same integers."""
    double = term_by_term(x, y, float)
    return [
        ("Single", term_by_term(x, y, float, subtract_t2=True)),
        ("Double", double),
        ("Extended", double),
        ("Extended2", reusing_powers(x, y, float)),
    ]


def chain_lengths(order):
    """The roundings each term of an order goes through on its way to the result, in order: those
    that form it (counted by Chain) and one for each sum after it."""
    run = order(X, Y, lambda value: Chain())
    later_sums = [run.roles[i + 1 :].count("sum") for i, role in enumerate(run.roles) if role == "term"]
    return [term.chain + later for term, later in zip(run.of("term"), later_sums)]


def longest_chain():
    """n, the most roundings any term goes through on its way to the result, in either order."""
    return max(chain_lengths(term_by_term) + chain_lengths(reusing_powers))


def gamma_name(n):
    """γₙ, the bound of n roundings, with n in subscript digits: γ₁₂."""
    return "γ" + str(n).translate(str.maketrans("0123456789", "₀₁₂₃₄₅₆₇₈₉"))


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
    """A number of an arithmetic that rounds every sum and product to a significand of `bits` bits,
    and what the program stores in a variable to `stored_bits` bits (where given)."""

    def __init__(self, value, bits, stored_bits=None):
        self.value, self.bits, self.stored_bits = Fraction(value), bits, stored_bits

    def _result(self, value):
        return Rounded(rounded(value, self.bits), self.bits, self.stored_bits)

    def __add__(self, other):
        return self._result(self.value + other.value)

    def __sub__(self, other):
        return self._result(self.value - other.value)

    def __mul__(self, other):
        return self._result(self.value * other.value)

    def stored(self):
        if self.stored_bits is None:
            return self
        return Rounded(rounded(self.value, self.stored_bits), self.bits, self.stored_bits)


def nearest(bits):
    """The arithmetic of `bits`-bit significands, to nearest with ties to even: its conversion."""
    return lambda value: Rounded(rounded(value, bits), bits)


def registers(bits, stored_bits):
    """The arithmetic of a unit that rounds every result to `bits` bits in its registers and to
    `stored_bits` bits where the program stores it in a variable: its conversion."""
    return lambda value: Rounded(rounded(value, bits), bits, stored_bits)


class Fused(Rounded):
    """A number of `bits`-bit arithmetic in which an addition or subtraction is fused with the last
    multiplication of one of its operands and rounded once, as a compiler contracts them: a product
    is held exact (pending) until a sum takes it; anything else takes it rounded. Where both
    operands are such products, an addition fuses its second and a subtraction its first, which is
    how GCC 12 contracted the program's sums on the targets with fused multiply-add."""

    def __init__(self, value, bits, pending=None):
        super().__init__(value, bits)
        self.pending = pending  # the exact product, before its rounding to value

    def _result(self, value, pending=None):
        return Fused(rounded(value, self.bits), self.bits, pending)

    def __mul__(self, other):
        product = self.value * other.value
        return self._result(product, pending=product)

    def __add__(self, other):
        if other.pending is not None:
            return self._result(self.value + other.pending)
        return self._result((self.value if self.pending is None else self.pending) + other.value)

    def __sub__(self, other):
        if self.pending is not None:
            return self._result(self.pending - other.value)
        return self._result(self.value - (other.value if other.pending is None else other.pending))

    def stored(self):
        return Fused(self.value, self.bits)


def fused(bits):
    """The arithmetic of `bits`-bit significands with each sum fused with a product: its conversion."""
    return lambda value: Fused(rounded(value, bits), bits)


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


def in_steps(value, step=STEP):
    """value counted in spacing steps (of the largest terms at the program's point, unless given):
    three decimals, or two significant digits when smaller than a thousandth, or the whole number
    when it is one."""
    steps = Fraction(value) / step
    if steps.denominator == 1:
        return minus(str(steps.numerator))
    if abs(steps) < Fraction(1, 1000):
        return ("+" if steps > 0 else "") + scientific(steps)
    return minus(f"{float(steps):+.3f}")


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
