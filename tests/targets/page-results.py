#!/usr/bin/env python3
"""Checks what the page holds in #results (JSON on standard input) against docs/polynomial.py, an
independent exact model in Python's fractions: f, every step of both orders at the page's width p,
each order's result with its sums fused, and the least width from which the term-by-term order gives
f at every width up to 1024.

usage: page-results.py SOURCE_DIR X Y P < results.json   (any python3)
"""
import json
import sys

sys.path.insert(0, sys.argv[1] + "/docs")
from polynomial import exact_f, fused, nearest, reusing_powers, term_by_term  # noqa: E402

WIDEST = 1024


def steps(order, x, y, arithmetic):
    """The values of an order's steps in the arithmetic whose numbers `arithmetic` makes, as integers."""
    return [int(value.value) for value in order(x, y, arithmetic).values]


def exact_from(x, y):
    """The least width from which the term-by-term order gives f at every width up to WIDEST."""
    f, least = exact_f(x, y), None
    for bits in range(WIDEST, 1, -1):
        if steps(term_by_term, x, y, nearest(bits))[-1] != f:
            break
        least = bits
    return least


shown = json.load(sys.stdin)
x, y, p = (int(argument) for argument in sys.argv[2:5])
want = {
    "x": str(x),
    "y": str(y),
    "p": p,
    "f": str(exact_f(x, y)),
    "exact_from": exact_from(x, y),
    "term_by_term": [str(v) for v in steps(term_by_term, x, y, nearest(p))],
    "powers_reused": [str(v) for v in steps(reusing_powers, x, y, nearest(p))],
    "term_by_term fused": str(steps(term_by_term, x, y, fused(p))[-1]),
    "powers_reused fused": str(steps(reusing_powers, x, y, fused(p))[-1]),
}
got = {key: shown[key] for key in ("x", "y", "p", "f", "exact_from")}
for order in ("term_by_term", "powers_reused"):
    got[order] = shown[order]["steps"]
    got[f"{order} fused"] = shown[order]["fused"]
problems = [f"{key}: the page holds {got[key]}, want {want[key]}" for key in want if got[key] != want[key]]
problems += [
    f"{order}: the result is not the last step"
    for order in ("term_by_term", "powers_reused")
    if shown[order]["result"] != shown[order]["steps"][-1]
]
print(
    "\n".join(problems)
    or f"#results at ({x}, {y}), {p} bits: f, every step, the fused results and exact_from {want['exact_from']}"
)
sys.exit(1 if problems else 0)
