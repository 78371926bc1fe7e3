#!/usr/bin/env bash
# Configures and builds Tolva into a build folder.
#   scripts/build.sh [release|test|opt|bench|fuzz]
set -euo pipefail
cd "$(dirname "$0")/.."
kind=${1:-release}
case "$kind" in
  release) dir=build/release; opts=(-DCMAKE_BUILD_TYPE=RelWithDebInfo -DTOLVA_TESTS=OFF) ;;
  test)    dir=build/test;    opts=(-DCMAKE_BUILD_TYPE=Debug -DTOLVA_SANITIZE=ON -DTOLVA_TESTS=ON) ;;
  opt)     dir=build/opt;     opts=(-DCMAKE_BUILD_TYPE=RelWithDebInfo -DTOLVA_TESTS=ON) ;;
  bench)   dir=build/bench;   opts=(-DCMAKE_BUILD_TYPE=Release -DTOLVA_TESTS=OFF -DTOLVA_BENCH=ON) ;;
  fuzz)    dir=build/fuzz;    opts=(-DCMAKE_BUILD_TYPE=RelWithDebInfo -DTOLVA_FUZZ=ON
                                  -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++) ;;
  *) echo "usage: $0 [release|test|opt|bench|fuzz]" >&2; exit 2 ;;
esac
export CCACHE_DIR=${CCACHE_DIR:-$HOME/.cache/ccache}
# Paths inside the checkout hash alike wherever it is cloned, so several
# checkouts share one cache.
export CCACHE_BASEDIR=${CCACHE_BASEDIR:-$PWD} CCACHE_NOHASHDIR=${CCACHE_NOHASHDIR:-1}
cmake -S . -B "$dir" -G Ninja "${opts[@]}" >/dev/null
cmake --build "$dir"
