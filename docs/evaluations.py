"""The table of evaluations: each evaluation the pages and the browser page show, once, as a row:
its key (the key the browser page publishes it under in #results), its kind, its program (a
straight-line program of docs/polynomial.py) or programs, the arithmetic it runs in and how that
arithmetic's list is summed, its words and, for the program's routines, the lines, the export and the
format; what each kind of row publishes in #results and its least widths (KINDS); and what each row
gives at a point and a width: its result, the widths from which it has f's sign and equals f, and
what the detectors conclude; and the answers to the browser page's questions (QUESTIONS). Shared by
the scripts that write the explanation's numbers and by the page's test (tests/targets/page-results.py);
not a program of its own. Random rounding's confidence needs mpmath (Student's t); everything else,
any python3.
"""
import functools
import math
from fractions import Fraction
from typing import Callable, NamedTuple, Optional, Tuple

from polynomial import HORNER, ONE_MINUS_2X2, POWERS_REUSED, SUMMATION_ORDERS, T2_SUBTRACTED, TERM_BY_TERM, X, Y
from polynomial import beginnings, chain, exact_f, exact_g, execute, longest_chain, on_chain, results_all, shared_length
from polynomial import signed_terms, steps_of
from roundings import BINARY64_BITS, compensated, fused, nearest, outward, randomly, running, split_exactly
from roundings import spacing, splitmix64, summed, terms_kept, traced
from text import hexadecimal

NARROWEST, WIDEST = 2, 1024  # the widths a threshold is sought in, and the browser page's range
FORMATS = {  # the formats of the routines' operands: the words for a table's cell, and for prose
    "binary32": (
        "binary32 values, widened exactly before each multiply",
        "binary32 operands, each widened exactly to binary64 before it is multiplied",
    ),
    "binary64": ("binary64", "binary64 operands"),
}


class Routine(NamedTuple):
    """A routine of the program's: the lines it prints (labels; the second repeats the first's
    computation under its own label), its export from the WebAssembly module, its operands' format."""

    labels: Tuple[str, ...]
    export: str
    format: str = "binary64"


class Evaluation(NamedTuple):
    """A row of the table. kind says what the browser page makes of it (KINDS); program is what it
    runs (programs, for kind orders: each of them), in arithmetic (a function of the width, and for
    random rounding of its draws, that gives the conversion); sum names how that arithmetic's list
    is summed, K-fold with K; evaluates is g for a program of another polynomial (None: f); place is
    its path in #results where not (key,); threshold its name in #results' thresholds; applies where
    it evaluates f at all, if not everywhere."""

    key: str
    kind: str
    words: str
    short: str
    program: Optional[tuple] = None
    programs: Optional[tuple] = None
    arithmetic: Optional[Callable] = None
    sum: Optional[str] = None
    K: Optional[int] = None
    evaluates: Optional[str] = None
    routine: Optional[Routine] = None
    place: Optional[Tuple[str, ...]] = None
    threshold: Optional[str] = None
    applies: Optional[Callable] = None


def k_fold(folds):
    """The row of `folds`-fold summation."""
    key = f"sum_{folds}"
    return Evaluation(
        key,
        "remedy",
        f"every product split exactly, summed {folds}-fold",
        f"{folds}-fold sum",
        TERM_BY_TERM,
        arithmetic=split_exactly,
        sum="k_fold",
        K=folds,
        routine=Routine((), key),
    )


