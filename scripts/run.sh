#!/usr/bin/env bash
# Builds the program (release) and runs it on this terminal. Standard output carries only the
# dialogue; what the script has to say goes to standard error.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh cmake g++ make
[ -x build/release/app/price_option ] ||
    echo "Building the program in build/release; the first run takes a little while..." >&2
# Configure once: a later build re-runs CMake itself when a CMake file has changed.
[ -f build/release/CMakeCache.txt ] || cmake --preset release >/dev/null
cmake --build --preset release -j"$(nproc)" >/dev/null
exec build/release/app/price_option
