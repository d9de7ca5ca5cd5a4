"""How the pages write numbers: minus signs, superscript powers, d.dd·10ⁿ, the program's number
text, values counted in spacing steps. Shared by the scripts that write the explanation's numbers
and by docs/page.py; not a program of its own.
"""
import decimal
from fractions import Fraction

from polynomial import STEP

SUPERSCRIPT_DIGITS = "⁰¹²³⁴⁵⁶⁷⁸⁹⁻"  # the superscript digits and minus, in the order of PLAIN_DIGITS
PLAIN_DIGITS = "0123456789-"
SUPERSCRIPTS = str.maketrans(PLAIN_DIGITS, SUPERSCRIPT_DIGITS)
SUBSCRIPTS = str.maketrans("0123456789", "₀₁₂₃₄₅₆₇₈₉")


def minus(text):
    """text with its ASCII minus signs written as the minus sign U+2212."""
    return text.replace("-", "−")


def power(base, exponent):
    """base^exponent with a superscript exponent, e.g. 2¹³³."""
    return f"{base}{str(exponent).translate(SUPERSCRIPTS)}"


def gamma_name(n):
    """γₙ, the bound of n roundings, with n in subscript digits: γ₁₂."""
    return "γ" + str(n).translate(SUBSCRIPTS)


def scientific(value, digits=2):
    """value as d.dd·10ⁿ with `digits` digits after the point (a rational is converted exactly)."""
    if isinstance(value, Fraction):
        value = decimal.Context(prec=40).divide(value.numerator, value.denominator)
    mantissa, exponent = f"{decimal.Decimal(value):.{digits}e}".split("e")
    return minus(f"{mantissa}·{power(10, int(exponent))}")


def in_steps(value, step=STEP, plus=True):
    """value counted in spacing steps (of the largest terms at the program's point, unless given):
    the whole number when it is one, else three decimals, or two significant digits when smaller
    than a thousandth; a positive one with its plus sign unless plus is false."""
    steps = Fraction(value) / step
    sign = "+" if plus else ""
    if steps.denominator == 1:
        return minus(str(steps.numerator))
    if abs(steps) < Fraction(1, 1000):
        return (sign if steps > 0 else "") + scientific(steps)
    return minus(f"{float(steps):{sign}.3f}")


def hexadecimal(value):
    """A binary64 value (a float, or an integer that binary64 holds) exact in hexadecimal, as C's %a
    writes it: no trailing zero digits, zero as 0x0p+0."""
    assert float(value) == value, f"{value} is not a binary64"
    mantissa, exponent = float(value).hex().split("p")
    return f"{mantissa.rstrip('0').rstrip('.')}p{exponent}" if value != 0 else "0x0p+0"


def significant_digits(value, count, exact=None):
    """value (or the decimal exact) rounded half up to count significant digits, written as the
    program writes numbers: d.ddd, 'e', the exponent's sign and three exponent digits."""
    exact = decimal.Decimal(value) if exact is None else exact
    if exact == 0:
        return "0." + "0" * (count - 1) + "e+000"
    digits = decimal.Context(prec=count, rounding=decimal.ROUND_HALF_UP).plus(exact)
    mantissa, exponent = f"{digits:.{count - 1}e}".split("e")
    return f"{mantissa}e{exponent[0]}{int(exponent[1:]):03d}"


def program_text(value):
    """The program's number text: the exact value rounded half up to 17 significant digits, those
    digits half up to 7, and the exponent in three digits."""
    seventeen = decimal.Context(prec=17, rounding=decimal.ROUND_HALF_UP).plus(decimal.Decimal(value))
    return significant_digits(value, 7, seventeen)


def program_output(lines):
    """The program's output for its lines, (label, result) each, as the page shows it: the lines,
    each followed by the empty line the program writes."""
    return "".join(f"    Ergebnis {label}: {program_text(value)}\n\n" for label, value in lines)
