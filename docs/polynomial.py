"""The polynomial, the program's point, the chain of points like it and the orders of evaluation,
shared by the scripts that write the explanation's numbers and by the page's test. Not a program of
its own.

An order of evaluation is a straight-line program: a tuple of Operations, each assigning to a
variable the product, sum or difference of two operands (x, y, an integer literal, or a variable
assigned before it). One interpreter, execute(), runs any program in any arithmetic
(docs/roundings.py: a number type whose + − × round as that arithmetic rounds, and a conversion
that turns an integer into such a number) and records the steps, with their names, roles and signs,
in a Run.
"""
import functools
import itertools
from fractions import Fraction
from typing import NamedTuple, Optional

from roundings import BINARY64_BITS, EXACT, Chain

X, Y = 9478657, 2298912  # the program's point, a solution of x^2 - 17 y^2 = 1
TERM_NAMES = ["83521·y⁸", "578·x²·y⁴", "2·x⁴", "2·x⁶", "x⁸"]  # 83521 = 17⁴, 578 = 2·17²
TIMES, PLUS, MINUS = "×", "+", "−"  # an operation's op: U+00D7, the plus sign, U+2212
SYMBOLS = {TIMES: "·", PLUS: " + ", MINUS: " − "}  # how a step's expression writes each op


class Operation(NamedTuple):
    """One operation of a program: name = a op b. step is its value's role where it is a step of the
    evaluation (power: held in a variable and reused; term: a term of the polynomial; sum: the
    running value), None for a partial result inside the next step's chain; label is the step's own
    name where its variable's is not (Extended2's first term, held in S, is U1)."""

    name: str
    a: str
    op: str
    b: str
    step: Optional[str] = None
    label: Optional[str] = None


def product(name, *factors, step="term", label=None):
    """The operations that form name = factors[0]·factors[1]·… left to right, the program's way to
    form a power or a term: the last of them is the step."""
    first, *rest = factors
    operations = [Operation(name, name if k else first, TIMES, factor) for k, factor in enumerate(rest)]
    return operations[:-1] + [operations[-1]._replace(step=step, label=label)]


def taken(a, op, b):
    """The running sum S = a op b, a step."""
    return Operation("S", a, op, b, "sum")


# The five terms of f = 83521·y⁸ + 578·x²·y⁴ − 2·x⁴ + 2·x⁶ − x⁸, each formed left to right as the
# program forms it.
TERM_CHAINS = (
    product("T1", "83521", *"yyyyyyyy"),
    product("T2", "578", *"xxyyyy"),
    product("T3", "2", *"xxxx"),
    product("T4", "2", *"xxxxxx"),
    product("T5", *"xxxxxxxx"),
)


def term_by_term(second):
    """The terms one by one, each taken into the sum S as soon as it is formed, T2 by `second` (+
    for f, − for g)."""
    t1, t2, t3, t4, t5 = TERM_CHAINS
    return (
        *t1,
        *t2,
        taken("T1", second, "T2"),
        *t3,
        taken("S", MINUS, "T3"),
        *t4,
        taken("S", PLUS, "T4"),
        *t5,
        taken("S", MINUS, "T5"),
    )