TABLE = [
    Evaluation(
        "t2_subtracted",
        "routine",
        "the terms one by one, with the 578·x²·y⁴ term subtracted, so it evaluates another polynomial",
        "term by term, the 578·x²·y⁴ term **subtracted**",
        T2_SUBTRACTED,
        arithmetic=nearest,
        evaluates="g",
        routine=Routine(("Single",), "sum_terms_single", "binary32"),
    ),
    Evaluation(
        "term_by_term",
        "order",
        "the terms one by one",
        "term by term",
        TERM_BY_TERM,
        arithmetic=nearest,
        routine=Routine(("Double", "Extended"), "sum_terms_double"),
        threshold="term_by_term",
    ),
    Evaluation(
        "powers_reused",
        "order",
        "x⁴ and y⁴ computed once and reused",
        "x⁴ and y⁴ computed once and reused",
        POWERS_REUSED,
        arithmetic=nearest,
        routine=Routine(("Extended2",), "sum_reusing_powers"),
        threshold="powers_reused",
    ),
    Evaluation(
        "term_by_term_fused",
        "value",
        "term by term, each sum fused with a term's last product",
        "term by term, fused",
        TERM_BY_TERM,
        arithmetic=fused,
        place=("term_by_term", "fused"),
        threshold="term_by_term_fused",
    ),
    Evaluation(
        "powers_reused_fused",
        "value",
        "powers reused, each sum fused with a term's last product",
        "powers reused, fused",
        POWERS_REUSED,
        arithmetic=fused,
        place=("powers_reused", "fused"),
        threshold="powers_reused_fused",
    ),
    Evaluation(
        "horner",
        "scheme",
        "Horner's scheme in s = x·x, every operation rounded to nearest",
        "Horner",
        HORNER,
        arithmetic=nearest,
        routine=Routine((), "horner"),
    ),
    Evaluation(
        "summation_orders",
        "orders",
        "the rounded terms summed in each of the 120 orders",
        "orders of summation",
        programs=SUMMATION_ORDERS,
        arithmetic=nearest,
    ),
    Evaluation(
        "interval",
        "interval",
        "interval arithmetic, every operand and operation rounded outward",
        "interval",
        TERM_BY_TERM,
        arithmetic=outward,
        place=("term_by_term", "interval"),
        threshold="interval_sign",
    ),
    Evaluation("bound", "bound", "the bound γₙ·κ", "bound γₙ·κ", threshold="bound_below_1"),
    Evaluation(
        "running_bound",
        "running",
        "a running error bound, carried from computed values alone",
        "running bound",
        TERM_BY_TERM,
        arithmetic=running,
    ),
    Evaluation(
        "random_rounding",
        "random",
        "random rounding, each operation rounded up or down as a random bit says",
        "random rounding",
        TERM_BY_TERM,
        arithmetic=randomly,
    ),
    Evaluation(
        "neumaier",
        "remedy",
        "Neumaier's compensated sum of the rounded terms",
        "Neumaier",
        TERM_BY_TERM,
        arithmetic=terms_kept,
        sum="neumaier",
        routine=Routine((), "neumaier"),
    ),
    Evaluation(
        "exact_sum",
        "remedy",
        "the rounded terms summed exactly, rounded once",
        "exact sum",
        TERM_BY_TERM,
        arithmetic=terms_kept,
        sum="exact",
        routine=Routine((), "exact_sum"),
    ),
    Evaluation(
        "compensated",
        "remedy",
        "compensated products into a compensated sum",
        "compensated",
        TERM_BY_TERM,
        arithmetic=compensated,
        routine=Routine((), "compensated"),
    ),
    Evaluation(
        "comp_horner",
        "remedy",
        "Horner's scheme in s = x·x, each value carried with its rounding errors",
        "compensated Horner",
        HORNER,
        arithmetic=compensated,
        routine=Routine((), "comp_horner"),
    ),
    k_fold(2),
    k_fold(3),
    k_fold(4),
    Evaluation(
        "rewrite",
        "remedy",
        "1 − 2·x·x, which is f where x² − 17y² = 1",
        "1 − 2·x·x",
        ONE_MINUS_2X2,
        arithmetic=nearest,
        routine=Routine((), "rewrite"),
        applies=on_chain,
    ),
]
EVALUATIONS = {row.key: row for row in TABLE}
REMEDIES = [row for row in TABLE if row.kind == "remedy"]
JUDGED = ("remedy", "scheme")  # the kinds whose rows are judged as remedies are: their sign and f


