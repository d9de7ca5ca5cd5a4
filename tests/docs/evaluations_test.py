"""Each row of the table of evaluations (docs/evaluations.py) against values an independent route
gives: the binary64 rows against the same evaluation written out in Python's floats, bit for bit;
the remedies against their summations and the compensated formulas in floats; the 120 orders of
summation against the rounded terms summed in floats; every row, at a width from which nothing
rounds, against f; the least widths against their definition; random rounding's claim against its
definition and Student's t against its tables; and the golden lines of the remedies.

usage: python3 -m unittest discover -s tests/docs -p '*_test.py'   (needs mpmath, for Student's t)
"""
import itertools
import math
import os
import random
import sys
import unittest

ROOT = os.path.dirname(os.path.dirname(os.path.dirname(os.path.abspath(__file__))))
sys.path.insert(0, os.path.join(ROOT, "docs"))
from evaluations import EVALUATIONS, JUDGED, KINDS, NARROWEST, TABLE, WIDEST, bound_of, digits  # noqa: E402
from evaluations import false_claim, golden_remedies, random_runs, result, results, run, student_t  # noqa: E402
from evaluations import target, thresholds  # noqa: E402
from polynomial import X, Y, chain, exact_f  # noqa: E402
from roundings_test import float_compensated  # noqa: E402

generator = random.Random(64)
# Points whose coordinates binary64 holds, where the terms cancel and where they do not.
POINTS = chain(6) + [(0, 0), (1, 1), (-5, 3), (1000, 300), (2**26 + 1, 2**25 - 3)]
POINTS += [(generator.randint(-(2**40), 2**40), generator.randint(-(2**40), 2**40)) for _ in range(40)]


def term_by_term(x, y, second=1.0):
    """Double's order in Python's floats, written out (Single's with second = −1)."""
    t1 = 83521.0 * y * y * y * y * y * y * y * y
    t2 = 578.0 * x * x * y * y * y * y
    s = t1 + second * t2
    s = s - 2.0 * x * x * x * x
    s = s + 2.0 * x * x * x * x * x * x
    return s - x * x * x * x * x * x * x * x


def powers_reused(x, y):
    """Extended2's order in Python's floats, written out."""
    x4, y4 = x * x * x * x, y * y * y * y
    s = 83521.0 * y4 * y4
    s = s + 578.0 * x * x * y4
    s = s - 2.0 * x4
    s = s + 2.0 * x * x * x4
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
    return [
        83521.0 * y * y * y * y * y * y * y * y,
        578.0 * x * x * y * y * y * y,
        -(2.0 * x * x * x * x),
        2.0 * x * x * x * x * x * x,
        -(x * x * x * x * x * x * x * x),
    ]


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


FLOATS["neumaier"] = lambda x, y: neumaier(signed_float_terms(x, y))
FLOATS["exact_sum"] = lambda x, y: math.fsum(signed_float_terms(x, y))
FLOATS["compensated"] = compensated_term_by_term
FLOATS["comp_horner"] = compensated_horner


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
