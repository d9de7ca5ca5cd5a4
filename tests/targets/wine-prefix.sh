#!/usr/bin/env bash
# Makes the Wine prefix that the Windows target rows share, and keeps one wineserver serving it
# until they are done: making a prefix is most of what Wine costs, and where 32-bit x86 runs
# through qemu-i386 every start of Wine's 32-bit loader takes about a minute.
#
# usage: wine-prefix.sh start|stop PREFIX
#   start: makes the prefix with wine64 (a 64-bit prefix runs 32-bit programs too) under a
#          persistent wineserver. Without Wine it does nothing: the rows then skip by themselves.
#   stop:  ends the wineserver and every Wine process of the prefix.
# The server and Wine's own processes write to PREFIX.log, never to the caller's output: CTest reads
# that to its end, and they outlive this script.
set -euo pipefail
action=$1 prefix=$2
# No Mono or Gecko installers, and no registration of Wine's Internet Explorer: in a 64-bit prefix
# that starts the 32-bit loader once more, and under qemu-i386 that alone takes a minute.
export WINEPREFIX=$prefix WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml,iexplore.exe="
wine64=/usr/lib/wine/wine64
if ! command -v wineserver >/dev/null || [ ! -x "$wine64" ]; then
  echo "no Wine here: the Windows rows will skip"
  exit 0
fi
case $action in
start)
  # A prefix made without wine32 has no 32-bit half, and Wine does not add one later: a prefix made
  # by another Wine, or before wine32 came or after it went, is made again.
  made_by="$("$wine64" --version), wine32: $([ -x /usr/lib/wine/wine ] && echo yes || echo no)"
  if [ "$(cat "$prefix.made-by" 2>/dev/null)" != "$made_by" ] && [ -e "$prefix/system.reg" ]; then
    echo "the prefix $prefix was made by another Wine ($(cat "$prefix.made-by" 2>/dev/null)): made again"
    rm -rf "$prefix"
  fi
  mkdir -p "$prefix"
  start=$SECONDS
  wineserver -p </dev/null >>"$prefix.log" 2>&1 || { cat "$prefix.log"; exit 1; }
  "$wine64" wineboot --init </dev/null >>"$prefix.log" 2>&1 || { cat "$prefix.log"; exit 1; }
  echo "$made_by" >"$prefix.made-by"
  echo "Wine prefix $prefix ready in $((SECONDS - start)) s" ;;
stop) wineserver -k 2>/dev/null || true ;;
*) echo "unknown action $action"; exit 2 ;;
esac
