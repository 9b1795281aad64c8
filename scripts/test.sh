#!/usr/bin/env bash
# Builds everything (the benchmark too, so that it keeps compiling) and runs every test.
# Warnings are errors when CI is set (the presets read it). A passing run prints a line per test and
# ctest's summary; a failing one also prints what each failed test wrote.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh
cmake --preset test >/dev/null
echo "Building the program, its tests and the benchmark in build/test..."
cmake --build --preset test -j"$(nproc)" >/dev/null
exec scripts/ctest-report.sh test
