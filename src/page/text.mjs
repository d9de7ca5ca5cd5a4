// Numbers as the page writes them, from exact integers and fractions, returned as parts that the
// views render last: { mantissa, base, exponent } is mantissa·base^exponent (no mantissa: a bare
// power; no exponent: plain digits). Long integers are shortened to seven significant digits or
// grouped in threes; errors are counted in spacing steps. Every rounding is exact integer work.
import { abs } from './arithmetic.mjs';

const SUPERSCRIPTS = '⁰¹²³⁴⁵⁶⁷⁸⁹⁻'; // the digits, then the minus sign
const MINUS = '−'; // U+2212, the minus sign
const THIN_SPACE = ' '; // U+2009, between groups of three digits; a line may break there

// The text with each ASCII hyphen-minus written as a minus sign.
export function minus(text) {
  return String(text).replaceAll('-', MINUS);
}

// The digits of an integer as superscripts: ⁻¹⁴.
export function superscript(n) {
  return String(n).replace(/[0-9-]/g, c => SUPERSCRIPTS[c === '-' ? 10 : c]);
}

// base^exponent as parts: 2¹³³, 10⁻¹⁴.
export function power(base, exponent) {
  return { mantissa: null, base: String(base), exponent };
}

// Parts as plain text, the exponent in superscript digits: −6.52·10⁵⁵.
export function text({ mantissa, base, exponent }) {
  if (exponent === null) return mantissa;
  return `${mantissa === null ? '' : `${mantissa}·`}${base}${superscript(exponent)}`;
}

// The integer n with its digits in groups of three: −179 689 877 047 297.
export function grouped(n) {
  const digits = abs(n).toString();
  const groups = [];
  for (let end = digits.length; end > 0; end -= 3) groups.unshift(digits.slice(Math.max(0, end - 3), end));
  return (n < 0n ? MINUS : '') + groups.join(THIN_SPACE);
}

// The nonnegative fraction num/den rounded to an integer, to nearest with ties to even.
export function roundedQuotient(num, den) {
  const q = num / den;
  const twice = 2n * (num % den);
  return twice > den || (twice === den && q % 2n === 1n) ? q + 1n : q;
}

// The decimal exponent e of the positive fraction num/den: 10^e <= num/den < 10^(e+1).
function decimalExponent(num, den) {
  let e = num.toString().length - den.toString().length; // right, or one too large
  if (e >= 0 ? num < den * 10n ** BigInt(e) : num * 10n ** BigInt(-e) < den) --e;
  return e;
}

// The fraction num/den (den > 0) as d.dd·10ⁿ with `digits` digits after the point, rounded to
// nearest with ties to even; 0 for zero.
export function scientific(num, den = 1n, digits = 2) {
  if (num === 0n) return { mantissa: '0', base: '10', exponent: null };
  const magnitude = abs(num);
  let e = decimalExponent(magnitude, den);
  const shift = BigInt(digits - e);
  let m =
    shift >= 0n ? roundedQuotient(magnitude * 10n ** shift, den) : roundedQuotient(magnitude, den * 10n ** -shift);
  if (m === 10n ** BigInt(digits + 1)) {
    // 9.995 rounded up to 10.00
    m /= 10n;
    ++e;
  }
  const t = m.toString();
  return { mantissa: `${num < 0n ? MINUS : ''}${t[0]}${digits > 0 ? '.' + t.slice(1) : ''}`, base: '10', exponent: e };
}

// The integer n as the page shows a long one: itself below ten million, else seven significant
// digits and the exponent, 6.515901·10⁵⁵.
export function compact(n) {
  return abs(n) < 10_000_000n ? { mantissa: minus(n), exponent: null } : scientific(n, 1n, 6);
}

// value / 2^exponent as a fraction [num, den] of integers.
export function overPowerOfTwo(value, exponent) {
  return exponent >= 0 ? [value, 1n << BigInt(exponent)] : [value << BigInt(-exponent), 1n];
}

// The spacing 2^exponent as parts: 2¹³³ ≈ 1.088904·10⁴⁰.
export function spacingText(exponent) {
  const spacing = overPowerOfTwo(1n, -exponent); // 2^exponent = 1 / 2^−exponent
  const value = exponent >= 0 && exponent < 24 ? ['= ', grouped(spacing[0])] : ['≈ ', scientific(...spacing, 6)];
  return [power(2, exponent), ' ', value];
}

// An error of `error` counted in steps of 2^stepExponent: the whole number when it is one, two
// significant digits when smaller than a thousandth, else three decimals, with an explicit sign
// (unless signed is false: a size, such as |f|).
export function inSteps(error, stepExponent, signed = true) {
  const [num, den] = overPowerOfTwo(error, stepExponent);
  if (num % den === 0n) return { mantissa: minus(num / den), exponent: null };
  const sign = num < 0n ? MINUS : signed ? '+' : '';
  if (abs(num) * 1000n < den)
    return { ...scientific(num, den, 2), mantissa: sign + scientific(abs(num), den).mantissa };
  const digits = roundedQuotient(abs(num) * 1000n, den)
    .toString()
    .padStart(4, '0');
  return { mantissa: `${sign}${digits.slice(0, -3)}.${digits.slice(-3)}`, exponent: null };
}

// A decimal digit count d (a double) with one decimal: 15.9.
export function digitCount(d) {
  return d.toFixed(1);
}

// The binary64 v in hexadecimal, as C's %a and the evaluation tests write it: 0x1.54255935bde18p+185.
export function hexfloat(v) {
  if (!Number.isFinite(v)) return String(v);
  const word = new BigUint64Array(new Float64Array([v]).buffer)[0];
  const biased = Number((word >> 52n) & 0x7ffn);
  const fraction = word & ((1n << 52n) - 1n);
  const digits = fraction.toString(16).padStart(13, '0').replace(/0+$/, '');
  const exponent = biased === 0 ? (fraction === 0n ? 0 : -1022) : biased - 1023;
  const sign = word >> 63n ? '-' : '';
  const lead = biased === 0 ? 0 : 1;
  return `${sign}0x${lead}${digits && '.' + digits}p${exponent < 0 ? '' : '+'}${exponent}`;
}
