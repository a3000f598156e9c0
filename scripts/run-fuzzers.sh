#!/bin/sh
# Runs every libFuzzer harness of a fuzz build: first over its seeds (made by
# the project's writers) and the corpus kept from earlier runs, then for
# SECONDS of fuzzing, growing that corpus. Fails on the first harness that
# finds a crash, a sanitizer report or a hang; the input it found is kept in
# BUILD/findings.
# Usage: scripts/run-fuzzers.sh BUILD SECONDS
set -eu
build=$1
seconds=$2
seeds=$build/seeds
rm -rf "$seeds"
"$build/bin/quillwen-fuzz-seeds" "$seeds"
mkdir -p "$build/findings"
for harness in "$build"/bin/*_fuzzer; do
  name=$(basename "$harness" _fuzzer)
  corpus=$build/corpus/$name
  mkdir -p "$corpus"
  echo "== $name: $seconds s"
  # Regression inputs kept in the repository are replayed first, when there are any.
  for kept in fuzz/regressions/"$name"; do
    if [ -d "$kept" ]; then "$harness" -runs=0 "$kept"; fi
  done
  "$harness" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 \
    -artifact_prefix="$build/findings/$name-" -print_final_stats=0 \
    "$corpus" "$seeds/$name" 2>"$build/$name.log" || {
    tail -n 60 "$build/$name.log" >&2
    echo "$name: the harness failed; the input is in $build/findings" >&2
    exit 1
  }
  grep -E '^#[0-9]+.*DONE' "$build/$name.log" | tail -n 1 || true
done