def of_kind(kind):
    """The one row of a kind (the plain order: the first of kind order)."""
    return next(row for row in TABLE if row.kind == kind)


PLAIN = of_kind("order")  # the program's order, term by term, which the others are held against


class Line(NamedTuple):
    """A line the program prints: its label, the routine whose result it prints, and the line whose
    computation it repeats under its own label, if it does."""

    label: str
    key: str
    same_as: Optional[str] = None


LINES = [
    Line(label, row.key, row.routine.labels[0] if k else None)
    for row in TABLE
    if row.routine
    for k, label in enumerate(row.routine.labels)
]


def operand_words(line, long=False):
    """The operands of a line's routine in short words (a table's cell) or long ones (prose); none
    in prose for a line that repeats another's computation."""
    return "" if long and line.same_as else FORMATS[EVALUATIONS[line.key].routine.format][long]


def what_line_computes(line, long=False):
    """What a line computes, in its routine's short or long words, or that it repeats another line."""
    if line.same_as:
        return f"the same computation as {line.same_as}, under its own label"
    row = EVALUATIONS[line.key]
    return row.words if long else row.short


def program_lines(x=X, y=Y):
    """The program's lines at integers x, y, each its routine's program in binary64 (Python's floats,
    which round as nearest(53) does, and which it must agree with): (label, Run) each. The Single
    line's operands are integers below 2^24, exact in binary32 and widened exactly, so its products
    are the binary64 products of the same integers."""
    runs = {}
    for line in LINES:
        if line.key not in runs:
            runs[line.key] = execute(EVALUATIONS[line.key].program, x, y, float)
            assert runs[line.key].result == result(line.key, x, y, BINARY64_BITS), "floats and nearest(53) disagree"
    return [(line.label, runs[line.key]) for line in LINES]


def run(key, x, y, bits, **more):
    """The evaluation `key` at integers x, y and `bits` bits (more: what its arithmetic needs besides
    the width): its Run."""
    row = EVALUATIONS[key]
    return execute(row.program, x, y, row.arithmetic(bits, **more))


def value_of(row, number, bits):
    """What the row's result (a number of its arithmetic at `bits` bits) gives: its list summed as
    the row says, or its value."""
    return summed(number.parts, row.sum, bits, row.K) if row.sum else number.value


def result(key, x, y, bits):
    """What the evaluation `key` gives at integers x, y and `bits` bits: an integer (for the interval,
    its ends)."""
    return value_of(EVALUATIONS[key], run(key, x, y, bits).result, bits)


@functools.lru_cache(maxsize=None)
def shared_operations(key):
    """How many operations the programs of the row `key` (of kind orders) all begin with, and the tree
    of their common beginnings after those."""
    programs = EVALUATIONS[key].programs
    shared = shared_length(programs)
    return shared, beginnings(programs, shared)


def results(key, x, y, bits):
    """What the row `key` gives at integers x, y and `bits` bits, as a list: each of its programs' results
    (kind orders, the operations they share run once), or its one result."""
    row = EVALUATIONS[key]
    if row.programs is None:
        return [result(key, x, y, bits)]
    ends = results_all(row.programs, x, y, row.arithmetic(bits), *shared_operations(key))
    return [value_of(row, end, bits) for end in ends]


def target(row, x, y):
    """What the row's evaluation should give at integers x, y: f, or g for Single's program."""
    return exact_g(x, y) if row.evaluates == "g" else exact_f(x, y)


def sign(value):
    """−1, 0 or +1."""
    return (value > 0) - (value < 0)


def least_width(holds):
    """The least width from which holds(bits) is true at every width up to WIDEST, or None; found by
    trying every width from WIDEST down."""
    least = None
    for bits in range(WIDEST, NARROWEST - 1, -1):
        if not holds(bits):
            break
        least = bits
    return least


