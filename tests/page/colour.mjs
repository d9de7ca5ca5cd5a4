// Colour differences as a reader sees them: an sRGB colour (as a browser computes it) in CIELAB under
// D65, and CIEDE2000's difference of two CIELAB colours, from the formulas of Sharma, Wu and Dalal,
// "The CIEDE2000 color-difference formula: implementation notes, supplementary test data, and
// mathematical observations" (Color Research and Application 30, 2005), equations 1 to 22.

const { atan2, cos, exp, hypot, PI, sin, sqrt } = Math;
const degrees = radians => (radians * 180) / PI;
const radians = deg => (deg * PI) / 180;
// D65's white point (Y = 100), and CIELAB's break between its cube root and its line.
const WHITE = [95.047, 100, 108.883];
const EPSILON = 216 / 24389;
const KAPPA = 24389 / 27;

// An sRGB channel of 0 to 255 as linear light of 0 to 1 (IEC 61966-2-1).
const linear = c => (c / 255 <= 0.04045 ? c / 255 / 12.92 : ((c / 255 + 0.055) / 1.055) ** 2.4);

// The CIELAB [L, a, b] of an sRGB colour [r, g, b] of 0 to 255, through CIE XYZ.
export function lab(rgb) {
  const [r, g, b] = rgb.map(linear);
  const xyz = [
    0.4124564 * r + 0.3575761 * g + 0.1804375 * b,
    0.2126729 * r + 0.7151522 * g + 0.072175 * b,
    0.0193339 * r + 0.119192 * g + 0.9503041 * b,
  ];
  const [fx, fy, fz] = xyz.map((v, i) => {
    const t = (100 * v) / WHITE[i];
    return t > EPSILON ? Math.cbrt(t) : (KAPPA * t + 16) / 116;
  });
  return [116 * fy - 16, 500 * (fx - fy), 200 * (fy - fz)];
}

// A hue angle in degrees from 0 to 360; 0 where a and b are both 0.
const hue = (b, a) => (a === 0 && b === 0 ? 0 : (degrees(atan2(b, a)) + 360) % 360);

// CIEDE2000's ΔE₀₀ between two CIELAB colours, with the parametric factors kL = kC = kH = 1.
export function ciede2000([L1, a1, b1], [L2, a2, b2]) {
  const meanC = (hypot(a1, b1) + hypot(a2, b2)) / 2;
  const G = 0.5 * (1 - sqrt(meanC ** 7 / (meanC ** 7 + 25 ** 7)));
  const [a1p, a2p] = [(1 + G) * a1, (1 + G) * a2];
  const [C1, C2] = [hypot(a1p, b1), hypot(a2p, b2)];
  const [h1, h2] = [hue(b1, a1p), hue(b2, a2p)];
  const dL = L2 - L1;
  const dC = C2 - C1;
  let dh = 0;
  if (C1 * C2 !== 0) dh = h2 - h1 > 180 ? h2 - h1 - 360 : h2 - h1 < -180 ? h2 - h1 + 360 : h2 - h1;
  const dH = 2 * sqrt(C1 * C2) * sin(radians(dh / 2));
  const [Lm, Cm] = [(L1 + L2) / 2, (C1 + C2) / 2];
  let hm = h1 + h2;
  if (C1 * C2 !== 0) hm = Math.abs(h1 - h2) <= 180 ? (h1 + h2) / 2 : (h1 + h2 + (h1 + h2 < 360 ? 360 : -360)) / 2;
  const T =
    1 -
    0.17 * cos(radians(hm - 30)) +
    0.24 * cos(radians(2 * hm)) +
    0.32 * cos(radians(3 * hm + 6)) -
    0.2 * cos(radians(4 * hm - 63));
  const dTheta = 30 * exp(-(((hm - 275) / 25) ** 2));
  const RC = 2 * sqrt(Cm ** 7 / (Cm ** 7 + 25 ** 7));
  const SL = 1 + (0.015 * (Lm - 50) ** 2) / sqrt(20 + (Lm - 50) ** 2);
  const [SC, SH] = [1 + 0.045 * Cm, 1 + 0.015 * Cm * T];
  const RT = -sin(radians(2 * dTheta)) * RC;
  return sqrt((dL / SL) ** 2 + (dC / SC) ** 2 + (dH / SH) ** 2 + RT * (dC / SC) * (dH / SH));
}

// WCAG 2's contrast ratio of two sRGB colours [r, g, b] of 0 to 255: (L1 + 0.05) / (L2 + 0.05), the
// lighter's relative luminance over the darker's.
export function contrast(one, two) {
  const luminance = rgb => rgb.map(linear).reduce((sum, c, i) => sum + [0.2126, 0.7152, 0.0722][i] * c, 0);
  const [high, low] = [luminance(one), luminance(two)].sort((a, b) => b - a);
  return (high + 0.05) / (low + 0.05);
}
