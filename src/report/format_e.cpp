// The "%e" number text. Decimal digits come from std::to_chars, which converts the exact binary
// value and ignores the locale; the roundings applied to them are integer arithmetic.
#include <algorithm>
#include <charconv>
#include <cstdint>
#include <cstring>

#include "report.h"

namespace {

// Room for to_chars' scientific text of a binary64 with at most 17 digits: "d.", 16 digits, 'e',
// the exponent's sign and up to three digits are 23 characters.
constexpr int scientific_text_size = 32;

// Writes to_chars' scientific text of magnitude with `count` significant digits, "d.ddd...e+dd",
// at text and returns one past its end: digit 1 is text[0], digit k >= 2 is text[k].
// Preconditions: magnitude is finite and positive; 2 <= count <= 17; text holds
// scientific_text_size characters.
char* scientific_text(double magnitude, int count, char* text) {
  return std::to_chars(text, text + scientific_text_size, magnitude, std::chars_format::scientific, count - 1).ptr;
}

// Returns the decimal exponent that to_chars writes after 'e' ("+05", "-308") in [sign, end).
int read_exponent(const char* sign, const char* end) {
  int exponent = 0;
  for (const char* digit = sign + 1; digit != end; ++digit) exponent = exponent * 10 + (*digit - '0');
  return *sign == '-' ? -exponent : exponent;
}

// Returns whether the first seven significant digits of magnitude round up: whether its 17
// significant digits, rounded half up, have an 8th digit of 5 or more. nine is magnitude's
// scientific text with nine digits.
bool seventh_digit_rounds_up(double magnitude, const char* nine) {
  // Nine correctly rounded digits settle it unless their last two are 49 or 50: 51 or more means
  // the exact tail is at least 50.5 hundredths of the 7th digit's unit, 48 or less at most 48.5.
  const int tail = (nine[8] - '0') * 10 + (nine[9] - '0');
  if (tail != 49 && tail != 50) return tail > 50;
  // Otherwise look at 17 digits. to_chars rounds them to nearest with ties to even where the rule
  // is half up; the two differ only on an exact tie with an even 17th digit, and that extra unit
  // could reach the 8th digit only through a 17th digit of 9: odd, so ties to even rounds it up too.
  // With a tail of 49 or 50 neither rounding carries into the first seven digits.
  char seventeen[scientific_text_size];
  scientific_text(magnitude, 17, seventeen);
  return seventeen[8] >= '5';
}

// Adds one unit in the last place of count decimal digit characters; returns whether the carry ran
// out of the front, leaving all zeros.
bool increment_digits(char* digits, int count) {
  for (int i = count - 1; i >= 0; --i) {
    if (digits[i] != '9') {
      ++digits[i];
      return false;
    }
    digits[i] = '0';
  }
  return true;
}

// Writes d.dddddd from seven digit characters and returns one past the end.
char* append_significand(char* out, const char* digits) {
  *out++ = digits[0];
  *out++ = '.';
  return std::copy(digits + 1, digits + 7, out);
}

// Writes e, the exponent's sign and three digits (e+042, e-005) and returns one past the end.
// Precondition: |exponent| < 1000, which holds for every binary64 (-324 to 308).
char* append_exponent(char* out, int exponent) {
  *out++ = 'e';
  *out++ = exponent < 0 ? '-' : '+';
  const unsigned magnitude = static_cast<unsigned>(exponent < 0 ? -exponent : exponent);
  *out++ = static_cast<char>('0' + magnitude / 100);
  *out++ = static_cast<char>('0' + magnitude / 10 % 10);
  *out++ = static_cast<char>('0' + magnitude % 10);
  return out;
}

// Copies a NUL-terminated word to out and returns one past its end.
char* append_word(char* out, const char* word) { return std::copy(word, word + std::strlen(word), out); }

}  // namespace

char* format_e(double value, char* out) {
  std::uint64_t bits = 0;
  std::memcpy(&bits, &value, sizeof bits);
  const bool negative = (bits >> 63) != 0;
  const std::uint64_t magnitude_bits = bits & ~(std::uint64_t{1} << 63);
  const std::uint64_t infinity_bits = 0x7FF0'0000'0000'0000;  // biased exponent all ones
  if (magnitude_bits > infinity_bits) return append_word(out, "nan");
  if (negative && magnitude_bits != 0) *out++ = '-';
  if (magnitude_bits == infinity_bits) return append_word(out, "inf");
  if (magnitude_bits == 0) return append_exponent(append_significand(out, "0000000"), 0);

  double magnitude = 0;
  std::memcpy(&magnitude, &magnitude_bits, sizeof magnitude);
  char nine[scientific_text_size];
  const char* const end = scientific_text(magnitude, 9, nine);
  int exponent = read_exponent(nine + 11, end);  // "d." 8 digits 'e' sign
  char digits[7] = {nine[0], nine[2], nine[3], nine[4], nine[5], nine[6], nine[7]};
  if (seventh_digit_rounds_up(magnitude, nine) && increment_digits(digits, 7)) {
    digits[0] = '1';  // 9.9999995 and above: 1.000000 with the next exponent
    ++exponent;
  }
  return append_exponent(append_significand(out, digits), exponent);
}
