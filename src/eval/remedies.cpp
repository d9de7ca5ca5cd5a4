// The remedies in binary64. Each operation is written once, in the order its definition takes it;
// C++ evaluates as written, the build turns contraction off, and the one fused multiply-add is the
// std::fma of two_product, which is the point of it. Every result is rounded to binary64 to
// nearest, as the driver (or the page's module, which has no wider unit) arranges.
#include "remedies.h"

#include <algorithm>
#include <cmath>

#include "eval.h"

namespace {

// A rounded result and its rounding error: value + error is the exact result.
struct with_error {
  double value;
  double error;
};

// a + b as (s, a + b - s), s rounded: the branch-free TwoSum, six operations, exact in binary64 to
// nearest whichever operand is larger, unless an operation overflows.
with_error two_sum(double a, double b) {
  const double s = a + b;
  const double b_in_s = s - a;       // the part of s that came from b
  const double a_in_s = s - b_in_s;  // and the part that came from a
  return {s, (a - a_in_s) + (b - b_in_s)};
}

// a * b as (h, a * b - h), h rounded: a * b - h is a binary64 number, so the fused multiply-add,
// which rounds it once, gives it exactly, unless h overflows or the error is subnormal.
with_error two_product(double a, double b) {
  const double h = a * b;
  return {h, std::fma(a, b, -h)};
}

// A number of the compensated arithmetic: its rounded value and the rounding error carried beside
// it, which value + error, rounded, corrects.
struct carried {
  // An operand or a constant, exact: no error yet.
  explicit carried(double exact) : value(exact), error(0) {}
  carried(double rounded, double its_error) : value(rounded), error(its_error) {}

