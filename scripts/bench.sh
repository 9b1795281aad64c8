#!/usr/bin/env bash
# Builds the release benchmark and prints nanoseconds per path and the ratios of one run.
# Extra arguments go to the benchmark, e.g. --benchmark_filter='/10000000/'.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh cmake g++ make libbenchmark-dev
echo "Building the benchmark in build/bench (about 15 s the first time)..." >&2
cmake --preset bench >/dev/null
cmake --build --preset bench -j"$(nproc)" >/dev/null
# The dots are the benchmark's own: one as each benchmark's last repetition ends.
echo "Benchmarking for a minute or so. The repetitions are interleaved, so the dots, one for each" \
    "benchmark done, come together near the end; then the tables." >&2
exec build/bench/bench/pricer_benchmark "$@"
