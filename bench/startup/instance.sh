#!/usr/bin/env bash
# The one-running-copy check, measured on one private Xvfb, runs alternating:
#  1. its cost before the first splash frame: the program as started by a user (it claims the
#     session) against the same program with --new-instance (it claims nothing), with a private
#     session bus and with none;
#  2. a second start's hand-over: from its start until it has exited with the first copy
#     brought forward, against the minimal Qt window's first frame in the same run.
# Usage: instance.sh BUILD_DIR [RUNS] [cost|handover]
#   (RUNS of each, default 11; the first is discarded; both parts unless one is named)
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
source "$here/../../scripts/display.sh"

build=$(cd "${1:?usage: instance.sh BUILD_DIR [RUNS]}" && pwd)
runs=${2:-11}
part=${3:-both}
probe=$build/bench/startup/bench_first_frame
baseline=$build/bench/startup/bench_minimal_window
for file in "$probe" "$baseline" "$build/vanupelro"; do
  [ -e "$file" ] || { echo "missing $file (build with VANUPELRO_BENCH=ON)" >&2; exit 1; }
done
work=$(mktemp -d)
trap 'kill "${FIRST_PID:-}" "${BUS_PID:-}" 2>/dev/null || true; stop_display; rm -rf "$work"' EXIT
start_display
export QT_QPA_PLATFORM=xcb
mkdir -m 700 "$work/runtime"
export XDG_RUNTIME_DIR=$work/runtime
unset DBUS_SESSION_BUS_ADDRESS
{ read -r bus_address; read -r BUS_PID; } < <(dbus-daemon --session --fork --print-address=1 --print-pid=1)

median() { sort -n | awk '{v[NR] = $1} END {if (NR % 2) print v[(NR + 1) / 2]; else printf "%.1f\n", (v[NR / 2] + v[NR / 2 + 1]) / 2}'; }
# frame_ms TITLE COMMAND...: the probe's first complete frame, in ms.
frame_ms() {
  local title=$1
  shift
  (cd "$build" && "$probe" --title "$title" --timeout 30000 -- "$@") |
    sed -E 's/.*frame_ms=([0-9.-]+).*/\1/'
}

for bus in private none; do
  [ "$part" = handover ] && break
  if [ "$bus" = private ]; then export DBUS_SESSION_BUS_ADDRESS=$bus_address; else unset DBUS_SESSION_BUS_ADDRESS; fi
  claim=() skip=()
  for i in $(seq "$runs"); do
    c=$(frame_ms "Splash Vanu Pelro" ./vanupelro)
    s=$(frame_ms "Splash Vanu Pelro" ./vanupelro --new-instance)
    [ "$i" -gt 1 ] && claim+=("$c") skip+=("$s")
  done
  c=$(printf '%s\n' "${claim[@]}" | median)
  s=$(printf '%s\n' "${skip[@]}" | median)
  awk -v c="$c" -v s="$s" -v bus="$bus" -v n=$((runs - 1)) 'BEGIN {
    printf "first frame, bus %s: claiming %.1f ms, --new-instance %.1f ms, ratio %.2f (medians of %d)\n", bus, c, s, c / s, n }'
done

for bus in private none; do
  [ "$part" = cost ] && break
  if [ "$bus" = private ]; then export DBUS_SESSION_BUS_ADDRESS=$bus_address; else unset DBUS_SESSION_BUS_ADDRESS; fi
  (cd "$build" && exec ./vanupelro) >/dev/null 2>&1 &
  FIRST_PID=$!
  # A start before the first copy holds its lock would be the first itself.
  locked() {
    local lock
    lock=$(ls "$XDG_RUNTIME_DIR"/net.vanupelro.VanuPelro.*.lock 2>/dev/null | head -n 1)
    [ -n "$lock" ] && ! flock -n "$lock" true
  }
  for _ in $(seq 100); do locked && break; sleep 0.05; done
  # It is listening once a start hands over to it.
  for _ in $(seq 50); do
    (cd "$build" && timeout 5 ./vanupelro) >/dev/null 2>&1 && break
    sleep 0.1
  done
  handovers=() bases=()
  for i in $(seq "$runs"); do
    start=$EPOCHREALTIME
    (cd "$build" && timeout 5 ./vanupelro) >/dev/null 2>&1 || { echo "a second start failed" >&2; exit 1; }
    end=$EPOCHREALTIME
    b=$(frame_ms "Splash Vanu Pelro Baseline" "$baseline")
    [ "$i" -gt 1 ] && handovers+=("$(awk -v s="$start" -v e="$end" 'BEGIN {printf "%.1f", (e - s) * 1000}')") bases+=("$b")
  done
  kill "$FIRST_PID"
  wait "$FIRST_PID" 2>/dev/null || true
  FIRST_PID=
  h=$(printf '%s\n' "${handovers[@]}" | median)
  b=$(printf '%s\n' "${bases[@]}" | median)
  awk -v h="$h" -v b="$b" -v bus="$bus" -v n=$((runs - 1)) 'BEGIN {
    printf "hand-over, bus %s: second start to its exit %.1f ms, minimal window first frame %.1f ms, ratio %.2f (medians of %d; target <= 300 ms)\n", bus, h, b, h / b, n }'
done
