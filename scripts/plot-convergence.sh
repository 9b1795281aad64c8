#!/usr/bin/env bash
# Regenerates docs/convergence.svg: the simulated price of the typical call against the number of paths.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh cmake g++ make libgtest-dev libbenchmark-dev gnuplot-nox
cmake --preset test >/dev/null
cmake --build --preset test --target convergence -j"$(nproc)" >/dev/null
build/test/tools/convergence > build/convergence.dat
gnuplot -e "data='build/convergence.dat'" docs/convergence.gp
echo "wrote docs/convergence.svg"