@functools.lru_cache(maxsize=None)
def thresholds(key, x, y):
    """(sign_from, exact_from) of an evaluation with integer results at integers x, y: the least
    width from which its results (all of them, for kind orders) have f's sign (or are 0 where f is)
    at every width up to WIDEST, and from which they equal f; None where there is none. Tried from
    WIDEST down, each width once."""
    f = target(EVALUATIONS[key], x, y)
    sign_from = exact_from = None
    exact = True
    for bits in range(WIDEST, NARROWEST - 1, -1):
        values = results(key, x, y, bits)
        if any(sign(value) != sign(f) for value in values):
            break
        sign_from = bits
        exact = exact and all(value == f for value in values)
        exact_from = bits if exact else exact_from
    return sign_from, exact_from


def decides_sign(interval):
    """Whether an interval (its ends) decides the sign: it lies on one side of 0, or is [0, 0]."""
    low, high = interval
    return low > 0 or high < 0 or low == high == 0


@functools.lru_cache(maxsize=None)
def interval_sign_from(x, y):
    """The least width from which the interval decides f's sign at every width up to WIDEST."""
    return least_width(lambda bits: decides_sign(result(of_kind("interval").key, x, y, bits)))


def bound_of(x, y, bits):
    """The running bound at integers x, y and `bits` bits: (the result, its bound, whether the bound
    proves the sign: |result| > bound, or both are 0)."""
    end = run(of_kind("running").key, x, y, bits).result
    return end.value, end.bound, abs(end.value) > end.bound or end.value == end.bound == 0


@functools.lru_cache(maxsize=None)
def bound_below_1(x, y):
    """The least width from which the relative bound γₙ·κ is below 1 (n·Σ|terms| < (2ᵖ − n)·|f|)."""
    f, n = exact_f(x, y), longest_chain()
    magnitudes = sum(abs(term) for term in signed_terms(x, y))
    return least_width(lambda bits: f != 0 and 2**bits > n and n * magnitudes < (2**bits - n) * abs(f))


# Random rounding: N runs of the term-by-term order (from 2 to 20, 3 unless chosen), the operations'
# bits drawn from splitmix64 started at a seed (1 unless chosen; below 2^64), the runs one after
# another. Its confidence in their mean counts the significant digits with Student's t.
RUNS, SEED, MOST_RUNS = 3, 1, 20
CLAIM_SEEDS = range(1, 101)  # the seeds whose false claims the browser page counts


def random_runs(x, y, bits, n=RUNS, seed=SEED):
    """The results of n runs of random rounding at integers x, y and `bits` bits, from the seed."""
    draws = splitmix64(seed)
    return [run(of_kind("random").key, x, y, bits, draws=draws).result.value for _ in range(n)]


@functools.lru_cache(maxsize=None)
def student_t(degrees):
    """τ, the 0.975 quantile of Student's t with the given degrees of freedom, 1 to MOST_RUNS − 1
    (two-sided 95 %): the t at which the integral of its density from 0 reaches 0.475, found by
    mpmath at 30 digits with Newton's method from 0 (the integral is concave there, so each step
    stays below τ and comes closer)."""
    assert 1 <= degrees < MOST_RUNS, f"no Student's t here for {degrees} degrees of freedom"
    import mpmath

    with mpmath.workdps(30):
        nu = mpmath.mpf(degrees)
        scale = mpmath.gamma((nu + 1) / 2) / (mpmath.sqrt(nu * mpmath.pi) * mpmath.gamma(nu / 2))

        def density(t):
            return scale * (1 + t * t / nu) ** (-(nu + 1) / 2)

        def mass(t):
            """The density's integral from 0 to t, less 0.475."""
            return mpmath.quad(density, [0, t]) - mpmath.mpf("0.475")

        return float(mpmath.findroot(mass, 0, df=density, solver="newton"))


def log10_of(value):
    """log₁₀ of a positive rational, from its numerator's and denominator's logarithms (exact integers
    of any size, so that a huge value loses no range)."""
    value = Fraction(value)
    return math.log10(value.numerator) - math.log10(value.denominator)


