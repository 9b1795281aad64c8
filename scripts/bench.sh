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
echo "Building the benchmark in build/$preset (seconds the first time)..." >&2
cmake --preset "$preset" >/dev/null
# getconf, not nproc, which macOS lacks.
cmake --build --preset "$preset" -j"$(getconf _NPROCESSORS_ONLN)" >/dev/null
# The dots are the benchmark's own: one as each benchmark's last repetition ends.
echo "Benchmarking for a minute or so. The repetitions are interleaved, so the dots, one for each" \
    "benchmark done, come together near the end; then the tables." >&2
exec "build/$preset/bench/pricer_benchmark" "$@"
