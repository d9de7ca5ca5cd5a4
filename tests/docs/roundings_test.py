"""The arithmetics of docs/roundings.py against Python's floats at 53 bits (which round every operation
to nearest, ties to even) and against exact integers: every rounding, TwoSum and TwoProduct, the
summations and the compensated arithmetic, as tables of bit patterns written in hex.

usage: python3 -m unittest discover -s tests/docs -p '*_test.py'
"""
import itertools
import math
import os
import random
import sys
import unittest

sys.path.insert(0, os.path.join(os.path.dirname(os.path.dirname(os.path.dirname(os.path.abspath(__file__)))), "docs"))
from roundings import BINARY64_BITS, Compensated, compensated, directed, exact_sum, k_fold_sum  # noqa: E402
from roundings import local_bound, nearest, neumaier_sum, randomly, registers, rounded, split_exactly  # noqa: E402
from roundings import splitmix64, summed, terms_kept, two_product, two_sum  # noqa: E402

# Integers whose rounding to 53 bits is an edge: exact, ties either way, carries into a new binade.
EDGES = [
    0x0,
    0x1,
    0x1FFFFFFFFFFFFF,  # 53 ones: exact
    0x20000000000001,  # 2^53 + 1: a tie, to the even 2^53
    0x20000000000003,  # 2^53 + 3: a tie, to the even 2^53 + 4
    0x20000000000005,
    0x3FFFFFFFFFFFFF,  # 54 ones: rounds up into 2^54
    0x3FFFFFFFFFFFFE,  # a tie at 54 bits whose even neighbour carries
    0x1FFFFFFFFFFFFF7FF,  # 53 ones then just below half: down
    0x1FFFFFFFFFFFFF800,  # 53 ones then exactly half: the odd last bit rounds up and carries
    0x1FFFFFFFFFFFFF801,  # just above half: up, and carries
    0x10000000000000800,  # 2^64 + half a unit: a tie to the even 2^64
    0x10000000000001800,  # a tie to the even neighbour above
    0x8000000000000000000000000000000000000000000000000000000000000001,
]
# Random bit patterns of several lengths, written once.
PATTERNS = [
    0x940EBA6F875C2E84496E,
    0xE325FAA633406BC4,
    0xC235B7740A63C1D8FAC1,
    0x3EC33DD6887E8400,
    0x86FF6A7698065AAB0A37,
    0x8B38904F3D4E7B37D72E4AF6978770,
    0x131DB61884F42B4B,
    0x0C0A9C8BB070E384,
    0xD4DDB5834F4CECB736D8,
    0x0366DADC88177ABD,
]
MORE = 2000  # how many more random integers each comparison with floats tries


def binary64s(seed, count):
    """count random integers that binary64 holds, of either sign and up to 2^300, from the seed."""
    generator = random.Random(seed)
    return [
        rounded(generator.choice([-1, 1]) * generator.getrandbits(generator.randint(1, 300)), 53) for _ in range(count)
    ]


def representable(n, bits):
    """Whether the integer n has a significand of at most `bits` bits."""
    return n == 0 or (abs(n) >> ((n & -n).bit_length() - 1)).bit_length() <= bits


class NearestAgainstFloats(unittest.TestCase):
    """Rounding to nearest at 53 bits is what Python's int-to-float conversion and its float
    operations give: both round to nearest, ties to even."""

    def test_conversion(self):
        generator = random.Random(53)
        values = EDGES + PATTERNS + [generator.getrandbits(generator.randint(1, 1000)) for _ in range(MORE)]
        for value in values:
            for signed in (value, -value):
                with self.subTest(value=hex(signed)):
                    self.assertEqual(rounded(signed, BINARY64_BITS), int(float(signed)))

    def test_operations(self):
        number = nearest(BINARY64_BITS)
        operands = binary64s(1, MORE) + [rounded(value, 53) for value in EDGES + PATTERNS]
        for a, b in zip(operands, reversed(operands)):
            with self.subTest(a=hex(a), b=hex(b)):
                self.assertEqual((number(a) * number(b)).value, int(float(a) * float(b)))
                self.assertEqual((number(a) + number(b)).value, int(float(a) + float(b)))
                self.assertEqual((number(a) - number(b)).value, int(float(a) - float(b)))

    def test_registers_round_what_they_store(self):
        # 64-bit registers keep 2^53 + 1 exactly; stored, it is rounded to 53 bits like a float.
        number = registers(64, BINARY64_BITS)
        for value in [0x20000000000001, 0x20000000000003, 0x3FFFFFFFFFFFFF] + PATTERNS:
            with self.subTest(value=hex(value)):
                held = number(value)
                self.assertEqual(held.value, rounded(value, 64))
                self.assertEqual(held.stored().value, int(float(held.value)))


