#!/usr/bin/env bash
# Installs, builds and runs every test, the real-window ones under Xvfb included; with a lane
# (unit, integration, e2e, install), only that lane's tests.
# Usage: test.sh [LANE]
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/build.sh build
cd build
ctest --output-on-failure --timeout 300 -j2 ${1:+-L "^$1\$"}
