#!/usr/bin/env python3
"""Writes one Markdown page of the project (the README, the explanation, the exercises and their
answers, the maintainers' page) as an HTML page that reads like the repository's web view and opens
from disk with no network: CommonMark with tables (markdown-it-py), section anchors with the web
view's slugs (mdit-py-plugins), links between the pages rewritten from .md to .html (a link's text
too, where it shows its own target), the marker comments around the computed blocks left out, and
one small stylesheet inside, for screens and for print. No script; the figure is the same file the
Markdown shows.

Above each page a line of links: the README, the explanation's pages (docs/pages.txt names them)
and, where it is shipped beside the README, the browser page. Where it is not, a link to the browser
page (role browser) shows its words alone: nothing beside the pages would open. The text keeps a readable column;
tables, code blocks and figures may take the width beside it. A table of long exact numbers scrolls
in its own box on a narrow screen; any other table too wide for a phone shows each row as a block of
its own there. In print nothing scrolls: code lines wrap, long numbers only in a table that could
not fit the paper otherwise, and headings and tables stay whole and with what follows them.

usage: python3 docs/html_pages.py SOURCE.md PAGE.html [--as PATH] [--browser-page PATH] [--link FROM=TO ...]
  --as PATH            the page's path beside the README (README.md, docs/numbers.md), when SOURCE
                       lies elsewhere; by default SOURCE's path in this tree
  --browser-page PATH  the browser page, by its path beside the README, shipped with the pages
  --link FROM=TO       a link to FROM points to TO instead (the Windows zips' LICENSE.txt)
(needs Debian's python3-markdown-it and python3-mdit-py-plugins)
"""
import argparse
import html
import os
import posixpath
import re

