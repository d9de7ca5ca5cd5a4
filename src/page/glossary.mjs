// A word for every symbol: each term the page and the lecture use, defined once, in the order a reader
// meets them on the page. A term's first use on the page defines it in its sentence, a <dfn> with the
// id dfn-<id>; its entry in the glossary, glossary-<id>, says it again in a few words, and every later
// use links there (glossed(id, words)). The page's glossary section and the lecture's, one key away, are
// drawn from this table.

import { WIDEST } from './arithmetic.mjs';

// The terms: [id, the name the glossary heads it with, what it means, and for a format, its name among
// the page's widths, whose significant bits the glossary adds].
export const GLOSSARY = [
  [
    'terms',
    'term, Tᵢ',
    'one of the five products whose sum is f, T1 to T5 in the program’s order (U1 to U5 in Extended2’s).',
  ],
  ['binary64', 'binary64', 'IEEE 754’s double precision, C++’s double', 'binary64'],
  ['binary32', 'binary32', 'IEEE 754’s single precision, C++’s float', 'binary32'],
  ['fused', 'fused multiply-add', 'a product and a sum rounded once, together, as a compiler may contract a·b + c.'],
  [
    'spacing',
    'spacing',
    'the distance between neighbouring p-bit numbers at a magnitude: 2ᵉ⁻ᵖ⁺¹, where 2ᵉ ≤ magnitude < 2ᵉ⁺¹.',
  ],
  [
    'ulp',
    'ulp',
    'a unit in the last place: the spacing at a number; rounding to nearest is off by half of one at most.',
  ],
  [
    'step',
    'step',
    'the spacing at the largest term. A sum near the largest term moves by whole steps, and the page counts errors in them.',
  ],
  ['g', 'g', 'the polynomial Single evaluates: f with T2 subtracted, where f adds it.'],
  ['relative-error', 'relative error', '|computed − f| / |f|: the error as a fraction of |f|.'],
  ['correct-digits', 'correct digits', 'd, where the relative error is below 10⁻ᵈ: none from 10⁻¹ on.'],
  [
    'random-rounding',
    'random rounding',
    'a check a program can run without f: it evaluates N times with each operation rounded up or down at random, and estimates from the runs’ spread how many digits they share.',
  ],
  ['N', 'N', 'random rounding’s runs: how many times it evaluates.'],
  ['seed', 'seed', 'the number random rounding’s random bits start from: one seed, the same runs.'],
  [
    'p',
    'significand width, p',
    'the significant bits every operation rounds its exact result to, to nearest with ties to even; the exponent here is unbounded.',
  ],
  ['binary16', 'binary16', 'IEEE 754’s half precision', 'binary16'],
  ['x87', 'x87 extended', 'the 80-bit format of the x87 floating-point unit', 'x87 extended'],
  ['binary128', 'binary128', 'IEEE 754’s quadruple precision', 'binary128'],
  [
    'least-width',
    'least width',
    `the least p from which something holds at every width up to ${WIDEST}: f’s sign (sign from), or f itself (exact from).`,
  ],
  [
    'k',
    'k',
    'a point’s place on the chain of solutions of x² − 17·y² = 1: x + y·√17 = (33 + 8·√17)ᵏ; the program’s point is k = 4.',
  ],
  [
    'kappa',
    'κ, the condition number',
    'Σ|Tᵢ| / |f|: how much the sum magnifies its terms’ relative errors. It needs f.',
  ],
  ['n', 'n', 'the most roundings a term goes through on its way to the result: its products’ and the sums’ after it.'],
  ['u', 'u, the unit roundoff', '2⁻ᵖ: the most relative error one rounding to nearest makes.'],
  [
    'gamma',
    'γₙ',
    'nu / (1 − nu): what n roundings can do together. |computed − f| ≤ γₙ·Σ|Tᵢ|, which needs no f, and the relative error is at most γₙ·κ, which does.',
  ],
  [
    'share',
    'share',
    'what one rounding made of a term’s error: its own error carried to the term by the exact factors after it. A term’s shares add up to its error.',
  ],
  [
    'sterbenz',
    'Sterbenz’s lemma',
    'a − b is exact where a and b have one sign and lie within a factor of 2 of each other.',
  ],
  [
    'horner',
    'Horner’s scheme',
    'a polynomial evaluated as nested products and sums, one multiplication and one addition a coefficient.',
  ],
  ['remedy', 'remedy', 'an evaluation that keeps more of what the roundings lose, at the same width.'],
  [
    'neumaier',
    'Neumaier’s sum',
    'a compensated sum: each addition’s rounding error computed exactly, added up apart, and added once at the end.',
  ],
  [
    'compensated',
    'compensated',
    'evaluated with each product’s and sum’s rounding error computed exactly and carried beside the value, as if in twice the precision.',
  ],
  [
    'k-fold',
    'K-fold sum',
    'every product split exactly into p-bit numbers, then K − 1 passes of exact additions over them and a plain sum: as if at K·p bits.',
  ],
  [
    'interval',
    'interval',
    'an evaluation of pairs [lower, upper], each operation rounded outward, the lower end down and the upper up, so that the pair holds f. It decides f’s sign where it holds no 0.',
  ],
  [
    'running-bound',
    'running bound',
    'a bound on a value’s error carried beside it, from the computed values alone: half a unit in the last place for each rounding, added up. It proves the sign where it is below |computed|.',
  ],
  [
    'detector',
    'detector',
    'a check a program can run without f to learn whether its result deserves trust: the interval, the running bound, random rounding.',
  ],
  [
    'C',
    'C',
    'the significant digits random rounding’s runs claim: log₁₀(√N·|mean| / (σ·τ)). A claim is false where C ≥ D + 1.',
  ],
  ['D', 'D', 'the digits the runs’ mean has right against f.'],
  [
    'student-t',
    'Student’s t',
    'the spread of a mean of few samples over their own deviation; τ, its 95 % point with N − 1 degrees of freedom, makes random rounding’s C honest for few runs.',
  ],
];

// A later use of a term, as a part the views render as a link to its glossary entry.
export const glossed = (id, words) => ({ term: id, words });

// A term's first use, as a part the views render as its defining instance.
export const defined = (id, words) => ({ dfn: id, words });
