#!/usr/bin/env bash
# Runs a preset's tests and prints the short report of scripts/test-report.awk: a line per test,
# what each failed test wrote, and ctest's summary. Exits with ctest's status.
# Usage: scripts/ctest-report.sh PRESET
set -euo pipefail
cd "$(dirname "$0")/.."
status=0
ctest --preset "$1" -j"$(nproc)" >"build/$1/ctest.log" 2>&1 || status=$?
awk -f scripts/test-report.awk "build/$1/ctest.log"
exit "$status"
