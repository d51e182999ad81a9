#!/usr/bin/env bash
# The run command's second start: `bash scripts/run.sh` on a built tree with nothing changed,
# to the first complete splash frame, against the program started directly; one private Xvfb,
# runs alternating. What lies between the two is the command's own cost: the package check,
# the build tool finding nothing to do, and the exec.
# Usage: run_command.sh BUILD_DIR [RUNS]     (RUNS of each, default 7; the first is discarded)
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
root=$(cd "$here/../.." && pwd)
source "$root/scripts/display.sh"
build=$(cd "${1:?usage: run_command.sh BUILD_DIR [RUNS]}" && pwd)
runs=${2:-7}
probe=$build/bench/startup/bench_first_frame
[ -e "$probe" ] || { echo "missing $probe (build with VANUPELRO_BENCH=ON)" >&2; exit 1; }
work=$(mktemp -d)
trap 'stop_display; rm -rf "$work"' EXIT
start_display
mkdir -m 700 "$work/runtime"
export QT_QPA_PLATFORM=xcb XDG_RUNTIME_DIR=$work/runtime VANUPELRO_BUILD_DIR=$build
unset DBUS_SESSION_BUS_ADDRESS

median() { sort -n | awk '{v[NR] = $1} END {if (NR % 2) print v[(NR + 1) / 2]; else printf "%.1f\n", (v[NR / 2] + v[NR / 2 + 1]) / 2}'; }
frame_ms() { (cd "$build" && "$probe" --title "Splash Vanu Pelro" --timeout 60000 -- "$@") | sed -E 's/.*frame_ms=([0-9.-]+).*/\1/'; }

# Up to date first: only the second start is measured.
cmake --build "$build" --target vanupelro >/dev/null
direct=() command=()
for i in $(seq "$runs"); do
  d=$(frame_ms ./vanupelro)
  c=$(frame_ms bash "$root/scripts/run.sh")
  [ "$i" -gt 1 ] && direct+=("$d") command+=("$c")
done
d=$(printf '%s\n' "${direct[@]}" | median)
c=$(printf '%s\n' "${command[@]}" | median)
awk -v d="$d" -v c="$c" -v n=$((runs - 1)) 'BEGIN {
  printf "second run.sh to the first splash frame: %.0f ms; the program started directly: %.0f ms; ratio %.2f (medians of %d; target <= 2000 ms)\n", c, d, c / d, n }'
