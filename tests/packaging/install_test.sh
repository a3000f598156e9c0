#!/usr/bin/env bash
# `cmake --install` into a temporary prefix: the files a desktop program needs
# and nothing else, a desktop entry and metadata the desktop's validators
# accept, and the installed programs working on a collection kept under
# XDG_DATA_HOME, as an installed program's user keeps it.
#
# usage: install_test.sh BUILD_FOLDER APP_ID
set -euo pipefail
build=${1:?usage: install_test.sh BUILD_FOLDER APP_ID}
id=${2:?usage: install_test.sh BUILD_FOLDER APP_ID}

scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
prefix=$scratch/prefix
failures=0
fail() {
  echo "install_test: $*" >&2
  failures=$((failures + 1))
}

cmake --install "$build" --prefix "$prefix" >"$scratch/install.log" ||
  { cat "$scratch/install.log" >&2; exit 1; }

# The whole list, so that a stray file (a test program, the sample) shows too.
expected=(
  bin/quillwen
  bin/quillwen-build
  bin/quillwen-search
  share/applications/$id.desktop
  share/doc/quillwen/changelog.Debian.gz
  share/doc/quillwen/copyright
  share/icons/hicolor/scalable/apps/$id.svg
  share/man/man1/quillwen-build.1.gz
  share/man/man1/quillwen-search.1.gz
  share/man/man1/quillwen.1.gz
  share/metainfo/$id.metainfo.xml
  share/quillwen/help.html
)
sizes=(16 22 24 32 48 64 128 256)
for size in "${sizes[@]}"; do expected+=("share/icons/hicolor/${size}x${size}/apps/$id.png"); done
actual=$(cd "$prefix" && find . -type f -printf '%P\n' | LC_ALL=C sort)
wanted=$(printf '%s\n' "${expected[@]}" | LC_ALL=C sort)
[[ $actual == "$wanted" ]] ||
  fail "installed files differ from the expected ones:"$'\n'"$(diff <(echo "$wanted") <(echo "$actual"))"

for program in quillwen quillwen-build quillwen-search; do
  [[ -x $prefix/bin/$program ]] || fail "bin/$program is not executable"
done
for file in share/applications/$id.desktop share/metainfo/$id.metainfo.xml share/quillwen/help.html; do
  [[ $(stat -c %a "$prefix/$file") == 644 ]] || fail "$file is not readable by everyone (mode 644)"
done

# Each picture is a PNG of its folder's size: width and height are the
# big-endian words at bytes 16 and 20.
for size in "${sizes[@]}"; do
  picture=$prefix/share/icons/hicolor/${size}x${size}/apps/$id.png
  [[ -f $picture ]] || continue
  signature=$(od -An -tx1 -N8 "$picture" | tr -d ' \n')
  read -r width height < <(od -An -tu4 --endian=big -j16 -N8 "$picture")
  [[ $signature == 89504e470d0a1a0a && $width == "$size" && $height == "$size" ]] ||
    fail "$picture is not a ${size}x${size} PNG (signature $signature, ${width}x${height})"
done

# desktop-file-validate prints hints and warnings but fails only on errors:
# any output counts.
desktop=$prefix/share/applications/$id.desktop
if ! report=$(desktop-file-validate "$desktop" 2>&1) || [[ -n $report ]]; then
  fail "desktop-file-validate: $report"
fi
grep -qx "Icon=$id" "$desktop" || fail "the desktop entry does not name the icon $id"
grep -qx 'Exec=quillwen' "$desktop" || fail "the desktop entry does not start quillwen"
grep -q '^Name\[ja\]=' "$desktop" && grep -q '^Comment\[ja\]=' "$desktop" ||
  fail "the desktop entry has no Japanese name or comment"
report=$(appstreamcli validate --no-net "$prefix/share/metainfo/$id.metainfo.xml" 2>&1) ||
  fail "appstreamcli validate: $report"
grep -q "<launchable type=\"desktop-id\">$id.desktop</launchable>" \
  "$prefix/share/metainfo/$id.metainfo.xml" || fail "the metadata does not launch $id.desktop"

# Manual pages from the programs' own --help.
for program in quillwen quillwen-search quillwen-build; do
  page=$(gzip -dc "$prefix/share/man/man1/$program.1.gz")
  grep -qi "^\.TH \"\?${program}\"\? \"\?1\"\?" <<<"$page" || fail "$program.1 has no title line"
  grep -qF -- '\-\-help' <<<"$page" || fail "$program.1 does not describe --help"
done
search_page=$(gzip -dc "$prefix/share/man/man1/quillwen-search.1.gz")
grep -q '^\.SS "Collection:"' <<<"$search_page" && grep -q 'XDG_DATA_HOME' <<<"$search_page" ||
  fail "quillwen-search.1 does not say where the collection is looked for"
grep -qF '経部' <<<"$search_page" || fail "quillwen-search.1 lost the help's Chinese example"

# A small collection, built by the installed builder under XDG_DATA_HOME.
source=$scratch/source
mkdir -p "$source/01 経部/01 論語"
printf '# 學而第一\n子曰：學而時習之，不亦說乎？\n\n有朋自遠方來，不亦樂乎？\n' \
  >"$source/01 経部/01 論語/1 學而.txt"
data_home=$scratch/home/.local/share
mkdir -p "$data_home/quillwen"
"$prefix/bin/quillwen-build" --quiet "$source" "$data_home/quillwen" >"$scratch/build.log" 2>&1 ||
  fail "the installed quillwen-build failed: $(cat "$scratch/build.log")"

# Run from a folder of its own: the search writes nothing where it is started.
search() {
  (cd "$scratch" && env -u QUILLWEN_DATA HOME="$scratch/home" XDG_DATA_HOME="$data_home" \
    XDG_DATA_DIRS="$scratch/system" "$prefix/bin/quillwen-search" "$@")
}
found=$(search 時習 2>"$scratch/search.err") || fail "the installed quillwen-search failed: $(cat "$scratch/search.err")"
[[ $found == $'全部で 1 頁で、1 箇所でした。\n類別\t書名\t巻\t頁\t箇所\n経部\t論語\t學而\t1\t1' ]] ||
  fail "quillwen-search found: $found"

mv "$data_home/quillwen" "$data_home/elsewhere"
if search 時習 >/dev/null 2>"$scratch/search.err"; then
  fail "quillwen-search succeeded without a collection"
fi
grep -qF "  ~/.local/share/quillwen" "$scratch/search.err" &&
  grep -qF "  $scratch/system/quillwen" "$scratch/search.err" &&
  grep -qF "quillwen-build SOURCE ~/.local/share/quillwen" "$scratch/search.err" ||
  fail "without a collection quillwen-search said: $(cat "$scratch/search.err")"

# The installed reader starts, far enough to answer --help, on its own libraries.
QT_QPA_PLATFORM=offscreen "$prefix/bin/quillwen" --help >"$scratch/reader.out" 2>&1 &&
  grep -q -- '--data DIR' "$scratch/reader.out" ||
  fail "the installed reader did not answer --help: $(cat "$scratch/reader.out")"

[[ $failures -eq 0 ]] || exit 1
echo "install_test: $((${#expected[@]})) files installed and checked"
