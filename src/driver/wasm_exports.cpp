// The evaluation routines, exported from the WebAssembly module for the page polyeval.html: it calls
// them at a point of its choice and shows every step they record. Built for WASI only, where the
// module carries them beside the program's own entry point, _start.
#include "eval/eval.h"
#include "eval/remedies.h"

namespace {

// The steps of the last call, read by the page from the module's memory: room for the longer record.
double recorded[reuse_steps];

}  // namespace

// Returns the address of the steps the exported routines record, reuse_steps doubles.
extern "C" __attribute__((export_name("steps"))) double* steps() { return recorded; }

// sum_terms_single at (x, y), its term_steps steps recorded at steps().
extern "C" __attribute__((export_name("sum_terms_single"))) void export_sum_terms_single(float x, float y) {
  sum_terms_single(x, y, recorded);
}

// sum_terms_double at (x, y), its term_steps steps recorded at steps().
extern "C" __attribute__((export_name("sum_terms_double"))) void export_sum_terms_double(double x, double y) {
  sum_terms_double(x, y, recorded);
}

// sum_reusing_powers at (x, y), its reuse_steps steps recorded at steps().
extern "C" __attribute__((export_name("sum_reusing_powers"))) void export_sum_reusing_powers(double x, double y) {
  sum_reusing_powers(x, y, recorded);
}

// Exports a remedy, (double x, double y) -> double, under its own name, which is its key on the page.
#define POLYEVAL_EXPORT_REMEDY(remedy) \
  extern "C" __attribute__((export_name(#remedy))) double export_##remedy(double x, double y) { return remedy(x, y); }

POLYEVAL_EXPORT_REMEDY(neumaier)
POLYEVAL_EXPORT_REMEDY(exact_sum)
POLYEVAL_EXPORT_REMEDY(compensated)
POLYEVAL_EXPORT_REMEDY(sum_2)
POLYEVAL_EXPORT_REMEDY(sum_3)
POLYEVAL_EXPORT_REMEDY(sum_4)
POLYEVAL_EXPORT_REMEDY(rewrite)
POLYEVAL_EXPORT_REMEDY(horner)
POLYEVAL_EXPORT_REMEDY(comp_horner)
