#!/usr/bin/env bash
# Builds polyeval with one configure preset of CMakePresets.json in a build tree of its own, runs it
# on the preset's runner (CMAKE_CROSSCOMPILING_EMULATOR: qemu-user, Wine or Node; none for this
# machine and 32-bit x86) and compares its bytes with the expected output. Standard error must stay
# empty.
#
# A target whose compiler, libraries or runner are missing is skipped (exit 77), saying which Debian
# packages bring them (those of the row that dpkg has not installed), judged by trying it: CMake's
# own compiler check compiles and links a one-line program; when the program fails to build, a
# one-line program that includes the same standard headers is built the same way, and when it fails
# to run or its output is wrong, a one-line program that prints a word is tried on the same runner.
# With CI=true a skip fails.
#
# usage: check-target.sh PRESET CHECK PACKAGES SOURCE_DIR WORK_DIR EXPECTED_OUTPUT PROGRAM_TESTS
#   CHECK: bytes, refused (the build must stop with its message), x87-extended (the negative
#   control), output-fault (also a closed standard output), write-errors (also a full device and a
#   pipe whose reader has gone), program-tests (also no standard output
#   handle, and every end-to-end case of PROGRAM_TESTS, the GoogleTest program, against this
#   target's program)
#   PACKAGES: the Debian packages of the target's compiler, libraries and runner, joined by commas
set -euo pipefail
preset=$1 check=$2 packages=${3//,/ } source_dir=$4 build=$5/$1 expected=$6 program_tests=$7

skip() {
  if [ "${CI:-}" = true ]; then echo "FAILED: $* (in CI every target must run)"; exit 1; fi
  echo "SKIPPED: $* (Debian: $(missing_packages))"; exit 77
}

# Prints the row's packages that dpkg has not installed (wine32:i386 beside wine and wine64, say);
# all of them, saying so, where none is missing or no dpkg can tell.
missing_packages() {
  local package missing=
  if command -v dpkg-query >/dev/null; then
    for package in $packages; do
      [ "$(dpkg-query -W -f='${db:Status-Abbrev}' "$package" 2>/dev/null)" = "ii " ] || missing+=" $package"
    done
  fi
  if [ -n "$missing" ]; then echo "${missing# }"; else echo "$packages, all installed here"; fi
}

# Configures the preset for the program alone (no tests, no HTML pages); a compiler that CMake could
# not use is a skip, any other failure fails.
configure() {
  if cmake -S "$source_dir" --preset "$preset" -B "$build" -DBUILD_TESTING=OFF -DPOLYEVAL_HTML_DOCS=OFF >"$build.log" 2>&1; then return; fi
  cat "$build.log"
  if grep -qE 'not able to compile a simple test program|not found in the PATH|No CMAKE_CXX_COMPILER' "$build.log"; then
    skip "the compiler of $preset does not work here"
  fi
  exit 1
}

# Prints the value of a variable in the build's CMake cache, lists with spaces.
cache_value() { sed -n "s/^$1:[A-Z]*=//p" "$build/CMakeCache.txt" | tr ';' ' '; }

# Prints the C++ compiler CMake found (a toolchain file's compiler is not in the cache).
compiler() { sed -n 's/^set(CMAKE_CXX_COMPILER "\(.*\)")$/\1/p' "$build"/CMakeFiles/*/CMakeCXXCompiler.cmake; }

# Prints the option that makes Clang compile for the preset's triple (the toolchain file gives it
# to CMake as CMAKE_CXX_COMPILER_TARGET, which is not in the cache either); nothing for GCC, whose
# cross compilers are named by their triple.
target_option() {
  local triple
  triple=$(cache_value POLYEVAL_TARGET_TRIPLE)
  if [[ -n $triple && $(compiler) == *clang* ]]; then echo "--target=$triple"; fi
}

# Runs a program of the target on its runner, killed after 300 s (a first start of Wine's 32-bit
# loader under qemu-i386 takes about a minute): a hang fails the row with status 124, not CTest's
# timeout without a word.
run_on_target() {
  # shellcheck disable=SC2086 # the runner is a command with its arguments
  timeout 300 $runner "$@"
}

# Builds a one-line program that includes the standard headers the program includes, the way the
# program was built: when that fails too, the target's compiler or libraries are incomplete here
# (32-bit x86 without linux-libc-dev:i386, say), not the program broken.
probe_compiler() {
  printf '#include <%s>\n' algorithm charconv cstdio cstring >"$build.probe.cpp"
  echo 'int main() { return 0; }' >>"$build.probe.cpp"
  # shellcheck disable=SC2046 # the cached flags are lists of words
  "$(compiler)" $(target_option) -std=c++17 $(cache_value CMAKE_CXX_FLAGS) -c "$build.probe.cpp" \
    -o "$build.probe.o" >>"$build.log" 2>&1 || skip "the compiler of $preset cannot build a C++17 program here"
}

# Builds a one-line program that prints one word, the way the program was built, and runs it on the
# runner: when the word does not come back, the runner cannot start a program here (Wine without
# wine32:i386 starts no 32-bit program, and a runner may even say so with status 0), not the
# program broken.
probe_runner() {
  printf '#include <cstdio>\nint main() { std::puts("started"); }\n' >"$build.probe.cpp"
  # shellcheck disable=SC2046 # the cached flags are lists of words
  "$(compiler)" $(target_option) $(cache_value CMAKE_CXX_FLAGS) $(cache_value CMAKE_EXE_LINKER_FLAGS) -static \
    "$build.probe.cpp" -o "$build.probe$suffix" >>"$build.log" 2>&1 || skip "the compiler of $preset cannot link a program here"
  run_on_target "$build.probe$suffix" </dev/null >"$build.probe.out" 2>&1 && grep -q '^started' "$build.probe.out" && return
  cat "$build.probe.out"
  skip "${runner:-this machine} cannot start a program built for $preset"
}

# Compares a program's output with the expected bytes, with CR LF line ends for Windows.
compare() {
  local want=$expected
  if [ "$suffix" = .exe ]; then want=$build.expected; sed 's/$/\r/' "$expected" >"$want"; fi
  if cmp "$1" "$want"; then
    echo "$preset: $(wc -c <"$1") bytes as expected"
  else
    echo "$preset: output differs"; od -c "$1" | head -20; probe_runner; exit 1
  fi
}

# The negative control: at 64-bit significands every line changes, the term-by-term ones to the
# extended-precision values.
check_x87_extended() {
  paste -d '\n' <(grep . "$expected") <(grep . "$build.out") | paste - - |
    awk -F'\t' '$1 == $2 { print "unchanged: " $1; bad = 1 } END { exit bad }'
  grep -qx 'Ergebnis Single: -2.900955e+042' "$build.out"
  grep -qx 'Ergebnis Double: -5.316912e+036' "$build.out"
  grep -qx 'Ergebnis Extended: -5.316912e+036' "$build.out"
  echo "$preset: all four lines differ from the binary64 results"
}

# Only Windows system DLLs may be imported: the executable must run on a bare Windows.
check_system_dlls() {
  "$(cache_value CMAKE_OBJDUMP)" -p "$program" | awk '/DLL Name/ { print tolower($3) }' >"$build.dlls"
  if grep -v -x -e kernel32.dll -e msvcrt.dll "$build.dlls"; then echo "needs more than system DLLs"; exit 1; fi
}

# Checks that a run of the program which could not write its output ($2 says why) reported it:
# exit status $1 is 1 and $build.err holds the one line with the reason $3 (and CR LF on Windows).
check_write_error() {
  local line_end=
  [ "$suffix" != .exe ] || line_end=$'\r'
  [ "$1" -eq 1 ] || { echo "exit status $1 with $2"; cat "$build.err"; exit 1; }
  grep -qx "polyeval: write error: $3$line_end" "$build.err" || { cat "$build.err"; exit 1; }
  echo "$preset: $2 is reported"
}

# Runs the program with its standard output on a full device, then on a pipe whose reader has
# already gone, and checks that each failure is reported.
check_full_device_and_broken_pipe() {
  local status=0 gone
  run_on_target "$program" </dev/null >/dev/full 2>"$build.err" || status=$?
  check_write_error "$status" "a full device" "No space left on device"
  exec {gone}> >(:)  # the reader, ':', exits at once; wait until it has
  wait $!
  status=0
  run_on_target "$program" </dev/null 1>&"$gone" 2>"$build.err" || status=$?
  exec {gone}>&-
  check_write_error "$status" "a pipe whose reader has gone" "Broken pipe"
}

# Started by a Windows parent with no standard output handle at all, the program reports the lost
# output.
check_no_output_handle() {
  "$(compiler)" -static -O2 "$source_dir/tests/targets/without-stdout.cpp" -o "$build/without-stdout.exe"
  local status=0
  (cd "$build" && run_on_target without-stdout.exe polyeval.exe </dev/null 2>"$build.err") || status=$?
  check_write_error "$status" "no standard output handle" "Bad file descriptor"
}

mkdir -p "$(dirname "$build")"
configure
if [ "$check" = refused ]; then
  if cmake --build "$build" --target polyeval >"$build.out" 2>&1; then echo "$preset: the build was accepted"; exit 1; fi
  grep -q 'must not be built with -ffast-math' "$build.out" && echo "$preset: refused with its message"
  exit
fi
cmake --build "$build" --target polyeval >>"$build.log" 2>&1 || { cat "$build.log"; probe_compiler; exit 1; }

runner=$(cache_value CMAKE_CROSSCOMPILING_EMULATOR)
suffix=
[ -e "$build/polyeval.exe" ] && suffix=.exe
[ -e "$build/polyeval.wasm" ] && suffix=.wasm
program=$build/polyeval$suffix
if [[ $runner == *wine* ]]; then
  # The prefix is the one that the CTest fixture wine.start made and serves for every Windows row
  # (POLYEVAL_WINE_PREFIX); run alone, one of its own, made and stopped by the same script.
  if [ -z "${POLYEVAL_WINE_PREFIX:-}" ]; then
    POLYEVAL_WINE_PREFIX=$build.wine
    "$source_dir/tests/targets/wine-prefix.sh" start "$POLYEVAL_WINE_PREFIX"
    trap '"$source_dir/tests/targets/wine-prefix.sh" stop "$POLYEVAL_WINE_PREFIX"' EXIT
  fi
  # No Mono or Gecko installers and no Internet Explorer, as in tests/targets/wine-prefix.sh.
  export WINEPREFIX=$POLYEVAL_WINE_PREFIX WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml,iexplore.exe="
fi

# Under emulation each start of Wine's 32-bit loader takes about a minute: the run with a closed
# standard output goes beside the first one.
closed_output_run=
if [ "$check" = output-fault ]; then
  run_on_target "$program" </dev/null >&- 2>"$build.closed.err" &
  closed_output_run=$!
fi
run_on_target "$program" </dev/null >"$build.out" 2>"$build.err" || {
  status=$?
  echo "$preset: the program ended with status $status (124: killed after 300 s); its standard error:"
  cat "$build.err"
  probe_runner
  exit 1
}
if [ -s "$build.err" ]; then echo "$preset: wrote to standard error:"; cat "$build.err"; probe_runner; exit 1; fi
if [ "$check" = x87-extended ]; then cat "$build.out"; check_x87_extended; exit; fi
compare "$build.out"
[ "$suffix" != .exe ] || check_system_dlls
case $check in
bytes) ;;
output-fault)
  status=0
  wait "$closed_output_run" || status=$?
  mv "$build.closed.err" "$build.err"
  check_write_error "$status" "standard output closed" "Bad file descriptor" ;;
write-errors)
  # Not a closed standard output: Node, the runner of WebAssembly, opens /dev/null in its place.
  check_full_device_and_broken_pipe ;;
program-tests)
  check_no_output_handle
  # The null-device case counts the write calls of a Linux process; Wine's talks to its server too.
  POLYEVAL_UNDER_TEST="$runner $program" "$program_tests" --gtest_filter='Program.*:-Program.NullDevice*' ;;
*) echo "unknown check $check"; exit 2 ;;
esac
