#!/usr/bin/env bash
# Fails unless every link in each README, Markdown page and HTML page below DIR names a file below
# DIR: in Markdown the relative targets of ](...), with their anchors dropped (those are the
# repository web view's); in HTML every href and src, and with an anchor (#...) an id in the page it
# names; a query (?x=...) names the same file. A package, an install and the build tree's html/ must
# each hold everything they link to; where they hold the browser page, every HTML page of the
# README's links to it, and it to the README and the exercises. The browser page is built, not kept
# in the source: where none is beside the README (the source archive, an install of a build without
# it), a Markdown page's link to it leads nowhere, as it does in the repository's web view, and is
# let be; the HTML pages there are rendered without such links.
#
# usage: check-links.sh DIR
set -euo pipefail

# Prints each link of the file $1, as written.
links() {
  if [[ $1 == *.html ]]; then
    grep -oE '(href|src)="[^"]*"' "$1" | sed -E 's/^(href|src)="//; s/"$//' || true
  else
    grep -oE '\]\([^)]+\)' "$1" | sed -E 's/^\]\(//; s/\)$//; s/[ #].*//' | grep -vE '^$|^[a-z]+:' || true
  fi
}

root=$(realpath "$1")
found=0
while IFS= read -r page; do
  found=1
  while IFS= read -r link; do
    target=${link%%#*} anchor=
    target=${target%%\?*}  # a query names the same file
    [[ $link != *#* ]] || anchor=${link#*#}
    anchor=$(printf '%b' "${anchor//%/\\x}")  # percent-encoded bytes, as written in an address
    [[ $target != *:* ]] || { echo "${page#"$root"/}: $link leads out of $1"; exit 1; }
    target=$(realpath -m "$(dirname "$page")/${target:-$(basename "$page")}")
    [[ $page == *.md && ${target##*/} == polyeval.html && ! -e $target ]] && continue
    [[ $target == "$root"/* && -f $target ]] || { echo "${page#"$root"/}: no $target in $1"; exit 1; }
    [[ -z $anchor ]] || grep -qF "id=\"$anchor\"" "$target" ||
      { echo "${page#"$root"/}: $link: no id \"$anchor\" in ${target#"$root"/}"; exit 1; }
  done < <(links "$page")
done < <(find "$root" -name 'README*' -o -name '*.md' -o -name '*.html')
[ "$found" = 1 ] || { echo "no README or page in $1"; exit 1; }

# Where the browser page, polyeval.html, is beside a README.html, that README and every HTML page in
# docs/ beside it link to it, and it links back to the README and the exercises.
while IFS= read -r readme; do
  folder=$(dirname "$readme")
  [ -f "$folder/polyeval.html" ] || continue
  for page in "$readme" "$folder"/docs/*.html; do
    href=polyeval.html
    [ "$page" = "$readme" ] || href=../polyeval.html
    grep -qF "href=\"$href\"" "$page" || { echo "${page#"$root"/}: no link to the browser page beside it"; exit 1; }
  done
  for href in README.html docs/exercises.html; do
    grep -qF "href=\"$href\"" "$folder/polyeval.html" ||
      { echo "${folder#"$root"/}/polyeval.html: no link to $href beside it"; exit 1; }
  done
done < <(find "$root" -name README.html)
echo "every link resolves in $1"