# Double's and Extended's order, and Single's, which evaluates g: f with its 578·x²·y⁴ subtracted.
TERM_BY_TERM, T2_SUBTRACTED = term_by_term(PLUS), term_by_term(MINUS)
# Extended2's order: x⁴ and y⁴ formed once, held in variables and reused; S starts as its first term.
POWERS_REUSED = (
    *product("X4", *"xxxx", step="power"),
    *product("Y4", *"yyyy", step="power"),
    *product("S", "83521", "Y4", "Y4", label="U1"),
    *product("U2", "578", "x", "x", "Y4"),
    taken("S", PLUS, "U2"),
    *product("U3", "2", "X4"),
    taken("S", MINUS, "U3"),
    *product("U4", "2", "x", "x", "X4"),
    taken("S", PLUS, "U4"),
    *product("U5", "X4", "X4"),
    taken("S", MINUS, "U5"),
)
# 1 − 2·x·x, which is f where x² − 17y² = 1 (and nothing else elsewhere).
ONE_MINUS_2X2 = (*product("R2", "2", "x", "x"), taken("1", MINUS, "R2"))
# Horner's scheme in s = x·x: f = (((−s + 2)·s − 2)·s + 578·y⁴)·s + 83521·y⁸.
HORNER = (
    *product("s", "x", "x", step="power"),
    *product("c1", "578", *"yyyy", step="power"),
    *product("c0", "83521", *"yyyyyyyy", step="power"),
    Operation("h", "-1", TIMES, "s"),
    Operation("h", "h", PLUS, "2", "sum"),
    Operation("h", "h", TIMES, "s"),
    Operation("h", "h", MINUS, "2", "sum"),
    Operation("h", "h", TIMES, "s"),
    Operation("h", "h", PLUS, "c1", "sum"),
    Operation("h", "h", TIMES, "s"),
    Operation("h", "h", PLUS, "c0", "sum"),
)


def is_literal(operand):
    """Whether an operand is a decimal integer literal, not a variable's name."""
    return operand.lstrip("-").isdigit()


def written(operand):
    """An operand as a step's expression writes it: a literal's minus as U+2212."""
    return operand.replace("-", "−") if is_literal(operand) else operand


def sign_taken(program, i):
    """The sign in the polynomial of the term that the operation at i forms: that of the operation
    that takes it, the first after it to read its variable: −1 where it is the b of a −, else +1."""
    name = program[i].name
    for later in program[i + 1 :]:
        if name in (later.a, later.b):
            return -1 if later.op == MINUS and later.b == name else 1
    return 1


class Step(NamedTuple):
    """A step of a program: its operation's index, its name (name = [label = ]its chain's expression),
    its role, its sign (a term's in the polynomial; +1 for any other step) and its chain's first
    operation's index (the operations after the step before it)."""

    index: int
    name: str
    role: str
    sign: int
    start: int


@functools.lru_cache(maxsize=None)
def steps_of(program):
    """The steps of a program, in order."""
    steps, start = [], 0
    for i, operation in enumerate(program):
        if operation.step is None:
            continue
        chain = program[start : i + 1]
        expression = written(chain[0].a) + "".join(SYMBOLS[each.op] + written(each.b) for each in chain)
        label = f"{operation.label} = " if operation.label else ""
        sign = sign_taken(program, i) if operation.step == "term" else 1
        steps.append(Step(i, f"{operation.name} = {label}{expression}", operation.step, sign, start))
        start = i + 1
    return steps


def stored(value):
    """value as the program holds it in a variable: unchanged, but where the arithmetic keeps
    intermediate results wider than its variables (registers)."""
    return value.stored() if hasattr(value, "stored") else value


class Execution:
    """A program being run at integers x, y in the arithmetic whose numbers `number` makes: each
    variable's latest value and each input converted (x and y at once, a literal at its first use,
    each once, as the program holds them in variables), and each operation's operands and value."""

    def __init__(self, x, y, number):
        self.number = number
        self.variables = {"x": number(x), "y": number(y)}
        self.operands, self.values = [], []

    def operand(self, name):
        """The number an operand names: its variable's latest value, or a literal converted."""
        if name not in self.variables:
            self.variables[name] = self.number(int(name))
        return self.variables[name]

    def run(self, program, start=0, stop=None):
        """Runs the program's operations from start up to stop (its end): self. Each is rounded as
        the arithmetic rounds; a power step and the result are stored as the program holds them."""
        last = len(program) - 1
        for i in range(start, len(program) if stop is None else stop):
            operation = program[i]
            a, b = self.operand(operation.a), self.operand(operation.b)
            value = self.value(operation, a, b, i == last)
            self.variables[operation.name] = value
            self.operands.append((a, b))
            self.values.append(value)
        return self

    @staticmethod
    def value(operation, a, b, last):
        """The operation's value from its operands' numbers, rounded as the arithmetic rounds; stored
        as the program holds it where it is a power step or the program's last operation."""
        value = a * b if operation.op == TIMES else a + b if operation.op == PLUS else a - b
        return stored(value) if operation.step == "power" or last else value

    def copy(self):
        """Another execution that goes on from here."""
        other = Execution.__new__(Execution)
        other.number, other.variables = self.number, dict(self.variables)
        other.operands, other.values = list(self.operands), list(self.values)
        return other


