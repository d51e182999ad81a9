#!/usr/bin/env bash
# Installs, builds and starts the program with its bundled catalogue.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/build.sh build
exec build/vanupelro
