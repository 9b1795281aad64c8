#!/usr/bin/env bash
# Builds everything (the benchmark too, so that it keeps compiling) and runs every test.
# Warnings are errors when CI is set. A passing run prints a line per test and ctest's summary; a
# failing one also prints what each failed test wrote (scripts/test-report.awk).
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh
werror=OFF
[ "${CI:-}" = "true" ] && werror=ON
cmake -S . -B build/test -DCMAKE_BUILD_TYPE=Release -DPRICER_BUILD_TESTS=ON -DPRICER_BUILD_BENCH=ON -DPRICER_WERROR="$werror" >/dev/null
echo "Building the program, its tests and the benchmark in build/test..."
cmake --build build/test -j"$(nproc)" >/dev/null
status=0
ctest --test-dir build/test --output-on-failure -j"$(nproc)" >build/test/ctest.log 2>&1 || status=$?
awk -f scripts/test-report.awk build/test/ctest.log
exit "$status"
