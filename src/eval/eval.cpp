// Each product is written left to right, so C++'s left associativity multiplies in exactly the
// order written: the coefficient (or first factor), then each factor in turn. Nothing may reorder
// or fuse the operations (the build turns contraction off), and the driver has made every
// operation round to binary64.
#include "eval.h"

#include <cstddef>

#include "report/report.h"

namespace {

// The term-by-term scheme for either operand format. Each term starts from its coefficient widened
// to double, so every operand of every multiply is widened exactly and every product is binary64.
template <typename Operand>
void sum_terms(Operand x, Operand y, bool subtract_t2, double steps[term_steps]) {
  using c = coefficients<Operand>;
  const double t1 = double{c::of_y8} * y * y * y * y * y * y * y * y;
  const double t2 = double{c::of_x2y4} * x * x * y * y * y * y;
  double s = subtract_t2 ? t1 - t2 : t1 + t2;
  steps[0] = t1;
  steps[1] = t2;
  steps[2] = s;
  const double t3 = double{c::of_x4} * x * x * x * x;
  steps[3] = t3;
  steps[4] = s = s - t3;
  const double t4 = double{c::of_x6} * x * x * x * x * x * x;
  steps[5] = t4;
  steps[6] = s = s + t4;
  const double t5 = double{x} * x * x * x * x * x * x * x;
  steps[7] = t5;
  steps[8] = s - t5;
}

}  // namespace

void sum_terms_single(float x, float y, double steps[term_steps]) { sum_terms(x, y, true, steps); }

void sum_terms_double(double x, double y, double steps[term_steps]) { sum_terms(x, y, false, steps); }

void sum_reusing_powers(double x, double y, double steps[reuse_steps]) {
  using c = coefficients<double>;
  const double x4 = x * x * x * x;
  const double y4 = y * y * y * y;
  steps[0] = x4;
  steps[1] = y4;
  double s = c::of_y8 * y4 * y4;
  steps[2] = s;
  const double u2 = c::of_x2y4 * x * x * y4;
  steps[3] = u2;
  steps[4] = s = s + u2;
  const double u3 = c::of_x4 * x4;
  steps[5] = u3;
  steps[6] = s = s - u3;
  const double u4 = c::of_x6 * x * x * x4;
  steps[7] = u4;
  steps[8] = s = s + u4;
  const double u5 = x4 * x4;
  steps[9] = u5;
  steps[10] = s - u5;
}

namespace {

// Runs the evaluation `evaluate`, of Steps steps, at the program's point with Operand operands and
// writes its result under the format literal. The operands are read from volatile locals, so the
// compiler cannot evaluate anything ahead of time: the products are computed when the program
// runs, on the machine's own unit.
template <typename Operand, int Steps, std::size_t N>
void write_at_point(const char (&format)[N], void (*evaluate)(Operand, Operand, double*)) {
  volatile Operand x = point_x;
  volatile Operand y = point_y;
  double steps[Steps];
  evaluate(x, y, steps);
  write_result_line(format, steps[Steps - 1]);
}

}  // namespace

void eval_single() { write_at_point<float, term_steps>("Ergebnis Single: %e\n\n", sum_terms_single); }

void eval_double() { write_at_point<double, term_steps>("Ergebnis Double: %e\n\n", sum_terms_double); }

void eval_extended() { write_at_point<double, term_steps>("Ergebnis Extended: %e\n\n", sum_terms_double); }

void eval_extended2() { write_at_point<double, reuse_steps>("Ergebnis Extended2: %e\n\n", sum_reusing_powers); }
