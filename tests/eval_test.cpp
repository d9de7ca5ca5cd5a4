// Every intermediate value of the evaluations, bit for bit: a product taken in another order, a
// fused multiply-add or a wider intermediate shows up at the step where it happens. The values are
// those of tests/golden-steps.txt, which the page's and the explanation's checks read too.
#include "eval/eval.h"

#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "golden.h"

namespace {

struct step {
  std::string name;
  double value;
};

// Returns the steps of one evaluation ("single", "double" or "reuse") from the golden file, in
// order; a line that is not an evaluation, a step and a hexadecimal float fails the test that reads it.
std::vector<step> golden_steps(const std::string& evaluation) {
  std::vector<step> steps;
  for (const std::vector<std::string>& fields : golden_lines(POLYEVAL_GOLDEN_STEPS)) {
    EXPECT_EQ(fields.size(), 3U) << "not an evaluation, a step and a value: " << fields[0];
    if (fields.size() == 3 && fields[0] == evaluation) steps.push_back({fields[1], hex_value(fields[2])});
  }
  return steps;
}

// Expects the count computed steps to be the golden steps of evaluation, bit for bit.
void expect_steps(const double* computed, const std::string& evaluation, int count) {
  const std::vector<step> expected = golden_steps(evaluation);
  ASSERT_EQ(expected.size(), static_cast<std::size_t>(count)) << evaluation << " steps in " << POLYEVAL_GOLDEN_STEPS;
  for (int i = 0; i < count; ++i) {
    const step& want = expected[static_cast<std::size_t>(i)];
    EXPECT_EQ(computed[i], want.value) << evaluation << " " << want.name << std::hexfloat << ": got " << computed[i]
                                       << ", want " << want.value;
    EXPECT_EQ(std::signbit(computed[i]), std::signbit(want.value)) << evaluation << " " << want.name << ": sign";
  }
}

TEST(Evaluation, SingleOperandsTermByTerm) {
  double steps[term_steps];
  sum_terms_single(point_x, point_y, steps);
  expect_steps(steps, "single", term_steps);
}

TEST(Evaluation, DoubleOperandsTermByTerm) {
  double steps[term_steps];
  sum_terms_double(point_x, point_y, steps);
  expect_steps(steps, "double", term_steps);
}

TEST(Evaluation, DoubleOperandsReusingPowers) {
  double steps[reuse_steps];
  sum_reusing_powers(point_x, point_y, steps);
  expect_steps(steps, "reuse", reuse_steps);
}

}  // namespace
