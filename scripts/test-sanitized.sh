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
# The leak checker's own thread walk crashes on a bogus dynamic TLS block that this glibc hands
# out to a library loaded at run time ("Tracer caught signal 11" after a passing test); not
# following dynamic TLS avoids that.
export ASAN_OPTIONS="detect_leaks=1:fast_unwind_on_malloc=0:intercept_tls_get_addr=0"
export UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1"
cd "$build"
ctest --output-on-failure --timeout 600 -j2
