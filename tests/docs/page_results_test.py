"""tests/targets/page-results.py, the check of the browser page's #results, on #results laid out from
the table's kinds: it accepts them whole, and names the place of every single change made to them.

usage: python3 -m unittest discover -s tests/docs -p '*_test.py'   (needs mpmath, for Student's t)
"""
import copy
import importlib.util
import os
import sys
import unittest

ROOT = os.path.dirname(os.path.dirname(os.path.dirname(os.path.abspath(__file__))))
sys.path.insert(0, os.path.join(ROOT, "docs"))
from evaluations import KINDS, PLAIN, TABLE, place, questions  # noqa: E402
from polynomial import X, Y, exact_f  # noqa: E402


def page_results():
    """tests/targets/page-results.py as a module (it takes the source folder as its first argument)."""
    found = importlib.util.spec_from_file_location("page_results", os.path.join(ROOT, "tests/targets/page-results.py"))
    module = importlib.util.module_from_spec(found)
    argv, sys.argv = sys.argv, ["page-results.py", ROOT]
    try:
        found.loader.exec_module(module)
    finally:
        sys.argv = argv
    return module


CHECK = page_results().check
CHOICES = {"n": 3, "seed": "7"}  # the runs and seed a page shows


def results(x, y, p):
    """#results as a page that agrees with the table lays it out: each row's value at its place (its
    kind's), the thresholds, the plain order's least exact width and the questions' answers."""
    laid_out = {"x": str(x), "y": str(y), "p": p, "f": str(exact_f(x, y)), "thresholds": {}}
    for row in TABLE:
        kind = KINDS[row.kind]
        if kind.published:
            *outer, key = place(row)
            holder = laid_out
            for name in outer:
                holder = holder[name]
            holder[key] = kind.published(row, x, y, p, CHOICES)
        if row.threshold:
            laid_out["thresholds"][row.threshold] = kind.least_widths(row, x, y)[kind.threshold]
    laid_out["exact_from"] = laid_out["thresholds"][PLAIN.threshold]
    laid_out["questions"] = questions(x, y, p)
    return laid_out


def changed(shown, path, change):
    """A copy of #results with the value at path (keys and list indices) changed by change (None:
    removed)."""
    other = copy.deepcopy(shown)
    holder = other
    for key in path[:-1]:
        holder = holder[key]
    if change is None:
        del holder[path[-1]]
    else:
        holder[path[-1]] = change(holder[path[-1]])
    return other


def plus_one(text):
    """A decimal integer, or an integer, one more."""
    return str(int(text) + 1) if isinstance(text, str) else text + 1


# One change to #results each, and what the check must say of it (its place, or what it wants there).
CHANGES = [
    (("f",), plus_one, "#results.f"),
    (("term_by_term", "steps", 3), plus_one, "term_by_term.steps"),
    (("term_by_term", "result"), plus_one, "term_by_term.result"),
    (("term_by_term", "shares", 0, "roundings", 2), plus_one, "term_by_term.shares"),
    (("term_by_term", "shares", 0, "operands"), lambda shares: dict(shares, X4="1"), "term_by_term.shares"),
    (("powers_reused", "shares", 2, "error"), plus_one, "powers_reused.shares"),
    (("term_by_term", "fused"), plus_one, "term_by_term.fused"),
    (("term_by_term", "interval"), lambda ends: ends[::-1], "term_by_term.interval"),
    (("powers_reused", "fused"), None, "powers_reused.fused"),
    (("running_bound", "proves_sign"), lambda proves: not proves, "running_bound.proves_sign"),
    (("running_bound", "bound"), lambda bound: "0", "a bound, at least"),
    (("random_rounding", "runs", 1), plus_one, "random_rounding.runs"),
    (("random_rounding", "claim_holds"), lambda holds: not holds, "random_rounding.claim_holds"),
    (("random_rounding", "false_claims"), plus_one, "random_rounding.false_claims"),
    (("random_rounding", "digits"), lambda c: c + 1e-6, "random_rounding.digits"),
    (("random_rounding", "seed"), lambda seed: "x", "a decimal integer below 2^64"),
    (("neumaier", "result"), plus_one, "neumaier.result"),
    (("sum_3", "exact_from"), plus_one, "sum_3.exact_from"),
    (("rewrite", "applies"), lambda applies: not applies, "rewrite.applies"),
    (("horner", "sign_from"), plus_one, "horner.sign_from"),
    (("comp_horner", "result"), plus_one, "comp_horner.result"),
    (("comp_horner",), None, "comp_horner"),
    (("summation_orders", "distinct"), plus_one, "summation_orders.distinct"),
    (("summation_orders", "least"), plus_one, "summation_orders.least"),
    (("summation_orders", "exact_from"), plus_one, "summation_orders.exact_from"),
    (("thresholds", "bound_below_1"), plus_one, "thresholds.bound_below_1"),
    (("thresholds", "interval_sign"), plus_one, "thresholds.interval_sign"),
    (("thresholds", "powers_reused_fused"), plus_one, "thresholds.powers_reused_fused"),
    (("exact_from",), plus_one, "exact_from"),
    (("questions", "double_sign"), lambda sign: (sign + 2) % 3 - 1, "questions.double_sign"),  # the next sign
    (("questions", "t1_steps"), plus_one, "questions.t1_steps"),
    (("questions", "t1_steps"), str, "questions.t1_steps"),  # a whole number, not its text
    (("questions", "extended2_zero"), lambda zero: not zero, "questions.extended2_zero"),
    (("questions", "extended2_zero"), int, "questions.extended2_zero"),  # yes or no, not 0 or 1
    (("questions", "sign_from"), plus_one, "questions.sign_from"),
    (("questions", "exact_remedies"), lambda keys: keys[::-1], "questions.exact_remedies"),
    (("questions", "exact_remedies"), lambda keys: keys[:-1], "questions.exact_remedies"),
    (("questions", "bound_distrusts"), lambda distrusts: not distrusts, "questions.bound_distrusts"),
    (("questions", "bound_distrusts"), None, "questions.bound_distrusts"),
    (("questions",), None, "questions"),
]


class PageResults(unittest.TestCase):
    """The check passes #results laid out from the table, and fails every change, naming its place."""

    def test_whole_and_changed(self):
        for x, y, p in [(X, Y, 53), (2177, 528, 64)]:
            shown = results(x, y, p)
            problems, _ = CHECK(shown, x, y, p)
            self.assertEqual(problems, [])
            for path, change, named in CHANGES:
                with self.subTest(x=x, p=p, path=path):
                    problems, _ = CHECK(changed(shown, path, change), x, y, p)
                    self.assertTrue(any(named in problem for problem in problems), problems)
                    self.assertTrue(all(path[0] in problem for problem in problems), problems)

    def test_off_the_chain(self):
        # 1 − 2x² is not f here: the page says it does not apply, and publishes nothing else of it
        shown = results(1000, 300, 24)
        self.assertEqual(shown["rewrite"], {"result": None, "sign_from": None, "exact_from": None, "applies": False})
        self.assertEqual(CHECK(shown, 1000, 300, 24)[0], [])


if __name__ == "__main__":
    unittest.main()