class RoundingsAgainstEveryNeighbour(unittest.TestCase):
    """At narrow widths every integer near a value is tried: nearest is the closest number of the
    width (ties to an even significand), the directed roundings the next below and above."""

    def test_small_widths(self):
        for bits in range(2, 7):
            numbers = [n for n in range(-600, 601) if representable(n, bits)]
            for value in range(-500, 501):
                below = max(n for n in numbers if n <= value)
                above = min(n for n in numbers if n >= value)
                with self.subTest(bits=bits, value=value):
                    self.assertEqual(directed(value, bits, False), below)
                    self.assertEqual(directed(value, bits, True), above)
                    if value - below != above - value:
                        want = below if value - below < above - value else above
                    else:  # a tie: the neighbour whose significand is even
                        want = below if representable(below, bits - 1) else above
                    self.assertEqual(rounded(value, bits), want)

    def test_directed_at_53_bits(self):
        for value in EDGES + PATTERNS + binary64s(2, 200) + [v + 1 for v in binary64s(3, 200)]:
            for signed in (value, -value):
                down, up = directed(signed, BINARY64_BITS, False), directed(signed, BINARY64_BITS, True)
                with self.subTest(value=hex(signed)):
                    self.assertTrue(down <= signed <= up)
                    self.assertTrue(representable(down, 53) and representable(up, 53))
                    # no binary64 strictly between: the two are neighbours, the spacing at the smaller
                    # of them apart, or both the value itself
                    spacing = 2 * local_bound(min(down, up, key=abs), 53)
                    self.assertEqual(up - down, 0 if representable(signed, 53) else spacing)


class ErrorFreeTransformations(unittest.TestCase):
    """TwoSum and TwoProduct: the rounded result as floats give it, and an error that makes the pair
    exactly the sum or the product, itself a binary64."""

    def test_two_sum_and_two_product(self):
        operands = binary64s(4, MORE) + [rounded(value, 53) for value in EDGES + PATTERNS]
        for a, b in zip(operands, operands[1:] + operands[:1]):
            with self.subTest(a=hex(a), b=hex(b)):
                s, e = two_sum(a, b, BINARY64_BITS)
                self.assertEqual((s, s + e), (int(float(a) + float(b)), a + b))
                self.assertTrue(representable(e, 53))
                h, p = two_product(a, b, BINARY64_BITS)
                self.assertEqual((h, h + p), (int(float(a) * float(b)), a * b))
                self.assertTrue(representable(p, 53))


def float_compensated(a, b, op):
    """The compensated arithmetic's a op b at 53 bits, computed with Python's floats and exact
    integers only for the errors of TwoSum and TwoProduct (each a binary64): (v, e)."""
    (av, ae), (bv, be) = [(float(v), float(e)) for v, e in (a, b)]
    if op == "×":
        h = av * bv
        return h, (ae * bv + av * be) + float(int(av) * int(bv) - int(h))
    sign = 1 if op == "+" else -1
    s = av + sign * bv
    return s, ae + (float(int(av) + sign * int(bv) - int(s)) + sign * be)


# (a.v, a.e, b.v, b.e), each rounded to a binary64 integer; every b.e but one is not 0.
CARRIED = [
    (0x1C2D5E37A3B1F, 0x3, 0x1F0A9C1D2E3B7, -0x1),
    (0x134E8AC3F1A2B8C00, 0x1F9, 0x9A2F3B5C1D0E7, 0x5),
    (-0x1FFFFFFFFFFFFF, 0x1, 0x20000000000000, 0x1),
    (0x1E4C1A2B3C4D5E6F000, -0x7FF, 0x1E4C1A2B3C4D5E6F000, 0x7FF),
    (0x10000000000000, 0x0, 0x10000000000000, 0x1),
    (0x1A5E37C2D9B41 << 60, 0x1D3 << 58, 0x1F3E5A7C9B2D4 << 40, -0x3B1 << 36),
    (0x12345678, 0x0, 0x1B6D, 0x0),
]
CARRIED = [tuple(rounded(value, 53) for value in row) for row in CARRIED]


