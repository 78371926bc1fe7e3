#!/usr/bin/env bash
# Builds the benchmarks and runs every one once, with a short minimum time.
# Fails when a benchmark reports an error or a program does not end cleanly:
# a benchmark that stops early measures nothing. The figures it prints are
# not measurements; run the programs in build/bench for those.
#   scripts/benchcheck.sh [filter regex]
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/build.sh bench
export QT_QPA_PLATFORM=offscreen
logs=build/bench/check
mkdir -p "$logs"
filter=${1:-.}
failed=()
for program in build/bench/bench/bench_*; do
  [ -f "$program" ] && [ -x "$program" ] || continue
  name=$(basename "$program")
  echo "== $name"
  code=0
  "$program" --benchmark_min_time=0.01 --benchmark_filter="$filter" >"$logs/$name.log" 2>&1 || code=$?
  if [ "$code" -ne 0 ]; then
    tail -n 5 "$logs/$name.log"
    failed+=("$name (exit $code)")
  elif grep -q "ERROR OCCURRED" "$logs/$name.log"; then
    grep "ERROR OCCURRED" "$logs/$name.log"
    failed+=("$name (error reported)")
  fi
done
if [ "${#failed[@]}" -gt 0 ]; then
  printf 'failed: %s\n' "${failed[@]}" >&2
  exit 1
fi
echo "every benchmark ran cleanly"
