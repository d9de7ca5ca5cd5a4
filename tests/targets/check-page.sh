#!/usr/bin/env bash
# Opens the page polyeval.html from disk in headless Chromium and checks what its script shows:
# the program's run (its bytes, status 0, nothing on standard error); at the program's point every
# binary64 step of the program's routines, valued as in tests/golden-steps.txt, and its remedies, as in
# tests/golden-remedies.txt; what the page holds in
# #results, at three points and widths, against an exact model in Python (tests/targets/page-results.py):
# every step, the fused results, the interval, the shares of each term's error, the remedies and
# the detectors, and the thresholds;
# at another solution of x^2 - 17y^2 = 1 that binary32 cannot hold, f = 1 - 2x^2; and a bad x named.
#
# The page is built in the WebAssembly tree of the target.wasm32-wasi test (by page.build); CTest
# runs this through tests/needs.sh, which skips it where Chromium or the page is missing. The
# browser's documents and log are kept beside the WebAssembly tree's html/, as page-check.*.
#
# usage: check-page.sh PAGE SOURCE_DIR EXPECTED_OUTPUT
set -euo pipefail
page=$1 source_dir=$2 expected=$3
work=$(dirname "$(dirname "$page")")/page-check

# Writes the page's document, as its script left it, at the address with query $1 to $work.dom.
open_page() {
  local profile status=0
  profile=$(mktemp -d)
  # --no-sandbox: the tests run as root, where Chromium's sandbox refuses to start.
  timeout 120 chromium --headless --no-sandbox --disable-gpu --disable-background-networking \
    --disable-component-update --disable-sync --no-first-run --user-data-dir="$profile" \
    --virtual-time-budget=30000 --dump-dom "file://$page$1" >"$work.dom" 2>"$work.browser.log" ||
    status=$?
  rm -rf "$profile"
  [ "$status" -eq 0 ] || { echo "chromium ended with status $status on $1"; cat "$work.browser.log"; exit 1; }
}

# Prints the text of the first element of $work.dom that starts with the tag $1 (no markup inside).
element_text() { sed -z "s|.*$1||; s|</.*||" "$work.dom"; }

# Fails with the page's text when its element $1 does not hold exactly the text $2.
expect_element() {
  [ "$(element_text "$1")" = "$2" ] && return
  echo "$query: $1 holds '$(element_text "$1")', want '$2'"; sed 's/<[^>]*>//g' "$work.dom" | grep . | head -40
  exit 1
}

# Checks #results against the exact model at the point $1, $2 and the width $3, with a python3 that
# has mpmath (POLYEVAL_MODEL_PYTHON, which CTest sets where it finds one).
expect_results() {
  element_text '<script type="application/json" id="results">' |
    "${POLYEVAL_MODEL_PYTHON:-python3}" "$source_dir/tests/targets/page-results.py" "$source_dir" "$@"
}

# The program's point: its run, the routines' steps against the golden steps, and the page's own
# arithmetic at 53 bits.
query='(the program'"'"'s point)'
open_page ''
cmp <(sed -z 's|.*<pre id="stdout">||; s|</pre>.*||' "$work.dom") "$expected" || { element_text '<pre id="stdout">'; exit 1; }
expect_element '<output id="status">' 0
expect_element '<output id="stderr">' empty
golden=$source_dir/tests/golden-steps.txt
diff <(awk '!/^#/ && NF { print $3 }' "$golden") <(grep -o '<code class="hex">[^<]*' "$work.dom" | sed 's|<code class="hex">||')
echo "page: the program's bytes and status, and the $(grep -c '^[a-z]' "$golden") steps of tests/golden-steps.txt"
# The remedies as the module computes them at the program's point, in the table's order, are those of
# tests/golden-remedies.txt there.
diff <(awk '$2 == 9478657 && $3 == 2298912 { print $4 }' "$source_dir/tests/golden-remedies.txt") \
  <(grep -o '<code class="hex remedy">[^<]*' "$work.dom" | sed 's|<code class="hex remedy">||')
echo "page: the module's remedies at the program's point are those of tests/golden-remedies.txt"
expect_results 9478657 2298912 53

# Other points and widths, from the address: one where the terms cancel; 0, where the interval [0, 0]
# decides the sign and no bound has a meaning; the program's point at 20 bits, which cannot hold its
# operands; and a point where the 3-fold sum is exact at 76 bits, not at 77 and 78, and again from 79.
for point in '2177 528 64' '0 0 8' '9478657 2298912 20' '625447713 151693352 77'; do
  read -r x y p <<<"$point"
  query="?x=$x&y=$y&p=$p"
  open_page "$query"
  expect_results "$x" "$y" "$p"
done

# A solution that binary32 cannot hold: f = 1 - 2x^2 there, which bash's 64-bit integers hold.
x=625447713 y=151693352
query="?x=$x&y=$y"
open_page "$query"
element_text '<script type="application/json" id="results">' | grep -q "\"f\":\"$((1 - 2 * x * x))\"" ||
  { echo "$query: f is not 1 - 2x^2 = $((1 - 2 * x * x))"; exit 1; }
grep -q "binary32 cannot hold x = " "$work.dom" || { echo "$query: Single does not say that binary32 cannot hold x"; exit 1; }
echo "page: at ($x, $y) f is $((1 - 2 * x * x)) exactly, and binary32 cannot hold the point"

# A bad field is named, in words and in #results, and nothing is computed.
query='?x=1.5&y=528'
open_page "$query"
element_text '<p id="input-error"' | grep -q 'x must be a whole number' || { echo "$query: the error does not name x"; exit 1; }
element_text '<script type="application/json" id="results">' | grep -q '^{"error":\[{"field":"x",' ||
  { echo "$query: #results does not hold the error of x"; exit 1; }
echo "page: $query names the field x"
