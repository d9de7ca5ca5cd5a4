"""How the scripts print the pages' blocks: Markdown tables, between the markers that name the script
and the block (docs/page.py puts them into the pages). Not a program of its own.
"""
import os
import sys

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


def table(header, rows):
    """A markdown table."""
    lines = ["| " + " | ".join(header) + " |", "|" + "---|" * len(header)]
    return "\n".join(lines + ["| " + " | ".join(str(cell) for cell in row) + " |" for row in rows])
