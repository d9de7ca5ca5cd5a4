"""The arithmetics the evaluations run in, shared by the scripts that write the explanation's numbers
and by the page's test. Not a program of its own.

An arithmetic is a number type whose + - * round as that arithmetic rounds, and a conversion that
turns an integer into such a number; the programs of docs/polynomial.py run in any of them. The
point and the coefficients are integers, and an integer rounded to a significand of p >= 2 bits is
an integer again (a multiple of a power of two), so every arithmetic here is integer arithmetic,
exact at any width, with an exponent as wide as it needs.

  nearest(bits)         every operand and result rounded to nearest, ties to even
  registers(bits, s)    the same, but what the program stores in a variable rounded to s bits (the
                        x87 unit's 64-bit registers and 53-bit variables)
  fused(bits)           each sum fused with the last product of a term, as a compiler contracts them
  outward(bits)         intervals, each end rounded outward
  traced(bits)          nearest, each number with its exact value
  mpmath_numbers(c, b)  mpmath's numbers in its context c (mp: nearest, iv: outward) at b bits
  EXACT                 Python's integers: nothing rounded
  Chain()               counts the roundings a term collects
  running(bits)         nearest, each number with a bound on its error from computed values alone
  randomly(bits, draws) each operation rounded up or down as a bit of `draws` says
  terms_kept(bits)      the terms formed to nearest, their sums kept as the list of signed terms,
                        which a summation sums (summed(): neumaier, exact or k_fold)
  split_exactly(bits)   every product split exactly into parts, the sums kept as the list of parts
  compensated(bits)     each number carried with the rounded sum of its errors, worth rnd(v + e)
"""
from fractions import Fraction

BINARY64_BITS = 53  # significand width of binary64, the hidden bit included
BINARY32_MAX = (2 - Fraction(2) ** -23) * Fraction(2) ** 127  # the largest finite binary32
U = Fraction(1, 2**BINARY64_BITS)  # the unit roundoff of binary64, round to nearest
EXACT = int  # the exact arithmetic's conversion: Python's integers, whose + − × round nothing


def rounded(value, bits):
    """The integer value rounded to nearest, ties to even, with a significand of the given bits."""
    drop = abs(value).bit_length() - bits
    if drop <= 0:
        return value
    # Adding half a unit and flooring (Python's >> floors) rounds to nearest, a tie upward; a tie
    # whose upward neighbour is odd goes down instead.
    halfway = value + (1 << (drop - 1))
    kept = halfway >> drop
    if kept & 1 and not halfway & ((1 << drop) - 1):
        kept -= 1
    return kept << drop


def spacing(magnitude, bits):
    """The spacing of `bits`-bit numbers at a positive integer magnitude: 2^(e − bits + 1), where
    2^e <= magnitude < 2^(e + 1); a sum there moves by whole steps of it."""
    return Fraction(2) ** (magnitude.bit_length() - bits)


def directed(value, bits, up):
    """The integer value rounded to a significand of `bits` bits toward +∞ (up) or −∞."""
    drop = abs(value).bit_length() - bits
    if drop <= 0:
        return value
    below = value >> drop << drop  # toward −∞: Python's >> floors
    return below + (1 << drop) if up and below != value else below


def two_sum(a, b, bits):
    """(s, a + b − s) with s the sum rounded to `bits` bits: the sum and its error, exactly."""
    s = rounded(a + b, bits)
    return s, a + b - s


def two_product(a, b, bits):
    """(h, a·b − h) with h the product rounded to `bits` bits: the product and its error, exactly."""
    h = rounded(a * b, bits)
    return h, a * b - h


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
    """A number of p-bit arithmetic to nearest with its exact value: what the same operations give
    without any rounding, from the exact inputs."""

    def __init__(self, value, exact, bits):
        self.value, self.exact, self.bits = value, exact, bits

    def __mul__(self, other):
        return Traced(rounded(self.value * other.value, self.bits), self.exact * other.exact, self.bits)

    def __add__(self, other):
        return Traced(rounded(self.value + other.value, self.bits), self.exact + other.exact, self.bits)

    def __sub__(self, other):
        return Traced(rounded(self.value - other.value, self.bits), self.exact - other.exact, self.bits)


