#!/usr/bin/env bash
# Builds the libFuzzer targets with clang into build-fuzz/ and runs each for SECONDS
# (default 60). Usage: fuzz.sh [SECONDS] [TARGET...]
# Findings are written to build-fuzz/findings/; a run with a finding fails.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD
seconds=${1:-60}
shift || true
bash scripts/setup.sh
build=build-fuzz
CC=clang-14 CXX=clang++-14 cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DVANUPELRO_FUZZ=ON -DVANUPELRO_TESTS=OFF -DVANUPELRO_BENCH=OFF
targets=("$@")
if [ ${#targets[@]} -eq 0 ]; then
  targets=()
  for seeds in fuzz/corpus/*/; do targets+=("fuzz_$(basename "$seeds")"); done
fi
cmake --build "$build" --target "${targets[@]}"

export LSAN_OPTIONS="suppressions=$root/tests/sanitizers/lsan.supp:print_suppressions=0"
export ASAN_OPTIONS="fast_unwind_on_malloc=0"
export UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1"
export QT_QPA_PLATFORM=offscreen
mkdir -p "$build/findings"
for target in "${targets[@]}"; do
  name=${target#fuzz_}
  # Work on a copy: the seeds in the repository change only by hand.
  work="$build/corpus/$name"
  mkdir -p "$work"
  cp -n fuzz/corpus/"$name"/* "$work"/ 2>/dev/null || true
  echo "== $target for ${seconds}s"
  log="$build/findings/$name.log"
  if ! "$build/fuzz/$target" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 \
      -max_len=80000 -print_final_stats=1 -artifact_prefix="$build/findings/$name-" "$work" >"$log" 2>&1; then
    tail -n 60 "$log"
    echo "FAIL: $target found a fault; the input is in $build/findings/"
    exit 1
  fi
  grep -E '^(Done|stat::(number_of_executed_units|average_exec_per_sec|peak_rss_mb))' "$log"
done
echo "fuzzing passed: ${targets[*]}"
