#!/usr/bin/env bash
# Builds the libFuzzer targets with clang in build/fuzz and runs each one on a
# working copy of its seed corpus in fuzz/corpus/<name>/, for SECONDS (default
# 600) or, when RUNS is set, for that many executions. Fails, naming the input
# that was saved, as soon as a target finds a crash, a leak, undefined
# behaviour or a broken invariant.
#
#   fuzz/run-fuzzers.sh [SECONDS] [NAME...]     (make fuzz, make fuzz-short)
#   RUNS=10000000 fuzz/run-fuzzers.sh 0 songfile (make fuzz FUZZ_RUNS=...)
set -euo pipefail

seconds=${1:-600}
shift || true
runs=${RUNS:-}
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

if [ -n "$runs" ]; then
  limit=(-runs="$runs")
  what="$runs executions"
else
  limit=(-max_total_time="$seconds")
  what="$seconds s"
fi
# The targets make files (their inputs, pictures, folder listings) for every
# input or at start; they do so in a scratch folder, in memory where there is
# one. Freed memory stays with the process rather than going back to the
# system every few seconds, which would make each reuse fault its pages in.
scratch_root=/dev/shm
[ -d "$scratch_root" ] && [ -w "$scratch_root" ] || scratch_root=${TMPDIR:-/tmp}
export ASAN_OPTIONS=${ASAN_OPTIONS:-allocator_release_to_os_interval_ms=-1}
scratch=
trap 'rm -rf "$scratch"' EXIT

for name in "${names[@]}"; do
  seeds=$root/fuzz/corpus/$name
  work=$build/fuzz/run/$name
  corpus=$work/corpus
  artifacts=$work/artifacts
  mkdir -p "$corpus" "$artifacts"
  scratch=$(mktemp -d "$scratch_root/tessaloop-fuzz-$name.XXXXXX")
  echo "== fuzz_$name for $what (seeds: fuzz/corpus/$name, found inputs: $corpus)"
  status=0
  (cd "$scratch" && "$build/fuzz/fuzz_$name" "${limit[@]}" -timeout=10 \
    -rss_limit_mb=2048 -print_final_stats=1 -artifact_prefix="$artifacts/" \
    "$corpus" "$seeds") >"$work/log.txt" 2>&1 || status=$?
  rm -rf "$scratch"
  grep -E '^(stat::number_of_executed_units|stat::average_exec_per_sec|stat::new_units_added|Done)' \
    "$work/log.txt" || true
  grep -E '^#[0-9]+[[:space:]]+DONE' "$work/log.txt" | tail -n 1 || true
  if [ $status -ne 0 ]; then
    tail -n 60 "$work/log.txt"
    echo "fuzz_$name FOUND A FAULT; the input is in $artifacts/" >&2
    exit 1
  fi
done
echo "fuzzing found nothing"