def traced(bits):
    """The arithmetic of p bits to nearest that keeps each number's exact value: its conversion."""
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


def local_bound(value, bits):
    """A bound on the error of rounding that gave the integer value at `bits` bits: 0 where |value|
    has at most `bits` bits (an integer result of integers that fits was not rounded), else half a
    unit in its last place (at a power of two rounded up, half a unit of the binade above: more than
    the error, still a bound)."""
    length = abs(value).bit_length()
    return 0 if length <= bits else 1 << (length - bits - 1)


class Bounded:
    """A number of p-bit arithmetic to nearest with a running bound: value, as computed, and bound,
    an integer bound on |value − its exact value| computed from computed values alone."""

    def __init__(self, value, bound, bits):
        self.value, self.bound, self.bits = value, bound, bits

    def _of(self, exact_of_computed, carried):
        value = rounded(exact_of_computed, self.bits)
        return Bounded(value, local_bound(value, self.bits) + carried, self.bits)

    def __mul__(self, other):
        a, c = self, other
        return self._of(a.value * c.value, abs(a.value) * c.bound + abs(c.value) * a.bound + a.bound * c.bound)

    def __add__(self, other):
        return self._of(self.value + other.value, self.bound + other.bound)

    def __sub__(self, other):
        return self._of(self.value - other.value, self.bound + other.bound)


def running(bits):
    """The arithmetic of p bits to nearest that carries a running error bound: its conversion."""

    def number(value):
        value = rounded(value, bits)
        return Bounded(value, local_bound(value, bits), bits)

    return number


MASK64 = (1 << 64) - 1
GOLDEN_GAMMA = 0x9E3779B97F4A7C15  # splitmix64's increment, 2^64 over the golden ratio, odd


def splitmix64(seed):
    """The top bit of each output of splitmix64 started at the seed, one after another."""
    state = seed
    while True:
        state = (state + GOLDEN_GAMMA) & MASK64
        z = state
        z = ((z ^ (z >> 30)) * 0xBF58476D1CE4E5B9) & MASK64  # splitmix64's two multipliers
        z = ((z ^ (z >> 27)) * 0x94D049BB133111EB) & MASK64
        z ^= z >> 31
        yield z >> 63


class RandomlyRounded(Rounded):
    """A number of p-bit arithmetic in which every operation takes the next of `draws` (bits) and is
    rounded toward +∞ where it is 1 and toward −∞ where it is 0, exact or not."""

    def __init__(self, value, bits, draws):
        super().__init__(value, bits)
        self.draws = draws

    def _result(self, value):
        return RandomlyRounded(directed(value, self.bits, next(self.draws) == 1), self.bits, self.draws)


def randomly(bits, draws):
    """The arithmetic of p bits rounded at random by the bits `draws` yields: its conversion (an
    operand is converted to nearest and draws nothing)."""
    return lambda value: RandomlyRounded(rounded(value, bits), bits, draws)


# The remedies' arithmetics. Two defer their sums: a number is a list of parts, `bits`-bit numbers
# whose exact sum it stands for, and a sum or difference joins the lists; the row that runs in one
# names how its last list is summed (summed()). The compensated arithmetic carries each number's
# error beside it.


