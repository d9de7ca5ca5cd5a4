#!/usr/bin/env python3
"""Checks what the page holds in #results (JSON on standard input) against the table of evaluations
of docs/evaluations.py, an independent exact model in Python's integers: f, and for each row of the
table what its kind publishes at the page's width p (evaluations.KINDS: an order's every step, its
result and the shares of each term's error; a fused result; the interval; the running bound and
whether it proves the sign; random rounding's runs, digits, whether its claim holds and its false
claims, for the runs and seed the page shows; a remedy's or Horner's scheme's result and least
widths, and whether it applies; what the 120 orders of summation give). And each threshold: the
least width from which an order gives f, the interval decides the sign, the bound γₙ·κ falls below
1, at every width up to 1024, found by trying every width from 1024 down. And the answer to each of
the page's questions (evaluations.QUESTIONS), by its id, of its JSON type.

usage: page-results.py SOURCE_DIR X Y P < results.json   (needs mpmath, for Student's t)
"""
import json
import sys

sys.path.insert(0, sys.argv[1] + "/docs")
from evaluations import KINDS, PLAIN, TABLE, WIDEST, place, questions  # noqa: E402
from polynomial import exact_f  # noqa: E402

DIGITS_TOLERANCE = 1e-9  # C and D are logarithms computed in floating point: this close is the same


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


def place_of(shown, path):
    """The value at a path of #results, or "(none)"."""
    for key in path:
        shown = shown.get(key, "(none)") if isinstance(shown, dict) else "(none)"
    return shown


def check(shown, x, y, p):
    """Every disagreement between #results and the table at (x, y) and p."""
    want = {"x": str(x), "y": str(y), "p": p, "f": str(exact_f(x, y))}
    problems = differences("#results", want, shown)
    marks = {}
    for row in TABLE:
        kind = KINDS[row.kind]
        if kind.published:
            got = place_of(shown, place(row))
            problems += differences(".".join(place(row)), kind.published(row, x, y, p, got), got)
        if row.threshold:
            marks[row.threshold] = kind.least_widths(row, x, y)[kind.threshold]
    problems += differences("thresholds", marks, shown.get("thresholds", {}))
    problems += differences("exact_from", marks[PLAIN.threshold], shown.get("exact_from", "(none)"))
    problems += differences("questions", questions(x, y, p), shown.get("questions", "(none)"))
    return problems, marks


if __name__ == "__main__":
    x, y, p = (int(argument) for argument in sys.argv[2:5])
    problems, marks = check(json.load(sys.stdin), x, y, p)
    print(
        "\n".join(problems)
        or f"#results at ({x}, {y}), {p} bits: f, what each evaluation gives, the questions' answers and the "
        f"thresholds up to {WIDEST} "
        f"{marks}"
    )
    sys.exit(1 if problems else 0)
