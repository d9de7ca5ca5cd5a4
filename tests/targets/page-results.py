#!/usr/bin/env python3
"""Checks what the page holds in #results (JSON on standard input) against docs/polynomial.py, an
independent exact model in Python's fractions: f, every step of both orders at the page's width p,
each order's result with its sums fused, the shares of each term's error at p, and each threshold:
the least width from which the term-by-term order gives f (and the other orders, plain and fused),
the interval decides the sign, or the bound γₙ·κ falls below 1, at every width up to 1024, found by
trying every width from 1024 down.

usage: page-results.py SOURCE_DIR X Y P < results.json   (any python3)
"""
import json
import sys

sys.path.insert(0, sys.argv[1] + "/docs")
from polynomial import exact_f, fused, longest_chain, nearest, rounded, reusing_powers, signed_terms  # noqa: E402
from polynomial import term_by_term  # noqa: E402

WIDEST = 1024


def directed(value, bits, up):
    """The integer value rounded to a significand of `bits` bits toward +∞ (up) or −∞."""
    value = int(value)
    drop = max(abs(value).bit_length() - bits, 0)
    kept, rest = divmod(abs(value), 1 << drop)
    away = rest != 0 and up == (value > 0)  # away from zero: up for a positive value, down for a negative
    return (1 if value >= 0 else -1) * (kept + away) * (1 << drop)


class Outward:
    """A number of p-bit interval arithmetic: its ends, each rounded outward."""

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


def outward(bits):
    """The arithmetic of p-bit intervals: its conversion."""
    return lambda value: Outward(directed(value, bits, False), directed(value, bits, True), bits)


class Traced:
    """A number of p-bit arithmetic to nearest with its history: its rounded and exact values, and for
    a product its two operands."""

    def __init__(self, value, exact, bits, left=None, right=None):
        self.value, self.exact, self.bits, self.left, self.right = value, exact, bits, left, right

    def __mul__(self, other):
        return Traced(rounded(self.value * other.value, self.bits), self.exact * other.exact, self.bits, self, other)

    def __add__(self, other):
        return Traced(rounded(self.value + other.value, self.bits), self.exact + other.exact, self.bits)

    def __sub__(self, other):
        return Traced(rounded(self.value - other.value, self.bits), self.exact - other.exact, self.bits)


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


def steps(order, x, y, arithmetic):
    """The values of an order's steps in the arithmetic whose numbers `arithmetic` makes, as integers."""
    return [int(value.value) for value in order(x, y, arithmetic).values]


def least_width(holds):
    """The least width from which holds(bits) is true at every width up to WIDEST, or None."""
    least = None
    for bits in range(WIDEST, 1, -1):
        if not holds(bits):
            break
        least = bits
    return least


def thresholds(x, y):
    """Each threshold the page names, by trying every width from WIDEST down."""
    f = exact_f(x, y)
    magnitudes = sum(abs(term) for term in signed_terms(x, y))
    n = longest_chain()

    def result(order, arithmetic):
        return order(x, y, arithmetic).result.value

    def bound_below_1(bits):
        return f != 0 and 2**bits > n and n * magnitudes < (2**bits - n) * abs(f)

    def interval_decides(bits):
        low, high = (lambda r: (r.low, r.high))(term_by_term(x, y, outward(bits)).result)
        return low > 0 or high < 0 or low == high == 0

    return {
        "interval_sign": least_width(interval_decides),
        "bound_below_1": least_width(bound_below_1),
        "term_by_term": least_width(lambda bits: result(term_by_term, nearest(bits)) == f),
        "powers_reused": least_width(lambda bits: result(reusing_powers, nearest(bits)) == f),
        "term_by_term_fused": least_width(lambda bits: result(term_by_term, fused(bits)) == f),
        "powers_reused_fused": least_width(lambda bits: result(reusing_powers, fused(bits)) == f),
    }


def shares_of(order, x, y, bits):
    """The shares of each term's error in the order at `bits` bits, as the page writes them."""
    run = order(x, y, lambda value: Traced(rounded(value, bits), value, bits))
    powers = [value for value, role in zip(run.values, run.roles) if role == "power"]
    written = []
    for value, role in zip(run.values, run.roles):
        if role == "term":
            roundings, operands = shares(value, powers)
            written.append((str(value.value - value.exact), [str(r) for r in roundings], [str(o) for o in operands]))
    return written


def shown_shares(terms):
    """The page's shares of each term's error, as shares_of writes them."""
    return [
        (term["error"], term["roundings"], [str(v) for v in sorted(int(v) for v in term["operands"].values())])
        for term in terms
    ]


shown = json.load(sys.stdin)
x, y, p = (int(argument) for argument in sys.argv[2:5])
marks = thresholds(x, y)
want = {
    "x": str(x),
    "y": str(y),
    "p": p,
    "f": str(exact_f(x, y)),
    "exact_from": marks["term_by_term"],
    "term_by_term": [str(v) for v in steps(term_by_term, x, y, nearest(p))],
    "powers_reused": [str(v) for v in steps(reusing_powers, x, y, nearest(p))],
    "term_by_term fused": str(steps(term_by_term, x, y, fused(p))[-1]),
    "powers_reused fused": str(steps(reusing_powers, x, y, fused(p))[-1]),
    "term_by_term shares": shares_of(term_by_term, x, y, p),
    "powers_reused shares": shares_of(reusing_powers, x, y, p),
    "thresholds": marks,
}
got = {key: shown[key] for key in ("x", "y", "p", "f", "exact_from")}
for order in ("term_by_term", "powers_reused"):
    got[order] = shown[order]["steps"]
    got[f"{order} fused"] = shown[order]["fused"]
    got[f"{order} shares"] = shown_shares(shown[order]["shares"])
got["thresholds"] = shown["thresholds"]
problems = [f"{key}: the page holds {got[key]}, want {want[key]}" for key in want if got[key] != want[key]]
problems += [
    f"{order}: the result is not the last step"
    for order in ("term_by_term", "powers_reused")
    if shown[order]["result"] != shown[order]["steps"][-1]
]
print(
    "\n".join(problems)
    or f"#results at ({x}, {y}), {p} bits: f, every step, the fused results, the shares and the thresholds "
    f"{want['thresholds']}"
)
sys.exit(1 if problems else 0)
