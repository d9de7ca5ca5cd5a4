"""The arithmetics the evaluations run in, shared by the scripts that write the explanation's numbers
and by the page's test. Not a program of its own.

An arithmetic is a number type whose + - * round as that arithmetic rounds, and a conversion that
turns an integer into such a number; the orders of docs/polynomial.py run over any of them. The
point and the coefficients are integers, and an integer rounded to a significand of p >= 2 bits is
an integer again (a multiple of a power of two), so every arithmetic here is integer arithmetic,
exact at any width, with an exponent as wide as it needs.

  nearest(bits)         every operand and result rounded to nearest, ties to even
  registers(bits, s)    the same, but what the program stores in a variable rounded to s bits (the
                        x87 unit's 64-bit registers and 53-bit variables)
  fused(bits)           each sum fused with the last product of a term, as a compiler contracts them
  outward(bits)         intervals, each end rounded outward
  traced(bits)          nearest, each number with its exact value and the operands of its product
  mpmath_numbers(c, b)  mpmath's numbers in its context c (mp: nearest, iv: outward) at b bits
  Chain()               counts the roundings a term collects
"""
from fractions import Fraction

BINARY64_BITS = 53  # significand width of binary64, the hidden bit included
BINARY32_MAX = (2 - Fraction(2) ** -23) * Fraction(2) ** 127  # the largest finite binary32
U = Fraction(1, 2**BINARY64_BITS)  # the unit roundoff of binary64, round to nearest


def rounded(value, bits):
    """The integer value rounded to nearest, ties to even, with a significand of the given bits."""
    drop = abs(value).bit_length() - bits
    if drop <= 0:
        return value
    kept, rest = divmod(abs(value), 1 << drop)
    half = 1 << (drop - 1)
    if rest > half or (rest == half and kept % 2 == 1):
        kept += 1
    return (kept if value > 0 else -kept) << drop


def directed(value, bits, up):
    """The integer value rounded to a significand of `bits` bits toward +∞ (up) or −∞."""
    drop = max(abs(value).bit_length() - bits, 0)
    kept, rest = divmod(abs(value), 1 << drop)
    away = rest != 0 and up == (value > 0)  # away from zero: up for a positive value, down for a negative
    return (1 if value >= 0 else -1) * (kept + away) * (1 << drop)


class Rounded:
    """A number of an arithmetic that rounds every sum and product to a significand of `bits` bits,
    and what the program stores in a variable to `stored_bits` bits (where given)."""

    def __init__(self, value, bits, stored_bits=None):
        self.value, self.bits, self.stored_bits = value, bits, stored_bits

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


class Outward:
    """A number of p-bit interval arithmetic: its ends, each rounded outward; value is the pair."""

    def __init__(self, low, high, bits):
        self.low, self.high, self.bits = low, high, bits

    def _of(self, low, high):
        return Outward(directed(low, self.bits, False), directed(high, self.bits, True), self.bits)

    def __add__(self, other):
        return self._of(self.low + other.low, self.high + other.high)

    def __sub__(self, other):
        return self._of(self.low - other.high, self.high - other.low)

    def __mul__(self, other):
        products = [a * b for a in (self.low, self.high) for b in (other.low, other.high)]
        return self._of(min(products), max(products))

    @property
    def value(self):
        return self.low, self.high


def outward(bits):
    """The arithmetic of p-bit intervals, every operand and result rounded outward: its conversion."""
    return lambda value: Outward(directed(value, bits, False), directed(value, bits, True), bits)


class Traced:
    """A number of p-bit arithmetic to nearest with its history: its rounded and exact values, and for
    a product its two operands."""

    def __init__(self, value, exact, bits, left=None, right=None):
        self.value, self.exact, self.bits, self.left, self.right = value, exact, bits, left, right

    def __mul__(self, other):
        return Traced(rounded(self.value * other.value, self.bits), self.exact * other.exact, self.bits, self, other)

    def __add__(self, other):
        return Traced(rounded(self.value + other.value, self.bits), self.exact + other.exact, self.bits)

    def __sub__(self, other):
        return Traced(rounded(self.value - other.value, self.bits), self.exact - other.exact, self.bits)


def traced(bits):
    """The arithmetic of p bits to nearest that keeps each number's history: its conversion."""
    return lambda value: Traced(rounded(value, bits), value, bits)


def mpmath_numbers(context, bits):
    """mpmath's numbers in its context (mpmath.mp: to nearest; mpmath.iv: outward), every operation
    rounded to `bits` bits: their conversion. The context's precision is set for all its numbers."""
    context.prec = bits
    return context.mpf


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
