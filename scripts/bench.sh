#!/usr/bin/env bash
# Builds the release benchmark and prints nanoseconds per path and the ratios of one run.
# Extra arguments go to the benchmark, e.g. --benchmark_filter='/10000000/'.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh cmake g++ make libbenchmark-dev
echo "Building the benchmark in build/bench (the first time takes about a minute)..." >&2
cmake --preset bench >/dev/null
cmake --build --preset bench -j"$(nproc)" >/dev/null
# The benchmark marks each one it finishes with a dot on standard error, and prints its tables at
# the end.
echo "Benchmarking, about two minutes; a dot for each benchmark done, then the tables:" >&2
exec build/bench/bench/pricer_benchmark "$@"
