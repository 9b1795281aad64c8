#!/usr/bin/env bash
# Builds the release benchmark and prints nanoseconds per path and the ratios of one run.
# Usage: scripts/bench.sh [bench-clang] [benchmark options, e.g. --benchmark_filter='/10000000/']
# bench-clang builds it with clang++ instead of g++.
set -euo pipefail
cd "$(dirname "$0")/.."
preset=bench
if [ "${1:-}" = bench-clang ]; then
    preset=$1
    shift
fi
scripts/install-deps.sh cmake g++ make libbenchmark-dev
[ "$preset" = bench ] || scripts/install-deps.sh clang
cmake --preset "$preset" >/dev/null
cmake --build --preset "$preset" -j"$(nproc)" >/dev/null
exec "build/$preset/bench/pricer_benchmark" "$@"
