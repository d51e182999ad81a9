#!/usr/bin/env bash
# Installs, builds and runs every test, the real-window ones under Xvfb included.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/build.sh build
cd build
ctest --output-on-failure --timeout 300 -j2
