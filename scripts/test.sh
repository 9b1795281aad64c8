#!/usr/bin/env bash
# Builds everything (the benchmark too, so that it keeps compiling) and runs every test.
# Warnings are errors when CI is set (the presets read it).
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh
cmake --preset test >/dev/null
cmake --build --preset test -j"$(nproc)"
ctest --preset test -j"$(nproc)"
