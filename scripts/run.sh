#!/usr/bin/env bash
# Installs what building and running need, builds the program alone and starts it with its
# bundled catalogue; arguments go to the program. The build folder is build/ (or
# $VANUPELRO_BUILD_DIR). It is configured only when it has never been: after that the build
# tool itself re-runs CMake when a CMakeLists.txt changes, so a start with nothing changed
# configures and compiles nothing.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh run
build=${VANUPELRO_BUILD_DIR:-build}
if [ ! -f "$build/build.ninja" ]; then
  launcher=()
  command -v ccache >/dev/null && launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
  # The tests and benchmarks are scripts/test.sh's; a tree it configured keeps them.
  cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DVANUPELRO_TESTS=OFF \
    -DVANUPELRO_BENCH=OFF "${launcher[@]}"
fi
cmake --build "$build" --target vanupelro
exec "$build/vanupelro" "$@"
