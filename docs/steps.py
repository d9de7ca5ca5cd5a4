#!/usr/bin/env python3
"""Prints the blocks of docs/numbers.md (and of the README's opening and the man page) that say what
the program computes: the terms, the cancellation, the spacing of binary64 there, the condition
number and the error bound, every step counted in spacing steps, and the appendix's hexadecimal
tables (the values of tests/golden-steps.txt). Integers and fractions are exact; the evaluations
are Python floats, binary64 with one rounding per operation, in the program's order.

usage: python3 docs/steps.py   (any python3; docs/page.py puts the blocks into the pages)
"""
import re
import textwrap
from fractions import Fraction

from blocks import emit, table
from evaluations import LINES, operand_words, program_lines, what_line_computes
from polynomial import POWERS_REUSED, STEP, STEP_EXPONENT, T2_SUBTRACTED, TERM_BY_TERM, TERM_NAMES, TOP_EXPONENT, X, Y
from polynomial import TERM_CHAINS, TIMES, chain_lengths, chain_parts, exact_f, exact_g, signed_terms
from roundings import BINARY32_MAX, BINARY64_BITS, U
from text import PLAIN_DIGITS, SUPERSCRIPT_DIGITS, gamma_name, in_steps, minus, power, program_output, program_text
from text import hexadecimal, scientific, significant_digits

TO_PLAIN = str.maketrans(SUPERSCRIPT_DIGITS, PLAIN_DIGITS)
MAN_COLUMNS = 79  # the man page's source lines are wrapped to fit 80 columns
F = exact_f(X, Y)
TERMS = signed_terms(X, Y)
LARGEST = max(abs(term) for term in TERMS)


def signed(term_text, sign):
    """A term as it stands in f: +83521·y⁸, −2·x⁴."""
    return ("+" if sign > 0 else "−") + term_text


