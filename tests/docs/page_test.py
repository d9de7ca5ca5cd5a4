"""docs/page.py's blocks: found on a page at a line's start or indented as a list item's text, read
back as their script prints them, and written with every line indented as their markers are.

usage: python3 -m unittest discover -s tests/docs -p '*_test.py'   (needs mpmath, which page.py imports)
"""
import os
import sys
import unittest

sys.path.insert(0, os.path.join(os.path.dirname(os.path.dirname(os.path.dirname(os.path.abspath(__file__)))), "docs"))
from page import MARKDOWN, ROFF, page_blocks, replace_blocks  # noqa: E402

PRINTED = {  # what a script prints, by (script, block)
    ("docs/a.py", "one"): "| k |\n|---|\n| 1 |",
    ("docs/a.py", "two"): "Check: [k = 1](x.html?p=2#y).\n\nAnd more.",
}
# (a page before, its blocks as read, the page written from PRINTED)
ROWS = [
    (
        "Intro\n<!-- from docs/a.py: one -->\n| old |\n<!-- end -->\nafter\n",
        [("docs/a.py", "one", "| old |")],
        "Intro\n<!-- from docs/a.py: one -->\n| k |\n|---|\n| 1 |\n<!-- end -->\nafter\n",
    ),
    (  # in a list item, indented by its marker's width; an empty line stays empty
        "1. Ask.\n   <!-- from docs/a.py: two -->\n   Check: old.\n   <!-- end -->\n2. Next.\n",
        [("docs/a.py", "two", "Check: old.")],
        "1. Ask.\n   <!-- from docs/a.py: two -->\n   Check: [k = 1](x.html?p=2#y).\n\n   And more.\n   <!-- end -->\n"
        "2. Next.\n",
    ),
    (  # a block not yet written, in an item of two digits
        "10. Ask.\n    <!-- from docs/a.py: two -->\n    <!-- end -->\n",
        [("docs/a.py", "two", "")],
        "10. Ask.\n    <!-- from docs/a.py: two -->\n    Check: [k = 1](x.html?p=2#y).\n\n    And more.\n"
        "    <!-- end -->\n",
    ),
    (  # an end marker indented otherwise ends no block
        "   <!-- from docs/a.py: one -->\n   x\n<!-- end -->\n",
        [],
        "   <!-- from docs/a.py: one -->\n   x\n<!-- end -->\n",
    ),
]


class Blocks(unittest.TestCase):
    """Each block is read as its script prints it and written indented as its markers are."""

    def test_read_and_written(self):
        for before, read, written in ROWS:
            with self.subTest(before=before):
                self.assertEqual(page_blocks(before, MARKDOWN), read)
                self.assertEqual(replace_blocks(before, MARKDOWN, PRINTED), written)
                self.assertEqual(page_blocks(written, MARKDOWN), [(s, n, PRINTED[(s, n)]) for s, n, _ in read])

    def test_man_page_markers(self):
        page = '.SH X\n.\\" from docs/a.py: one\nold\n.\\" end\n'
        self.assertEqual(page_blocks(page, ROFF), [("docs/a.py", "one", "old")])
        written = '.SH X\n.\\" from docs/a.py: one\n| k |\n|---|\n| 1 |\n.\\" end\n'
        self.assertEqual(replace_blocks(page, ROFF, PRINTED), written)


if __name__ == "__main__":
    unittest.main()
