#!/usr/bin/env python3
"""Prints the blocks of docs/numbers.md on the detectors of the table of evaluations
(docs/evaluations.py): what the running error bound, interval arithmetic and random rounding
conclude at 53 bits at the program's point, from which width each says something, and whether that
is right; how often random rounding claims digits its runs do not have, over many seeds, and why
three runs can agree; and from which width it claims a digit. And the tables of the exercise on
random rounding (docs/exercises.md) and of its answer (docs/answers.md), the exercise's links to the
browser page and how its answer is seen there.

usage: /usr/bin/python3 docs/detectors.py   (needs mpmath: Debian's python3-mpmath, for Student's t)
"""
import math

from blocks import block, checks, emit_blocks, page_link, seen, table
from evaluations import CLAIM_SEEDS, KINDS, PLAIN, RUNS, SEED, bound_of, decides_sign, digits, false_claim
from evaluations import interval_sign_from, of_kind
from evaluations import random_runs, result, run, student_t
from polynomial import STEP, STEP_EXPONENT, X, Y, chain_index, exact_f
from roundings import BINARY64_BITS
from text import minus, power, scientific

F = exact_f(X, Y)
SEEDS = range(1, 1001)  # the seeds whose claims at 53 bits are counted
RUN_COUNTS = (RUNS, 5)  # the runs N counted: the browser page's default, and two more
ONSET_SEEDS = range(1, 11)  # the seeds whose first claimed digit is sought
K = chain_index(X, Y)  # the program's point: the chain's k-th


def digits_text(value):
    """C or D as the tables write it: two decimals."""
    return f"{value:.2f}"


def exact_from_width():
    """The width from which no operation of the term-by-term order rounds at the program's point:
    the most bits of any of its exact steps (a product chain grows toward its term), beyond which
    every run of random rounding is f."""
    return max(abs(value.value).bit_length() for value in run(PLAIN.key, X, Y, 1024).values)


def claims_from(seed, n=RUNS):
    """The least width from which random rounding with n runs from the seed claims a digit (C ≥ 1)
    at every width up to the one where nothing rounds, and its C and D there."""
    top = exact_from_width()
    assert random_runs(X, Y, top, n, seed) == [F] * n, "an operation rounds where none should"
    found = None
    for bits in range(top, BINARY64_BITS - 1, -1):
        claimed, correct = digits(random_runs(X, Y, bits, n, seed), F, bits)
        if claimed < 1:
            break
        found = bits, claimed, correct
    return found


@block("detectors")
def detectors_block():
    """What each detector concludes at 53 bits at the program's point, from which width it says
    more, and whether what it says is right."""
    value, bound, proves = bound_of(X, Y, BINARY64_BITS)
    assert not proves
    running = of_kind("running")
    proves_from = KINDS[running.kind].least_widths(running, X, Y)["proves"]
    low, high = result(of_kind("interval").key, X, Y, BINARY64_BITS)
    assert not decides_sign((low, high))
    runs = random_runs(X, Y, BINARY64_BITS, RUNS, SEED)
    claimed, correct = digits(runs, F, BINARY64_BITS)
    onset, _, _ = claims_from(SEED)
    mean = sum(runs) / len(runs)
    rows = [
        [
            "running error bound",
            f"result {scientific(value)}, bound {scientific(bound)}",
            "not even the sign can be trusted: \\|result\\| ≤ bound",
            f"proves the sign from {proves_from} bits",
            f"yes: \\|result − f\\| = {scientific(abs(value - F))}" + (" ≤ bound" if abs(value - F) <= bound else ""),
        ],
        [
            "interval arithmetic",
            f"[{scientific(low)}, {scientific(high)}]",
            "the sign is unknown: the enclosure holds 0",
            f"decides the sign from {interval_sign_from(X, Y)} bits",
            "yes: it holds f" if low <= F <= high else "no: it misses f",
        ],
        [
            f"random rounding, {RUNS} runs, seed {SEED}",
            f"mean {scientific(mean)}, C = {digits_text(claimed)}",
            "no significant digit" if claimed < 1 else f"{digits_text(claimed)} significant digits",
            f"claims a digit from {onset} bits",
            ("no" if false_claim(claimed, correct) else "yes") + f": the mean has D = {digits_text(correct)}",
        ],
    ]
    return table(["detector", "at 53 bits", "concludes", "says more", "right?"], rows)