class CompensatedArithmetic(unittest.TestCase):
    """The compensated arithmetic where both operands carry errors, against the same formulas in
    floats; and where neither does, exact: the value and its error sum to the exact result."""

    def test_against_floats(self):
        number = compensated(BINARY64_BITS)
        generator = random.Random(5)
        carried = CARRIED + [
            (rounded(generator.getrandbits(120), 53), rounded(generator.getrandbits(60), 53))
            + (rounded(generator.getrandbits(100), 53), rounded(-generator.getrandbits(50), 53))
            for _ in range(MORE)
        ]
        for av, ae, bv, be in carried:
            a, b = Compensated(av, ae, 53), Compensated(bv, be, 53)
            for op, got in [("×", a * b), ("+", a + b), ("−", a - b)]:
                with self.subTest(a=(hex(av), hex(ae)), b=(hex(bv), hex(be)), op=op):
                    v, e = float_compensated((av, ae), (bv, be), op)
                    self.assertEqual((got.v, got.e), (int(v), int(e)))
                    self.assertEqual(got.value, int(float(got.v + got.e)))
        self.assertEqual(number(0x20000000000001).v, 0x20000000000000)

    def test_exact_where_no_operand_carries_an_error(self):
        number = compensated(BINARY64_BITS)
        for a, b in zip(binary64s(6, 300), binary64s(7, 300)):
            with self.subTest(a=hex(a), b=hex(b)):
                product, total = number(a) * number(b), number(a) + number(b)
                self.assertEqual(product.v + product.e, a * b)
                self.assertEqual(total.v + total.e, a + b)


class ListsAndSums(unittest.TestCase):
    """The arithmetics that keep their sums as lists, and the summations of a list."""

    def test_split_products_sum_to_the_exact_product(self):
        number = split_exactly(BINARY64_BITS)
        for a, b, c in zip(binary64s(8, 200), binary64s(9, 200), binary64s(10, 200)):
            with self.subTest(a=hex(a), b=hex(b), c=hex(c)):
                parts = (number(a) * number(b) * number(c)).parts
                self.assertEqual(sum(parts), a * b * c)
                self.assertTrue(all(representable(part, 53) and part != 0 for part in parts))
                kept = terms_kept(BINARY64_BITS)
                self.assertEqual((kept(a) * kept(b) - kept(c)).parts, [int(float(a) * float(b)), -c])

    def test_summations(self):
        top = 2**BINARY64_BITS
        big = int(1e100)  # the binary64 nearest 10^100
        rows = [  # (values, plain left-to-right sum, Neumaier's, exact, 2-fold)
            ([top, 1, 1], top, top + 2, top + 2, top + 2),
            ([big, 1, -big], 0, 1, 1, 1),
            ([1, big, -big], 0, 1, 1, 1),
            ([3, -3], 0, 0, 0, 0),
            ([], 0, 0, 0, 0),
        ]
        for values, plain, neumaier, exact, twofold in rows:
            with self.subTest(values=values):
                self.assertEqual(k_fold_sum(values, 53, 1), plain)
                self.assertEqual(neumaier_sum(values, 53), neumaier)
                self.assertEqual(exact_sum(values, 53), exact)
                self.assertEqual(k_fold_sum(values, 53, 2), twofold)
                self.assertEqual(summed(values, "k_fold", 53, 2), twofold)
                self.assertEqual(summed(values, "neumaier", 53), neumaier)

    def test_exact_sum_is_fsum(self):
        generator = random.Random(11)
        for _ in range(300):
            values = binary64s(generator.random(), generator.randint(1, 12))
            with self.subTest(values=[hex(v) for v in values]):
                self.assertEqual(exact_sum(values, 53), int(math.fsum(float(v) for v in values)))
                # enough folds carry every error forward: the sum rounded once
                self.assertEqual(k_fold_sum(values, 53, 2 * len(values) + 2), exact_sum(values, 53))


class Draws(unittest.TestCase):
    """Random rounding follows its bits, and the bits are splitmix64's top bits."""

    def test_each_operation_takes_the_next_bit(self):
        for bits in itertools.product([0, 1], repeat=3):
            number = randomly(8, iter(bits))
            a, b = number(0x7F), number(0x65)  # the operands draw nothing
            got = [(a * b).value, (a + b).value, (a - b).value]
            want = [directed(0x7F * 0x65, 8, bits[0]), directed(0x7F + 0x65, 8, bits[1]), 0x7F - 0x65]
            with self.subTest(bits=bits):
                self.assertEqual(got, want)

    def test_splitmix64(self):
        # splitmix64 from 0: 0xe220a8397b1dcdaf, 0x6e789e6aa1b965f4, 0x06c45d188009454f, its published
        # first outputs; their top bits
        self.assertEqual(list(itertools.islice(splitmix64(0), 3)), [1, 0, 0])


class LocalBound(unittest.TestCase):
    """The running bound's bound on one rounding: 0 for what fits, else half a unit in the last place."""

    def test_local_bound(self):
        rows = [(0x1FFFFFFFFFFFFF, 0), (0x20000000000000, 1), (0x20000000000001, 1), (0x7FFFFFFFFFFFFF800, 1 << 13)]
        for value, bound in rows:
            with self.subTest(value=hex(value)):
                self.assertEqual(local_bound(value, 53), bound)
                self.assertEqual(local_bound(-value, 53), bound)


if __name__ == "__main__":
    unittest.main()