def spacing_exponent(value):
    """The exponent of the spacing of binary64 numbers at a nonzero value."""
    return int(abs(Fraction(value)).numerator // abs(Fraction(value)).denominator).bit_length() - BINARY64_BITS


def relative_error(value, exact):
    """|value - exact| / |exact|, exactly."""
    return abs(Fraction(value) - exact) / abs(exact)


def labels_block(results):
    """The four lines, whose results are given: what each computes, and that all four are binary64."""
    rows = [
        [line.label, operand_words(line), "binary64", what_line_computes(line), minus(program_text(result))]
        for line, result in zip(LINES, results)
    ]
    return table(["line", "operands", "arithmetic", "order", "result"], rows)


def terms_block():
    """The terms as they stand in f, with a = x², b = 17·y² (u is the unit roundoff), their sizes and
    binary64's spacing there."""
    with_a_b = ["b⁴", "2·a·b²", "2·a²", "2·a³", "a⁴"]
    rows = []
    for name, ab, term in zip(TERM_NAMES, with_a_b, TERMS):
        sign = 1 if term > 0 else -1
        exponent = spacing_exponent(term)
        rows.append(
            [
                signed(name, sign),
                signed(ab, sign),
                minus(str(term)),
                scientific(term),
                f"{power(2, exponent)} ≈ {scientific(2**exponent)}",
            ]
        )
    return table(["term in f", "with a = x², b = 17·y²", "exact value", "about", "binary64 spacing there"], rows)


def polynomial_text(coefficients):
    """Terms of a polynomial in a, highest power first, in columns: one column per power."""
    columns = []
    for degree in range(len(coefficients) - 1, -1, -1):
        c = coefficients[degree]
        unit = power("a", degree) if degree > 1 else ("a" if degree == 1 else "")
        magnitude = "" if abs(c) == 1 and degree > 0 else str(abs(c))
        sign = "−" if c < 0 else ("+" if any(columns) else " ")
        columns.append("" if c == 0 else f"{sign} {magnitude}{unit}")
    return columns


def expansion_block():
    """b = a − 1 put into each term, one column per power of a, and the sum of the columns."""
    from math import comb

    b4 = [(-1) ** (4 - k) * comb(4, k) for k in range(5)]  # (a − 1)⁴, coefficient of a^k at k
    ab2 = [0] + [2 * (-1) ** (2 - k) * comb(2, k) for k in range(3)] + [0]  # 2·a·(a − 1)²
    rows = [
        ("b⁴", b4),
        ("2·a·b²", ab2),
        ("−2·a²", [0, 0, -2, 0, 0]),
        ("+2·a³", [0, 0, 0, 2, 0]),
        ("−a⁴", [0, 0, 0, 0, -1]),
    ]
    total = [sum(row[1][k] for row in rows) for k in range(5)]
    lines = [(name, polynomial_text(coefficients)) for name, coefficients in rows + [("f", total)]]
    width = max(len(cell) for _, cells in lines for cell in cells)
    text = [f"    {name:<7}= " + "  ".join(cell.ljust(width) for cell in cells).rstrip() for name, cells in lines]
    return "\n".join(text[:-1] + ["    " + "-" * (len(max(text, key=len)) - 4)] + text[-1:])


def spacing_block():
    """Where the largest terms lie and how far apart binary64 numbers are there."""
    rows = [
        ["the largest terms, 83521·y⁸ and x⁸", scientific(LARGEST)],
        [
            f"they lie between {power(2, TOP_EXPONENT)} and {power(2, TOP_EXPONENT + 1)}",
            f"{scientific(2**TOP_EXPONENT)} and {scientific(2**(TOP_EXPONENT + 1))}",
        ],
        [f"spacing of binary64 there, {power(2, TOP_EXPONENT)}⁻⁵² = {power(2, STEP_EXPONENT)}", scientific(STEP)],
        ["the exact value f, in those steps", scientific(F / STEP)],
        ["the spacing, in units of \\|f\\|", scientific(STEP / abs(F))],
        ["the largest rounding error there, half a step, in units of \\|f\\|", scientific(STEP / 2 / abs(F))],
    ]
    return table(["quantity", "value"], rows)


def longest_chain_words():
    """What n counts in the term-by-term order, in words: the term that goes through the most
    roundings, the multiplications that form it and the sums after it."""
    parts = chain_parts(TERM_BY_TERM)
    formed, later = max(parts, key=sum)
    chain = TERM_CHAINS[parts.index((formed, later))]
    assert formed == sum(operation.op == TIMES for operation in chain), "a term formed by more than products"
    return f"{chain[-1].name}'s {formed} multiplications and the {later} sums after it"


def condition_block(results):
    """The condition number, the forward error bound, and the observed error of the results beside
    them."""
    term_by_term_chains = chain_lengths(TERM_BY_TERM)
    reuse_chains = chain_lengths(POWERS_REUSED)
    chains = table(
        ["term", "roundings, term by term", "roundings, powers reused"],
        [
            [signed(name, 1 if term > 0 else -1), a, b]
            for name, term, a, b in zip(TERM_NAMES, TERMS, term_by_term_chains, reuse_chains)
        ],
    )
    n = max(term_by_term_chains + reuse_chains)
    assert max(term_by_term_chains) == n, "n counts another order's term than the words say"
    magnitudes = sum(abs(term) for term in TERMS)
    gamma = n * U / (1 - n * U)
    gamma_n = gamma_name(n)
    rows = [
        ["Σ\\|terms\\|, the sum of the terms' magnitudes", scientific(magnitudes)],
        ["\\|f\\|", scientific(abs(F))],
        ["condition number κ = Σ\\|terms\\| / \\|f\\|", scientific(Fraction(magnitudes, abs(F)))],
        [f"unit roundoff u = {power(2, -BINARY64_BITS)}", scientific(U)],
        [f"n, the most roundings a term goes through on its way to the result: {longest_chain_words()}", n],
        [f"{gamma_n} = {n}u / (1 − {n}u)", scientific(gamma)],
        [f"bound on \\|computed − f\\|: {gamma_n}·Σ\\|terms\\|", scientific(gamma * magnitudes)],
        [f"bound on the relative error: {gamma_n}·κ", scientific(gamma * magnitudes / abs(F))],
        ["observed relative error, Double and Extended", scientific(relative_error(results[1], F))],
        ["observed relative error, Extended2", relative_error(results[3], F)],
        ["observed error of Double over the bound", scientific(abs(Fraction(results[1]) - F) / (gamma * magnitudes))],
    ]
    return chains + "\n\n" + table(["quantity", "value"], rows)


def sterbenz_exact(before, subtracted, result):
    """Whether the last subtraction meets Sterbenz's lemma (subtracted/2 <= before <= 2*subtracted)
    and is therefore exact; checked against the exact difference too."""
    lemma = subtracted / 2 <= before <= 2 * subtracted
    assert not lemma or Fraction(before) - Fraction(subtracted) == Fraction(result)
    return lemma


def accounting_block(run, exact_terms):
    """Each rounding of one evaluation (its Run) and its effect on the result, in spacing steps; the
    effects add up to the result's distance from the exact value of the polynomial it evaluates."""
    rows, total, running = [], Fraction(0), None
    terms = [i for i, role in enumerate(run.roles) if role == "term"]
    for k, (i, exact) in enumerate(zip(terms, exact_terms)):
        sign = 1 if exact > 0 else -1
        value = run.values[i]
        error = Fraction(value) - abs(exact)
        total += sign * error
        rows.append([run.names[i], in_steps(error), in_steps(sign * error)])
        if k == 0:  # the first term starts the sum
            running = value
            continue
        taken = run.roles.index("sum", i)  # the sum that takes this term
        sum_name, sum_value = run.names[taken], run.values[taken]
        error = Fraction(sum_value) - (Fraction(running) + sign * Fraction(value))
        total += error
        if k == len(terms) - 1 and sterbenz_exact(running, value, sum_value):
            sum_name += " (exact: Sterbenz's lemma)"
        rows.append([sum_name, in_steps(error), in_steps(error)])
        running = sum_value
    exact = sum(exact_terms)
    assert Fraction(run.result) - exact == total
    rows.append(["**all roundings together**", "", f"**{in_steps(total)}**"])
    rows.append(["exact value of the polynomial", "", in_steps(exact)])
    rows.append(["**result**", "", f"**{in_steps(run.result)}**"])
    header = ["operation", f"its rounding error, in steps of {power(2, STEP_EXPONENT)}", "effect on the result"]
    return table(header, rows)


def single_block(result):
    """g, the Single line's result, and how far apart they are."""
    g = exact_g(X, Y)
    rows = [
        ["exact g", minus(str(g))],
        ["exact g, about", scientific(g, 6)],
        ["g in steps", in_steps(g)],
        ["Single's result in steps", in_steps(result)],
        ["Single's result", f"{scientific(result, 6)}, printed {minus(program_text(result))}"],
        ["relative distance from g", scientific(relative_error(result, g))],
        ["the largest finite binary32", scientific(BINARY32_MAX)],
        ["binary32 holds every integer up to", f"{power(2, 24)} ≈ {scientific(2**24)}"],
    ]
    return table(["quantity", "value"], rows)


def reuse_facts_block(double, reuse):
    """Why Y4 is rounded: the significant bits of y⁴; and how far the first term of the power-reuse
    order (its Run reuse) lies from that of the term-by-term one (double)."""
    y4 = Y**4
    twos = (y4 & -y4).bit_length() - 1
    odd = y4 >> twos
    return table(
        ["quantity", "value"],
        [
            ["y⁴", f"{y4} = {power(2, twos)}·{Y >> (twos // 4)}⁴"],
            ["its length", f"{y4.bit_length()} bits"],
            ["its significant bits (the odd factor)", f"{odd.bit_length()} bits"],
            ["U1 − T1, in steps", in_steps(Fraction(reuse.of("term")[0]) - Fraction(double.of("term")[0]))],
        ],
    )


def printed_block(lines):
    """Each line's result (lines: the evaluations), its 17 significant digits and the seven printed."""
    rows = []
    for label, run in lines:
        result = run.result
        rows.append([label, repr(result), significant_digits(result, 17), program_text(result)])
    return table(["line", "shortest decimal that reads back", "17 significant digits", "printed"], rows)


def appendix_block(run):
    """Every step of one evaluation, exact in hexadecimal and as the shortest decimal."""
    rows = [[name, hexadecimal(v), minus(repr(v))] for name, v in run.named()]
    return table(["step", "hexadecimal", "decimal"], rows)


def roff(text):
    """Page text as man page text: minus signs, middle dots, ≈ and superscript powers for roff."""
    for plain, escaped in [("-", "\\-"), ("−", "\\-"), ("·", "\\(pc"), ("≈", "\\(ap")]:
        text = text.replace(plain, escaped)
    return re.sub(f"[{SUPERSCRIPT_DIGITS}]+", lambda m: "\\(ha" + m[0].translate(TO_PLAIN), text)


def man_description_block():
    """The man page's sentence on the exact value, the terms' size and the spacing there."""
    return roff(
        f"The exact value is {minus(str(F))}, but the terms reach {scientific(LARGEST)} and\n"
        f"cancel almost completely: near them consecutive binary64 numbers are\n"
        f"{power(2, STEP_EXPONENT)} ≈ {scientific(STEP)} apart, {scientific(STEP / abs(F))} times the exact value."
    )


def man_labels_block(lines):
    """The man page's list of the four lines (the evaluations), each with its result: its operands
    and what it computes, in words (a list whose first item holds a comma takes a semicolon)."""
    entries = []
    for line, (label, run) in zip(LINES, lines):
        operands, what = operand_words(line, long=True), what_line_computes(line, long=True)
        text = f"{operands}{';' if ',' in operands else ','} {what}" if operands else what
        wrapped = textwrap.fill(roff(f"{text}; {program_text(run.result)}."), MAN_COLUMNS, break_on_hyphens=False)
        entries.append(f".TP\n.B {label}\n{wrapped}")
    return "\n".join(entries)


def man_output_block(results):
    """The program's output, whose results are given, as the man page's example shows it."""
    return roff(program_output([(line.label, result) for line, result in zip(LINES, results)]).replace("    ", ""))


def main():
    """Prints every block, from the four lines evaluated once."""
    lines = program_lines()
    (_, single), (_, double), _, (_, reuse) = lines
    results = [run.result for _, run in lines]
    emit("man-description", man_description_block())
    emit("man-labels", man_labels_block(lines))
    emit("man-output", man_output_block(results))
    emit("output", program_output([(label, run.result) for label, run in lines]))
    emit("labels", labels_block(results))
    emit("terms", terms_block())
    emit("expansion", expansion_block())
    emit("spacing", spacing_block())
    emit("condition", condition_block(results))
    emit("steps-double", accounting_block(double, TERMS))
    emit("steps-reuse", accounting_block(reuse, TERMS))
    emit("reuse-facts", reuse_facts_block(double, reuse))
    emit("single", single_block(single.result))
    emit("steps-single", accounting_block(single, signed_terms(X, Y, T2_SUBTRACTED)))
    emit("printed", printed_block(lines))
    for name, run in [("single", single), ("double", double), ("reuse", reuse)]:
        emit(f"appendix-{name}", appendix_block(run))


if __name__ == "__main__":
    main()
