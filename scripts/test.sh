#!/usr/bin/env bash
# Builds everything (the benchmark too, so that it keeps compiling) and runs every test.
# Warnings are errors when CI is set (the presets read it). ctest prints a line per test program
# and its summary; a failing program's output follows its line: the failed cases, each in full.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh
cmake --preset test >/dev/null
echo "Building the program, its tests and the benchmark in build/test..."
cmake --build --preset test -j"$(nproc)" >/dev/null
exec ctest --preset test -j"$(nproc)"
