#!/usr/bin/env bash
# Regenerates docs/convergence.svg: the simulated price of the typical call against the number of paths.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh cmake g++ make libgtest-dev gnuplot-nox
cmake -S . -B build/release -DCMAKE_BUILD_TYPE=Release -DPRICER_BUILD_TESTS=ON >/dev/null
cmake --build build/release --target convergence -j"$(nproc)" >/dev/null
build/release/tools/convergence > build/convergence.dat
gnuplot -e "data='build/convergence.dat'" docs/convergence.gp
echo "wrote docs/convergence.svg"
