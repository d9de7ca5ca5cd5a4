"""Each row of the table of evaluations (docs/evaluations.py) against values an independent route
gives: the binary64 rows against the same evaluation written out in Python's floats, bit for bit;
the remedies against their summations and the compensated formulas in floats; the 120 orders of
summation against the rounded terms summed in floats; every row, at a width from which nothing
rounds, against f; the least widths against their definition; random rounding's claim against its
definition and Student's t against its tables; the golden lines of the remedies; and the answers to
the browser page's questions against floats, mpmath and exact integers.

usage: python3 -m unittest discover -s tests/docs -p '*_test.py'   (needs mpmath, for Student's t)
"""
import itertools
import math
import os
import random
import sys
import unittest
from fractions import Fraction

import mpmath

ROOT = os.path.dirname(os.path.dirname(os.path.dirname(os.path.abspath(__file__))))
sys.path.insert(0, os.path.join(ROOT, "docs"))
from evaluations import EVALUATIONS, JUDGED, KINDS, NARROWEST, TABLE, WIDEST, bound_of, digits  # noqa: E402
from evaluations import false_claim, golden_remedies, random_runs, result, results, run, student_t  # noqa: E402
from evaluations import questions, target, thresholds  # noqa: E402
from polynomial import X, Y, chain, exact_f  # noqa: E402
from roundings_test import float_compensated  # noqa: E402

generator = random.Random(64)
# Points whose coordinates binary64 holds, where the terms cancel and where they do not.
POINTS = chain(6) + [(0, 0), (1, 1), (-5, 3), (1000, 300), (2**26 + 1, 2**25 - 3)]
POINTS += [(generator.randint(-(2**40), 2**40), generator.randint(-(2**40), 2**40)) for _ in range(40)]


def formed_terms(x, y, number=float):
    """The five terms of Double's order, unsigned, each formed left to right, written out: in Python's
    floats, or in the arithmetic whose numbers x and y are and whose literals number() makes."""
    n = number
    return [
        n(83521) * y * y * y * y * y * y * y * y,
        n(578) * x * x * y * y * y * y,
        n(2) * x * x * x * x,
        n(2) * x * x * x * x * x * x,
        x * x * x * x * x * x * x * x,
    ]


def term_by_term(x, y, second=1, number=float):
    """Double's order written out (Single's with second = −1), in floats or as formed_terms says."""
    t1, t2, t3, t4, t5 = formed_terms(x, y, number)
    s = t1 + t2 if second > 0 else t1 - t2
    return s - t3 + t4 - t5


def powers_reused(x, y, number=float):
    """Extended2's order written out, in floats or as formed_terms says."""
    x4, y4 = x * x * x * x, y * y * y * y
    s = number(83521) * y4 * y4
    s = s + number(578) * x * x * y4
    s = s - number(2) * x4
    s = s + number(2) * x * x * x4
    return s - x4 * x4


def horner(x, y):
    """Horner's scheme in s = x·x in Python's floats, written out."""
    s = x * x
    h = -1.0 * s + 2.0
    h = h * s - 2.0
    h = h * s + 578.0 * y * y * y * y
    return h * s + 83521.0 * y * y * y * y * y * y * y * y


FLOATS = {  # each binary64 row's evaluation in floats
    "t2_subtracted": lambda x, y: term_by_term(x, y, -1.0),
    "term_by_term": term_by_term,
    "powers_reused": powers_reused,
    "rewrite": lambda x, y: 1.0 - 2.0 * x * x,
    "horner": horner,
}


def signed_float_terms(x, y):
    """The five terms of Double's order in floats, each with its sign in f."""
    t1, t2, t3, t4, t5 = formed_terms(x, y)
    return [t1, t2, -t3, t4, -t5]


def neumaier(values):
    """Neumaier's sum in Python's floats."""
    s = c = 0.0
    for a in values:
        t = s + a
        c += (s - t) + a if abs(s) >= abs(a) else (a - t) + s
        s = t
    return s + c


