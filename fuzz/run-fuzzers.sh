#!/usr/bin/env bash
# Builds the libFuzzer targets with clang in build/fuzz and runs each one for
# SECONDS (default 600) on a working copy of its seed corpus in
# fuzz/corpus/<name>/. Fails, naming the input that was saved, as soon as a
# target finds a crash, a leak, undefined behaviour or a broken invariant.
#
#   fuzz/run-fuzzers.sh [SECONDS] [NAME...]     (make fuzz, make fuzz-short)
set -euo pipefail

seconds=${1:-600}
shift || true
root=$(cd "$(dirname "$0")/.." && pwd)
build=${FUZZ_BUILD:-$root/build/fuzz}
jobs=${JOBS:-2}

CC=clang CXX=clang++ cmake -S "$root" -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DTESSALOOP_FUZZ=ON -DTESSALOOP_TESTS=OFF -DTESSALOOP_BENCH=OFF >/dev/null
cmake --build "$build" -j "$jobs" --target fuzzers >/dev/null

if [ $# -gt 0 ]; then
  names=("$@")
else
  mapfile -t names < <(grep -v '^$' "$build/fuzz/fuzzers.txt")
fi

for name in "${names[@]}"; do
  seeds=$root/fuzz/corpus/$name
  work=$build/fuzz/run/$name
  corpus=$work/corpus
  artifacts=$work/artifacts
  mkdir -p "$corpus" "$artifacts"
  # The loaders log every load; in this folder the log goes nowhere.
  ln -sfn /dev/null "$work/debug.txt"
  echo "== fuzz_$name for ${seconds} s (seeds: fuzz/corpus/$name, found inputs: $corpus)"
  status=0
  (cd "$work" && "$build/fuzz/fuzz_$name" -max_total_time="$seconds" -timeout=10 \
    -rss_limit_mb=2048 -print_final_stats=1 -artifact_prefix="$artifacts/" \
    "$corpus" "$seeds") >"$work/log.txt" 2>&1 || status=$?
  grep -E '^(stat::number_of_executed_units|stat::new_units_added|Done)' "$work/log.txt" || true
  if [ $status -ne 0 ]; then
    tail -n 60 "$work/log.txt"
    echo "fuzz_$name FOUND A FAULT; the input is in $artifacts/" >&2
    exit 1
  fi
done
echo "fuzzing found nothing"
