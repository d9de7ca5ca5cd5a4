#!/usr/bin/env python3
"""Regenerates or checks every number of the explanation page (docs/numbers.md), the exercises
(docs/exercises.md) and their answers (docs/answers.md), the README's opening and the man page, and
the figure; or checks that the scripts the explanation names run where the documentation is
installed, as the pages say.

Each script (docs/pages.txt names them, role script) prints blocks between markers,
`<!-- from docs/steps.py: terms -->` ... `<!-- end -->`; the pages hold the same markers (in the man
page `.\\" from ...` and `.\\" end`), at a line's start or indented as a list item's text is, the
block's every line with them. --write puts each block into the pages and redraws the figure
(role figure, drawn by the script of role drawing). --check fails unless:
every block on the pages is what its script prints now, and every block printed is on a page;
every number in the prose around the blocks is one the scripts print; every `$ python3` command
on the pages prints what the page shows below it; every script prints the same bytes with either of
mpmath's integer back ends (gmpy2's, where python3-gmpy2 is installed, and its own); the figure
redraws to the committed bytes; and tests/golden-remedies.txt holds each remedy (and Horner's
scheme) at 53 bits at the chain's first six points as the table of evaluations
(docs/evaluations.py) computes it.

--check-installed DIR, where DIR is the folder of an installed or unpacked README (share/doc/polyeval,
or an archive's top folder), fails unless every script, the drawing and the modules they share are in
DIR/docs, byte for byte, and every page of the explanation names only those; every script and the
drawing, run in DIR as the pages show (`python3 docs/steps.py`), prints what it prints here (the
drawing: the figure installed there); and every `$ python3` command on those pages, run in DIR, prints
what the page shows.

usage: /usr/bin/python3 docs/page.py --write | --check | --check-installed DIR
       (needs python3-matplotlib, python3-mpmath)
"""
import concurrent.futures
import os
import re
import subprocess
import sys
import tempfile

import mpmath

from evaluations import golden_remedies
from text import SUPERSCRIPT_DIGITS

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))


def listing():
    """The documentation's files and their roles, as docs/pages.txt lists them: [(path, role)]."""
    with open(os.path.join(ROOT, "docs/pages.txt"), encoding="utf-8") as pages:
        return [tuple(line.split()) for line in pages if line.strip() and not line.startswith("#")]


def having(*roles):
    """The paths of the documentation's files of the given roles, in docs/pages.txt's order."""
    return [path for path, role in listing() if role in roles]


SCRIPTS = having("script")
[FIGURE], [FIGURE_SCRIPT] = having("figure"), having("drawing")
SHIPPED_SCRIPTS = having("script", "drawing", "module")  # installed beside the pages, to be run there
SCRIPT_NAMED = re.compile(r"docs/\w+\.py")
# Each page whose numbers the scripts compute, its markers (a block's opening, with the script and
# name, and its end) and the part of it whose prose numbers are swept: the README's opening only, an
# explanation page whole (docs/pages.txt names them), the man page without its title line.
MARKDOWN = (r"<!-- from (\S+): (\S+) -->\n", "<!-- end -->")
ROFF = (r'\.\\" from (\S+): (\S+)\n', '.\\" end')
SWEEP = {"readme": lambda text: text.split("\n## ")[0], "explanation": lambda text: text}


def computed_pages():
    """The pages whose numbers the scripts compute: {path: (markers, sweep)}."""
    pages = {path: (MARKDOWN, SWEEP[role]) for path, role in listing() if role in SWEEP}
    pages["docs/polyeval.1.in"] = (ROFF, lambda text: re.sub(r"^\.TH .*$", "", text, flags=re.M).replace("\\-", "-"))
    return pages


PAGES = computed_pages()
# A number: sign, digits, decimals, an e-exponent, a superscript power, a ·10ⁿ factor; not a part of
# a name (binary64, x87, T1, a 32-bit x86), and not the standard's name IEEE 754.
SUPERSCRIPT = f"[{SUPERSCRIPT_DIGITS}]"
NUMBER = re.compile(
    rf"(?<![\w.-])(?<!IEEE )(?!\d*-bit)[-−+]?\d+(?:\.\d+)?(?:e[-+]\d+)?{SUPERSCRIPT}*(?:·10{SUPERSCRIPT}+)?"
)
HEXFLOAT = re.compile(r"-?0x[0-9a-f.]+p[-+]\d+")
GOLDEN_REMEDIES = "tests/golden-remedies.txt"  # the remedies (and Horner) at 53 bits, as the table computes them


