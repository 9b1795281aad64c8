#!/usr/bin/env bash
# Builds everything (the benchmark too, so that it keeps compiling) and runs every test.
# Warnings are errors when CI is set.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh
werror=OFF
[ "${CI:-}" = "true" ] && werror=ON
cmake -S . -B build/test -DCMAKE_BUILD_TYPE=Release -DPRICER_BUILD_TESTS=ON -DPRICER_BUILD_BENCH=ON -DPRICER_WERROR="$werror" >/dev/null
cmake --build build/test -j"$(nproc)"
ctest --test-dir build/test --output-on-failure -j"$(nproc)"