class Run:
    """The steps of one run of a program in the order they arise, each with its name, its role (a
    power, a term of the polynomial or a sum), its sign (a term's in the polynomial; +1 for any
    other step) and its value; and every operation's operands and value. The last step is the
    result."""

    def __init__(self, program, execution):
        self.program, self.steps = program, steps_of(program)
        self.operands, self.operations = execution.operands, execution.values

    @property
    def names(self):
        return [step.name for step in self.steps]

    @property
    def roles(self):
        return [step.role for step in self.steps]

    @property
    def signs(self):
        return [step.sign for step in self.steps]

    @property
    def values(self):
        return [self.operations[step.index] for step in self.steps]

    def of(self, role):
        """The values of the steps of one role, in order."""
        return [self.operations[step.index] for step in self.steps if step.role == role]

    def terms(self):
        """(sign, value) of each term step, in order."""
        return [(step.sign, self.operations[step.index]) for step in self.steps if step.role == "term"]

    def named(self):
        """(name, value) of every step, in order."""
        return list(zip(self.names, self.values))

    @property
    def result(self):
        return self.operations[-1]


def execute(program, x, y, number):
    """The program run at integers x, y in the arithmetic whose numbers `number` makes: its Run."""
    return Run(program, Execution(x, y, number).run(program))


def shared_length(programs):
    """How many operations all the programs begin with, the same ones."""
    first = programs[0]
    length = min(len(program) for program in programs)
    return next((k for k in range(length) if any(program[k] != first[k] for program in programs)), length)


UNSET = object()  # a variable not assigned yet


def beginnings(programs, start):
    """The programs' operations from `start` on as a tree of their common beginnings: a list of nodes
    (operation, the indices of the programs it ends, the nodes that follow it)."""

    def grown(members, i):
        following = {}
        for k in members:
            following.setdefault(programs[k][i], []).append(k)
        return [
            (
                operation,
                [k for k in group if len(programs[k]) == i + 1],
                grown([k for k in group if len(programs[k]) > i + 1], i + 1),
            )
            for operation, group in following.items()
        ]

    return grown(range(len(programs)), start)


def results_all(programs, x, y, number, shared, tree=None):
    """Each program's result at integers x, y in the arithmetic, as execute_all's Runs give it, with
    each operation programs share, after the same operations, done once: the `shared` ones all
    begin with, then their tree of common beginnings (beginnings(programs, shared), given or made),
    walked depth first. For an arithmetic whose operations depend on their operands alone (not
    random rounding's, which draws bits in turn)."""
    execution = Execution(x, y, number).run(programs[0], 0, shared)
    variables, results = execution.variables, [None] * len(programs)

    def walk(nodes):
        for operation, ended, following in nodes:
            a, b = execution.operand(operation.a), execution.operand(operation.b)
            value = Execution.value(operation, a, b, bool(ended))
            for k in ended:
                results[k] = value
            before = variables.get(operation.name, UNSET)
            variables[operation.name] = value
            walk(following)
            variables[operation.name] = before
            if before is UNSET:
                del variables[operation.name]

    walk(beginnings(programs, shared) if tree is None else tree)
    return results


def execute_all(programs, x, y, number, shared):
    """Each program run at integers x, y in the arithmetic: their Runs. The `shared` operations all
    of them begin with (shared_length) run once, and each goes on from there."""
    begun = Execution(x, y, number).run(programs[0], 0, shared)
    return [Run(program, begun.copy().run(program, shared)) for program in programs]


