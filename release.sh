#!/usr/bin/env bash
# Builds every artifact of a release into dist/, each by a workflow preset of CMakePresets.json in a
# fresh build tree: the browser page (which every package carries), the .deb and the .rpm (dynamic,
# with the distributions' hardening), the portable Linux archive (static) and the two Windows zips. Then checks that each Linux package's program
# prints the expected bytes and that every relative link in each package's README resolves inside
# that package, and writes SHA256SUMS. Needs dpkg-dev, rpm, cpio, both mingw-w64 compilers and the
# WebAssembly toolchain (clang, lld-14, wasi-libc, libc++-14-dev-wasm32, libc++abi-14-dev-wasm32).
# usage: ./release.sh
set -euo pipefail
cd "$(dirname "$0")"
# CPack writes the .deb's own members (debian-binary, control.tar.gz, data.tar.gz) with the
# builder's umask; everything inside the packages has fixed modes already.
umask 022

# The page first: every package carries it beside the README.
workflows=(release-page release-linux release-portable release-windows-i686 release-windows-x86_64)

# Unpacks the package $1 into the new folder $2.
unpack() {
  mkdir "$2"
  case $1 in
  *.deb) dpkg-deb -x "$1" "$2" ;;
  *.rpm) rpm2cpio "$1" | (cd "$2" && cpio -idm --quiet) ;;
  *) (cd "$2" && cmake -E tar xf "$OLDPWD/$1") ;;
  esac
}

# Prints each link of the file $1: in Markdown the relative targets of ](...), anchors dropped (the
# anchors are the web view's); in HTML every href and src, as written.
links() {
  if [[ $1 == *.html ]]; then
    grep -oE '(href|src)="[^"]*"' "$1" | sed -E 's/^(href|src)="//; s/"$//' || true
  else
    grep -oE '\]\([^)]+\)' "$1" | sed -E 's/^\]\(//; s/\)$//; s/[ #].*//' | grep -vE '^$|^[a-z]+:' || true
  fi
}

# Fails unless every link in each README, Markdown page and HTML page of the unpacked package $1
# names a file inside it, and, in an HTML page, every anchor (#...) an id in the page it names.
check_links() {
  local root page link target anchor found=0
  root=$(realpath "$1")
  while IFS= read -r page; do
    found=1
    while IFS= read -r link; do
      target=${link%%#*} anchor=
      [[ $link != *#* ]] || anchor=${link#*#}
      anchor=$(printf '%b' "${anchor//%/\\x}")  # percent-encoded bytes, as written in an address
      [[ $target != *:* ]] || { echo "${page#"$root"/}: $link leads out of the package"; return 1; }
      target=$(realpath -m "$(dirname "$page")/${target:-$(basename "$page")}")
      [[ $target == "$root"/* && -f $target ]] || { echo "${page#"$root"/}: no $target in the package"; return 1; }
      [[ -z $anchor ]] || grep -qF "id=\"$anchor\"" "$target" ||
        { echo "${page#"$root"/}: $link: no id \"$anchor\" in ${target#"$root"/}"; return 1; }
    done < <(links "$page")
  done < <(find "$root" -name 'README*' -o -name '*.md' -o -name '*.html')
  [ "$found" = 1 ] || { echo "no README in the package"; return 1; }
}

# Fails unless the Linux program in the unpacked package $1 prints the expected bytes.
check_program() {
  local program
  program=$(find "$1" -path '*/bin/polyeval')
  "$program" </dev/null | cmp - tests/expected-output.txt
}

rm -rf dist
for workflow in "${workflows[@]}"; do cmake --workflow --preset "$workflow" --fresh; done
rm -rf dist/_CPack_Packages

unpacked=$(mktemp -d)
trap 'rm -rf "$unpacked"' EXIT
for package in dist/*; do
  unpack "$package" "$unpacked/${package#dist/}"
  check_links "$unpacked/${package#dist/}"
  [[ $package == *windows* ]] || check_program "$unpacked/${package#dist/}"
  echo "checked: $package"
done
# The sums in the C locale's order, whatever the builder's.
(cd dist && export LC_ALL=C && files=(*) && sha256sum -- "${files[@]}" >SHA256SUMS)
