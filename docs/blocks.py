"""How the scripts print the pages' blocks: Markdown tables, between the markers that name the script
and the block (docs/page.py puts them into the pages). Not a program of its own.
"""
import os
import sys


def emit(name, text):
    """Prints one block of the page between the markers that name this script and the block."""
    script = "docs/" + os.path.basename(sys.argv[0])
    print(f"<!-- from {script}: {name} -->\n{text.rstrip(chr(10))}\n<!-- end -->")


def table(header, rows):
    """A markdown table."""
    lines = ["| " + " | ".join(header) + " |", "|" + "---|" * len(header)]
    return "\n".join(lines + ["| " + " | ".join(str(cell) for cell in row) + " |" for row in rows])
