#!/usr/bin/env bash
# Builds the release benchmark and prints nanoseconds per path and the ratios of one run.
# Extra arguments go to the benchmark, e.g. --benchmark_filter='/10000000/'.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh cmake g++ make libbenchmark-dev
cmake --preset bench >/dev/null
cmake --build --preset bench -j"$(nproc)" >/dev/null
exec build/bench/bench/pricer_benchmark "$@"
