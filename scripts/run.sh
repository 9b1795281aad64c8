#!/usr/bin/env bash
# Builds the program (release) and runs it on this terminal.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh cmake g++ make
cmake --preset release >/dev/null
cmake --build --preset release -j"$(nproc)" >/dev/null
exec build/release/app/price_option