def product(first, *factors):
    """A compensated product chain (floats), left to right."""
    for factor in factors:
        first = float_compensated(first, factor, "×")
    return first


def compensated_term_by_term(x, y):
    """Compensated products into a compensated sum, in floats: rnd(v + e) of the last sum."""
    x_, y_ = (x, 0.0), (y, 0.0)
    terms = [
        product((83521.0, 0.0), *[y_] * 8),
        product((578.0, 0.0), x_, x_, *[y_] * 4),
        product((2.0, 0.0), *[x_] * 4),
        product((2.0, 0.0), *[x_] * 6),
        product(x_, *[x_] * 7),
    ]
    s = float_compensated(terms[0], terms[1], "+")
    for term, op in zip(terms[2:], "−+−"):
        s = float_compensated(s, term, op)
    return s[0] + s[1]


def compensated_horner(x, y):
    """Horner's scheme in the compensated arithmetic, in floats: rnd(v + e) of the last sum."""
    x_, y_ = (x, 0.0), (y, 0.0)
    s, c1, c0 = product(x_, x_), product((578.0, 0.0), *[y_] * 4), product((83521.0, 0.0), *[y_] * 8)
    h = float_compensated(product((-1.0, 0.0), s), (2.0, 0.0), "+")
    h = float_compensated(product(h, s), (2.0, 0.0), "−")
    h = float_compensated(product(h, s), c1, "+")
    h = float_compensated(product(h, s), c0, "+")
    return h[0] + h[1]


def split_float_terms(x, y):
    """The parts of Double's five terms, each with its sign in f, every product split exactly into the
    float product and its error (from exact integers: the values are integers), as the arithmetic of
    split products keeps them: each product's rounded parts, then their errors, zeros dropped."""

    def times(parts, factor):
        pairs = [(a * factor, float(int(a) * int(factor) - int(a * factor))) for a in parts]
        return [h for h, _ in pairs if h] + [e for _, e in pairs if e]

    terms = []
    for factors in ([83521.0] + [y] * 8, [578.0, x, x] + [y] * 4, [2.0] + [x] * 4, [2.0] + [x] * 6, [x] * 8):
        parts = factors[:1]
        for factor in factors[1:]:
            parts = times(parts, factor)
        terms.append(parts)
    return [part * sign for parts, sign in zip(terms, [1, 1, -1, 1, -1]) for part in parts]


def k_fold(values, folds):
    """K-fold summation in floats: K − 1 passes of TwoSum (its error from exact integers) carrying each
    sum forward and leaving its error behind, then a plain sum."""
    v = list(values)
    for _ in range(folds - 1):
        for i in range(1, len(v)):
            s = v[i] + v[i - 1]
            v[i], v[i - 1] = s, float(int(v[i]) + int(v[i - 1]) - int(s))
    total = 0.0  # left to right (sum() may compensate floats)
    for part in v:
        total += part
    return total


FLOATS["neumaier"] = lambda x, y: neumaier(signed_float_terms(x, y))
FLOATS["exact_sum"] = lambda x, y: math.fsum(signed_float_terms(x, y))
FLOATS["compensated"] = compensated_term_by_term
FLOATS["comp_horner"] = compensated_horner
FLOATS.update({f"sum_{folds}": lambda x, y, folds=folds: k_fold(split_float_terms(x, y), folds) for folds in (2, 3, 4)})


