"""The polynomial, the program's point, the chain of points like it and the orders of evaluation,
shared by the scripts that write the explanation's numbers and by the page's test. Not a program of
its own.

Each order is written once, over any arithmetic (docs/roundings.py): a number type whose + - *
round as that arithmetic rounds, and a function that turns an integer into such a number. Each
evaluation records its steps, with their names and roles, in a Run.
"""
from fractions import Fraction

from roundings import BINARY64_BITS, Chain

X, Y = 9478657, 2298912  # the program's point, a solution of x^2 - 17 y^2 = 1
C1, C2, C3, C4 = 83521, 578, 2, 2  # the coefficients of y^8, x^2 y^4, x^4 and x^6 (17^4, 2*17^2)
TERM_NAMES = ["83521·y⁸", "578·x²·y⁴", "2·x⁴", "2·x⁶", "x⁸"]


def signed_terms(x, y, t2_sign=1):
    """The five terms of f at integers x, y, exact, each with the sign it has in f; with t2_sign −1,
    those of g, the polynomial the Single line evaluates (its 578·x²·y⁴ subtracted)."""
    return [C1 * y**8, t2_sign * C2 * x**2 * y**4, -C3 * x**4, C4 * x**6, -(x**8)]


def exact_f(x, y, t2_sign=1):
    """f at integers x, y, exactly; with t2_sign −1, g."""
    return sum(signed_terms(x, y, t2_sign))


def on_chain(x, y):
    """Whether (x, y) solves x² − 17y² = 1, where f = 1 − 2x²."""
    return x * x - 17 * y * y == 1


def chain(count):
    """The first count solutions (x, y) of x² − 17y² = 1 from (33 + 8√17)ⁿ, n = 1, 2, ..."""
    points, (x, y) = [], (33, 8)
    for _ in range(count):
        assert on_chain(x, y)
        points.append((x, y))
        x, y = 33 * x + 136 * y, 8 * x + 33 * y  # (x + y√17)(33 + 8√17)
    return points


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
    intermediate results wider than its variables (registers)."""
    return value.stored() if hasattr(value, "stored") else value


def term_by_term(x, y, number, t2_sign=1):
    """The term-by-term order (Double, Extended; Single with t2_sign −1) at integers x, y, in the
    arithmetic whose numbers `number` makes: its Run."""
    run = Run()
    x, y = number(x), number(y)
    t1 = run.term("T1 = 83521·y·y·y·y·y·y·y·y", multiply(number(C1), y, 8))
    t2 = run.term("T2 = 578·x·x·y·y·y·y", multiply(multiply(number(C2), x, 2), y, 4))
    s = run.sum(f"S = T1 {'+' if t2_sign > 0 else '−'} T2", t1 + t2 if t2_sign > 0 else t1 - t2)
    t3 = run.term("T3 = 2·x·x·x·x", multiply(number(C3), x, 4))
    s = run.sum("S = S − T3", s - t3)
    t4 = run.term("T4 = 2·x·x·x·x·x·x", multiply(number(C4), x, 6))
    s = run.sum("S = S + T4", s + t4)
    t5 = run.term("T5 = x·x·x·x·x·x·x·x", multiply(x, x, 7))
    run.sum("S = S − T5", stored(s - t5))
    return run


def reusing_powers(x, y, number, t2_sign=1):
    """The power-reuse order (Extended2) at integers x, y, in the arithmetic whose numbers `number`
    makes: its Run. X4 and Y4 are held in variables. Only f: t2_sign must be +1."""
    assert t2_sign == 1, "the power-reuse order evaluates f alone"
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


def rewritten(x, y, number, t2_sign=1):
    """1 − 2·x·x, which is f where x² − 17y² = 1 (and nothing else elsewhere), at integers x, y in
    the arithmetic whose numbers `number` makes: its Run. Only f: t2_sign must be +1."""
    assert t2_sign == 1, "1 − 2·x·x rewrites f alone"
    run = Run()
    x = number(x)
    twice = run.term("2·x·x", number(2) * x * x)
    run.sum("1 − 2·x·x", number(1) - twice)
    return run


def chain_lengths(order):
    """The roundings each term of an order goes through on its way to the result, in order: those
    that form it (counted by Chain) and one for each sum after it."""
    run = order(X, Y, lambda value: Chain())
    later_sums = [run.roles[i + 1 :].count("sum") for i, role in enumerate(run.roles) if role == "term"]
    return [term.chain + later for term, later in zip(run.of("term"), later_sums)]


def longest_chain():
    """n, the most roundings any term goes through on its way to the result, in either order."""
    return max(chain_lengths(term_by_term) + chain_lengths(reusing_powers))
