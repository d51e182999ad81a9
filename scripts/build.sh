#!/usr/bin/env bash
# Installs everything and builds every target (program, tests, benchmarks) into build/ (or $1).
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh
build=${1:-build}
launcher=()
command -v ccache >/dev/null && launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
# Tests and benchmarks on: a tree first configured by scripts/run.sh has them off.
cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DVANUPELRO_TESTS=ON -DVANUPELRO_BENCH=ON \
  "${launcher[@]}"
cmake --build "$build"
