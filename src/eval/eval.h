// The four evaluations of f(x, y) = 83521 y^8 + 578 x^2 y^4 - 2 x^4 + 2 x^6 - x^8 at
// x = 9478657, y = 2298912, where the terms reach 6.5e55 and cancel to -179689877047297: what
// each evaluation prints is the rounding error of its own order of operations.
#ifndef POLYEVAL_EVAL_H
#define POLYEVAL_EVAL_H

// Fast-math reorders and fuses the very operations whose exact rounding this program shows.
#if defined(__FAST_MATH__)
#error "polyeval must not be built with -ffast-math or -Ofast: it reorders and fuses the roundings it prints"
#endif

// The program's point: integers below 2^24, so exact in binary32 and, widened, in binary64.
constexpr float point_x = 9478657.0F;
constexpr float point_y = 2298912.0F;

// The coefficients of f's terms, in the operand format of the evaluation that uses them; each is
// an integer below 2^24, exact in binary32 and binary64.
template <typename Operand>
struct coefficients {
  static constexpr Operand of_y8 = 83521;  // 17^4
  static constexpr Operand of_x2y4 = 578;  // 2 * 17^2
  static constexpr Operand of_x4 = 2;
  static constexpr Operand of_x6 = 2;
};

// Each routine evaluates f at the point and writes its labelled result line.
void eval_single();     // binary32 operands, term by term, the x^2 y^4 term subtracted
void eval_double();     // binary64 operands, term by term
void eval_extended();   // the same computation as eval_double, under its own label
void eval_extended2();  // binary64 operands, the fourth powers computed once and reused

// The term-by-term evaluation records, in the order they arise:
// T1, T2, S = T1 +- T2, T3, S -= T3, T4, S += T4, T5, S -= T5. The last is the result.
constexpr int term_steps = 9;

// Term by term with binary32 operands, each widened exactly to binary64 before it is multiplied;
// S = T1 - T2. Every product and sum is rounded to binary64.
void sum_terms_single(float x, float y, double steps[term_steps]);

// Term by term with binary64 operands; S = T1 + T2.
void sum_terms_double(double x, double y, double steps[term_steps]);

// The power-reuse evaluation records, in the order they arise:
// X4, Y4, U1 (= S), U2, S += U2, U3, S -= U3, U4, S += U4, U5, S -= U5. The last is the result.
constexpr int reuse_steps = 11;

// X4 = x^4 and Y4 = y^4 computed once, then U1 = 83521 Y4 Y4, U2 = 578 x x Y4, U3 = 2 X4,
// U4 = 2 x x X4, U5 = X4 X4, all in binary64.
void sum_reusing_powers(double x, double y, double steps[reuse_steps]);

#endif
