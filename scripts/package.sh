#!/usr/bin/env bash
# Builds the Debian package vanupelro_<version>_amd64.deb in build/ (or $1) and prints its path.
# Install it with: sudo apt-get install ./build/vanupelro_<version>_amd64.deb
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh run
build=${1:-build}
if [ ! -f "$build/build.ninja" ]; then
  cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DVANUPELRO_TESTS=OFF -DVANUPELRO_BENCH=OFF
fi
cmake --build "$build" --target vanupelro
cd "$build"
cpack -G DEB >cpack.log 2>&1 || { cat cpack.log >&2; exit 1; }
ls "$PWD"/vanupelro_*_amd64.deb
