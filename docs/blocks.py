"""How the scripts print the pages' blocks: Markdown tables and links to the browser page, between the
markers that name the script and the block (docs/page.py puts them into the pages). Not a program of
its own.
"""
import os
import sys

from polynomial import chain

# The browser page, beside the README, as a page in docs/ links it; and the titles of its sections,
# by their anchors, as its line of links above them names them.
BROWSER_PAGE = "../polyeval.html"
SECTIONS = {
    "choice-heading": "Your point and width",
    "why": "Why",
    "routines": "The routines, step by step",
    "chart": "Error against width",
    "width": "Any significand width",
    "detect": "How would you know?",
    "fix": "What fixes it?",
}

MADE_BY = []  # (module, name, function) of each block a function makes, in the order they are defined


def emit(name, text):
    """Prints one block of the page between the markers that name this script and the block."""
    script = "docs/" + os.path.basename(sys.argv[0])
    print(f"<!-- from {script}: {name} -->\n{text.rstrip(chr(10))}\n<!-- end -->")


def block(name):
    """Marks a function of no arguments as the one that makes the block `name` of its script."""

    def made_by(function):
        MADE_BY.append((function.__module__, name, function))
        return function

    return made_by


def emit_blocks():
    """Prints every block the running script's marked functions make, in the order they are defined."""
    for module, name, function in MADE_BY:
        if module == "__main__":
            emit(name, function())


def page_link(k, p, section, runs=None, seed=None):
    """A link to the browser page at the k-th point of the chain and the width p (and random rounding's
    N runs from the seed, where given), opened at a section; its words name them all, so that a
    printed page still says what to choose there."""
    x, y = chain(k)[-1]
    query = f"x={x}&y={y}&p={p}" + ("" if runs is None else f"&N={runs}&seed={seed}")
    chosen = f"k = {k}, {p} bits" + ("" if runs is None else f", N = {runs}, seed {seed}")
    return f"[“{SECTIONS[section]}” at {chosen}]({BROWSER_PAGE}?{query}#{section})"


def listed(items):
    """Items in words: a, b and c."""
    return items[0] if len(items) == 1 else ", ".join(items[:-1]) + " and " + items[-1]


def checks(links):
    """An exercise's links to the browser page (page_link's), as the sentence that ends it."""
    return f"Check it on the page: {listed(list(links))}."


def seen(account):
    """An answer's account of how the browser page shows it, as a sentence."""
    return f"On the page, {account}"


def table(header, rows):
    """A markdown table."""
    lines = ["| " + " | ".join(header) + " |", "|" + "---|" * len(header)]
    return "\n".join(lines + ["| " + " | ".join(str(cell) for cell in row) + " |" for row in rows])
