#!/usr/bin/env python3
"""Writes one Markdown page of the project (the README, the explanation, the exercises, the
maintainers' page) as an HTML page that reads like the repository's web view and opens from disk
with no network: CommonMark with tables (markdown-it-py), section anchors with the web view's slugs
(mdit-py-plugins), links between the pages rewritten from .md to .html (a link's text too, where it
shows its own target), the marker comments around the computed blocks left out, each table in a box
of its own that scrolls sideways on a narrow screen, and one small stylesheet inside. No script; the
figure is the same file the Markdown shows.

usage: python3 docs/html_pages.py SOURCE.md PAGE.html [--link FROM=TO ...]
  --link FROM=TO   a link to FROM points to TO instead (the Windows zips' LICENSE.txt)
(needs Debian's python3-markdown-it and python3-mdit-py-plugins)
"""
import argparse
import html
import re

from markdown_it import MarkdownIt
from mdit_py_plugins.anchors import anchors_plugin

# Readable lines, tables with borders, code kept as written; nothing wider than a phone's screen
# but a table or a code block, each of which scrolls in its own box (a cell keeps a few words a line
# there rather than one).
STYLE = """
body { margin: 0; color: #1b1b1b; background: #fff; font-family: system-ui, sans-serif; line-height: 1.5; }
main { max-width: 48rem; margin: 0 auto; padding: 0.5rem 1rem 3rem; overflow-wrap: break-word; }
h1, h2 { border-bottom: 1px solid #d0d7de; padding-bottom: 0.2rem; }
a { color: #0645ad; }
code, pre { font-family: ui-monospace, monospace; font-size: 0.9em; }
code { background: #f2f2f2; padding: 0.1em 0.25em; border-radius: 3px; }
pre { background: #f4f4f4; padding: 0.6rem; overflow-x: auto; line-height: 1.35; }
pre code { background: none; padding: 0; }
img { max-width: 100%; height: auto; }
.table { overflow-x: auto; margin: 1rem 0; }
table { border-collapse: collapse; }
th, td { border: 1px solid #c8c8c8; padding: 0.25rem 0.6rem; vertical-align: top; min-width: 6rem; }
th { background: #f4f4f4; text-align: left; }
"""
MARKER = re.compile(r"\s*<!--.*?-->\s*", re.S)
SCHEME = re.compile(r"^[a-z][a-z0-9+.-]*:", re.I)


def target(href, renamed):
    """A link's target as the HTML pages have it: a page's .md as .html, a renamed file by its new
    name; anchors and addresses elsewhere as they are."""
    path, hash_mark, anchor = href.partition("#")
    if not path or SCHEME.match(path):
        return href
    path = renamed.get(path, re.sub(r"\.md$", ".html", path))
    return path + hash_mark + anchor


def render(text, renamed):
    """The page's title and its body as HTML."""
    md = MarkdownIt("commonmark", {"html": True}).enable("table")
    anchors_plugin(md, min_level=1, max_level=6)
    tokens = [token for token in md.parse(text) if not (token.type == "html_block" and MARKER.fullmatch(token.content))]
    title = next((tokens[i + 1].content for i, token in enumerate(tokens) if token.type == "heading_open"), "")
    for token in tokens:
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
    md.add_render_rule(
        "table_open", lambda *_: '<div class="table" role="region" aria-label="table" tabindex="0"><table>\n'
    )
    md.add_render_rule("table_close", lambda *_: "</table></div>\n")
    return title, md.renderer.render(tokens, md.options, {})


def page(title, body):
    """The whole HTML page."""
    return (
        f'<!DOCTYPE html>\n<html lang="en">\n<head>\n<meta charset="utf-8">\n'
        f'<meta name="viewport" content="width=device-width, initial-scale=1">\n'
        f"<title>{html.escape(title)}</title>\n<style>{STYLE}</style>\n</head>\n<body>\n<main>\n{body}</main>\n"
        f"</body>\n</html>\n"
    )


if __name__ == "__main__":
    parser = argparse.ArgumentParser(description=__doc__.split("\n\n")[0])
    parser.add_argument("source")
    parser.add_argument("page")
    parser.add_argument("--link", action="append", default=[], metavar="FROM=TO")
    arguments = parser.parse_args()
    with open(arguments.source, encoding="utf-8") as source:
        title, body = render(source.read(), dict(link.split("=", 1) for link in arguments.link))
    with open(arguments.page, "w", encoding="utf-8", newline="\n") as out:
        out.write(page(title, body))
