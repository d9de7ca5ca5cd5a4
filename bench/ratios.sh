#!/usr/bin/env bash
# Prints what a run of polyeval costs against the floor in each link mode, and how fast format_e is
# against snprintf("%.6e") and std::to_chars (precision 6). Needs valgrind and libbenchmark-dev.
# Static: the portable archive's program against the static floor. Dynamic: the distribution
# packages' program (the release-linux preset) against the floor linked as it is, with the same
# shared libraries.
# usage: bench/ratios.sh [BUILD_DIR]   (default build-bench; the dynamic build in BUILD_DIR-dynamic)
set -euo pipefail
source_dir=$(cd "$(dirname "$0")/.." && pwd)
build=${1:-$source_dir/build-bench}
cmake -S "$source_dir" -B "$build" -DCMAKE_BUILD_TYPE=Release -DBUILD_TESTING=OFF -DPOLYEVAL_BENCH=ON \
  -DPOLYEVAL_STATIC=ON >/dev/null
cmake --build "$build" -j2 >/dev/null
cmake -S "$source_dir" --preset release-linux -B "$build-dynamic" -DPOLYEVAL_BENCH=ON -DPOLYEVAL_PAGE= >/dev/null
cmake --build "$build-dynamic" -j2 --target polyeval floor >/dev/null

# Instructions of one whole run, stdin at its end and stdout on /dev/null, in an empty
# environment so that both programs see the same one.
instructions() {
  env -i valgrind --tool=callgrind --callgrind-out-file=/dev/null "$@" </dev/null 2>&1 >/dev/null |
    awk '/Collected/ { print $NF }'
}
# Peak resident memory in KiB.
peak_kib() { env -i /usr/bin/time -f %M "$@" </dev/null 2>&1 >/dev/null; }

# Prints the instructions of a whole run of polyeval and of the floor, both built in $2 ($1 linked).
whole_run() {
  local program floor
  program=$(instructions "$2/polyeval")
  floor=$(instructions "$2/floor")
  echo "whole run, $1: polyeval $program instructions, floor $floor:" \
    "ratio $(awk "BEGIN { printf \"%.3f\", $program / $floor }") (goal <= 1.15)"
}
whole_run static "$build"
whole_run dynamic "$build-dynamic"
echo "peak resident memory: polyeval $(peak_kib "$build/polyeval") KiB, floor $(peak_kib "$build/floor") KiB"
echo "binary size: polyeval $(stat -c %s "$build/polyeval") bytes, floor $(stat -c %s "$build/floor") bytes"

# Mean CPU time per value of each contender, then the speed ratios.
"$build/format_bench" --benchmark_format=csv --benchmark_repetitions=5 --benchmark_report_aggregates_only=true \
    2>/dev/null | awk -F, '
  $1 ~ /_mean"?$/ { name = $1; gsub(/"|_mean/, "", name); cpu[name] = $4 }
  END {
    printf "format_e: %.1fx the speed of snprintf (goal >= 3), %.2fx the speed of to_chars\n",
      cpu["snprintf_text"] / cpu["format_e_text"], cpu["to_chars_text"] / cpu["format_e_text"]
    printf "to_chars: %.1fx the speed of snprintf\n", cpu["snprintf_text"] / cpu["to_chars_text"]
  }'
