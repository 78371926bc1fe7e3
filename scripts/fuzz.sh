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
# The store's targets write and flush real files on every run: on a disk
# that is what they measure. A folder in memory lets them test the readers.
shm=/dev/shm
[ -d "$shm" ] && [ -w "$shm" ] || shm=${TMPDIR:-/tmp}
TMPDIR=$(mktemp -d "$shm/tolva-fuzz.XXXXXX")
export TMPDIR
trap 'rm -rf "$TMPDIR"' EXIT
export LSAN_OPTIONS=${LSAN_OPTIONS:-suppressions=$PWD/scripts/lsan.supp}
build/fuzz/fuzz/"$target" -max_total_time="$secs" build/fuzz/corpus/"$target" $seeds
