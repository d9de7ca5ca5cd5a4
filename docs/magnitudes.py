#!/usr/bin/env python3
"""Draws docs/magnitudes.svg: the sizes of the five terms, the spacing of binary64 near the largest,
the exact value and the four results, on a logarithmic scale.

usage: python3 docs/magnitudes.py > docs/magnitudes.svg

Needs only Debian's python3. The values are computed here, not typed in: the terms and the exact
value with Python's integers, the results with its floats (binary64, one rounding per operation,
in the program's order).
"""
import math

X, Y = 9478657, 2298912


def term_by_term(x, y, sign_of_t2):
    """The term-by-term sum in binary64; operands are integers, so binary32 ones widen to the same."""
    t1 = 83521.0 * y * y * y * y * y * y * y * y
    t2 = 578.0 * x * x * y * y * y * y
    s = t1 + t2 if sign_of_t2 > 0 else t1 - t2
    s = s - 2.0 * x * x * x * x
    s = s + 2.0 * x * x * x * x * x * x
    return s - x * x * x * x * x * x * x * x


def reusing_powers(x, y):
    """The power-reuse sum in binary64."""
    x4 = x * x * x * x
    y4 = y * y * y * y
    s = 83521.0 * y4 * y4
    s = s + 578.0 * x * x * y4
    s = s - 2.0 * x4
    s = s + 2.0 * x * x * x4
    return s - x4 * x4


TERMS = [
    ("83521·y⁸", 83521 * Y**8),
    ("578·x²·y⁴", 578 * X**2 * Y**4),
    ("2·x⁴", 2 * X**4),
    ("2·x⁶", 2 * X**6),
    ("x⁸", X**8),
]
EXACT = sum(sign * value for sign, (_, value) in zip([1, 1, -1, 1, -1], TERMS))
SPACING = 2.0 ** (math.frexp(float(TERMS[0][1]))[1] - 53)  # one unit in the last place near 6.5e55
RESULTS = [
    ("Single", term_by_term(float(X), float(Y), -1)),
    ("Double", term_by_term(float(X), float(Y), +1)),
    ("Extended", term_by_term(float(X), float(Y), +1)),
    ("Extended2", reusing_powers(float(X), float(Y))),
]

# Layout, in SVG user units: the plot area and the decades it shows.
LEFT, TOP, WIDTH, HEIGHT = 90, 40, 620, 360
TOP_DECADE = 60
COLUMN = WIDTH / 10  # five terms, the exact value, four results


def y_of(magnitude):
    """The vertical position of a magnitude of at least 1."""
    return TOP + HEIGHT * (1 - math.log10(magnitude) / TOP_DECADE)


def exponent_text(value):
    """10 to the power of a decade, with a superscript exponent."""
    return "10" + "".join("⁰¹²³⁴⁵⁶⁷⁸⁹"[int(d)] for d in str(value))


def bar(index, magnitude, color, label, value_text):
    """One column: a bar from 1 up to the magnitude (a marker at the bottom for zero), its labels."""
    x = LEFT + COLUMN * index + COLUMN * 0.2
    width = COLUMN * 0.6
    middle = x + width / 2
    parts = []
    if magnitude == 0:
        parts.append(f'<circle cx="{middle:.1f}" cy="{TOP + HEIGHT:.1f}" r="5" fill="{color}"/>')
        top = TOP + HEIGHT
    else:
        top = y_of(magnitude)
        parts.append(f'<rect x="{x:.1f}" y="{top:.1f}" width="{width:.1f}" height="{TOP + HEIGHT - top:.1f}" fill="{color}"/>')
    parts.append(f'<text x="{middle:.1f}" y="{top - 6:.1f}" text-anchor="middle" font-size="11">{value_text}</text>')
    parts.append(f'<text x="{middle:.1f}" y="{TOP + HEIGHT + 16:.1f}" text-anchor="middle" font-size="11">{label}</text>')
    return parts


def svg():
    lines = [
        '<svg xmlns="http://www.w3.org/2000/svg" width="840" height="480" viewBox="0 0 840 480" '
        'font-family="DejaVu Sans, Arial, sans-serif">',
        '<rect width="840" height="480" fill="white"/>',
        f'<text x="{LEFT}" y="22" font-size="14">Magnitudes at x = 9478657, y = 2298912 (logarithmic scale)</text>',
    ]
    for decade in range(0, TOP_DECADE + 1, 10):
        y = y_of(10.0**decade)
        lines.append(f'<line x1="{LEFT}" y1="{y:.1f}" x2="{LEFT + WIDTH}" y2="{y:.1f}" stroke="#ddd"/>')
        lines.append(f'<text x="{LEFT - 8}" y="{y + 4:.1f}" text-anchor="end" font-size="11">{exponent_text(decade)}</text>')
    for index, (label, value) in enumerate(TERMS):
        lines += bar(index, value, "#4a78b5", label, f"{value:.2e}")
    lines += bar(5, abs(EXACT), "#3a9a4a", "exact f", f"{EXACT:.2e}")
    for index, (label, value) in enumerate(RESULTS, start=6):
        lines += bar(index, abs(value), "#c0504d", label, "0" if value == 0 else f"{value:.2e}")
    y = y_of(SPACING)
    lines.append(f'<line x1="{LEFT}" y1="{y:.1f}" x2="{LEFT + WIDTH}" y2="{y:.1f}" stroke="#c0504d" stroke-dasharray="6 4"/>')
    # The label stands in the right margin, where no bar reaches.
    lines.append(f'<text x="{LEFT + WIDTH + 6}" y="{y - 3:.1f}" font-size="11" fill="#c0504d">spacing of binary64</text>')
    lines.append(f'<text x="{LEFT + WIDTH + 6}" y="{y + 11:.1f}" font-size="11" fill="#c0504d">near 6.5·10⁵⁵:</text>')
    lines.append(f'<text x="{LEFT + WIDTH + 6}" y="{y + 25:.1f}" font-size="11" fill="#c0504d">2¹³³ ≈ {SPACING:.2e}</text>')
    lines.append(f'<text x="{LEFT}" y="{TOP + HEIGHT + 40}" font-size="11">blue: the five terms; green: the exact '
                 'value of f; red: the four printed results</text>')
    lines.append(f'<text x="{LEFT}" y="{TOP + HEIGHT + 56}" font-size="11">(magnitudes; the sign is printed above '
                 'each bar; Single evaluates f with the 578·x²·y⁴ term subtracted)</text>')
    lines.append('</svg>')
    return "\n".join(lines) + "\n"


if __name__ == "__main__":
    print(svg(), end="")
