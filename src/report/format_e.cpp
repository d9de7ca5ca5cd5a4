// The "%e" number text. Decimal digits come from std::to_chars, which converts the exact binary
// value and ignores the locale; the roundings applied to them are integer arithmetic.
#include <algorithm>
#include <charconv>
#include <cstdint>
#include <cstring>

#include "report.h"

namespace {

constexpr std::uint64_t ten_pow_6 = 1'000'000;
constexpr std::uint64_t ten_pow_7 = 10 * ten_pow_6;
constexpr std::uint64_t ten_pow_10 = 10'000'000'000;

// A positive decimal number: digits times ten to the power (exponent - digit count + 1).
struct decimal {
  std::uint64_t digits;
  int exponent;
};

// Returns the decimal exponent that to_chars writes after 'e' ("+05", "-308") in [sign, end).
int read_exponent(const char* sign, const char* end) {
  int exponent = 0;
  for (const char* digit = sign + 1; digit != end; ++digit) {
    exponent = exponent * 10 + (*digit - '0');
  }
  return *sign == '-' ? -exponent : exponent;
}

// Returns magnitude rounded to nearest (ties to even) at `count` significant digits, digits in
// [10^(count-1), 10^count). Preconditions: magnitude is finite and positive, 2 <= count <= 17.
decimal significant_digits(double magnitude, int count) {
  char text[32];  // "d.", up to 16 more digits, 'e', sign, up to 3 digits
  const char* const end =
      std::to_chars(text, text + sizeof text, magnitude, std::chars_format::scientific, count - 1).ptr;
  const char* const last = text + count + 1;  // one past the last digit
  std::uint64_t digits = static_cast<std::uint64_t>(text[0] - '0');
  for (const char* digit = text + 2; digit != last; ++digit) {
    digits = digits * 10 + static_cast<std::uint64_t>(*digit - '0');
  }
  return {digits, read_exponent(last + 1, end)};
}

// Returns magnitude's 17 significant digits rounded half up, those rounded half up to seven:
// digits in [10^6, 10^7], where 10^7 means a carry into a new leading digit.
// Precondition: magnitude is finite and positive.
decimal round_to_7_digits(double magnitude) {
  // Nine correctly rounded digits settle it unless their last two are 49 or 50: 51 or more means
  // the exact tail is at least 50.5 hundredths of the 7th digit's unit, 48 or less at most 48.5.
  const decimal nine = significant_digits(magnitude, 9);
  const std::uint64_t tail = nine.digits % 100;
  if (tail != 49 && tail != 50) return {nine.digits / 100 + (tail > 50 ? 1 : 0), nine.exponent};
  // Otherwise round 17 digits. to_chars rounds those to nearest with ties to even, where the rule
  // is half up; the two differ only on an exact tie with an even 17th digit, and that extra unit
  // could change the seven digits only by carrying into the 8th, which needs a 17th digit of 9:
  // odd, so ties to even rounds it up too.
  const decimal seventeen = significant_digits(magnitude, 17);
  return {(seventeen.digits + ten_pow_10 / 2) / ten_pow_10, seventeen.exponent};
}

// Writes d.dddddd for seven digits (0 for zero) and returns one past the end.
char* append_significand(char* out, std::uint64_t digits7) {
  char text[7];
  for (int i = 6; i >= 0; --i, digits7 /= 10) text[i] = static_cast<char>('0' + digits7 % 10);
  *out++ = text[0];
  *out++ = '.';
  return std::copy(text + 1, text + 7, out);
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
  if (magnitude_bits == 0) return append_exponent(append_significand(out, 0), 0);

  double magnitude = 0;
  std::memcpy(&magnitude, &magnitude_bits, sizeof magnitude);
  decimal rounded = round_to_7_digits(magnitude);
  if (rounded.digits == ten_pow_7) rounded = {ten_pow_6, rounded.exponent + 1};  // 9.9999995 -> 1.000000e+001
  return append_exponent(append_significand(out, rounded.digits), rounded.exponent);
}
