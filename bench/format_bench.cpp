// format_e against glibc's snprintf("%.6e") and std::to_chars with precision 6, on the same random
// finite binary64 values (random bit patterns, so every exponent and subnormals occur).
#include <benchmark/benchmark.h>

#include <charconv>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <random>
#include <vector>

#include "report/report.h"

namespace {

std::vector<double> random_finite_values() {
  std::vector<double> values;
  std::mt19937_64 random(42);
  while (values.size() < 4096) {
    const std::uint64_t bits = random();
    if ((bits >> 52 & 0x7FF) == 0x7FF) continue;  // infinity or NaN
    double value = 0;
    std::memcpy(&value, &bits, sizeof value);
    values.push_back(value);
  }
  return values;
}

const std::vector<double> values = random_finite_values();

void format_e_text(benchmark::State& state) {
  char out[format_e_max];
  std::size_t i = 0;
  for (auto _ : state) {
    benchmark::DoNotOptimize(format_e(values[i++ & 4095], out));
    benchmark::ClobberMemory();
  }
}

void snprintf_text(benchmark::State& state) {
  char out[32];
  std::size_t i = 0;
  for (auto _ : state) {
    benchmark::DoNotOptimize(std::snprintf(out, sizeof out, "%.6e", values[i++ & 4095]));
    benchmark::ClobberMemory();
  }
}

void to_chars_text(benchmark::State& state) {
  char out[32];
  std::size_t i = 0;
  for (auto _ : state) {
    benchmark::DoNotOptimize(
        std::to_chars(out, out + sizeof out, values[i++ & 4095], std::chars_format::scientific, 6));
    benchmark::ClobberMemory();
  }
}

}  // namespace

BENCHMARK(format_e_text);
BENCHMARK(snprintf_text);
BENCHMARK(to_chars_text);
BENCHMARK_MAIN();
