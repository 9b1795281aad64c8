#!/usr/bin/env bash
# Builds the program (release) and runs it on this terminal.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh cmake g++ make
cmake -S . -B build/release -DCMAKE_BUILD_TYPE=Release -DPRICER_BUILD_TESTS=OFF >/dev/null
cmake --build build/release --target price_option -j"$(nproc)" >/dev/null
exec build/release/app/price_option
