#!/usr/bin/env bash
# Opens the page polyeval.html from disk in headless Chromium and checks what its script shows:
# the program's run (its bytes, status 0, nothing on standard error); at the program's point every
# step of the evaluations, named and valued as in the evaluation tests; and at another solution of
# x^2 - 17y^2 = 1, taken from the address, f's exact value, which there is 1 - 2x^2.
#
# The page is built in the WebAssembly tree of the target.wasm32-wasi test. A missing browser or
# WebAssembly program is a skip (exit 77); with CI=true a skip fails.
#
# usage: check-page.sh WASM_BUILD_DIR EVAL_TESTS EXPECTED_OUTPUT
set -euo pipefail
build=$1 eval_tests=$2 expected=$3

skip() {
  if [ "${CI:-}" = true ]; then echo "FAILED: $* (in CI the page must be checked)"; exit 1; fi
  echo "SKIPPED: $*"; exit 77
}

# Writes the page's document, as its script left it, at the address with query $1 to $build.dom.
open_page() {
  local profile status=0
  profile=$(mktemp -d)
  # --no-sandbox: the tests run as root, where Chromium's sandbox refuses to start.
  timeout 120 chromium --headless --no-sandbox --disable-gpu --disable-background-networking \
    --disable-component-update --disable-sync --no-first-run --user-data-dir="$profile" \
    --virtual-time-budget=30000 --dump-dom "file://$build/polyeval.html$1" >"$build.dom" 2>"$build.browser.log" ||
    status=$?
  rm -rf "$profile"
  [ "$status" -eq 0 ] || { echo "chromium ended with status $status on ?$1"; cat "$build.browser.log"; exit 1; }
}

# Prints the text of the first element of $build.dom that starts with the tag $1 (no markup inside).
element_text() { sed -z "s|.*$1||; s|</.*||" "$build.dom"; }

# Fails with the page's text when its element $1 does not hold exactly the text $2.
expect_element() {
  [ "$(element_text "$1")" = "$2" ] && return
  echo "?$query: $1 holds '$(element_text "$1")', want '$2'"; sed 's/<[^>]*>//g' "$build.dom" | grep . | head -40
  exit 1
}

command -v chromium >/dev/null || skip "no chromium here"
[ -e "$build/polyeval.wasm" ] || skip "no WebAssembly program in $build: target.wasm32-wasi builds it"
cmake --build "$build" --target polyeval_page >"$build.page.log" 2>&1 || { cat "$build.page.log"; exit 1; }

# The program's point: its run, and every step against the evaluation tests' tables, where
# {"name", value} becomes "name value" and the test's 0.0 the page's 0x0p+0.
query=
open_page "$query"
cmp <(sed -z 's|.*<pre id="stdout">||; s|</pre>.*||' "$build.dom") "$expected" || { element_text '<pre id="stdout">'; exit 1; }
expect_element '<output id="status">' 0
expect_element '<output id="stderr">' empty
diff <(sed -n 's/^ *{"\([^"]*\)", *\(-\?0x[0-9a-f.]*p[-+][0-9]*\|0\.0\)}.*/\1 \2/p' "$eval_tests" | sed 's/ 0\.0$/ 0x0p+0/') \
  <(grep -o '<tr><th>[^<]*</th><td class="hex">[^<]*' "$build.dom" | sed 's|<tr><th>||; s|</th><td class="hex">| |')
echo "page: the program's bytes and status, and the $(grep -c '^ *{"' "$eval_tests") steps of the evaluation tests"

# Another solution, from the address: f = 1 - 2x^2 there, which bash's 64-bit integers hold.
x=625447713 y=151693352
query="?x=$x&y=$y"
open_page "$query"
expect_element '<output id="status">' 0
expect_element '<output id="exact-f">' $((1 - 2 * x * x))
grep -q "binary32 cannot hold x = $x and y = $y exactly" "$build.dom" || { echo "Single does not say it cannot hold $x"; exit 1; }
echo "page: at ($x, $y) f is $((1 - 2 * x * x)) exactly, and binary32 cannot hold the point"
