#!/usr/bin/env bash
# Builds the kernels' timing program for Windows x86-64 with mingw-w64 and runs it under wine:
# nanoseconds per path of each kernel and of the floor of the same process's own calls.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh cmake make g++-mingw-w64-x86-64-posix wine googletest
export WINEPREFIX="$PWD/build/wine" WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
trap 'wineserver -k 2>/dev/null || true' EXIT
echo "Building kernel_times for Windows in build/windows-x64-mingw..." >&2
cmake --preset windows-x64-mingw -DPRICER_BUILD_BENCH=ON >/dev/null
cmake --build --preset windows-x64-mingw --target kernel_times -j"$(nproc)" >/dev/null
echo "Timing under wine for four minutes or so..." >&2
wine build/windows-x64-mingw/bench/kernel_times.exe | tr -d '\r'
