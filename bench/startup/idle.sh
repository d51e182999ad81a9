#!/usr/bin/env bash
# CPU time and wake-ups of the program sitting idle on its main window, which waits docked
# at the screen edge with its pointer watch running (the pointer stays away from it).
# Usage: idle.sh BUILD_DIR [SETTLE_S] [SPAN_S]   (defaults 9 and 10; 30 for the docked figure)
# Exits non-zero only when something failed to run.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
source "$here/../../scripts/display.sh"

build=$(cd "${1:?usage: idle.sh BUILD_DIR [SETTLE_S] [SPAN_S]}" && pwd)
settle=${2:-9}
span=${3:-10}
[ -x "$build/vanupelro" ] || { echo "missing $build/vanupelro" >&2; exit 1; }

stop_program() {
  if [ -n "${PROGRAM_PID:-}" ]; then
    kill "$PROGRAM_PID" 2>/dev/null || true
    wait "$PROGRAM_PID" 2>/dev/null || true
  fi
}
trap 'stop_program; stop_display' EXIT
# IDLE_ON_DISPLAY=1: the display in DISPLAY is used (idle_mutter.sh gives a compositor's).
[ -n "${IDLE_ON_DISPLAY:-}" ] || start_display
export XDG_RUNTIME_DIR=${XDG_RUNTIME_DIR:-$(mktemp -d)}

(cd "$build" && exec env QT_QPA_PLATFORM=xcb ./vanupelro >/dev/null 2>&1) &
PROGRAM_PID=$!
sleep "$settle"
kill -0 "$PROGRAM_PID" 2>/dev/null || { echo "the program ended during start-up" >&2; exit 1; }
main=$(xdotool search --name '^Vanu Pelro Ismet Online$' | head -n 1 || true)
splash=$(xdotool search --name '^Splash Vanu Pelro$' | head -n 1 || true)
[ -n "$main" ] || echo "warning: no main window after ${settle} s" >&2
[ -z "$splash" ] || echo "warning: the splash is still there after ${settle} s" >&2
if [ -n "$main" ]; then
  echo "main window at $(xwininfo -id "$main" | awk '/Absolute upper-left X:/{x=$4} /Absolute upper-left Y:/{y=$4} END{print x "," y}')"
fi

ticks=$(getconf CLK_TCK)
# utime + stime of the whole process (all threads), in clock ticks.
cpu_ticks() { awk '{sub(/^.*\) /, ""); print $12 + $13}' "/proc/$PROGRAM_PID/stat"; }
# Run time in ns and voluntary switches, summed over the threads alive now.
thread_sums() {
  local ns=0 switches=0 task
  for task in /proc/"$PROGRAM_PID"/task/*; do
    ns=$((ns + $(cut -d' ' -f1 "$task/schedstat" 2>/dev/null || echo 0)))
    switches=$((switches + $(awk '/^voluntary_ctxt_switches/ {print $2}' "$task/status" 2>/dev/null || echo 0)))
  done
  echo "$ns $switches"
}
main_switches() { awk '/^voluntary_ctxt_switches/ {print $2}' "/proc/$PROGRAM_PID/status"; }
threads() { ls "/proc/$PROGRAM_PID/task" | wc -l; }

cpu0=$(cpu_ticks) main0=$(main_switches) threads0=$(threads)
read -r ns0 sw0 < <(thread_sums)
sleep "$span"
kill -0 "$PROGRAM_PID" 2>/dev/null || { echo "the program ended while idle" >&2; exit 1; }
cpu1=$(cpu_ticks) main1=$(main_switches) threads1=$(threads)
read -r ns1 sw1 < <(thread_sums)

cpu_ms=$(((cpu1 - cpu0) * 1000 / ticks))
echo "threads: $threads0 at start of span, $threads1 at end"
echo "all threads: run time $(((ns1 - ns0) / 1000)) us (schedstat), $((sw1 - sw0)) voluntary switches"
echo "idle: $cpu_ms ms CPU in $span s, $((main1 - main0)) wakeups"
# Run time over wall time: the share of one core the idle program takes.
awk -v ns=$((ns1 - ns0)) -v s="$span" 'BEGIN{printf "share of one core: %.3f %%\n", ns / (s * 1e9) * 100}'
