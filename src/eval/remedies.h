// The remedies: evaluations of f(x, y) in binary64, to nearest, that the rounding errors of the
// term-by-term order do not swamp, or swamp less. Each takes the operands as binary64 values and
// returns its result; none allocates. The error-free transformations they rest on (TwoSum, and
// TwoProduct through a fused multiply-add) are exact unless an operation overflows or a product's
// error falls below binary64's normal range; at integer points, where every value and every error
// is a whole number, only an overflow can spoil them.
#ifndef POLYEVAL_REMEDIES_H
#define POLYEVAL_REMEDIES_H

// The five terms of f, as the term-by-term order takes them: 83521 y^8, 578 x^2 y^4, 2 x^4, 2 x^6
// and x^8, summed with the signs +, +, -, +, -.
constexpr int term_count = 5;

// Neumaier's compensated sum of the five rounded terms of the term-by-term order (each product
// chain rounded as sum_terms_double rounds it): each addition's error, found by taking the larger
// operand's side, is summed apart and added once at the end.
double neumaier(double x, double y);

// The same five rounded terms summed exactly and rounded once, to nearest with ties to even.
double exact_sum(double x, double y);

// The exact sum of terms, rounded once to nearest with ties to even; an exact zero is +0. Zeros
// among the terms stand for terms that are absent.
double exact_sum_of(const double terms[term_count]);

// Each term's product chain carried with its rounding error (its products' errors, exact, scaled
// along the chain), then the terms summed with their errors summed apart, and added once at the end.
double compensated(double x, double y);

// Every product of every term split exactly into a list of binary64 numbers that sums to f at
// (x, y) exactly; then K - 1 passes of error-free sums through the list and a plain sum of it.
double sum_2(double x, double y);
double sum_3(double x, double y);
double sum_4(double x, double y);

// Horner's scheme in s = x x, every operation rounded: s = x x; c1 = 578 y y y y and
// c0 = 83521 y y y y y y y y, left to right; h = -1; h = h s + 2; h = h s - 2; h = h s + c1;
// h = h s + c0. Not a remedy but another order, whose roundings the cancellation near the chain
// x^2 - 17 y^2 = 1 swamps as it swamps the term-by-term order's.
double horner(double x, double y);

// The same program, each value carried with its rounding error: a product's error is its own
// (TwoProduct) plus each operand's error times the other's value, a sum's is its own (TwoSum) plus
// the operands' errors; the result is value + error, rounded.
double comp_horner(double x, double y);

// 1 - 2 x x: f itself where x^2 - 17 y^2 = 1 (there 17 y^2 = x^2 - 1 and f collapses to 1 - 2x^2),
// and nothing of f anywhere else. y is not used; it is there so that every remedy is called alike.
double rewrite(double x, double y);

#endif
