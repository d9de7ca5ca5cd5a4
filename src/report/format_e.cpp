// The "%e" number text. The 17 significant digits come from std::to_chars, which converts the
// exact binary value and ignores the locale; the rounding to seven is integer arithmetic.
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

// Returns magnitude rounded to 17 significant digits, digits in [10^16, 10^17).
// Precondition: magnitude is finite and positive.
// to_chars rounds the exact value to nearest with ties to even, where the program's rule is half
// up; the two differ only on an exact tie with an even 17th digit. That never changes the seven
// digits printed: the extra unit would have to carry into the 8th digit, which needs digits 9 to
// 17 to be 9s, and a 17th digit of 9 is odd, so ties to even rounds it up too.
decimal round_to_17_digits(double magnitude) {
  char text[32];  // "d." then 16 digits, 'e', sign, up to 3 digits
  const char* const end =
      std::to_chars(text, text + sizeof text, magnitude, std::chars_format::scientific, 16).ptr;
  std::uint64_t digits = static_cast<std::uint64_t>(text[0] - '0');
  for (const char* digit = text + 2; digit != text + 18; ++digit) {
    digits = digits * 10 + static_cast<std::uint64_t>(*digit - '0');
  }
  return {digits, read_exponent(text + 19, end)};
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
  const decimal digits17 = round_to_17_digits(magnitude);
  // Half up from 17 digits to 7: add half a unit of the 7th digit, then drop ten digits.
  std::uint64_t digits7 = (digits17.digits + ten_pow_10 / 2) / ten_pow_10;
  int exponent = digits17.exponent;
  if (digits7 == ten_pow_7) {  // 9.9999995 and above carry into a new leading digit
    digits7 = ten_pow_6;
    ++exponent;
  }
  return append_exponent(append_significand(out, digits7), exponent);
}
