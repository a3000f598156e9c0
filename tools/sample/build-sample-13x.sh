#!/usr/bin/env bash
# Builds a collection about 13 times the sample, for measuring how the builder's
# time and memory grow with its collection: quillwen-scale-source writes
# OUT/source from the sample source (made by build-sample.sh) once, then
# quillwen-build builds OUT/data from it under /usr/bin/time -v, whose report
# goes to OUT/build-time.txt.
#
# usage: tools/sample/build-sample-13x.sh BIN_FOLDER SAMPLE_SOURCE VARIANTS OUT
#   BIN_FOLDER holds quillwen-build and quillwen-scale-source; VARIANTS holds
#   Unihan_Variants.txt and JPVariants.txt.
set -euo pipefail

bin=$1
sample=$2
variants=$3
out=$4

for needed in "$sample" "$variants/Unihan_Variants.txt" "$variants/JPVariants.txt"; do
  if [[ ! -e $needed ]]; then
    echo "$needed is missing; \`make sample\` makes it" >&2
    exit 1
  fi
done

mkdir -p "$out"
if [[ ! -d $out/source ]]; then
  rm -rf "$out/source.partial"
  "$bin/quillwen-scale-source" --copies 13 "$sample" "$out/source.partial"
  mv "$out/source.partial" "$out/source"
fi

timer=()
[[ -x /usr/bin/time ]] && timer=(/usr/bin/time -v -o "$out/build-time.txt")
"${timer[@]}" "$bin/quillwen-build" --quiet \
  --unihan "$variants/Unihan_Variants.txt" --opencc "$variants/JPVariants.txt" \
  "$out/source" "$out/data"
if [[ -f $out/build-time.txt ]]; then
  grep -E 'Elapsed \(wall clock\)|Maximum resident set size' "$out/build-time.txt"
fi