def digits(runs, f, bits):
    """(C, D) of random rounding's runs, whose exact value is f, at `bits` bits: C, the significant
    decimal digits it claims (log₁₀(√N·|m| / (σ·τ)), m the runs' mean, σ their sample standard
    deviation), and D, the correct digits of m (−log₁₀(|m − f| / |f|)); each clamped to [0, p·log₁₀ 2]."""
    n, most = len(runs), bits * math.log10(2)
    m = Fraction(sum(runs), n)
    variance = sum((r - m) ** 2 for r in runs) / (n - 1)
    if m == 0:
        claimed = 0.0
    elif variance == 0:
        claimed = most
    else:
        claimed = math.log10(n) / 2 + log10_of(abs(m)) - log10_of(variance) / 2 - math.log10(student_t(n - 1))
    if m == f:
        correct = most
    elif f == 0:
        correct = 0.0
    else:
        correct = log10_of(abs(f)) - log10_of(abs(m - f))
    return min(max(claimed, 0.0), most), min(max(correct, 0.0), most)


def false_claim(claimed, correct):
    """Whether a claim of C significant digits, of which D are right, is false: it claims at least one
    digit more than are right, C ≥ D + 1 (equal runs, σ = 0, claim every digit)."""
    return claimed >= correct + 1


def false_claims(x, y, bits, n=RUNS, seeds=CLAIM_SEEDS):
    """How many of the seeds give a false claim at integers x, y and `bits` bits with n runs."""
    f = exact_f(x, y)
    return sum(false_claim(*digits(random_runs(x, y, bits, n, seed), f, bits)) for seed in seeds)


def shares(steps, step):
    """A term's error split into shares, by telescoping its chain of multiplications (steps: a Run in traced
    arithmetic; step: the term's): each multiplication's rounding times the exact factors after it,
    and each operand's own error (an input's conversion, a power's whole error) carried the same way
    at each of its uses, summed by name; they add up to the term's error. As #results writes them:
    the error, the roundings in order and the operands' nonzero shares by name, in decimal."""
    chain = steps.program[step.start : step.index + 1]
    operands = steps.operands[step.start : step.index + 1]
    after = [1]  # after[k]: the exact factors after the k-th multiplication, multiplied
    for _, b in reversed(operands):
        after.insert(0, b.exact * after[0])
    first = operands[0][0]
    by_name = {chain[0].a: (first.value - first.exact) * after[0]}
    roundings = []
    for k, ((a, b), value) in enumerate(zip(operands, steps.operations[step.start : step.index + 1])):
        by_name[chain[k].b] = by_name.get(chain[k].b, 0) + a.value * (b.value - b.exact) * after[k + 1]
        roundings.append((value.value - a.value * b.value) * after[k + 1])
    term = steps.operations[step.index]
    assert sum(roundings) + sum(by_name.values()) == term.value - term.exact, "the shares do not add up"
    operands_shares = {name: str(share) for name, share in by_name.items() if share != 0}
    error = str(term.value - term.exact)
    return {"error": error, "roundings": [str(r) for r in roundings], "operands": operands_shares}


# What each kind of row publishes in #results at its place, at integers x, y and the page's width p:
# each a function of the row, x, y, p and what the page holds there (random rounding's runs and seed
# are the page's choice).


def published_order(row, x, y, p, shown):
    """An order's every step, its result, and the shares of each term's error."""
    steps = [str(value.value) for value in run(row.key, x, y, p).values]
    traced_run = execute(row.program, x, y, traced(p))
    terms = [step for step in steps_of(row.program) if step.role == "term"]
    return {"steps": steps, "result": steps[-1], "shares": [shares(traced_run, step) for step in terms]}


def published_value(row, x, y, p, shown):
    """A result, in decimal."""
    return str(result(row.key, x, y, p))