  double value;
  double error;
};

// a * b: the product's own error, exact, plus each operand's error times the other's value.
carried operator*(carried a, carried b) {
  const with_error product = two_product(a.value, b.value);
  return {product.value, (a.error * b.value + a.value * b.error) + product.error};
}

// a + b: the sum's own error, exact, plus the operands' errors, b's first.
carried operator+(carried a, carried b) {
  const with_error sum = two_sum(a.value, b.value);
  return {sum.value, a.error + (sum.error + b.error)};
}

// a - b: a + (-b), b's value and error negated, which is exact.
carried operator-(carried a, carried b) { return a + carried{-b.value, -b.error}; }

// The compensated result: the value corrected by the error carried, rounded once.
double corrected(carried number) { return number.value + number.error; }

// f at (x, y) by Horner's scheme in s = x x, in the arithmetic of Number (double, rounded to
// nearest, or carried): f = (((-1 s + 2) s - 2) s + c1) s + c0, with c1 = 578 y^4 and
// c0 = 83521 y^8 multiplied left to right; -1 is the coefficient of x^8, and 2 and -2 those of x^6
// and x^4.
template <typename Number>
Number horner_scheme(Number x, Number y) {
  using c = coefficients<double>;
  const Number s = x * x;
  const Number c1 = Number{c::of_x2y4} * y * y * y * y;
  const Number c0 = Number{c::of_y8} * y * y * y * y * y * y * y * y;
  Number h = Number{-1};
  h = h * s + Number{c::of_x6};
  h = h * s - Number{c::of_x4};
  h = h * s + c1;
  return h * s + c0;
}

// A term of f as the term-by-term order multiplies it (sum_terms in eval.cpp): its coefficient, then
// `xs` factors x, then `ys` factors y, left to right; x^8 has no coefficient (0 here), and its chain
// starts with its first x. `sign` is the sign the term is summed with.
struct term_chain {
  double coefficient;
  int xs;
  int ys;
  double sign;
};

// clang-format off
constexpr term_chain term_chains[term_count] = {
  {coefficients<double>::of_y8,   0, 8, +1},
  {coefficients<double>::of_x2y4, 2, 4, +1},
  {coefficients<double>::of_x4,   4, 0, -1},
  {coefficients<double>::of_x6,   6, 0, +1},
  {0,                             8, 0, -1},
};
// clang-format on

// The factors of the longest chain: 83521 and eight factors y.
constexpr int chain_max = 9;

// Returns how many multiplications chain makes: one fewer than its factors.
constexpr int multiplications(const term_chain& chain) {
  return (chain.coefficient != 0 ? 1 : 0) + chain.xs + chain.ys - 1;
}

// Writes chain's factors at (x, y) in the order they are multiplied and returns how many there are.
int chain_factors(const term_chain& chain, double x, double y, double factors[chain_max]) {
  int count = 0;
  if (chain.coefficient != 0) factors[count++] = chain.coefficient;
  for (int i = 0; i < chain.xs; ++i) factors[count++] = x;
  for (int i = 0; i < chain.ys; ++i) factors[count++] = y;
  return count;
}

// Where sum_terms records the terms T1 to T5 among its term_steps steps (eval.h lists them).
constexpr int term_step[term_count] = {0, 1, 3, 5, 7};

// Writes the five rounded terms of the term-by-term order at (x, y), each with its sign in f.
void signed_rounded_terms(double x, double y, double terms[term_count]) {
  double steps[term_steps];
  sum_terms_double(x, y, steps);
  for (int j = 0; j < term_count; ++j) terms[j] = term_chains[j].sign * steps[term_step[j]];
}

// Neumaier's sum of the terms: each addition's error, recovered from the side of the operand of
// the larger magnitude, is summed apart and added once at the end.
double neumaier_sum(const double terms[term_count]) {
  double s = 0;
  double c = 0;
  for (int j = 0; j < term_count; ++j) {
    const double a = terms[j];
    const double t = s + a;
    const double e = std::fabs(s) >= std::fabs(a) ? (s - t) + a : (a - t) + s;
    c = c + e;
    s = t;
  }
  return s + c;
}

// Adds term to the count partials at partials, nonzero, nonoverlapping and in increasing magnitude,
// and returns their new count, at most one more; they stay so, and their sum is exactly the old sum
// plus term (Shewchuk's Grow-Expansion, zeros dropped).
int grow_partials(double partials[term_count], int count, double term) {
  int kept = 0;
  double carry = term;
  for (int i = 0; i < count; ++i) {
    const with_error sum = two_sum(carry, partials[i]);
    if (sum.error != 0) partials[kept++] = sum.error;
    carry = sum.value;
  }
  if (carry != 0) partials[kept++] = carry;
  return kept;
}

// Returns the sum of count partials as grow_partials leaves them, rounded once to nearest with ties
// to even; +0 for none. Added from the largest down, the first inexact addition rounds the sum,
// except where its error is exactly half a unit and the partials still below push the sum past that
// tie: then the sum rounds away from it (the correction Python's math.fsum makes).
double round_partials(const double partials[term_count], int count) {
  if (count == 0) return 0;
  int below = count - 1;  // the partials not yet added are those under index `below`
  double high = partials[below];
  double low = 0;
  while (below > 0 && low == 0) {
    const with_error sum = two_sum(high, partials[--below]);
    high = sum.value;
    low = sum.error;
  }
  // Nonoverlapping partials below sum to less than one unit of low's last bit, and share the sign
  // of the largest of them.
  if (below > 0 && (low < 0) == (partials[below - 1] < 0)) {
    const double away = high + 2 * low;       // 2 * low is exact
    if (away - high == 2 * low) high = away;  // low was exactly half a unit of high
  }
  return high;
}

// The longest list one chain can make: each multiplication at most doubles it.
constexpr int longest_chain_list() {
  int longest = 0;
  for (const term_chain& chain : term_chains) longest = std::max(longest, 1 << multiplications(chain));
  return longest;
}

// Replaces the count numbers at list by their products with factor, each split exactly: the nonzero
// rounded products in order, then the nonzero errors in order. Returns the new count, at most twice
// count. Precondition: count <= longest_chain_list() / 2.
int split_by(double list[], int count, double factor) {
  double errors[longest_chain_list() / 2];
  int products = 0;
  int kept_errors = 0;
  for (int i = 0; i < count; ++i) {
    const with_error product = two_product(list[i], factor);
    if (product.value != 0) list[products++] = product.value;  // at or before i, already read
    if (product.error != 0) errors[kept_errors++] = product.error;
  }
  std::copy(errors, errors + kept_errors, list + products);
  return products + kept_errors;
}

// The longest list sum_K can make: a chain of m multiplications leaves at most 2^m numbers, so the
// five at most 2^8 + 2^6 + 2^4 + 2^6 + 2^7 = 528. Finite products never make that many: 2 x is
// exact, which halves the lists of 2 x^4 and 2 x^6, to 488 in all, as operands with 53-bit
// significands reach. An overflowing product has an infinite error, which is nonzero and kept, so
// the list has room for every number the doubling can make.
constexpr int split_max() {
  int count = 0;
  for (const term_chain& chain : term_chains) count += 1 << multiplications(chain);
  return count;
}

// Writes chain's product at (x, y) split exactly, with its term's sign, at list and returns how
// many numbers it takes, at most 2^multiplications(chain). The list starts as the first factor.
int split_product(const term_chain& chain, double x, double y, double list[]) {
  double factors[chain_max];
  const int count = chain_factors(chain, x, y, factors);
  list[0] = factors[0];
  int length = 1;
  for (int k = 1; k < count; ++k) length = split_by(list, length, factors[k]);
  for (int i = 0; i < length; ++i) list[i] = chain.sign * list[i];
  return length;
}

// The K-fold summation of f at (x, y), K = folds: the split terms concatenated in order, K - 1
// passes of two_sum carrying each sum up the list and leaving its error behind, then the list
// summed in order, each addition rounded (Ogita, Rump and Oishi's SumK).
double sum_k(double x, double y, int folds) {
  double list[split_max()];
  int length = 0;
  for (const term_chain& chain : term_chains) length += split_product(chain, x, y, list + length);
  for (int pass = 1; pass < folds; ++pass) {
    for (int i = 1; i < length; ++i) {
      const with_error sum = two_sum(list[i], list[i - 1]);
      list[i] = sum.value;
      list[i - 1] = sum.error;
    }
  }
  double sum = 0;
  for (int i = 0; i < length; ++i) sum = sum + list[i];
  return sum;
}

// chain's product at (x, y), left to right, in the compensated arithmetic: each factor is exact, so
// each product's error is its own plus the error so far times the factor.
carried compensated_product(const term_chain& chain, double x, double y) {
  double factors[chain_max];
  const int count = chain_factors(chain, x, y, factors);
  carried product{factors[0]};
  for (int k = 1; k < count; ++k) product = product * carried{factors[k]};
  return product;
}

}  // namespace