class Parts:
    """A number of an arithmetic that defers its sums: its parts, in order. A product takes one
    factor of one part (an operand) and rounds the product to nearest, as the program forms a term,
    or, where split, splits each part's product exactly into its rounded value and its error
    (TwoProduct), dropping parts that are 0."""

    def __init__(self, parts, bits, split):
        self.parts, self.bits, self.split = parts, bits, split

    def __mul__(self, factor):
        [v] = factor.parts  # a product is multiplied by an operand, one part
        if not self.split:
            [a] = self.parts  # a term formed to nearest is one part
            return Parts([rounded(a * v, self.bits)], self.bits, False)
        pairs = [two_product(a, v, self.bits) for a in self.parts]
        parts = [h for h, _ in pairs if h != 0] + [error for _, error in pairs if error != 0]
        return Parts(parts, self.bits, True)

    def __add__(self, other):
        return Parts(self.parts + other.parts, self.bits, self.split)

    def __sub__(self, other):
        return Parts(self.parts + [-part for part in other.parts], self.bits, self.split)


def terms_kept(bits):
    """The arithmetic whose terms are rounded to nearest as the program rounds them and whose sums
    keep the list of the signed terms: its conversion."""
    return lambda value: Parts([rounded(value, bits)], bits, False)


def split_exactly(bits):
    """The arithmetic whose products are split exactly into parts and whose sums keep the list of the
    signed parts, in term order: its conversion."""
    return lambda value: Parts([rounded(value, bits)], bits, True)


def neumaier_sum(values, bits):
    """Neumaier's compensated sum of the values at `bits` bits: the running sum s and, in c, the sum
    of each addition's error; the result s + c, rounded."""
    s = c = 0
    for a in values:
        t = rounded(s + a, bits)
        if abs(s) >= abs(a):
            e = rounded(rounded(s - t, bits) + a, bits)
        else:
            e = rounded(rounded(a - t, bits) + s, bits)
        c = rounded(c + e, bits)
        s = t
    return rounded(s + c, bits)


def exact_sum(values, bits):
    """The values summed exactly and rounded once to `bits` bits."""
    return rounded(sum(values), bits)


def k_fold_sum(values, bits, folds):
    """K-fold summation of the values at `bits` bits (K = folds): K − 1 passes of error-free sums that
    carry each sum forward and leave its error behind, then a plain sum."""
    v = list(values)
    for _ in range(folds - 1):
        for i in range(1, len(v)):
            v[i], v[i - 1] = two_sum(v[i], v[i - 1], bits)
    s = 0
    for part in v:
        s = rounded(s + part, bits)
    return s


def summed(values, how, bits, folds=None):
    """The values summed at `bits` bits as `how` names the summation: neumaier, exact (rounded once)
    or k_fold (K = folds)."""
    if how == "k_fold":
        return k_fold_sum(values, bits, folds)
    return {"neumaier": neumaier_sum, "exact": exact_sum}[how](values, bits)


class Compensated:
    """A number of the compensated arithmetic at `bits` bits: v, what plain arithmetic to nearest
    computes, and e, the rounded sum of the exact errors of the operations on the way to it (TwoProduct
    and TwoSum give each) and of the errors its operands carried; what it stands for is rnd(v + e).
    Where an operand carries no error (an input), this is a compensated product chain, and the sums
    a compensated sum."""

    def __init__(self, v, e, bits):
        self.v, self.e, self.bits = v, e, bits

    def _rounded(self, value):
        return rounded(value, self.bits)

    def __mul__(self, other):
        h, error = two_product(self.v, other.v, self.bits)
        carried = self._rounded(self._rounded(self.e * other.v) + self._rounded(self.v * other.e))
        return Compensated(h, self._rounded(carried + error), self.bits)

    def _sum(self, other, sign):
        s, error = two_sum(self.v, sign * other.v, self.bits)
        return Compensated(s, self._rounded(self.e + self._rounded(error + sign * other.e)), self.bits)

    def __add__(self, other):
        return self._sum(other, 1)

    def __sub__(self, other):
        return self._sum(other, -1)

    @property
    def value(self):
        return self._rounded(self.v + self.e)


def compensated(bits):
    """The compensated arithmetic at `bits` bits: its conversion (an operand carries no error)."""
    return lambda value: Compensated(rounded(value, bits), 0, bits)
