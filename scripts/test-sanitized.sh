#!/usr/bin/env bash
# Builds the program and its tests with AddressSanitizer and UndefinedBehaviorSanitizer
# into build-sanitize/ (or $1) and runs every test there.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD
bash scripts/setup.sh
build=${1:-build-sanitize}
cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DVANUPELRO_SANITIZE=ON -DVANUPELRO_BENCH=OFF
cmake --build "$build"
# Leaks inside the desktop libraries (fonts, GL, GStreamer's registry) are theirs, not ours.
export LSAN_OPTIONS="suppressions=$root/tests/sanitizers/lsan.supp:print_suppressions=0"
# Slow unwinding: the desktop libraries have no frame pointers, and suppressions match on frames.
export ASAN_OPTIONS="detect_leaks=1:fast_unwind_on_malloc=0"
export UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1"
cd "$build"
ctest --output-on-failure --timeout 600 -j2