def published_interval(row, x, y, p, shown):
    """The interval's ends."""
    return [str(end) for end in result(row.key, x, y, p)]


def published_running(row, x, y, p, shown):
    """The running bound and whether it proves the sign. A bound the page holds below |v − f|, the
    error of the result it bounds, is named as what it is: no bound at all."""
    v, b, proves = bound_of(x, y, p)
    error = abs(v - exact_f(x, y))
    held = shown.get("bound") if isinstance(shown, dict) else None
    if isinstance(held, str) and held.isdigit() and int(held) < error:
        return {"bound": f"a bound, at least |result − f| = {error}"}
    return {"bound": str(b), "proves_sign": proves}


def published_random(row, x, y, p, shown):
    """Random rounding for the runs N and seed the page shows: the runs, C, D, whether the claim holds,
    and how many of CLAIM_SEEDS claim falsely with N runs."""
    n, seed = (shown.get("n"), shown.get("seed")) if isinstance(shown, dict) else (None, None)
    if not (
        type(n) is int and 2 <= n <= MOST_RUNS and isinstance(seed, str) and seed.isdigit() and int(seed) < 2**64
    ):
        return {"n": f"an integer from 2 to {MOST_RUNS}", "seed": "a decimal integer below 2^64"}
    runs = random_runs(x, y, p, n, int(seed))
    claimed, correct = digits(runs, exact_f(x, y), p)
    published = {"n": n, "seed": seed, "runs": [str(r) for r in runs], "digits": claimed, "correct_digits": correct}
    return dict(published, claim_holds=not false_claim(claimed, correct), false_claims=false_claims(x, y, p, n))


def published_remedy(row, x, y, p, shown):
    """A remedy's (or a scheme's) result and its least widths; for one that applies only where f takes
    its form (1 − 2x²), whether it applies, and where it does not, null for the rest."""
    least = sign_and_exact(row, x, y)
    applies = applying(row, x, y)
    value = str(result(row.key, x, y, p)) if applies else None
    published = {"result": value, **counted_widths(least)}
    return published if row.applies is None else dict(published, applies=applies)


def published_orders(row, x, y, p, shown):
    """What the orders give: how many, how many differ, have f's sign (are 0 where f = 0), are 0, are f;
    the least and the largest; and their least widths."""
    counted = counts(results(row.key, x, y, p), target(row, x, y))
    least = sign_and_exact(row, x, y)
    return dict(counted, least=str(counted["least"]), most=str(counted["most"]), **counted_widths(least))


def counts(values, f):
    """What a list of results gives together, against f: how many, how many differ, have f's sign (are
    0 where f = 0), are 0, are f; the least and the largest."""
    return {
        "count": len(values),
        "distinct": len(set(values)),
        "right_sign": sum(sign(value) == sign(f) for value in values),
        "zero": values.count(0),
        "exact": values.count(f),
        "least": min(values),
        "most": max(values),
    }


def counted_widths(least):
    """A row's least widths (sign_and_exact's) as #results names them."""
    return {"sign_from": least["sign"], "exact_from": least["exact"]}


# The questions the browser page asks at a point and a width, each by its id (its element's
# data-question, and its key in #results' questions) and what answers it at integers x, y and the
# page's width p, as JSON holds it: a sign or a count of steps an integer, yes or no a boolean, a width
# an integer or null, a set of rows a list of their keys.


def double_sign(x, y, p):
    """The sign of Double's result, the plain order's at p bits: −1, 0 or 1."""
    return sign(result(PLAIN.key, x, y, p))


def t1_steps(x, y, p):
    """T1's rounding error at p bits (T1 as the plain order forms it, rounded, less T1 exactly) in steps
    of the spacing of p-bit numbers at the largest rounded term of that order, to the nearest whole
    step, ties to even (a Fraction's round); 0 where every rounded term is 0."""
    rounded = run(PLAIN.key, x, y, p).of("term")
    largest = max(abs(term.value) for term in rounded)
    if largest == 0:
        return 0
    exact = signed_terms(x, y, PLAIN.program)[0]  # T1 enters f with its sign +
    return round((rounded[0].value - exact) / spacing(largest, p))


