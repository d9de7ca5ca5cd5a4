#!/usr/bin/env python3
"""Draws docs/magnitudes.svg: the five terms with the signs they have in f, the exact value, the
four results and g (the polynomial the Single line evaluates) on a logarithmic scale of |value|,
with the spacing of binary64 near the largest terms and each result counted in those steps. A
zero result stands in a panel of its own, off the logarithmic scale.

usage: python3 docs/magnitudes.py [PATH]   (needs Debian's python3-matplotlib)
       the SVG figure on standard output, or into PATH (a path ending in .png draws a picture to
       look at)

The same bytes on every run: no date, a fixed hash salt for the SVG's ids, DejaVu Sans (matplotlib's
own font) drawn as paths. Shown at its own size, 11 inches wide (1056 CSS pixels), every label is
at least LABEL_POINTS points, 15 CSS pixels, so that its capitals and digits are 11 pixels tall;
no label inside the plot crosses its frame (the drawing fails if one does).
"""
import sys

import matplotlib

matplotlib.use("svg")
import matplotlib.pyplot as plt  # noqa: E402  (after the back end is chosen)

from evaluations import program_lines  # noqa: E402
from polynomial import STEP, STEP_EXPONENT, TERM_NAMES, X, Y, exact_f, exact_g, signed_terms  # noqa: E402
from text import in_steps, minus, program_text  # noqa: E402

NEUTRAL, TERM, RESULT, EXACT = "#777777", "#4a78b5", "#c0504d", "#3a9a4a"
DECADES = (10, 60)  # the logarithmic axis: 10^10 to 10^60 holds every nonzero value shown
LABEL_POINTS = 11.5  # the size of every label: at 96 CSS pixels an inch, 15.3 px
WIDTH, HEIGHT = 11, 5.6  # inches


def rows():
    """(label, value, colour, annotation) from top to bottom."""
    result = [
        (name if value > 0 else "−" + name, value, TERM, minus(f"{float(value):+.2e}"))
        for name, value in zip(["+" + n for n in TERM_NAMES], signed_terms(X, Y))
    ]
    result = [(label.replace("−+", "−"), v, c, a) for label, v, c, a in result]
    f = exact_f(X, Y)
    result.append(("exact f", f, EXACT, f"{minus(f'{float(f):.2e}')} = {in_steps(f)} steps"))
    g = exact_g(X, Y)
    result.append(("g (Single's polynomial)", g, EXACT, f"{minus(f'{float(g):.2e}')} = {in_steps(g)} steps"))
    for label, run in program_lines():
        value = run.result
        result.append((label, value, RESULT, f"{minus(program_text(value))} = {in_steps(value)} steps"))
    return result


def plot(zero_axis, axis, entries):
    """Plots each entry on its row: a marker (filled when positive) at its magnitude, or in the zero
    panel, and its annotation beside it."""
    for position, (label, value, colour, note) in enumerate(entries):
        target = zero_axis if value == 0 else axis
        magnitude = 1 if value == 0 else abs(float(value))
        marker = "o" if value == 0 else ("^" if value > 0 else "v")
        target.plot(
            [magnitude],
            [position],
            marker=marker,
            color=colour,
            markersize=9,
            markerfacecolor=colour if value >= 0 else "white",
        )
        axis.annotate(
            note,
            (10 ** DECADES[0] if value == 0 else magnitude, position),
            xytext=(9, -4),
            textcoords="offset points",
        )


def mark_spacing(axis, rows):
    """The dashed line at the spacing of binary64 near the largest terms, labelled in the free corner
    right of it, below the last row."""
    axis.axvline(float(STEP), color=NEUTRAL, linestyle="--", linewidth=1)
    mantissa, exponent = f"{float(STEP):.2e}".split("e")
    axis.text(
        float(STEP) * 3,
        rows + 0.35,
        f"spacing of binary64 near the largest\nterms: $2^{{{STEP_EXPONENT}}}$ ≈ {mantissa}·$10^{{{int(exponent)}}}$",
        color=NEUTRAL,
        va="bottom",
    )


def check_frame(figure, axis):
    """Fails unless every label inside the plot (the annotations, the spacing) lies within its frame."""
    figure.draw_without_rendering()
    frame = axis.get_window_extent()
    for text in axis.texts:
        box = text.get_window_extent()
        if box.x0 < frame.x0 or box.x1 > frame.x1 or box.y0 < frame.y0 or box.y1 > frame.y1:
            sys.exit(f"docs/magnitudes.py: the label {text.get_text()!r} crosses the plot's frame")


def draw(out, kind):
    """Draws the figure into out (a path or a binary file) as kind, svg or png."""
    plt.rcParams.update(
        {"svg.hashsalt": "polyeval", "svg.fonttype": "path", "font.family": "DejaVu Sans", "font.size": LABEL_POINTS}
    )
    figure, (zero_axis, axis) = plt.subplots(
        1, 2, figsize=(WIDTH, HEIGHT), sharey=True, gridspec_kw={"width_ratios": [1, 12], "wspace": 0.04}
    )
    entries = rows()
    plot(zero_axis, axis, entries)
    axis.set_xscale("log")
    axis.set_xlim(10.0 ** DECADES[0], 10.0 ** (DECADES[1] + 4))
    axis.set_xticks([10.0**d for d in range(DECADES[0], DECADES[1] + 1, 10)])
    mark_spacing(axis, len(entries))
    axis.set_xlabel("|value| (logarithmic scale)")
    axis.grid(axis="x", color="#dddddd")
    zero_axis.set_xlim(0.5, 1.5)
    zero_axis.set_xticks([1], ["0"])
    zero_axis.set_yticks(range(len(entries)), [label for label, *_ in entries])
    zero_axis.set_ylim(len(entries) - 0.5 + 1, -0.7)
    zero_axis.set_xlabel("zero")
    for side, target in (("right", zero_axis), ("left", axis)):
        target.spines[side].set_linestyle(":")
    axis.set_title(
        f"f at x = {X}, y = {Y}: ▲ positive, ▽ negative; blue terms, green exact values, red printed results"
    )
    check_frame(figure, axis)
    figure.savefig(
        out,
        format=kind,
        bbox_inches="tight",
        dpi=110,
        metadata={"Date": None, "Creator": "docs/magnitudes.py", "Title": "polyeval: magnitudes"},
    )


if __name__ == "__main__":
    if len(sys.argv) > 1:
        draw(sys.argv[1], sys.argv[1].rsplit(".", 1)[-1])
    else:
        draw(sys.stdout.buffer, "svg")
