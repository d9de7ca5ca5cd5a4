"""The straight-line programs of docs/polynomial.py and their interpreter: the steps' names, roles and
signs; the exact values against f written out; every order of summation against Python's floats,
each its own; the operations shared by many programs run once without leaking from one to another;
what a program holds in a variable stored, and each input converted once.

usage: python3 -m unittest discover -s tests/docs -p '*_test.py'
"""
import itertools
import os
import random
import sys
import unittest

sys.path.insert(0, os.path.join(os.path.dirname(os.path.dirname(os.path.dirname(os.path.abspath(__file__)))), "docs"))
from polynomial import HORNER, ONE_MINUS_2X2, POWERS_REUSED, SUMMATION_ORDERS, T2_SUBTRACTED, TERM_BY_TERM  # noqa
from polynomial import X, Y, Operation, chain, chain_lengths, exact_f, exact_g  # noqa
from polynomial import execute, execute_all, results_all  # noqa
from polynomial import shared_length, signed_terms, steps_of  # noqa
from roundings import EXACT, nearest, registers, rounded  # noqa: E402

# Points where the terms cancel (the chain) and points where they do not.
POINTS = chain(6) + [(0, 0), (1, 0), (0, 1), (-3, 7), (1000, 300), (123456789, 987654), (-9478657, 2298912)]
F_TERMS = "T1 = 83521·y·y·y·y·y·y·y·y", "T2 = 578·x·x·y·y·y·y", "T3 = 2·x·x·x·x", "T4 = 2·x·x·x·x·x·x"

# Each program's steps as the pages name them, with their roles and (for terms) their signs.
STEPS = [
    (
        TERM_BY_TERM,
        [F_TERMS[0], F_TERMS[1], "S = T1 + T2", F_TERMS[2], "S = S − T3", F_TERMS[3], "S = S + T4"]
        + ["T5 = x·x·x·x·x·x·x·x", "S = S − T5"],
        ["term", "term", "sum", "term", "sum", "term", "sum", "term", "sum"],
        [1, 1, 1, -1, 1, 1, 1, -1, 1],
    ),
    (
        T2_SUBTRACTED,
        [F_TERMS[0], F_TERMS[1], "S = T1 − T2", F_TERMS[2], "S = S − T3", F_TERMS[3], "S = S + T4"]
        + ["T5 = x·x·x·x·x·x·x·x", "S = S − T5"],
        ["term", "term", "sum", "term", "sum", "term", "sum", "term", "sum"],
        [1, -1, 1, -1, 1, 1, 1, -1, 1],
    ),
    (
        POWERS_REUSED,
        ["X4 = x·x·x·x", "Y4 = y·y·y·y", "S = U1 = 83521·Y4·Y4", "U2 = 578·x·x·Y4", "S = S + U2", "U3 = 2·X4"]
        + ["S = S − U3", "U4 = 2·x·x·X4", "S = S + U4", "U5 = X4·X4", "S = S − U5"],
        ["power", "power", "term", "term", "sum", "term", "sum", "term", "sum", "term", "sum"],
        [1, 1, 1, 1, 1, -1, 1, 1, 1, -1, 1],
    ),
    (ONE_MINUS_2X2, ["R2 = 2·x·x", "S = 1 − R2"], ["term", "sum"], [-1, 1]),
    (
        HORNER,
        ["s = x·x", "c1 = 578·y·y·y·y", "c0 = 83521·y·y·y·y·y·y·y·y", "h = −1·s + 2", "h = h·s − 2"]
        + ["h = h·s + c1", "h = h·s + c0"],
        ["power", "power", "power", "sum", "sum", "sum", "sum"],
        [1] * 7,
    ),
]


def f_written_out(x, y):
    """f's five terms at integers x, y, each with its sign, as the polynomial is written."""
    return [83521 * y**8, 578 * x**2 * y**4, -2 * x**4, 2 * x**6, -(x**8)]


class Steps(unittest.TestCase):
    """Each program's steps: names, roles and term signs, derived from its operations."""

    def test_names_roles_signs(self):
        for program, names, roles, signs in STEPS:
            run = execute(program, X, Y, EXACT)
            with self.subTest(first=names[0], last=names[-1]):
                self.assertEqual(run.names, names)
                self.assertEqual(run.roles, roles)
                self.assertEqual(run.signs, signs)

    def test_summation_orders_take_the_terms_in_their_order(self):
        self.assertEqual(len(set(SUMMATION_ORDERS)), 120)
        sign_in_f = {"T1": "+", "T2": "+", "T3": "−", "T4": "+", "T5": "−"}
        for program, order in zip(SUMMATION_ORDERS, itertools.permutations(range(5))):
            sums = [program[step.index] for step in steps_of(program) if step.role == "sum"]
            first = [] if sums[0].a == "0" else [sums[0].a]  # a negative first term is taken from 0
            with self.subTest(order=order):
                self.assertEqual(first + [each.b for each in sums], [f"T{i + 1}" for i in order])
                self.assertEqual([each.op for each in sums], [sign_in_f[each.b] for each in sums])
                self.assertEqual(program[: shared_length(SUMMATION_ORDERS)], SUMMATION_ORDERS[0][:31])

    def test_chain_lengths(self):
        # T1 is formed by eight products and passes four sums; U1 by two from Y4's three, and so on.
        self.assertEqual(chain_lengths(TERM_BY_TERM), [12, 10, 7, 8, 8])
        self.assertEqual(chain_lengths(POWERS_REUSED), [12, 10, 7, 8, 8])