def run(command, python, where=ROOT, **settings):
    """Runs a command in the folder where (the top of the tree unless given), with python3 meaning the
    given interpreter and the environment variables in settings added; its output."""
    with tempfile.TemporaryDirectory() as bin_dir:
        os.symlink(python, os.path.join(bin_dir, "python3"))
        environment = dict(os.environ, PATH=bin_dir + os.pathsep + os.environ["PATH"], PYTHONHASHSEED="0", **settings)
        done = subprocess.run(
            command, shell=True, cwd=where, env=environment, capture_output=True, text=True, timeout=300
        )
    if done.returncode != 0:
        sys.exit(f"{command[:60]}... failed with status {done.returncode}:\n{done.stderr}")
    return done.stdout


def side_by_side(jobs):
    """Runs each job, (command, folder, settings) as run() takes them, two at a time (two cores at
    the least): their outputs, in the jobs' order."""
    with concurrent.futures.ThreadPoolExecutor(max_workers=2) as pool:
        return list(pool.map(lambda job: run(job[0], sys.executable, job[1], **job[2]), jobs))


# The settings under which the scripts run: mpmath computes with gmpy2's integers where
# python3-gmpy2 is installed, and with its own under MPMATH_NOGMPY=1 (where gmpy2 is not, its own
# already: one run tells all).
BACK_ENDS = [{}] + ([{"MPMATH_NOGMPY": "1"}] if mpmath.libmp.BACKEND == "gmpy" else [])


def script_jobs(where=ROOT, back_ends=BACK_ENDS):
    """The jobs that run every script in the folder where, once with each of the back ends."""
    return [(f"python3 {script}", where, settings) for script in SCRIPTS for settings in back_ends]


def block_pattern(markers):
    """A block between markers, which start a line or are indented as a list item's text is, both
    alike: the indentation (group 1), the script (2), the block's name (3) and its content (4), every
    line of it indented so, which never runs past an end marker and is empty in a block not yet
    written."""
    opening, end = markers
    return re.compile(r"^( *)" + opening + rf"((?:(?!{re.escape(end)}).)*?)\n?\1" + re.escape(end), re.S | re.M)


def indented(content, indent):
    """A block's content with each line but an empty one indented."""
    return "\n".join(indent + line if line else line for line in content.split("\n"))


def dedented(content, indent):
    """A block's content with the indentation taken off each line that has it."""
    return "\n".join(line[len(indent) :] if line.startswith(indent) else line for line in content.split("\n"))


def blocks_of(outputs):
    """Every block the scripts printed (their outputs), by (script, name)."""
    return {(m[2], m[3]): m[4] for output in outputs for m in block_pattern(MARKDOWN).finditer(output)}


def page_blocks(text, markers):
    """The blocks on a page: (script, name, content) in order, the content as its script prints it."""
    return [(m[2], m[3], dedented(m[4], m[1])) for m in block_pattern(markers).finditer(text)]


def replace_blocks(text, markers, blocks):
    """The page with each block's content replaced by the generated one, indented as its markers are."""
    return block_pattern(markers).sub(
        lambda m: text[m.start(0) : m.start(4)] + indented(blocks[(m[2], m[3])], m[1]) + "\n" + m[1] + markers[1],
        text,
    )


def commands(text):
    """The `$ python3` commands on a page with the output shown under each (4-space indented)."""
    found, lines, i = [], text.split("\n"), 0
    while i < len(lines):
        if not lines[i].startswith("    $ python3 "):
            i += 1
            continue
        command = [lines[i][6:]]
        while " ".join(command).count("'") % 2:
            i += 1
            command.append(lines[i][4:])
        shown = []
        while i + 1 < len(lines) and lines[i + 1].startswith("    ") and not lines[i + 1].startswith("    $"):
            i += 1
            shown.append(lines[i][4:])
        found.append(("\n".join(command), "\n".join(shown) + "\n"))
        i += 1
    return found


def numbers(text):
    """The number tokens in a text, signs written as ASCII and a plus sign dropped."""
    return {token.replace("−", "-").lstrip("+") for token in NUMBER.findall(HEXFLOAT.sub("", text))}


def golden_differences():
    """The lines of tests/golden-remedies.txt (comments aside, in any order and spacing) that the table
    of evaluations does not compute at 53 bits, and those it computes that the file lacks."""
    with open(os.path.join(ROOT, GOLDEN_REMEDIES), encoding="utf-8") as golden:
        held = [" ".join(line.split()) for line in golden if line.strip() and not line.startswith("#")]
    computed = golden_remedies()
    extra = [
        f"{GOLDEN_REMEDIES} holds {line!r}, which the table does not compute" for line in held if line not in computed
    ]
    missing = [
        f"{GOLDEN_REMEDIES} holds {line!r} not once, as the table computes it"
        for line in computed
        if held.count(line) != 1
    ]
    return extra + missing


