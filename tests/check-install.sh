#!/usr/bin/env bash
# Installs the build tree BUILD_DIR under PREFIX, as the README's `cmake --install build --prefix
# ~/.local` does, and fails unless every link of the installed pages resolves there and the man page
# names the explanation where this install put it. PREFIX is emptied first.
#
# usage: check-install.sh BUILD_DIR PREFIX
set -euo pipefail
build=$1 prefix=$2
rm -rf "$prefix"
cmake --install "$build" --prefix "$prefix" >"$prefix.log" || { cat "$prefix.log"; exit 1; }
"$(dirname "$0")/check-links.sh" "$prefix"
named=$(zcat "$prefix/share/man/man1/polyeval.1.gz" | sed -n '/^\.SH "SEE ALSO"/,$ s/^\.I \(.*\)/\1/p' | sed 's/\\-/-/g')
[[ $named == "$prefix"/share/doc/polyeval/docs/numbers.* && -f $named ]] ||
  { echo "the man page names '$named', not the explanation under $prefix"; exit 1; }
echo "the man page names $named"