TERM_BY_TERM_SIGNS = [step.sign for step in steps_of(TERM_BY_TERM) if step.role == "term"]  # f's terms' signs


def summing(order):
    """The program that forms the five terms of f as TERM_BY_TERM forms them, then sums them in the
    given order (of their indices), each with its sign in f; the first starts the sum (a negative
    one subtracted from 0)."""
    signs = [TERM_BY_TERM_SIGNS[i] for i in order]
    names = [TERM_CHAINS[i][-1].name for i in order]
    op = [PLUS if sign > 0 else MINUS for sign in signs]
    sums = [taken(names[0], op[1], names[1])] if signs[0] > 0 else [taken("0", MINUS, names[0])]
    start = 2 if signs[0] > 0 else 1
    sums += [taken("S", op[k], names[k]) for k in range(start, len(order))]
    return tuple(operation for chain in TERM_CHAINS for operation in chain) + tuple(sums)


# The 120 orders of summation of the five terms, lexicographic in their indices: the first is
# TERM_BY_TERM's.
SUMMATION_ORDERS = tuple(summing(order) for order in itertools.permutations(range(len(TERM_CHAINS))))


def signed_terms(x, y, program=TERM_BY_TERM):
    """The terms of the polynomial the program evaluates, at integers x, y, exact, each with its sign
    there: f's for TERM_BY_TERM, g's (its 578·x²·y⁴ subtracted) for T2_SUBTRACTED."""
    return [sign * value for sign, value in execute(program, x, y, EXACT).terms()]


def exact_f(x, y):
    """f at integers x, y, exactly."""
    return sum(signed_terms(x, y))


def exact_g(x, y):
    """g, the polynomial the Single line evaluates, at integers x, y, exactly."""
    return sum(signed_terms(x, y, T2_SUBTRACTED))


def on_chain(x, y):
    """Whether (x, y) solves x² − 17y² = 1, where f = 1 − 2x²."""
    return x * x - 17 * y * y == 1


def chain(count):
    """The first count solutions (x, y) of x² − 17y² = 1 from (33 + 8√17)ᵏ, k = 1, 2, ..."""
    points, (x, y) = [], (33, 8)
    for _ in range(count):
        assert on_chain(x, y)
        points.append((x, y))
        x, y = 33 * x + 136 * y, 8 * x + 33 * y  # (x + y√17)(33 + 8√17)
    return points


def chain_index(x, y):
    """The k of a point of the chain: (x + y√17) = (33 + 8√17)ᵏ."""
    k = 1
    while chain(k)[-1] != (x, y):
        assert chain(k)[-1][0] < x, f"({x}, {y}) is not on the chain"
        k += 1
    return k


# The spacing of binary64 numbers at the largest terms at the program's point, the unit of every
# error on the pages: the largest term lies in [2^TOP_EXPONENT, 2^(TOP_EXPONENT + 1)).
TOP_EXPONENT = max(abs(term) for term in signed_terms(X, Y)).bit_length() - 1
STEP_EXPONENT = TOP_EXPONENT - (BINARY64_BITS - 1)
STEP = Fraction(2) ** STEP_EXPONENT


def chain_parts(program):
    """The roundings each term of a program goes through on its way to the result, in order, in two
    parts: (those that form it, counted by Chain; one for each sum after it)."""
    run = execute(program, X, Y, lambda value: Chain())
    later_sums = [run.roles[i + 1 :].count("sum") for i, role in enumerate(run.roles) if role == "term"]
    return [(term.chain, later) for term, later in zip(run.of("term"), later_sums)]


def chain_lengths(program):
    """The roundings each term of a program goes through on its way to the result, in order."""
    return [formed + later for formed, later in chain_parts(program)]


def longest_chain():
    """n, the most roundings any term goes through on its way to the result, in either order."""
    return max(chain_lengths(TERM_BY_TERM) + chain_lengths(POWERS_REUSED))