def check():
    """Every disagreement between the pages, the scripts and the figure."""
    with tempfile.TemporaryDirectory() as scratch:
        drawn = os.path.join(scratch, "magnitudes.svg")
        outputs = side_by_side(script_jobs() + [(f"python3 {FIGURE_SCRIPT} {drawn}", ROOT, {})])[:-1]
        drawn_bytes = open(drawn, "rb").read()
    by_script = [outputs[i : i + len(BACK_ENDS)] for i in range(0, len(outputs), len(BACK_ENDS))]
    blocks = blocks_of(printed[0] for printed in by_script)
    problems, used, known = [], set(), set()
    for content in blocks.values():
        known |= numbers(content)
    known |= {token.lstrip("-") for token in known}  # the prose may name a signed value's size
    for page, (markers, sweep) in PAGES.items():
        text = open(os.path.join(ROOT, page), encoding="utf-8").read()
        for script, name, content in page_blocks(text, markers):
            used.add((script, name))
            if (script, name) not in blocks:
                problems.append(f"{page}: no script prints the block {script}: {name}")
            elif content != blocks[(script, name)]:
                problems.append(
                    f"{page}: the block {script}: {name} differs from what the script prints now:\n"
                    f"--- page\n{content}\n--- {script}\n{blocks[(script, name)]}"
                )
        prose = block_pattern(markers).sub("", text)
        for command, shown in commands(prose):
            printed = run(command, sys.executable)
            if printed != shown:
                problems.append(f"{page}: `{command}` prints\n{printed}but the page shows\n{shown}")
            prose = prose.replace(command, "").replace(shown, "")
        unknown = sorted(numbers(sweep(prose)) - known)
        if unknown:
            problems.append(f"{page}: numbers in the prose that no script prints: {' '.join(unknown)}")
    problems += [f"printed but on no page: {script}: {name}" for script, name in sorted(set(blocks) - used)]
    problems += golden_differences()
    problems += [
        f"{script} prints other bytes with mpmath's own integers (MPMATH_NOGMPY=1) than with gmpy2's"
        for script, printed in zip(SCRIPTS, by_script)
        if len(set(printed)) > 1
    ]
    if drawn_bytes != open(os.path.join(ROOT, FIGURE), "rb").read():
        problems.append(f"{FIGURE} is not what {FIGURE_SCRIPT} draws now")
    return problems


def check_installed(installed):
    """Every way in which the scripts, run where the documentation is installed (the folder of its
    README), fail to do what the explanation's pages say."""
    problems = []
    for script in SHIPPED_SCRIPTS:
        copy = os.path.join(installed, script)
        if not os.path.isfile(copy) or open(copy, "rb").read() != open(os.path.join(ROOT, script), "rb").read():
            problems.append(f"{installed}: no {script}, or not this tree's")
    if problems:
        return problems
    for page in having("explanation"):
        text = open(os.path.join(ROOT, page), encoding="utf-8").read()
        named = sorted(set(SCRIPT_NAMED.findall(text)) - set(SHIPPED_SCRIPTS))
        problems += [f"{page} names {script}, which is not installed beside it" for script in named]
        for command, shown in commands(text):
            printed = run(command, sys.executable, installed)
            if printed != shown:
                problems.append(f"{page}: `{command}` prints\n{printed}in {installed}, but the page shows\n{shown}")
    drawing = [(f"python3 {FIGURE_SCRIPT}", installed, {})]
    *outputs, drawn = side_by_side(script_jobs(installed, [{}]) + script_jobs(ROOT, [{}]) + drawing)
    problems += [
        f"{script} prints other bytes in {installed} than in {ROOT}"
        for script, there, here in zip(SCRIPTS, outputs, outputs[len(SCRIPTS) :])
        if there != here
    ]
    if drawn != open(os.path.join(installed, FIGURE), encoding="utf-8").read():
        problems.append(f"{FIGURE_SCRIPT} run in {installed} does not draw the {FIGURE} installed there")
    return problems


def write(blocks):
    """Puts every block into the pages and redraws the figure."""
    for page, (markers, _) in PAGES.items():
        path = os.path.join(ROOT, page)
        text = open(path, encoding="utf-8").read()
        with open(path, "w", encoding="utf-8") as out:
            out.write(replace_blocks(text, markers, blocks))
    run(f"python3 {FIGURE_SCRIPT} {FIGURE}", sys.executable)


if __name__ == "__main__":
    if sys.argv[1:] not in (["--write"], ["--check"]) and sys.argv[1:2] + sys.argv[3:] != ["--check-installed"]:
        sys.exit(__doc__)
    if sys.argv[1] == "--check-installed":
        found = check_installed(os.path.abspath(sys.argv[2]))
        print("\n\n".join(found) if found else f"the scripts run in {sys.argv[2]} as the explanation says")
        sys.exit(1 if found else 0)
    if sys.argv[1] == "--write":
        write(blocks_of(side_by_side(script_jobs(back_ends=[{}]))))
    else:
        found = check()
        print(
            "\n\n".join(found)
            if found
            else "the pages, the README's opening, the man page and the figure agree " "with the scripts"
        )
        sys.exit(1 if found else 0)
