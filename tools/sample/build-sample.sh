#!/usr/bin/env bash
# Builds the sample collection into a data folder: fetches the chinese-poetry
# package from the npm registry once (npm pack, no install), converts it into
# the source format and runs quillwen-build with the variant relations of
# Debian's unicode-data and OpenCC packages. Everything fetched or derived stays
# in .cache/ at the repository root, so later runs fetch nothing. The Makefile's
# `sample` target installs the packages it needs.
#
# usage: tools/sample/build-sample.sh QUILLWEN_BUILD DATA_FOLDER
set -euo pipefail

builder=$1
target=$2
root=$(cd "$(dirname "$0")/../.." && pwd)
cache=$root/.cache
package=chinese-poetry
version=2.0.1

tarball=$cache/npm/$package-$version.tgz
if [[ ! -f $tarball ]]; then
  mkdir -p "$cache/npm"
  (cd "$cache/npm" && npm pack --silent "$package@$version" >/dev/null)
fi

corpus=$cache/$package-$version
if [[ ! -d $corpus ]]; then
  rm -rf "$corpus.partial" && mkdir -p "$corpus.partial"
  tar -xzf "$tarball" -C "$corpus.partial"
  mv "$corpus.partial" "$corpus"
fi

converter=$root/tools/sample/convert-chinese-poetry.mjs
source=$cache/sample-source
if [[ ! -d $source || $converter -nt $source ]]; then
  rm -rf "$source" "$source.partial"
  node "$converter" "$corpus/package/dist" "$source.partial"
  mv "$source.partial" "$source"
fi

variants=$cache/variants
mkdir -p "$variants"
[[ -f $variants/Unihan_Variants.txt ]] ||
  bzcat /usr/share/unicode/Unihan_Variants.txt.bz2 > "$variants/Unihan_Variants.txt"
[[ -f $variants/JPVariants.txt ]] ||
  opencc_dict -i /usr/share/opencc/JPVariants.ocd2 -o "$variants/JPVariants.txt" -f ocd2 -t text

"$builder" --unihan "$variants/Unihan_Variants.txt" --opencc "$variants/JPVariants.txt" \
  "$source" "$target"
