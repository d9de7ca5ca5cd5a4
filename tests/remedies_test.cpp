// The remedies bit for bit: at the chain's points against tests/golden-remedies.txt, which an exact
// evaluation apart from this code wrote; at points where their code takes the paths the chain does
// not: zero terms, the other side of Neumaier's branch, ties of the exact sum, overflow; and Horner's
// schemes against f computed exactly in integers.
#include "eval/remedies.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <iterator>
#include <sstream>
#include <string>
#include <vector>

#include "eval/eval.h"
#include "golden.h"

namespace {

struct named_remedy {
  const char* key;
  double (*evaluate)(double x, double y);
};

constexpr named_remedy remedies[] = {
    {"neumaier", neumaier}, {"exact_sum", exact_sum}, {"compensated", compensated},
    {"sum_2", sum_2},       {"sum_3", sum_3},         {"sum_4", sum_4},
    {"rewrite", rewrite},   {"horner", horner},       {"comp_horner", comp_horner},
};

// The value's text as std::hexfloat writes it (AssertionResult would drop the manipulator).
std::string hex_text(double value) {
  std::ostringstream text;
  text << std::hexfloat << value;
  return text.str();
}

// Whether got and want are the same binary64, sign of zero included.
::testing::AssertionResult same_bits(double got, double want) {
  std::uint64_t got_bits = 0;
  std::uint64_t want_bits = 0;
  std::memcpy(&got_bits, &got, sizeof got_bits);
  std::memcpy(&want_bits, &want, sizeof want_bits);
  if (got_bits == want_bits) return ::testing::AssertionSuccess();
  return ::testing::AssertionFailure() << "got " << hex_text(got) << ", want " << hex_text(want);
}

TEST(Remedies, MatchTheGoldenValuesAtTheChainsPoints) {
  int rows[std::size(remedies)] = {};
  for (const std::vector<std::string>& fields : golden_lines(POLYEVAL_GOLDEN_REMEDIES)) {
    ASSERT_EQ(fields.size(), 4U) << "not a key, x, y and a value: " << fields[0];
    const auto* remedy = std::find_if(std::begin(remedies), std::end(remedies),
                                      [&](const named_remedy& each) { return fields[0] == each.key; });
    ASSERT_NE(remedy, std::end(remedies)) << "no remedy " << fields[0];
    const double x = std::stod(fields[1]);  // integers below 2^53, exact
    const double y = std::stod(fields[2]);
    EXPECT_TRUE(same_bits(remedy->evaluate(x, y), hex_value(fields[3])))
        << fields[0] << " at " << fields[1] << ", " << fields[2];
    ++rows[remedy - std::begin(remedies)];
  }
  for (const named_remedy& remedy : remedies) EXPECT_EQ(rows[&remedy - remedies], 6) << remedy.key << " points";
}

// The golden exact_sum at the program's point is what the program's own terms, in
// tests/golden-steps.txt, sum to when rounded once: the two files agree.
TEST(Remedies, ExactSumRoundsTheProgramsTermsOnce) {
  const std::string names[term_count] = {"T1", "T2", "T3", "T4", "T5"};
  const double signs[term_count] = {+1, +1, -1, +1, -1};
  double terms[term_count] = {};
  for (const std::vector<std::string>& fields : golden_lines(POLYEVAL_GOLDEN_STEPS)) {
    for (int j = 0; j < term_count; ++j) {
      if (fields[0] == "double" && fields[1] == names[j]) terms[j] = signs[j] * hex_value(fields[2]);
    }
  }
  for (const std::vector<std::string>& fields : golden_lines(POLYEVAL_GOLDEN_REMEDIES)) {
    if (fields[0] != "exact_sum" || std::stod(fields[1]) != point_x || std::stod(fields[2]) != point_y) continue;
    EXPECT_TRUE(same_bits(exact_sum_of(terms), hex_value(fields[3])));
    return;
  }
  ADD_FAILURE() << "no exact_sum at the program's point in " << POLYEVAL_GOLDEN_REMEDIES;
}

struct known_remedy {
  double x;
  double y;
  const char* keys;  // the remedies that give `result` here, separated by blanks
  double result;
};

// Whether key is one of the blank-separated keys.
bool names(const char* keys, const char* key) {
  return (" " + std::string(keys) + " ").find(" " + std::string(key) + " ") != std::string::npos;
}

// clang-format off
const known_remedy known_remedies[] = {
  // No terms: every list of sum_K is empty, every sum +0; (rewrite does not apply.)
  {0, 0, "neumaier exact_sum compensated sum_2 sum_3 sum_4 horner comp_horner", 0.0},
  // The chain's trivial point, with 83521 y^8 and 578 x^2 y^4 zero: all exact.
  {1, 0, "neumaier exact_sum compensated sum_2 sum_3 sum_4 rewrite horner comp_horner", -1.0},
  // x = 0 leaves 83521 y^8 alone: rounded at each product, as the program rounds it ...
  {0, 39, "neumaier exact_sum horner", 0x1.8d053518c5e51p+58},
  // ... and carried exactly, then rounded once: one unit below.
  {0, 39, "compensated sum_2 sum_3 sum_4 comp_horner", 0x1.8d053518c5e5p+58},
  // 83521 y^8 and x^8 each outweigh the sum so far: Neumaier takes each error from the term's side.
  {249, 52, "neumaier exact_sum compensated sum_2 sum_3 sum_4 horner comp_horner", -0x1.1e33e72eef663p+63},
  // x = 1 + 2^-27: s = x x rounds, and its error, carried into each h s, takes comp_horner to the
  // binary64 nearest f, one unit further from 0 than horner.
  {0x1.0000002p+0, 0, "horner", -0x1.0000008000002p+0},
  {0x1.0000002p+0, 0, "comp_horner", -0x1.0000008000003p+0},
};
// clang-format on

TEST(Remedies, KnownAnswersOffTheChain) {
  for (const known_remedy& row : known_remedies) {
    for (const named_remedy& remedy : remedies) {
      if (!names(row.keys, remedy.key)) continue;
      EXPECT_TRUE(same_bits(remedy.evaluate(row.x, row.y), row.result))
          << remedy.key << " at " << row.x << ", " << row.y;
    }
  }
}

// An integer below 2^64 in magnitude, as its sign and magnitude.
struct exact_integer {
  bool negative;
  std::uint64_t magnitude;
};

// f at integers x, y, exactly, where |f| < 2^63: unsigned arithmetic is exact modulo 2^64 however
// far its products overflow, and f is the residue nearest 0.
exact_integer exact_f(std::int64_t x, std::int64_t y) {
  using c = coefficients<std::uint64_t>;
  const std::uint64_t x2 = static_cast<std::uint64_t>(x) * static_cast<std::uint64_t>(x);
  const std::uint64_t y2 = static_cast<std::uint64_t>(y) * static_cast<std::uint64_t>(y);
  const std::uint64_t x4 = x2 * x2;
  const std::uint64_t y4 = y2 * y2;
  const std::uint64_t f = c::of_y8 * y4 * y4 + c::of_x2y4 * x2 * y4 - c::of_x4 * x4 + c::of_x6 * x4 * x2 - x4 * x4;
  const std::uint64_t negative_from = std::uint64_t{1} << 63;  // the residues that stand for -2^63 to -1
  return f >= negative_from ? exact_integer{true, 0 - f} : exact_integer{false, f};
}

// The binary64 nearest to the integer, ties to even, rounded in integer code: the magnitude keeps
// its 53 leading bits, one more where the bits dropped exceed half a unit of the last bit kept, or
// equal it and that bit is odd.
double nearest_binary64(exact_integer value) {
  const std::uint64_t significand_end = std::uint64_t{1} << 53;  // binary64's significands: 53 bits
  int dropped = 0;
  while (value.magnitude >> dropped >= significand_end) ++dropped;
  std::uint64_t kept = value.magnitude >> dropped;
  if (dropped > 0) {
    const std::uint64_t rest = value.magnitude & ((std::uint64_t{1} << dropped) - 1);
    const std::uint64_t half = std::uint64_t{1} << (dropped - 1);
    if (rest > half || (rest == half && kept % 2 == 1)) ++kept;  // 2^53 at most: still exact
  }
  const double magnitude = std::ldexp(static_cast<double>(kept), dropped);
  return value.negative ? -magnitude : magnitude;
}

// A point with integer operands where |f| < 2^63, and which remedies give the binary64 nearest f.
struct integer_point {
  std::int64_t x;
  std::int64_t y;
  const char* nearest;  // the remedies that give the binary64 nearest f here, separated by blanks
  const char* off;      // and those that do not
};

// clang-format off
const integer_point integer_points[] = {
  // Nothing rounds: both are f, exactly, with negative operands too.
  {-3,  2,  "horner comp_horner", ""},
  {7,   -5, "horner comp_horner", ""},
  // x^8 passes 2^53: the products h s round, and their errors carried put comp_horner on f.
  {99,  16, "comp_horner", "horner"},
  // c0 = 83521 y^8 rounds, and its error enters at the sum h s + c0.
  {89,  25, "comp_horner", "horner"},
  // Near the chain (x^2 - 17 y^2 = 64): the errors so far, scaled by each factor, put it on f.
  {161, 39, "comp_horner", "horner"},
  // |f| passes 2^61: the sums h s + c round too, and comp_horner reaches the nearest f only with
  // their errors carried; horner misses it here ...
  {81,  50, "comp_horner", "horner"},
  // ... and lands on it here.
  {63,  50, "horner comp_horner", ""},
};
// clang-format on

TEST(Remedies, HornerSchemesAgainstExactIntegers) {
  for (const integer_point& row : integer_points) {
    const double nearest = nearest_binary64(exact_f(row.x, row.y));
    for (const named_remedy& remedy : remedies) {
      const double result = remedy.evaluate(static_cast<double>(row.x), static_cast<double>(row.y));
      if (names(row.nearest, remedy.key)) {
        EXPECT_TRUE(same_bits(result, nearest)) << remedy.key << " at " << row.x << ", " << row.y;
      } else if (names(row.off, remedy.key)) {
        EXPECT_NE(result, nearest) << remedy.key << " at " << row.x << ", " << row.y << ": " << hex_text(result);
      }
    }
  }
}

// Operands near the top of binary64: every product overflows, and its error is infinite or NaN,
// so each list of sum_K keeps every number the splitting makes (528, the lists' room). No remedy
// may pass for a number there.
TEST(Remedies, OverflowGivesNoNumber) {
  for (const named_remedy& remedy : remedies) {
    EXPECT_FALSE(std::isfinite(remedy.evaluate(0x1.9e3779b97f4a7p+1023, 0x1.3c5a9e7f1d2b3p+1023))) << remedy.key;
  }
}

struct known_sum {
  double terms[term_count];
  double sum;
};

// clang-format off
const known_sum known_sums[] = {
  {{1, 0x1p-53}, 1},                                              // a tie, to even: down
  {{0x1.0000000000001p+0, 0x1p-53}, 0x1.0000000000002p+0},        // a tie, to even: up
  {{1, 0x1p-53, 0x1p-106}, 0x1.0000000000001p+0},                 // past the tie by a lower partial
  {{0x1p-106, 0x1p-53, 1}, 0x1.0000000000001p+0},                 // the same, in the other order
  {{1, 0x1p-53, -0x1p-106}, 1},                                   // short of the tie
  {{-1, -0x1p-53, -0x1p-106}, -0x1.0000000000001p+0},             // past the tie, negative
  {{1, -0x1p-54, -0x1p-160}, 0x1.fffffffffffffp-1},               // past the tie below a power of two
  {{0x1p+100, 1, -0x1p+100}, 1},                                  // the large terms cancel exactly
  {{0x1p+100, 1, -0x1p+100, -1}, 0},                              // everything cancels: +0
};
// clang-format on

TEST(Remedies, ExactSumRoundsOnceToNearestEven) {
  for (const known_sum& row : known_sums) {
    EXPECT_TRUE(same_bits(exact_sum_of(row.terms), row.sum))
        << hex_text(row.terms[0]) << " " << hex_text(row.terms[1]) << " " << hex_text(row.terms[2]);
  }
}

}  // namespace
