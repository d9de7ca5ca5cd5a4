// The remedies bit for bit: at the chain's points against tests/golden-remedies.txt, which an exact
// evaluation apart from this code wrote; and at points where their code takes the paths the chain
// does not: zero terms, the other side of Neumaier's branch, ties of the exact sum, overflow.
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
  {0, 0, "neumaier exact_sum compensated sum_2 sum_3 sum_4", 0.0},
  // The chain's trivial point, with 83521 y^8 and 578 x^2 y^4 zero: all exact.
  {1, 0, "neumaier exact_sum compensated sum_2 sum_3 sum_4 rewrite", -1.0},
  // x = 0 leaves 83521 y^8 alone: rounded at each product, as the program rounds it ...
  {0, 39, "neumaier exact_sum", 0x1.8d053518c5e51p+58},
  // ... and carried exactly, then rounded once: one unit below.
  {0, 39, "compensated sum_2 sum_3 sum_4", 0x1.8d053518c5e5p+58},
  // 83521 y^8 and x^8 each outweigh the sum so far: Neumaier takes each error from the term's side.
  {249, 52, "neumaier exact_sum compensated sum_2 sum_3 sum_4", -0x1.1e33e72eef663p+63},
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
