#!/usr/bin/env bash
# Builds every artifact of a release into dist/, each by a workflow preset of CMakePresets.json in a
# fresh build tree: the browser page (which every package carries), the .deb and the .rpm (dynamic,
# with the distributions' hardening), the portable Linux archive (static) and the two Windows zips;
# and the source archive of the commit (cmake/source-archive.cmake). Then checks that every link of
# the page in the build tree and of each package's pages resolves inside it, that each Linux
# package's program prints the expected bytes and its man page names the explanation where the
# package puts it, that the scripts the explanation names run in each package as its pages say
# (docs/page.py --check-installed), that the source archive holds every file of the commit, and
# writes SHA256SUMS. Needs dpkg-dev, rpm, cpio, both mingw-w64 compilers, the WebAssembly toolchain
# (the wasm32-wasi preset's packages), the HTML pages' renderer (python3-markdown-it,
# python3-mdit-py-plugins) and the scripts' packages (python3-mpmath, python3-matplotlib).
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

# Fails unless the Linux program in the unpacked package $1 prints the expected bytes.
check_program() {
  local program
  program=$(find "$1" -path '*/bin/polyeval')
  "$program" </dev/null | cmp - tests/expected-output.txt
}

# Fails unless the man page in the unpacked Linux package $1 names the explanation where the package
# puts it: from / in the .deb and the .rpm, below the top folder in the archive.
check_man_page() {
  local named top
  named=$(zcat "$(find "$1" -name polyeval.1.gz)" | sed -n '/^\.SH "SEE ALSO"/,$ s/^\.IR\{0,1\} \([^ ]*\).*/\1/p' |
    sed 's/\\-/-/g')
  top=$1
  [[ $named == /* ]] || top=$(find "$1" -mindepth 1 -maxdepth 1 -type d)
  [ -n "$named" ] && [ -f "$top/$named" ] || { echo "the man page names '$named', which is not in the package"; return 1; }
}

# Fails unless the unpacked source archive $1 holds the files of this commit, and nothing else.
check_sources() {
  diff <(cd "$1"/* && find . -type f | sed 's|^\./||' | LC_ALL=C sort) <(git ls-files | LC_ALL=C sort)
}

rm -rf dist
for workflow in "${workflows[@]}"; do cmake --workflow --preset "$workflow" --fresh; done
rm -rf dist/_CPack_Packages
source_archive=$(cmake -DSOURCE_DIR="$PWD" -DOUTPUT_DIR="$PWD/dist" -P cmake/source-archive.cmake 2>&1 | tail -n 1)
source_archive=dist/${source_archive##*/}

# The page as the README tells a reader to open it, in the build tree, beside the pages it links to.
tests/check-links.sh build-wasm32-wasi/html
unpacked=$(mktemp -d)
trap 'rm -rf "$unpacked"' EXIT
for package in dist/*; do
  folder=$unpacked/${package#dist/}
  unpack "$package" "$folder"
  tests/check-links.sh "$folder"
  if [ "$package" = "$source_archive" ]; then
    check_sources "$folder"
  else
    [[ $package == *windows* ]] || { check_program "$folder" && check_man_page "$folder"; }
    /usr/bin/python3 docs/page.py --check-installed "$(dirname "$(find "$folder" -name README.html -print -quit)")"
  fi
  echo "checked: $package"
done
# The sums in the C locale's order, whatever the builder's.
(cd dist && export LC_ALL=C && files=(*) && sha256sum -- "${files[@]}" >SHA256SUMS)