def extended2_zero(x, y, p):
    """Whether Extended2's order, the powers reused, gives 0 at p bits."""
    return result("powers_reused", x, y, p) == 0


def sign_from(x, y, p):
    """The least width from which the plain order has f's sign (0 where f is) at every width up to
    WIDEST, or None."""
    return thresholds(PLAIN.key, x, y)[0]


def exact_remedies(x, y, p):
    """The keys of the remedies that give f at p bits, in the table's order; one that does not apply at
    the point is not among them."""
    return [row.key for row in REMEDIES if applying(row, x, y) and result(row.key, x, y, p) == target(row, x, y)]


def bound_distrusts(x, y, p):
    """Whether the running bound at p bits does not prove the sign: |result| <= bound, unless both are 0."""
    return not bound_of(x, y, p)[2]


QUESTIONS = {
    "double_sign": double_sign,
    "t1_steps": t1_steps,
    "extended2_zero": extended2_zero,
    "sign_from": sign_from,
    "exact_remedies": exact_remedies,
    "bound_distrusts": bound_distrusts,
}


def questions(x, y, p):
    """Every question's answer at integers x, y and the page's width p, by id."""
    return {key: answer(x, y, p) for key, answer in QUESTIONS.items()}


# The least widths of each kind of row, by name, at integers x, y.


def applying(row, x, y):
    """Whether the row evaluates at integers x, y: everywhere, or where its form of f holds."""
    return row.applies is None or row.applies(x, y)


def sign_and_exact(row, x, y):
    """From which widths the row's results have f's sign and equal f; None where it does not apply."""
    sign_from, exact_from = thresholds(row.key, x, y) if applying(row, x, y) else (None, None)
    return {"sign": sign_from, "exact": exact_from}


def exact_only(row, x, y):
    """From which width the row's result equals f."""
    return {"exact": thresholds(row.key, x, y)[1]}


class Kind(NamedTuple):
    """What the browser page makes of the rows of a kind: what a row publishes at its place in
    #results (None: nothing), its least widths by name, and which of them it publishes in #results'
    thresholds, where the row names a threshold."""

    published: Optional[Callable]
    least_widths: Callable
    threshold: Optional[str] = None


KINDS = {
    "routine": Kind(None, lambda row, x, y: {}),
    "order": Kind(published_order, sign_and_exact, "exact"),
    "value": Kind(published_value, exact_only, "exact"),
    "interval": Kind(published_interval, lambda row, x, y: {"decides": interval_sign_from(x, y)}, "decides"),
    "bound": Kind(None, lambda row, x, y: {"below1": bound_below_1(x, y)}, "below1"),
    "running": Kind(published_running, lambda row, x, y: {"proves": least_width(lambda p: bound_of(x, y, p)[2])}),
    "random": Kind(published_random, lambda row, x, y: {}),
    "remedy": Kind(published_remedy, sign_and_exact),
    "scheme": Kind(published_remedy, sign_and_exact),
    "orders": Kind(published_orders, sign_and_exact),
}


def place(row):
    """The row's path in #results."""
    return row.place or (row.key,)


GOLDEN_POINTS = 6  # the points of the chain whose remedies at 53 bits tests/golden-remedies.txt holds


def golden_remedies():
    """The lines of tests/golden-remedies.txt: each routine of the program's judged as a remedy is, at
    53 bits at each of the first points of the chain, `<key> <x> <y> <value as C's %a writes it>`,
    row by row in the table's order."""
    return [
        f"{row.key} {x} {y} {hexadecimal(result(row.key, x, y, BINARY64_BITS))}"
        for row in TABLE
        if row.routine and row.kind in JUDGED
        for x, y in chain(GOLDEN_POINTS)
    ]