from markdown_it import MarkdownIt
from mdit_py_plugins.anchors import anchors_plugin

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
# The text column is 46rem at most; a table, a code block or a figure (a paragraph that is only an
# image) sits in a .wide box as wide as the screen, between two spacers of half the room beside the
# column each: starting where the column starts while it fits the column, and growing evenly to both
# sides when it does not. A table of words wraps them to keep to the column as far as it can; a
# table of long exact numbers keeps them whole while the screen has room.
STYLE = """
body { margin: 0; color: #1b1b1b; background: #fff; font-family: system-ui, sans-serif; line-height: 1.5; }
header, main { --column: min(46rem, 100%); padding: 0.5rem 1rem; overflow-wrap: break-word; }
main { padding-bottom: 3rem; }
header > *, main > * { max-width: var(--column); margin-left: auto; margin-right: auto; }
nav { display: flex; flex-wrap: wrap; gap: 0.2rem 1.2rem; border-bottom: 1px solid #d0d7de; padding-bottom: 0.4rem; }
h1, h2 { border-bottom: 1px solid #d0d7de; padding-bottom: 0.2rem; }
a { color: #0645ad; }
code, pre { font-family: ui-monospace, monospace; font-size: 0.9em; }
code { background: #f2f2f2; padding: 0.1em 0.25em; border-radius: 3px; }
pre { background: #f4f4f4; padding: 0.6rem; overflow-x: auto; line-height: 1.35; }
pre code { background: none; padding: 0; }
img { display: block; max-width: 100%; height: auto; }
.wide { display: flex; max-width: none; margin: 1rem 0; }
.wide::before, .wide::after { content: ""; flex: 0 1 max(0px, (100% - var(--column)) / 2); min-width: 0; }
.wide::after { flex-grow: 1; }
.wide > * { flex: none; max-width: 100%; margin: 0; box-sizing: border-box; }
.wide > pre { min-width: var(--column); }
.table:not(.numbers) > table { max-width: var(--column); }
.table { overflow-x: auto; }
table { border-collapse: collapse; }
th, td { border: 1px solid #c8c8c8; padding: 0.25rem 0.6rem; vertical-align: top; }
th { background: #f4f4f4; text-align: left; }
@media screen and (max-width: 40rem) {
  .numbers > table { max-width: none; }
  .reflow > table, .reflow tbody, .reflow tr, .reflow td { display: block; }
  .reflow > table { width: 100%; }
  .reflow thead { position: absolute; width: 1px; height: 1px; overflow: hidden; clip-path: inset(50%); }
  .reflow tr { border: 1px solid #c8c8c8; margin-bottom: 0.5rem; padding: 0.2rem 0; }
  .reflow td { border: none; padding: 0.1rem 0.6rem; }
  .reflow td:empty { display: none; }
  .reflow td::before { content: attr(data-label) ": "; font-weight: 600; }
}
@media print {
  @page { margin: 15mm; }
  body { font-size: 10pt; }
  header { display: none; }
  main { padding: 0; }
  main > * { max-width: none; }
  .wide { display: block; overflow: visible; }
  .wide::before, .wide::after { content: none; }
  .wide > pre { min-width: 0; }
  pre { white-space: pre-wrap; overflow: visible; }
  table { font-size: 0.9em; }
  th, td { padding: 0.15rem 0.4rem; }
  p code, li code, .tight td.long { overflow-wrap: anywhere; }
  h1, h2, h3, h4, :is(p, ol, ul):has(+ .wide) { break-after: avoid; }
  .wide, tr, pre, img, h1, h2, h3, h4 { break-inside: avoid; }
  thead { display: table-header-group; }
}
"""
MARKER = re.compile(r"\s*<!--.*?-->\s*", re.S)
SCHEME = re.compile(r"^[a-z][a-z0-9+.-]*:", re.I)
# A long exact number: a word with 12 digits or more (the terms, hexadecimal steps, 17 digits).
LONG_NUMBER = re.compile(r"^\S*?(?:\d\S*?){12}")
# How wide a table must be, at least, with no word broken: in a column, the longest word's characters
# (a bold heading's a tenth wider), and the cell's padding and border. On a screen a character is
# about 0.6rem and a cell's edges take 1.3rem: a table of no long number that needs more than a
# phone's text column, 21rem at 375 px, shows its rows as blocks there. In print (a table's text
# 9 points, its em 12 px) a digit is 0.64em and a cell's edges take 1.15em: a table that needs more
# than the narrower printable width, A4's 180 mm (680 px, 56 em), lets its long numbers wrap.
SCREEN = {"character": 0.6, "heading": 0.66, "cell": 1.3, "room": 21}
PRINT = {"character": 0.64, "heading": 0.7, "cell": 1.15, "room": 56}
BROWSER_PAGE_LABEL = "In the browser"
# The roles of a table's parts, which it loses to display: block in some browsers.
TABLE_ROLES = {"table_open": "table", "thead_open": "rowgroup", "tbody_open": "rowgroup", "tr_open": "row"}
TABLE_ROLES.update({"th_open": "columnheader", "td_open": "cell"})


def documentation():
    """docs/pages.txt: each file of the documentation, (path beside the README, role)."""
    with open(os.path.join(ROOT, "docs", "pages.txt"), encoding="utf-8") as listing:
        return [tuple(line.split()) for line in listing if line.strip() and not line.startswith("#")]


[BROWSER_PAGE] = [path for path, role in documentation() if role == "browser"]


def leads_to(href, path):
    """The file beside the README that a link on the page at path leads to, its query and anchor
    dropped; None for an address elsewhere or an anchor on the page itself."""
    linked = re.split(r"[?#]", href, maxsplit=1)[0]
    if not linked or SCHEME.match(linked):
        return None
    return posixpath.normpath(posixpath.join(posixpath.dirname(path), linked))


def unlinked(children, dropped):
    """Inline tokens without the links whose href dropped() names, their words kept."""
    kept, inside = [], False
    for child in children:
        if child.type == "link_open" and dropped(child.attrGet("href")):
            inside = True
        elif child.type == "link_close" and inside:
            inside = False
        else:
            kept.append(child)
    return kept