class ExactValues(unittest.TestCase):
    """Run exactly, every program evaluates its polynomial: f written out, g with T2 subtracted, and
    1 − 2x² where x² − 17y² = 1."""

    def test_programs_evaluate_f(self):
        for x, y in POINTS:
            f = sum(f_written_out(x, y))
            with self.subTest(x=x, y=y):
                self.assertEqual(signed_terms(x, y), f_written_out(x, y))
                self.assertEqual(exact_f(x, y), f)
                self.assertEqual(exact_g(x, y), f - 2 * 578 * x**2 * y**4)
                for program in [TERM_BY_TERM, POWERS_REUSED, HORNER] + list(SUMMATION_ORDERS[::17]):
                    self.assertEqual(execute(program, x, y, EXACT).result, f)
                on_chain = x * x - 17 * y * y == 1
                self.assertEqual(execute(ONE_MINUS_2X2, x, y, EXACT).result == f, on_chain or f == 1 - 2 * x * x)


def float_sum(terms, order):
    """The signed terms (floats) summed one after another in the order, in Python's floats."""
    total = terms[order[0]]
    for i in order[1:]:
        total += terms[i]
    return total


class OrdersOfSummation(unittest.TestCase):
    """Each of the 120 orders gives the sum of the rounded terms in its own order, as Python's floats
    give it; those that share their first term are not confused."""

    def test_against_floats(self):
        generator = random.Random(120)
        points = POINTS + [
            (generator.randint(-(10**9), 10**9), generator.randint(-(10**9), 10**9)) for _ in range(30)
        ]
        programs = list(SUMMATION_ORDERS)
        shared = shared_length(programs)
        for x, y in points:
            terms = [sign * value for sign, value in execute(TERM_BY_TERM, x, y, float).terms()]
            runs = execute_all(programs, x, y, nearest(53), shared)
            ends = results_all(programs, x, y, nearest(53), shared)
            for run, end, order in zip(runs, ends, itertools.permutations(range(5)), strict=True):
                with self.subTest(x=x, y=y, order=order):
                    self.assertEqual(run.result.value, float_sum(terms, order))
                    self.assertEqual(end.value, float_sum(terms, order))

    def test_an_order_with_another_orders_first_term_gives_its_own_value(self):
        # [T1, T2, T3, T4, T5] and [T1, T5, T2, T3, T4] start alike and differ at the program's point
        plain, other = (
            SUMMATION_ORDERS[0],
            SUMMATION_ORDERS[list(itertools.permutations(range(5))).index((0, 4, 1, 2, 3))],
        )
        for bits in (53, 80, 113):
            both = execute_all([plain, other], X, Y, nearest(bits), shared_length([plain, other]))
            ends = results_all([plain, other], X, Y, nearest(bits), shared_length([plain, other]))
            alone = [execute(plain, X, Y, nearest(bits)), execute(other, X, Y, nearest(bits))]
            with self.subTest(bits=bits):
                self.assertEqual([run.result.value for run in both], [run.result.value for run in alone])
                self.assertEqual([end.value for end in ends], [run.result.value for run in alone])
                self.assertNotEqual(both[0].result.value, both[1].result.value)

    def test_the_identity_order_is_term_by_term(self):
        for x, y in POINTS:
            for bits in (11, 24, 53, 64, 100):
                with self.subTest(x=x, y=y, bits=bits):
                    want = execute(TERM_BY_TERM, x, y, nearest(bits)).result.value
                    self.assertEqual(execute(SUMMATION_ORDERS[0], x, y, nearest(bits)).result.value, want)

    def test_shared_operations(self):
        # the five term chains: 8 + 6 + 4 + 6 + 7 products
        self.assertEqual(shared_length(SUMMATION_ORDERS), 31)
        self.assertEqual(shared_length([TERM_BY_TERM, T2_SUBTRACTED]), 14)  # T1 and T2, until S = T1 ± T2
        self.assertEqual(shared_length([HORNER]), len(HORNER))


class Interpreter(unittest.TestCase):
    """What the interpreter does besides rounding: held values, conversions, reassignment."""

    def test_held_values_are_stored(self):
        # In 64-bit registers with 53-bit variables, the powers and the result are binary64s, stored
        # from the registers' values; U1, a term, is not stored, and keeps more than 53 bits.
        run = execute(POWERS_REUSED, X, Y, registers(64, 53))
        steps = steps_of(POWERS_REUSED)
        for step, value in zip(steps, run.values):
            if step.role == "power" or step is steps[-1]:
                with self.subTest(step=step.name):
                    self.assertEqual(value.value, rounded(value.value, 53))
        self.assertEqual(run.values[0].value, rounded(execute(POWERS_REUSED, X, Y, nearest(64)).values[0].value, 53))
        self.assertNotEqual(run.values[2].value, rounded(run.values[2].value, 53))

    def test_each_input_converted_once(self):
        # x and y, and each literal at its first use: HORNER's 2 is added and subtracted, converted once
        for program, inputs in [(TERM_BY_TERM, 5), (POWERS_REUSED, 5), (HORNER, 6), (ONE_MINUS_2X2, 4)]:
            converted = []
            execute(program, X, Y, lambda value: converted.append(value) or value)
            with self.subTest(inputs=inputs):
                self.assertEqual(len(converted), inputs)
                self.assertEqual(len(set(converted)), inputs)

    def test_an_operand_names_the_latest_assignment(self):
        program = (
            Operation("a", "x", "×", "3"),
            Operation("a", "a", "+", "y", "sum"),
            Operation("b", "a", "×", "a", "power"),
            Operation("a", "b", "−", "-5", "sum"),
            Operation("c", "a", "×", "b", "term"),
        )
        run = execute(program, 2, 7, EXACT)
        self.assertEqual(run.values, [13, 169, 174, 174 * 169])
        self.assertEqual(run.names, ["a = x·3 + y", "b = a·a", "a = b − −5", "c = a·b"])


if __name__ == "__main__":
    unittest.main()
