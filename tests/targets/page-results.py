#!/usr/bin/env python3
"""Checks what the page holds in #results (JSON on standard input) against the table of evaluations
of docs/evaluations.py, an independent exact model in Python's integers: f, and for each evaluation
the page publishes (a row of the table) what it gives at the page's width p, as the row's kind has
it: a routine's every step, its result and the shares of each term's error; a fused result; the
interval; the running bound and whether it proves the sign; random rounding's runs, digits and false
claims for the runs and seed the page shows; a remedy's result (and whether it applies). And each
threshold: the least width from which an order gives f, the interval decides the sign, the bound
γₙ·κ falls below 1, or a remedy has f's sign or equals f, at every width up to 1024, found by trying
every width from 1024 down.

usage: page-results.py SOURCE_DIR X Y P < results.json   (needs mpmath, for Student's t)
"""
import json
import sys

sys.path.insert(0, sys.argv[1] + "/docs")
from evaluations import MOST_RUNS, TABLE, WIDEST, bound_of, digits, false_claims, interval_sign_from  # noqa: E402
from evaluations import least_width, random_runs, result, run, thresholds  # noqa: E402
from polynomial import exact_f, longest_chain, signed_terms  # noqa: E402
from roundings import traced  # noqa: E402

DIGITS_TOLERANCE = 1e-9  # C and D are logarithms computed in floating point: this close is the same


def shares(term, powers):
    """A term's error split into shares: each multiplication's rounding times the exact factors
    after it, and each operand's (or power's) own error carried the same way, all its uses together;
    their sum is the term's error. Returns the roundings' shares in order, and the operands' shares,
    sorted."""
    chain, first = [], term
    while first.left is not None and not any(first is power for power in powers):
        chain.insert(0, first)
        first = first.left
    after = [1]
    for step in reversed(chain):
        after.insert(0, step.right.exact * after[0])
    operands = {id(first): (first.value - first.exact) * after[0]}  # by operand: each is converted once
    roundings = []
    for k, step in enumerate(chain):
        share = step.left.value * (step.right.value - step.right.exact) * after[k + 1]
        operands[id(step.right)] = operands.get(id(step.right), 0) + share
        roundings.append((step.value - step.left.value * step.right.value) * after[k + 1])
    assert sum(roundings) + sum(operands.values()) == term.value - term.exact, "the shares do not add up"
    return roundings, sorted(share for share in operands.values() if share != 0)


def shares_of(row, x, y, bits):
    """The shares of each term's error in the row's order at `bits` bits, as shown_shares writes them."""
    steps = row.order(x, y, traced(bits), row.t2_sign)
    powers = [value for value, role in zip(steps.values, steps.roles) if role == "power"]
    written = []
    for value, role in zip(steps.values, steps.roles):
        if role == "term":
            roundings, operands = shares(value, powers)
            written.append([str(value.value - value.exact), [str(r) for r in roundings], [str(o) for o in operands]])
    return written


def shown_shares(terms):
    """The page's shares of each term's error, as shares_of writes them (the operands' sorted)."""
    return [
        [term["error"], term["roundings"], [str(v) for v in sorted(int(v) for v in term["operands"].values())]]
        for term in terms
    ]


def routine(row, x, y, p, shown):
    """A routine's order at p: every step, the result, the shares of each term's error."""
    steps = [str(value.value) for value in run(row.key, x, y, p).values]
    if isinstance(shown, dict) and isinstance(shown.get("shares"), list):
        shown = dict(shown, shares=shown_shares(shown["shares"]))
    return {"steps": steps, "result": steps[-1], "shares": shares_of(row, x, y, p)}, shown


def single_result(row, x, y, p, shown):
    """An order's result at p in the row's arithmetic (fused)."""
    return str(result(row.key, x, y, p)), shown


def interval(row, x, y, p, shown):
    """The interval's ends at p."""
    return [str(end) for end in result(row.key, x, y, p)], shown


def bound(row, x, y, p, shown):
    """The running bound at p and whether it proves the sign. A bound the page holds below |v − f|,
    the error of the result it bounds, is named as what it is: no bound at all."""
    v, b, proves = bound_of(x, y, p)
    error = abs(v - exact_f(x, y))
    held = shown.get("bound") if isinstance(shown, dict) else None
    if isinstance(held, str) and held.isdigit() and int(held) < error:
        return {"bound": f"a bound, at least |result − f| = {error}"}, shown
    return {"bound": str(b), "proves_sign": proves}, shown