double neumaier(double x, double y) {
  double terms[term_count];
  signed_rounded_terms(x, y, terms);
  return neumaier_sum(terms);
}

double exact_sum(double x, double y) {
  double terms[term_count];
  signed_rounded_terms(x, y, terms);
  return exact_sum_of(terms);
}

double exact_sum_of(const double terms[term_count]) {
  double partials[term_count] = {};
  int count = 0;
  for (int j = 0; j < term_count; ++j) count = grow_partials(partials, count, terms[j]);
  return round_partials(partials, count);
}

double compensated(double x, double y) {
  carried sum{0};
  for (const term_chain& chain : term_chains) {
    const carried term = compensated_product(chain, x, y);
    sum = chain.sign > 0 ? sum + term : sum - term;
  }
  return corrected(sum);
}

double sum_2(double x, double y) { return sum_k(x, y, 2); }

double sum_3(double x, double y) { return sum_k(x, y, 3); }

double sum_4(double x, double y) { return sum_k(x, y, 4); }

double horner(double x, double y) { return horner_scheme(x, y); }

double comp_horner(double x, double y) { return corrected(horner_scheme(carried{x}, carried{y})); }

// The 1 and the 2 are the identity's, exact in binary64; 2 * x is exact too, so two roundings remain.
double rewrite(double x, [[maybe_unused]] double y) { return 1 - 2 * x * x; }
