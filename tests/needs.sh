#!/usr/bin/env bash
# Runs a test's command where everything it needs is here; otherwise skips the test (exit 77) with
# one line that says what is missing and what would bring it. With CI=true a skip fails.
#
# usage: needs.sh [PROGRAM=PACKAGE | /FILE=MAKER ...] -- COMMAND [ARGUMENT ...]
#   PROGRAM=PACKAGE  a program on the PATH, from the Debian package PACKAGE: node=nodejs
#   /FILE=MAKER      a file that MAKER writes: /…/polyeval.wasm=target.wasm32-wasi
set -euo pipefail

skip() {
  if [ "${CI:-}" = true ]; then echo "FAILED: $* (in CI every test must run)"; exit 1; fi
  echo "SKIPPED: $*"; exit 77
}

while [ "$1" != -- ]; do
  need=${1%%=*} source=${1#*=}
  shift
  if [[ $need == /* ]]; then
    [ -e "$need" ] || skip "no $need here: $source writes it, and was skipped or failed"
  else
    command -v "$need" >/dev/null || skip "no $need here (Debian: $source)"
  fi
done
shift
exec "$@"