class AgainstFloats(unittest.TestCase):
    """Every row that binary64 runs gives at 53 bits what Python's floats give, bit for bit."""

    def test_rows(self):
        for key, evaluate in FLOATS.items():
            for x, y in POINTS:
                with self.subTest(key=key, x=x, y=y):
                    self.assertEqual(result(key, x, y, 53), evaluate(float(x), float(y)))

    def test_orders_of_summation(self):
        row = EVALUATIONS["summation_orders"]
        for x, y in POINTS[:12]:
            terms = signed_float_terms(float(x), float(y))
            sums = []
            for order in itertools.permutations(range(5)):
                total = terms[order[0]]
                for i in order[1:]:
                    total += terms[i]
                sums.append(int(total))
            f = exact_f(x, y)
            published = KINDS[row.kind].published(row, x, y, 53, None)
            counts = {
                "count": 120,
                "distinct": len(set(sums)),
                "right_sign": sum((s > 0) - (s < 0) == (f > 0) - (f < 0) for s in sums),
                "zero": sums.count(0),
                "exact": sums.count(f),
                "least": str(min(sums)),
                "most": str(max(sums)),
            }
            with self.subTest(x=x, y=y):
                self.assertEqual(results(row.key, x, y, 53), sums)
                self.assertEqual({key: published[key] for key in counts}, counts)

    def test_split_products_sum_to_f(self):
        for x, y in POINTS[:12]:
            with self.subTest(x=x, y=y):
                parts = run("sum_2", x, y, 53).result.parts  # x and y are binary64s: nothing converted
                self.assertEqual(sum(parts), exact_f(x, y))


def exactly(row, x, y, bits):
    """Whether the row at `bits` bits gives exactly what it should at integers x, y."""
    want = target(row, x, y)
    if row.kind == "interval":
        return result(row.key, x, y, bits) == (want, want)
    if row.kind == "running":
        return bound_of(x, y, bits) == (want, 0, True)
    if row.kind == "random":
        return random_runs(x, y, bits, 4, 9) == [want] * 4
    return all(value == want for value in results(row.key, x, y, bits))


class NothingRounds(unittest.TestCase):
    """At a width from which no operation rounds, every row gives f (g for Single's), every arithmetic
    alike; where one operation must round, none does."""

    def test_every_row_at_the_widest(self):
        for row in TABLE:
            if row.program is None and row.programs is None:
                continue  # the bound γₙ·κ runs nothing
            for x, y in POINTS[:8]:
                if row.applies and not row.applies(x, y):
                    continue
                with self.subTest(key=row.key, x=x, y=y):
                    self.assertTrue(exactly(row, x, y, WIDEST))

    def test_at_53_bits_at_the_programs_point(self):
        # only the 4-fold sum and 1 − 2x² give f there (as the explanation's table of remedies says)
        exact = [row.key for row in TABLE if (row.program or row.programs) and exactly(row, X, Y, 53)]
        self.assertEqual(exact, ["sum_4", "rewrite"])