def seeds_row(n):
    """Random rounding with n runs at 53 bits over SEEDS: how many seeds' runs are all the same (and
    of those all 0, where C is 0), claim a digit or more (and of those falsely: C ≥ D + 1), and claim
    none; the largest power of two that divides every run; and the digits equal runs not 0 claim."""
    identical = zeros = claims = false = whole = 0
    equal_claims = set()
    for seed in SEEDS:
        runs = random_runs(X, Y, BINARY64_BITS, n, seed)
        claimed, correct = digits(runs, F, BINARY64_BITS)
        identical += len(set(runs)) == 1
        zeros += runs == [0] * n
        claims += claimed >= 1
        false += false_claim(claimed, correct)
        whole = math.gcd(whole, *runs)
        equal_claims |= {claimed} if len(set(runs)) == 1 and runs[0] != 0 else set()
    twos = (whole & -whole).bit_length() - 1
    row = [n, f"{SEEDS[0]} to {SEEDS[-1]}", identical, zeros, claims, false, len(SEEDS) - claims]
    return row, twos, equal_claims


@block("random-seeds")
def seeds_block():
    """Random rounding at 53 bits over SEEDS, for each count of runs; and why runs agree: each is a
    whole number of steps of binary64's spacing at the largest terms, a handful of steps from 0."""
    rows, twos, equal_claims = zip(*(seeds_row(n) for n in RUN_COUNTS))
    assert set(twos) == {STEP_EXPONENT}, "the runs are not whole multiples of the spacing"
    [equal_claim] = set.union(*equal_claims)  # equal runs claim every digit: σ = 0
    runs = random_runs(X, Y, BINARY64_BITS, RUNS, SEED)
    header = ["runs N", "seeds", "runs all equal", "of those all 0 (C = 0)", "claim a digit (C ≥ 1)"]
    facts = [
        [
            "every run of every seed is a whole multiple of",
            f"{power(2, STEP_EXPONENT)}, the spacing at the largest terms",
        ],
        [f"the runs of seed {SEED}, in those steps", ", ".join(minus(str(r // STEP)) for r in runs)],
        ["f in those steps", scientific(F / STEP)],
        ["C of equal runs not 0 (σ = 0): every digit binary64 has", digits_text(equal_claim)],
        [f"τ for {RUNS} runs, Student's t at 0.975 with {RUNS - 1} degrees of freedom", f"{student_t(RUNS - 1):.3f}"],
    ]
    counts = table(header + ["of those falsely (C ≥ D + 1)", "claim none"], rows)
    return counts + "\n\n" + table(["quantity", "value"], facts)


@block("random-widths")
def widths_block():
    """C and D of random rounding (RUNS runs from SEED) at the widths around its first claimed digit."""
    onset, _, _ = claims_from(SEED)
    rows = []
    for bits in range(onset - 4, onset + 4):
        claimed, correct = digits(random_runs(X, Y, bits, RUNS, SEED), F, bits)
        rows.append([bits, digits_text(claimed), digits_text(correct)])
    return table(["significand bits", "C, the digits it claims", "D, the digits that are right"], rows)


def claims_at(bits, count=RUNS):
    """Random rounding (N = count runs) at `bits` bits for each of CLAIM_SEEDS: (C − D, seed, C, D,
    whether the runs are all equal) each."""
    found = []
    for seed in CLAIM_SEEDS:
        runs = random_runs(X, Y, bits, count, seed)
        claimed, correct = digits(runs, F, bits)
        found.append((claimed - correct, seed, claimed, correct, len(set(runs)) == 1))
    return found


@block("random-false")
def false_block():
    """At 53 bits and at the width from which SEED claims a digit, how many of CLAIM_SEEDS claim a digit,
    how many of those claim at least one more than are right (C ≥ D + 1), how many of those had
    equal runs, and the last seed of those that claim the most digits beyond those right."""
    onset, _, _ = claims_from(SEED)
    rows = []
    for bits in (BINARY64_BITS, onset):
        found = claims_at(bits)
        false = [each for each in found if false_claim(each[2], each[3])]
        assert all(each[4] for each in false), "a false claim from runs that differ: say so on the page"
        _, seed, claimed, correct, _ = max(found)
        seeds = f"{CLAIM_SEEDS[0]} to {CLAIM_SEEDS[-1]}"
        rows.append([bits, seeds, sum(each[2] >= 1 for each in found), len(false), sum(each[4] for each in false)])
        rows[-1] += [seed, digits_text(claimed), digits_text(correct)]
    header = ["significand bits", "seeds", "claim a digit (C ≥ 1)", "falsely (C ≥ D + 1)", "of those, runs all equal"]
    return table(header + ["the last seed that claims most beyond D", "its C", "its D"], rows)


@block("random-data")
def student_block():
    """τ for each count of runs counted: the data of the exercise."""
    rows = [[n, n - 1, f"{student_t(n - 1):.3f}"] for n in RUN_COUNTS]
    return table(["runs N", "degrees of freedom", "τ, Student's t at 0.975"], rows)


@block("random-onset")
def onset_block():
    """For each of ONSET_SEEDS, the least width from which random rounding claims a digit, with its C
    and D there."""
    rows = []
    for seed in ONSET_SEEDS:
        bits, claimed, correct = claims_from(seed)
        rows.append([seed, bits, digits_text(claimed), digits_text(correct)])
    return table(["seed", f"claims a digit from (bits, {RUNS} runs)", "C there", "D there"], rows)


def false_at(bits, count=RUNS):
    """The claims at `bits` bits with N = count runs that are false, as claims_at gives them."""
    return [each for each in claims_at(bits, count) if false_claim(each[2], each[3])]


@block("random-answers")
def random_answers_block():
    """For each count of runs, at 53 bits and at the width from which SEED claims a digit: how many of
    CLAIM_SEEDS claim a digit, how many of those falsely, how many of those had equal runs, and which
    seeds they are."""
    onset, _, _ = claims_from(SEED)
    rows = []
    for bits in (BINARY64_BITS, onset):
        for count in RUN_COUNTS:
            claimed = sum(each[2] >= 1 for each in claims_at(bits, count))
            false = false_at(bits, count)
            seeds = ", ".join(str(each[1]) for each in sorted(false, key=lambda each: each[1])) or "none"
            rows.append([count, bits, claimed, len(false), sum(each[4] for each in false), seeds])
    seeds = f"seeds {CLAIM_SEEDS[0]} to {CLAIM_SEEDS[-1]}: claim a digit (C ≥ 1)"
    header = ["runs N", "significand bits", seeds, "falsely (C ≥ D + 1)", "of those, runs all equal"]
    return table(header + ["the seeds that claim falsely"], rows)


@block("check-random")
def check_random():
    """The exercise's links: the program's point at 53 bits, with each count of runs, from SEED."""
    return checks(page_link(K, BINARY64_BITS, "detect", count, SEED) for count in RUN_COUNTS)


def one_decimal(value):
    """C or D as the browser page writes it: one decimal."""
    return f"{value:.1f}"


@block("seen-random")
def seen_random():
    """Where the page shows a false claim at 53 bits, the count of them with three and with five runs,
    and SEED's first claimed digit with the false claims at that width."""
    onset, claimed, correct = claims_from(SEED)
    false, false_wider = false_at(BINARY64_BITS), false_at(onset)
    _, first, c, d, equal = min(false, key=lambda each: each[1])
    assert equal and all(each[4] for each in false + false_wider), "a false claim from runs that differ: say so"
    more = RUN_COUNTS[1]
    seeds = f"{CLAIM_SEEDS[0]} to {CLAIM_SEEDS[-1]}"
    return seen(
        f"{page_link(K, BINARY64_BITS, 'detect', RUNS, first)}: random rounding's card shows the {RUNS} runs equal, "
        f"C = {one_decimal(c)} claimed and D = {one_decimal(d)} right, a false claim, and counts {len(false)} of the "
        f"seeds {seeds} that claim a digit not there, all with runs identical; "
        f"{page_link(K, BINARY64_BITS, 'detect', more, first)}: {len(false_at(BINARY64_BITS, more))} of them. "
        f"{page_link(K, onset, 'detect', RUNS, SEED)}: C = {one_decimal(claimed)} and D = {one_decimal(correct)}, "
        f"and {len(false_wider)} of the seeds claim falsely, all with runs identical, "
        f"{page_link(K, onset, 'detect', RUNS, min(each[1] for each in false_wider))} among them."
    )


if __name__ == "__main__":
    emit_blocks()