def random_rounding(row, x, y, p, shown):
    """Random rounding at p for the runs and seed the page shows: the runs, C, D, the false claims."""
    n, seed = (shown.get("n"), shown.get("seed")) if isinstance(shown, dict) else (None, None)
    if not (
        type(n) is int and 2 <= n <= MOST_RUNS and isinstance(seed, str) and seed.isdigit() and int(seed) < 2**64
    ):
        return {"n": f"an integer from 2 to {MOST_RUNS}", "seed": "a decimal integer below 2^64"}, shown
    seed = int(seed)
    runs = random_runs(x, y, p, n, seed)
    claimed, correct = digits(runs, exact_f(x, y), p)
    want = {"n": n, "seed": str(seed), "runs": [str(r) for r in runs], "digits": claimed, "correct_digits": correct}
    return dict(want, false_claims=false_claims(x, y, p, n)), shown


def remedy(row, x, y, p, shown):
    """A remedy's result at p and its thresholds; for one that applies only where f takes its form
    (1 − 2x²), whether it applies, and where it does not, null for the rest."""
    applies = row.applies is None or row.applies(x, y)
    sign_from, exact_from = thresholds(row.key, x, y) if applies else (None, None)
    value = str(result(row.key, x, y, p)) if applies else None
    want = {"result": value, "sign_from": sign_from, "exact_from": exact_from}
    return (want if row.applies is None else dict(want, applies=applies)), shown


PUBLISHED = {  # by kind: what the page publishes of a row, and the page's value in the same form
    "routine": routine,
    "fused": single_result,
    "interval": interval,
    "running_bound": bound,
    "random_rounding": random_rounding,
    "remedy": remedy,
}


def threshold(row, x, y):
    """The row's threshold in #results' thresholds: where the interval decides the sign, or where the
    order gives f."""
    return interval_sign_from(x, y) if row.kind == "interval" else thresholds(row.key, x, y)[1]


def bound_below_1(x, y):
    """The least width from which the relative bound γₙ·κ is below 1 (n·Σ|terms| < (2ᵖ − n)·|f|)."""
    f, n = exact_f(x, y), longest_chain()
    magnitudes = sum(abs(term) for term in signed_terms(x, y))
    return least_width(lambda bits: f != 0 and 2**bits > n and n * magnitudes < (2**bits - n) * abs(f))


def differences(name, want, got):
    """Where got differs from want, each as a line that shows both in JSON: a dictionary by want's
    keys, numbers that are not integers within DIGITS_TOLERANCE, anything else exactly."""
    if isinstance(want, dict) and isinstance(got, dict):
        return [line for key in want for line in differences(f"{name}.{key}", want[key], got.get(key, "(none)"))]
    if isinstance(want, float) and isinstance(got, (int, float)) and not isinstance(got, bool):
        same = abs(want - got) <= DIGITS_TOLERANCE
    else:
        same = got == want and type(got) is type(want)
    return [] if same else [f"{name}: the page holds {json.dumps(got)}, want {json.dumps(want, ensure_ascii=False)}"]


def place_of(shown, place):
    """The value at a path of #results, or "(none)"."""
    for key in place:
        shown = shown.get(key, "(none)") if isinstance(shown, dict) else "(none)"
    return shown


def check(shown, x, y, p):
    """Every disagreement between #results and the table at (x, y) and p."""
    want = {"x": str(x), "y": str(y), "p": p, "f": str(exact_f(x, y))}
    problems = differences("#results", want, shown)
    marks = {"bound_below_1": bound_below_1(x, y)}
    for row in TABLE:
        if row.place is None:
            continue
        value, got = PUBLISHED[row.kind](row, x, y, p, place_of(shown, row.place))
        problems += differences(".".join(row.place), value, got)
        if row.threshold:
            marks[row.threshold] = threshold(row, x, y)
    problems += differences("thresholds", marks, shown.get("thresholds", {}))
    problems += differences("exact_from", marks["term_by_term"], shown.get("exact_from", "(none)"))
    return problems, marks


if __name__ == "__main__":
    x, y, p = (int(argument) for argument in sys.argv[2:5])
    problems, marks = check(json.load(sys.stdin), x, y, p)
    print(
        "\n".join(problems)
        or f"#results at ({x}, {y}), {p} bits: f, what each evaluation gives and the thresholds up to {WIDEST} "
        f"{marks}"
    )
    sys.exit(1 if problems else 0)
