#!/usr/bin/env bash
# Builds polyeval for one target in a build tree of its own, runs it, and compares its bytes with
# the expected output. Exits 77, which CTest reports as skipped, when the target's compiler or
# runner is not installed; any other failure is a failure.
#
# usage: check-target.sh TARGET SOURCE_DIR WORK_DIR EXPECTED_OUTPUT
set -euo pipefail
target=$1 source_dir=$2 build=$3/$target expected=$4

skip() { echo "SKIPPED: $*"; exit 77; }
need() { command -v "$1" >/dev/null || skip "$1 is not installed"; }

# Builds the program alone with the given CMake arguments; prints the executable's path.
build_program() {
  cmake -S "$source_dir" -B "$build" -DBUILD_TESTING=OFF "$@" >"$build.log" 2>&1 &&
    cmake --build "$build" --target polyeval >>"$build.log" 2>&1 || { cat "$build.log"; return 1; }
}

# Runs a 32-bit x86 Linux program, through qemu-i386 where the kernel cannot run it.
run_i386() {
  if "$@" </dev/null >/dev/null 2>&1; then "$@"; else need qemu-i386; qemu-i386 "$@"; fi
}

# Builds the program with the given CMake arguments, runs it here and compares its output.
check_native() {
  build_program "$@"
  "$build/polyeval" </dev/null >"$build.out"
  compare
}

need_lib32() { [ -e /usr/lib32/libstdc++.so.6 ] || skip "32-bit libstdc++ (lib32stdc++-12-dev) is not installed"; }

# Compares the program's output with the expected bytes (with CR LF line ends when $1 is crlf).
compare() {
  local want=$expected
  if [ "${1:-}" = crlf ]; then want=$build.expected; sed 's/$/\r/' "$expected" >"$want"; fi
  if cmp "$build.out" "$want"; then
    echo "$target: $(wc -c <"$build.out") bytes as expected"
  else
    echo "$target: output differs"; od -c "$build.out" | head -20; exit 1
  fi
}

mkdir -p "$(dirname "$build")"
case $target in
linux-gcc)
  need g++
  check_native -DCMAKE_CXX_COMPILER=g++ ;;
linux-clang)
  need clang++
  check_native -DCMAKE_CXX_COMPILER=clang++ ;;
hostile-flags)
  # Fused multiply-add allowed and the host's FMA unit enabled: the build must still turn it off.
  check_native "-DCMAKE_CXX_FLAGS=-O3 -march=native -ffp-contract=fast" ;;
fast-math-refused)
  if c++ -std=c++17 -ffast-math -fsyntax-only -I"$source_dir/src" "$source_dir/src/eval/eval.cpp" 2>"$build.out"; then
    echo "-ffast-math was accepted"; exit 1
  fi
  grep -q 'must not be built with -ffast-math' "$build.out" && echo "$target: refused with its message" ;;
i386-x87)
  need_lib32
  build_program -DCMAKE_TOOLCHAIN_FILE="$source_dir/cmake/i386-x87.cmake"
  run_i386 "$build/polyeval" </dev/null >"$build.out"
  compare ;;
i386-x87-keep-precision)
  # Negative control: without the precision step the x87 unit keeps 64-bit significands and
  # every line must come out different.
  need_lib32
  build_program -DCMAKE_TOOLCHAIN_FILE="$source_dir/cmake/i386-x87.cmake" -DPOLYEVAL_TEST_ONLY_KEEP_X87_PRECISION=ON
  run_i386 "$build/polyeval" </dev/null >"$build.out"
  cat "$build.out"
  paste -d '\n' <(grep . "$expected") <(grep . "$build.out") | paste - - |
    awk -F'\t' '$1 == $2 { print "unchanged: " $1; bad = 1 } END { exit bad }'
  # The 64-bit significand's own values for the term-by-term routines.
  grep -qx 'Ergebnis Single: -2.900955e+042' "$build.out"
  grep -qx 'Ergebnis Double: -5.316912e+036' "$build.out"
  grep -qx 'Ergebnis Extended: -5.316912e+036' "$build.out"
  echo "$target: all four lines differ from the binary64 results" ;;
windows-i686)
  need i686-w64-mingw32-g++
  need wine
  wine --version >/dev/null 2>&1 || skip "wine cannot start (no 32-bit support in this kernel and no qemu-i386 binfmt)"
  build_program -DCMAKE_TOOLCHAIN_FILE="$source_dir/cmake/mingw-i686.cmake"
  # Only Windows system DLLs may be imported: the executable must run on a bare Windows.
  i686-w64-mingw32-objdump -p "$build/polyeval.exe" | awk '/DLL Name/ { print tolower($3) }' >"$build.dlls"
  if grep -v -x -e kernel32.dll -e msvcrt.dll "$build.dlls"; then echo "needs more than system DLLs"; exit 1; fi
  # A prefix of its own, no WINEPATH, no Mono or Gecko installers.
  WINEPREFIX=$build.wine WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml=" \
    wine "$build/polyeval.exe" </dev/null >"$build.out" 2>"$build.wine.log"
  # With standard output closed, the lost output is reported: status 1 and one line.
  status=0
  WINEPREFIX=$build.wine WINEDEBUG=-all wine "$build/polyeval.exe" </dev/null >&- 2>"$build.err" || status=$?
  WINEPREFIX=$build.wine wineserver -k || true
  [ "$status" -eq 1 ] || { echo "exit status $status without standard output"; exit 1; }
  grep -qx $'polyeval: write error: Bad file descriptor\r' "$build.err" || { cat "$build.err"; exit 1; }
  compare crlf ;;
aarch64-linux)
  need aarch64-linux-gnu-g++
  need qemu-aarch64
  build_program -DCMAKE_TOOLCHAIN_FILE="$source_dir/cmake/aarch64-linux.cmake"
  qemu-aarch64 -L /usr/aarch64-linux-gnu "$build/polyeval" </dev/null >"$build.out"
  compare ;;
*)
  echo "unknown target $target"; exit 2 ;;
esac
