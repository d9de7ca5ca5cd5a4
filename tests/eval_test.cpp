// Every intermediate value of the evaluations, bit for bit: a product taken in another order, a
// fused multiply-add or a wider intermediate shows up at the step where it happens. The values are
// those of tests/golden-steps.txt, which the page's and the explanation's checks read too.
#include "eval/eval.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

namespace {

struct step {
  std::string name;
  double value;
};

// Returns the steps of one evaluation ("single", "double" or "reuse") from the golden file, in
// order; a value that is not a whole hexadecimal float fails the test that reads it.
std::vector<step> golden_steps(const std::string& evaluation) {
  std::ifstream file(POLYEVAL_GOLDEN_STEPS);
  EXPECT_TRUE(file) << "cannot read " << POLYEVAL_GOLDEN_STEPS;
  std::vector<step> steps;
  std::string line;
  while (std::getline(file, line)) {
    if (line.empty() || line[0] == '#') continue;
    std::istringstream fields(line);
    std::string which;
    std::string name;
    std::string hex;
    fields >> which >> name >> hex;
    if (which != evaluation) continue;
    char* end = nullptr;
    steps.push_back({name, std::strtod(hex.c_str(), &end)});
    EXPECT_TRUE(*end == '\0' && hex.compare(hex[0] == '-' ? 1 : 0, 2, "0x") == 0)
        << "not a hexadecimal float: " << line;
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
