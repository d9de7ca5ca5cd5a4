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
  const Operand c1 = 83521;  // of y^8
  const Operand c2 = 578;    // of x^2 y^4
  const Operand c3 = 2;      // of x^4
  const Operand c4 = 2;      // of x^6
  const double t1 = double{c1} * y * y * y * y * y * y * y * y;
  const double t2 = double{c2} * x * x * y * y * y * y;
  double s = subtract_t2 ? t1 - t2 : t1 + t2;
  steps[0] = t1;
  steps[1] = t2;
  steps[2] = s;
  const double t3 = double{c3} * x * x * x * x;
  steps[3] = t3;
  steps[4] = s = s - t3;
  const double t4 = double{c4} * x * x * x * x * x * x;
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
  const double x4 = x * x * x * x;
  const double y4 = y * y * y * y;
  steps[0] = x4;
  steps[1] = y4;
  double s = 83521.0 * y4 * y4;
  steps[2] = s;
  const double u2 = 578.0 * x * x * y4;
  steps[3] = u2;
  steps[4] = s = s + u2;
  const double u3 = 2.0 * x4;
  steps[5] = u3;
  steps[6] = s = s - u3;
  const double u4 = 2.0 * x * x * x4;
  steps[7] = u4;
  steps[8] = s = s + u4;
  const double u5 = x4 * x4;
  steps[9] = u5;
  steps[10] = s - u5;
}

// Each routine reads its operands from volatile locals, so the compiler cannot evaluate anything
// ahead of time: the products are computed when the program runs, on the machine's own unit.

void eval_single() {
  volatile float x = 9478657.0F;
  volatile float y = 2298912.0F;
  double steps[term_steps];
  sum_terms_single(x, y, steps);
  write_result_line("Ergebnis Single: %e\n\n", steps[term_steps - 1]);
}

namespace {

// The term-by-term evaluation with binary64 operands, written under the given label.
template <std::size_t N>
void write_double_terms(const char (&format)[N]) {
  volatile double x = 9478657.0;
  volatile double y = 2298912.0;
  double steps[term_steps];
  sum_terms_double(x, y, steps);
  write_result_line(format, steps[term_steps - 1]);
}

}  // namespace

void eval_double() { write_double_terms("Ergebnis Double: %e\n\n"); }

void eval_extended() { write_double_terms("Ergebnis Extended: %e\n\n"); }

void eval_extended2() {
  volatile double x = 9478657.0;
  volatile double y = 2298912.0;
  double steps[reuse_steps];
  sum_reusing_powers(x, y, steps);
  write_result_line("Ergebnis Extended2: %e\n\n", steps[reuse_steps - 1]);
}
