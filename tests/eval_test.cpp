// Every intermediate value of the evaluations, bit for bit: a product taken in another order, a
// fused multiply-add or a wider intermediate shows up at the step where it happens.
#include "eval/eval.h"

#include <gtest/gtest.h>

#include <cmath>

namespace {

constexpr float x32 = 9478657.0F;
constexpr float y32 = 2298912.0F;

struct step {
  const char* name;
  double value;
};

void expect_steps(const double* computed, const step* expected, int count) {
  for (int i = 0; i < count; ++i) {
    EXPECT_EQ(computed[i], expected[i].value)
        << expected[i].name << std::hexfloat << ": got " << computed[i] << ", want " << expected[i].value;
  }
}

// clang-format off
constexpr step single_steps[term_steps] = {
  {"T1",          0x1.54255935bde18p+185},
  {"T2",          0x1.0a6919a98a19fp+140},
  {"S = T1 - T2", 0x1.54255935bdd93p+185},
  {"T3",          0x1.a15186961ce5dp+93},
  {"S -= T3",     0x1.54255935bdd93p+185},  // T3 is far below half an ulp of S
  {"T4",          0x1.0a6919a98a207p+140},
  {"S += T4",     0x1.54255935bde18p+185},
  {"T5",          0x1.54255935bdf24p+185},
  {"S -= T5",    -0x1.0cp+141},             // -2.918262e+042, beyond binary32's range
};

constexpr step double_steps[term_steps] = {
  {"T1",          0x1.54255935bde18p+185},
  {"T2",          0x1.0a6919a98a19fp+140},
  {"S = T1 + T2", 0x1.54255935bde9dp+185},
  {"T3",          0x1.a15186961ce5dp+93},
  {"S -= T3",     0x1.54255935bde9dp+185},
  {"T4",          0x1.0a6919a98a207p+140},
  {"S += T4",     0x1.54255935bdf22p+185},
  {"T5",          0x1.54255935bdf24p+185},
  {"S -= T5",    -0x1p+134},                // -2.177807e+040
};

constexpr step reuse_steps_expected[reuse_steps] = {
  {"X4",          0x1.a15186961ce5dp+92},
  {"Y4",          0x1.71aa8ab4ce44cp+84},
  {"S = U1",      0x1.54255935bde1ap+185},  // two ulps above T1: the roundings fall elsewhere
  {"U2",          0x1.0a6919a98a19ep+140},
  {"S += U2",     0x1.54255935bde9fp+185},
  {"U3",          0x1.a15186961ce5dp+93},
  {"S -= U3",     0x1.54255935bde9fp+185},
  {"U4",          0x1.0a6919a98a207p+140},
  {"S += U4",     0x1.54255935bdf24p+185},
  {"U5",          0x1.54255935bdf24p+185},
  {"S -= U5",     0.0},                     // exact cancellation
};
// clang-format on

TEST(Evaluation, SingleOperandsTermByTerm) {
  double steps[term_steps];
  sum_terms_single(x32, y32, steps);
  expect_steps(steps, single_steps, term_steps);
}

TEST(Evaluation, DoubleOperandsTermByTerm) {
  double steps[term_steps];
  sum_terms_double(x32, y32, steps);
  expect_steps(steps, double_steps, term_steps);
}

TEST(Evaluation, DoubleOperandsReusingPowers) {
  double steps[reuse_steps];
  sum_reusing_powers(x32, y32, steps);
  expect_steps(steps, reuse_steps_expected, reuse_steps);
  EXPECT_FALSE(std::signbit(steps[reuse_steps - 1])) << "the result is positive zero";
}

}  // namespace