def target(href, renamed):
    """A link's target as the HTML pages have it: a page's .md as .html, a renamed file by its new
    name; anchors and addresses elsewhere as they are."""
    path, hash_mark, anchor = href.partition("#")
    if not path or SCHEME.match(path):
        return href
    path = renamed.get(path, re.sub(r"\.md$", ".html", path))
    return path + hash_mark + anchor


def plain(inline):
    """The text an inline token shows, without its markup."""
    return "".join(child.content for child in inline.children or [] if child.type in ("text", "code_inline"))


def longest_word(text):
    """How many characters the longest word of text has."""
    return max((len(word) for word in text.split()), default=0)


def needed_width(texts, measures):
    """How wide a table of these cell texts (rows, the heading first) must be at least, in the unit
    of measures (SCREEN or PRINT), with no word broken."""
    needed = 0
    for column, heading in enumerate(texts[0]):
        widest = max(
            [longest_word(heading) * measures["heading"]]
            + [longest_word(row[column]) * measures["character"] for row in texts[1:]]
        )
        needed += widest + measures["cell"]
    return needed


def table_kind(cells):
    """How a table lays out, from its cells (rows of inline tokens, the heading first), as its
    classes: on a narrow screen "numbers" when a cell holds a long exact number (it scrolls),
    "reflow" when its longest words need more than a phone's column (its rows become blocks), else
    none (it fits); and "tight" when in print its long numbers must wrap to fit the paper."""
    texts = [[plain(cell) for cell in row] for row in cells]
    kinds = []
    if any(long_number(text) for row in texts for text in row):
        kinds.append("numbers")
    elif needed_width(texts, SCREEN) > SCREEN["room"]:
        kinds.append("reflow")
    if needed_width(texts, PRINT) > PRINT["room"]:
        kinds.append("tight")
    return kinds


def long_number(text):
    """Whether text holds a long exact number."""
    return any(LONG_NUMBER.match(word) for word in text.split())


def mark_tables(tokens):
    """Sets each table_open token's kinds (table_kind) and marks its cells: a cell with a long exact
    number gets the class long (it may wrap in a tight table's print); in a table whose rows become
    blocks on a phone, each cell gets its heading as its data-label, and the table its roles, which
    display: block would take from it."""
    for start, token in enumerate(tokens):
        if token.type != "table_open":
            continue
        end = next(i for i in range(start, len(tokens)) if tokens[i].type == "table_close")
        rows, cells = [], []
        for i in range(start, end):
            if tokens[i].type == "tr_open":
                rows.append([])
            elif tokens[i].type in ("th_open", "td_open"):
                rows[-1].append(tokens[i + 1])
                cells.append((tokens[i], tokens[i + 1], len(rows[-1]) - 1))
        token.meta["kinds"] = table_kind(rows)
        for cell, content, column in cells:
            if cell.type == "td_open" and long_number(plain(content)):
                cell.attrSet("class", "long")
            if cell.type == "td_open" and "reflow" in token.meta["kinds"]:
                cell.attrSet("data-label", plain(rows[0][column]))
        for i in range(start, end):
            if "reflow" in token.meta["kinds"] and tokens[i].type in TABLE_ROLES:
                tokens[i].attrSet("role", TABLE_ROLES[tokens[i].type])


def mark_figures(tokens):
    """Gives a paragraph that is only an image, or only a linked image, the .wide box of a figure."""
    for i, token in enumerate(tokens[:-1]):
        shown = [child.type for child in tokens[i + 1].children or []]
        if token.type == "paragraph_open" and shown in (["image"], ["link_open", "image", "link_close"]):
            token.attrSet("class", "wide figure")


