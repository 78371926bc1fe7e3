#!/usr/bin/env bash
# Builds the libFuzzer targets with clang and runs one of them.
#   scripts/fuzz.sh fuzz_records [seconds]
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh
scripts/build.sh fuzz
target=${1:?name of a fuzz target}
secs=${2:-600}
mkdir -p build/fuzz/corpus/"$target"
seeds=tests/data/fuzz/"$target"
[ -d "$seeds" ] || seeds=
build/fuzz/fuzz/"$target" -max_total_time="$secs" build/fuzz/corpus/"$target" $seeds