class LeastWidths(unittest.TestCase):
    """The least widths are what they say: from there every width up to WIDEST has f's sign (or is
    f), and one bit narrower does not."""

    def test_against_their_definition(self):
        keys = [row.key for row in TABLE if row.kind in JUDGED + ("order", "value", "orders")]
        for key in keys:
            for x, y in [(X, Y), (2177, 528), (1000, 300)]:
                if EVALUATIONS[key].applies and not EVALUATIONS[key].applies(x, y):
                    continue
                f = target(EVALUATIONS[key], x, y)
                sign_from, exact_from = thresholds(key, x, y)
                for least, holds in [
                    (sign_from, lambda v: (v > 0) - (v < 0) == (f > 0) - (f < 0)),
                    (exact_from, f.__eq__),
                ]:
                    with self.subTest(key=key, x=x, y=y, least=least):
                        self.assertIsNotNone(least)
                        for bits in sorted({least, least + 1, (least + WIDEST) // 2, WIDEST}):
                            self.assertTrue(all(map(holds, results(key, x, y, bits))), bits)
                        if least > NARROWEST:
                            self.assertFalse(all(map(holds, results(key, x, y, least - 1))))


class FloatBounded:
    """A float with a bound on its error from computed values alone: half a unit in the last place of
    each rounded result (none for a result below 2^53, an integer that nothing rounded), and for a
    product |a|·C + |c|·A + A·C from the operands' bounds A and C."""

    def __init__(self, value, bound=0):
        self.value = value
        self.bound = bound + (0 if abs(value) < 2**53 else Fraction(math.ulp(value)) / 2)

    def __mul__(self, other):
        a, c = Fraction(self.value), Fraction(other.value)
        carried = abs(a) * other.bound + abs(c) * self.bound + self.bound * other.bound
        return FloatBounded(self.value * other.value, carried)

    def __add__(self, other):
        return FloatBounded(self.value + other.value, self.bound + other.bound)

    def __sub__(self, other):
        return FloatBounded(self.value - other.value, self.bound + other.bound)


def sign(value):
    """−1, 0 or 1."""
    return (value > 0) - (value < 0)


def t1_in_steps(terms, y, step):
    """T1's error, the first of the rounded terms less 83521·y⁸, in steps of step(the largest term's
    magnitude), to the nearest whole step, ties to even; 0 where every term is 0."""
    largest = max(abs(term) for term in terms)
    return round((Fraction(int(terms[0])) - 83521 * y**8) / step(largest)) if largest else 0


def at_width(bits):
    """mpmath's numbers rounded to nearest at `bits` bits: their conversion, the precision set."""
    mpmath.mp.prec = bits
    return mpmath.mpf


def mpmath_step(bits):
    """The spacing of `bits`-bit numbers at a magnitude, from mpmath's exponent of it."""
    return lambda magnitude: Fraction(2) ** (mpmath.frexp(magnitude)[1] - bits)


REMEDY_KEYS = [row.key for row in TABLE if row.kind == "remedy"]  # in the table's order


class Questions(unittest.TestCase):
    """The browser page's questions against independent routes: at 53 bits Python's floats (the signs,
    Extended2's 0, the remedies' results and the running bound), at other widths mpmath's numbers,
    T1's error against the exact 83521·y⁸, and the least width against mpmath at every width."""

    def test_at_53_bits_against_floats(self):
        for x, y in POINTS[:16]:
            fx, fy = float(x), float(y)
            f = 83521 * y**8 + 578 * x**2 * y**4 - 2 * x**4 + 2 * x**6 - x**8
            on_the_chain = x * x - 17 * y * y == 1
            bounded = term_by_term(FloatBounded(fx), FloatBounded(fy), number=FloatBounded)
            want = {
                "double_sign": sign(term_by_term(fx, fy)),
                "t1_steps": t1_in_steps(formed_terms(fx, fy), y, lambda top: Fraction(math.ulp(top))),
                "extended2_zero": powers_reused(fx, fy) == 0,
                "exact_remedies": [
                    key for key in REMEDY_KEYS if (key != "rewrite" or on_the_chain) and FLOATS[key](fx, fy) == f
                ],
                "bound_distrusts": abs(bounded.value) <= bounded.bound and (bounded.value, bounded.bound) != (0, 0),
            }
            with self.subTest(x=x, y=y):
                got = questions(x, y, 53)
                self.assertEqual({key: got[key] for key in want}, want)

    def test_at_other_widths_against_mpmath(self):
        self.addCleanup(setattr, mpmath.mp, "prec", mpmath.mp.prec)
        # at (1, 1) and 16 bits T1's error is −1/2 step: a tie, to the even 0
        for x, y in [(X, Y), (2177, 528), (143649, 34840), (1000, 300), (-5, 3), (1, 1)]:
            for bits in (2, 11, 16, 24, 64, 113, 150):
                number = at_width(bits)
                mx, my = number(x), number(y)
                want = {
                    "double_sign": sign(term_by_term(mx, my, number=number)),
                    "t1_steps": t1_in_steps(formed_terms(mx, my, number), y, mpmath_step(bits)),
                    "extended2_zero": powers_reused(mx, my, number) == 0,
                }
                with self.subTest(x=x, y=y, bits=bits):
                    got = questions(x, y, bits)
                    self.assertEqual({key: got[key] for key in want}, want)

    def test_sign_from_against_mpmath_at_every_width(self):
        self.addCleanup(setattr, mpmath.mp, "prec", mpmath.mp.prec)
        for x, y in [(X, Y), (2177, 528), (1000, 300), (0, 0)]:
            f = sign(83521 * y**8 + 578 * x**2 * y**4 - 2 * x**4 + 2 * x**6 - x**8)
            least = None
            for bits in range(WIDEST, NARROWEST - 1, -1):
                number = at_width(bits)
                if sign(term_by_term(number(x), number(y), number=number)) != f:
                    break
                least = bits
            with self.subTest(x=x, y=y):
                self.assertEqual(questions(x, y, 53)["sign_from"], least)

    def test_where_nothing_rounds(self):
        # at the widest width every remedy that applies gives f, and the running bound is 0
        for x, y in POINTS[:8]:
            f = 83521 * y**8 + 578 * x**2 * y**4 - 2 * x**4 + 2 * x**6 - x**8
            with self.subTest(x=x, y=y):
                got = questions(x, y, WIDEST)
                remedies = [key for key in REMEDY_KEYS if key != "rewrite" or x * x - 17 * y * y == 1]
                self.assertEqual(got["exact_remedies"], remedies)
                self.assertEqual((got["t1_steps"], got["bound_distrusts"], got["double_sign"]), (0, False, sign(f)))


# τ for 2 degrees of freedom in closed form: Student's t there has P(|T| <= t) = t / √(2 + t²), 0.95 at τ.
TAU_2 = math.sqrt(2 * 0.95**2 / (1 - 0.95**2))


class RandomRounding(unittest.TestCase):
    """A claim is false where it claims a digit more than are right; the digits and τ."""

    def test_false_claim(self):
        rows = [  # C, D, whether the claim is false
            (43.6, 1.7, True),
            (1.0, 0.0, True),
            (0.99, 0.0, False),
            (2.5, 1.5, True),
            (2.49, 1.5, False),
            (0.0, 0.0, False),
            (15.95, 15.95, False),
            (15.95, 0.0, True),
        ]
        for claimed, correct, false in rows:
            with self.subTest(claimed=claimed, correct=correct):
                self.assertEqual(false_claim(claimed, correct), false)

    def test_digits(self):
        most = 53 * math.log10(2)
        rows = [  # runs, f, (C, D)
            ([5, 5, 5], 5, (most, most)),  # equal and right: every digit, all right
            ([5, 5, 5], 7, (most, -math.log10(2 / 7))),  # equal runs claim every digit
            ([0, 0, 0], 7, (0.0, 0.0)),  # a mean of 0 claims nothing
            ([4, 6], 5, (0.0, most)),  # σ large: C below 0 is 0
            ([99, 101, 100], 0, (math.log10(math.sqrt(3) * 100 / TAU_2), 0.0)),  # σ = 1
        ]
        for runs, f, want in rows:
            with self.subTest(runs=runs, f=f):
                for got, expected in zip(digits(runs, f, 53), want):
                    self.assertAlmostEqual(got, expected, places=9)

    def test_student_t(self):
        # the two-sided 95 % points of Student's t, as printed in its tables
        for degrees, tau in [(1, 12.706), (2, 4.303), (4, 2.776), (10, 2.228), (19, 2.093)]:
            with self.subTest(degrees=degrees):
                self.assertAlmostEqual(student_t(degrees), tau, places=3)


class GoldenRemedies(unittest.TestCase):
    """The lines the table computes for tests/golden-remedies.txt cover every routine judged as a
    remedy is, six points each, in the file's order of keys."""

    def test_keys_in_the_files_order(self):
        with open(os.path.join(ROOT, "tests/golden-remedies.txt"), encoding="utf-8") as golden:
            held = [line.split()[0] for line in golden if line.strip() and not line.startswith("#")]
        computed = [line.split()[0] for line in golden_remedies()]
        self.assertEqual(computed, held)
        keys = [row.key for row in TABLE if row.routine and row.kind in JUDGED]
        self.assertEqual(computed, [key for key in keys for _ in range(6)])
        self.assertIn("horner", keys)
        self.assertIn("comp_horner", keys)


if __name__ == "__main__":
    unittest.main()
