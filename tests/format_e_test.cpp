// The number text, checked against known answers and against a slower reference that rounds the
// full exact decimal expansion.
#include <gtest/gtest.h>

#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <random>
#include <string>

#include "report/report.h"

namespace {

double from_bits(std::uint64_t bits) {
  double value = 0;
  std::memcpy(&value, &bits, sizeof value);
  return value;
}

std::string text_of(double value) {
  char out[format_e_max];
  const char* const end = format_e(value, out);
  return std::string(out, static_cast<std::size_t>(end - out));
}

struct known_text {
  std::uint64_t bits;
  const char* text;
};

// clang-format off
constexpr known_text known_texts[] = {
  {0x0000000000000000, "0.000000e+000"},
  {0x8000000000000000, "0.000000e+000"},   // negative zero prints without a sign
  {0x3FF0000000000000, "1.000000e+000"},
  {0xBFF0000000000000, "-1.000000e+000"},
  {0x3FF0000192A73711, "1.000002e+000"},   // nearest 1.0000015 is 1.00000149999999998...: the 17-digit form 1.0000015000000000 rounds up
  {0x3FF0000192A73710, "1.000001e+000"},   // one ulp lower the 17-digit form is 1.0000014999999998 and truncates
  {0x3FF0000800000000, "1.000008e+000"},   // 1 + 2^-17 = 1.00000762939453125, an exact tie at the 18th digit
  {0x4023FFFFF29406B3, "1.000000e+001"},   // 9.9999996 carries into a new leading digit and exponent
  {0x4023FFFFEF39085A, "9.999999e+000"},   // 9.99999949999999: the 8th digit is 4
  {0x3EE4F8B588E368F1, "1.000000e-005"},   // 1e-5: a one-digit exponent written with three
  {0xC8C0C00000000000, "-2.918262e+042"},  // -0x1.0cp+141, the binary32-operand result
  {0xC850000000000000, "-2.177807e+040"},  // -0x1p+134, the binary64 term-by-term result
  {0x54B249AD2594C37D, "1.000000e+100"},   // 1e100: the first three-digit exponent
  {0x7FEFFFFFFFFFFFFF, "1.797693e+308"},   // largest finite
  {0xFFEFFFFFFFFFFFFF, "-1.797693e+308"},  // the longest text, 14 characters
  {0x0010000000000000, "2.225074e-308"},   // smallest normal
  {0x000FFFFFFFFFFFFF, "2.225074e-308"},   // largest subnormal
  {0x0000000000000001, "4.940656e-324"},   // smallest subnormal
  {0x7FF0000000000000, "inf"},
  {0xFFF0000000000000, "-inf"},
  {0x7FF8000000000000, "nan"},
  {0xFFF8000000000000, "nan"},             // a NaN's sign is not printed
  {0x7FF0000000000001, "nan"},             // signalling NaN
};
// clang-format on

TEST(FormatE, KnownAnswers) {
  for (const known_text& row : known_texts) {
    EXPECT_EQ(text_of(from_bits(row.bits)), row.text) << std::hex << "bits 0x" << row.bits;
  }
}

// Increments a string of decimal digits by one unit in its last place; returns whether the carry
// ran out of the front (the digits are then all zeros).
bool increment_digits(std::string& digits) {
  for (auto digit = digits.rbegin(); digit != digits.rend(); ++digit) {
    if (*digit != '9') {
      ++*digit;
      return false;
    }
    *digit = '0';
  }
  return true;
}

// Rounds a string of significant digits half up to its first n; returns whether a carry added a
// new leading digit (the result is then 1 followed by zeros).
bool round_digits_half_up(std::string& digits, std::size_t n) {
  const bool up = digits[n] >= '5';
  digits.resize(n);
  if (!up || !increment_digits(digits)) return false;
  digits[0] = '1';
  return true;
}

// The text of a finite non-zero value from its whole exact expansion: 770 digits after the point
// hold every binary64 (767 significant digits at most), so to_chars does no rounding here.
std::string reference_text(double value) {
  char exact[800];
  const char* const end =
      std::to_chars(exact, exact + sizeof exact, value < 0 ? -value : value, std::chars_format::scientific, 770).ptr;
  std::string digits = std::string(1, exact[0]) + std::string(exact + 2, exact + 772);
  int exponent = std::stoi(std::string(static_cast<const char*>(exact) + 773, end));
  exponent += round_digits_half_up(digits, 17);
  exponent += round_digits_half_up(digits, 7);
  const std::string magnitude = std::to_string(1000 + (exponent < 0 ? -exponent : exponent));
  return std::string(value < 0 ? "-" : "") + digits[0] + '.' + digits.substr(1) + 'e' + (exponent < 0 ? '-' : '+') +
         magnitude.substr(1);
}

TEST(FormatE, MatchesExactReferenceOnRandomBitPatterns) {
  std::mt19937_64 random(20261208);
  for (int i = 0; i < 20000; ++i) {
    const double value = from_bits(random());
    if (value != value || value == 0 || value - value != 0) continue;  // NaN, zero, infinity
    ASSERT_EQ(text_of(value), reference_text(value)) << std::hexfloat << value;
  }
}

// Values within a few ulps of d.dddddd5eN, where the 8th digit decides and nine digits from
// to_chars are not enough.
TEST(FormatE, MatchesExactReferenceNearTheRoundingPoint) {
  std::mt19937_64 random(5);
  for (int i = 0; i < 5000; ++i) {
    std::string midpoint =
        std::to_string(1000000 + random() % 9000000) + "5e" + std::to_string(static_cast<int>(random() % 600) - 300);
    midpoint.insert(1, ".");
    double value = 0;
    std::from_chars(midpoint.data(), midpoint.data() + midpoint.size(), value);
    double near = std::nextafter(std::nextafter(value, 0.0), 0.0);
    for (int ulps = -2; ulps <= 2; ++ulps, near = std::nextafter(near, HUGE_VAL)) {
      ASSERT_EQ(text_of(near), reference_text(near)) << midpoint << " " << ulps << " ulps";
    }
  }
}

TEST(FormatE, WritesNothingPastItsText) {
  std::mt19937_64 random(7);
  for (int i = 0; i < 2000; ++i) {
    const double value = from_bits(random());
    char out[64];
    std::memset(out, '#', sizeof out);
    const char* const end = format_e(value, out);
    ASSERT_LE(end - out, static_cast<std::ptrdiff_t>(format_e_max));
    const char* const past = out + sizeof out;
    ASSERT_EQ(std::string(end, past), std::string(static_cast<std::size_t>(past - end), '#'));
  }
}

}  // namespace