def render(text, renamed, path, browser_page):
    """The page's title and its body as HTML, for the page at path beside the README; its links to the
    browser page left as words where browser_page, the page shipped, is None."""
    md = MarkdownIt("commonmark", {"html": True}).enable("table")
    anchors_plugin(md, min_level=1, max_level=6)
    tokens = [token for token in md.parse(text) if not (token.type == "html_block" and MARKER.fullmatch(token.content))]
    title = next((tokens[i + 1].content for i, token in enumerate(tokens) if token.type == "heading_open"), "")
    for token in tokens:
        if token.children and browser_page is None:
            token.children = unlinked(token.children, lambda href: leads_to(href, path) == BROWSER_PAGE)
        children = token.children or []
        for i, child in enumerate(children):
            for attribute in ("href", "src"):
                written = child.attrGet(attribute)
                if written:
                    child.attrSet(attribute, target(written, renamed))
                    # A link that shows its own target, [docs/numbers.md](docs/numbers.md), shows the new one.
                    shown = children[i + 1] if i + 1 < len(children) else None
                    if attribute == "href" and shown and shown.type == "text" and shown.content == written:
                        shown.content = child.attrGet(attribute)
    mark_tables(tokens)
    mark_figures(tokens)

    def table_open(renderer, tokens, i, options, env):
        classes = " ".join(["wide", "table"] + tokens[i].meta["kinds"])
        region = f'<div class="{classes}" role="region" aria-label="table" tabindex="0">'
        return region + renderer.renderToken(tokens, i, options, env)

    def code(rule):
        def in_box(renderer, tokens, i, options, env):
            return f'<div class="wide code">{rule(tokens, i, options, env)}</div>\n'

        return in_box

    md.add_render_rule("table_open", table_open)
    md.add_render_rule("table_close", lambda *_: "</table></div>\n")
    md.add_render_rule("code_block", code(md.renderer.rules["code_block"]))
    md.add_render_rule("fence", code(md.renderer.rules["fence"]))
    return title, md.renderer.render(tokens, md.options, {})


def navigation(path, browser_page):
    """The line of links above the page at path (beside the README): the README, the explanation's
    pages, each by its title up to a colon, and the browser page where it is shipped."""
    entries = []
    for page, role in documentation():
        if role == "readme":
            entries.append((page, "README"))
        elif role == "explanation":
            with open(os.path.join(ROOT, page), encoding="utf-8") as source:
                entries.append((page, source.readline().lstrip("# ").split(":")[0].strip()))
    if browser_page:
        entries.append((browser_page, BROWSER_PAGE_LABEL))
    links = []
    for page, label in entries:
        if page == path:
            links.append(f'<strong aria-current="page">{html.escape(label)}</strong>')
        else:
            href = posixpath.relpath(target(page, {}), posixpath.dirname(path) or ".")
            links.append(f'<a href="{html.escape(href)}">{html.escape(label)}</a>')
    return '<nav aria-label="polyeval\'s documentation">\n' + "\n".join(links) + "\n</nav>\n"


def page(title, body, nav):
    """The whole HTML page."""
    return (
        f'<!DOCTYPE html>\n<html lang="en">\n<head>\n<meta charset="utf-8">\n'
        f'<meta name="viewport" content="width=device-width, initial-scale=1">\n'
        f"<title>{html.escape(title)}</title>\n<style>{STYLE}</style>\n</head>\n<body>\n<header>\n{nav}</header>\n"
        f"<main>\n{body}</main>\n</body>\n</html>\n"
    )


if __name__ == "__main__":
    parser = argparse.ArgumentParser(description=__doc__.split("\n\n")[0])
    parser.add_argument("source")
    parser.add_argument("page")
    parser.add_argument("--as", dest="path", metavar="PATH")
    parser.add_argument("--browser-page", metavar="PATH")
    parser.add_argument("--link", action="append", default=[], metavar="FROM=TO")
    arguments = parser.parse_args()
    path = arguments.path or os.path.relpath(os.path.abspath(arguments.source), ROOT).replace(os.sep, "/")
    with open(arguments.source, encoding="utf-8") as source:
        title, body = render(
            source.read(), dict(link.split("=", 1) for link in arguments.link), path, arguments.browser_page
        )
    with open(arguments.page, "w", encoding="utf-8", newline="\n") as out:
        out.write(page(title, body, navigation(path, arguments.browser_page)))
