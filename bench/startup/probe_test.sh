#!/usr/bin/env bash
# The first-frame probe and the start-up scripts on a private Xvfb.
# Usage: probe_test.sh PROBE TEST_WINDOW BASELINE BUILD_DIR
set -uo pipefail
here=$(cd "$(dirname "$0")" && pwd)
source "$here/../../scripts/display.sh"
probe=$1 window=$2 baseline=$3 build=$4

passed=0 failed=0
check() { # check NAME CONDITION...
  local name=$1
  shift
  if "$@"; then passed=$((passed + 1)); else failed=$((failed + 1)); echo "FAIL: $name" >&2; fi
}
field() { sed -nE "s/.*$1=([0-9.-]+).*/\1/p" <<<"$2"; }
at_least() { awk -v a="$1" -v b="$2" 'BEGIN {exit !(a >= b)}'; }
# gone PIDFILE: the process has ended (a zombie counts) within a second: SIGKILL to
# a group member that is not our child lands asynchronously.
gone() {
  local pid
  pid=$(cat "$1")
  for _ in $(seq 20); do
    kill -0 "$pid" 2>/dev/null || return 0
    grep -q '^State:[[:space:]]*Z' "/proc/$pid/status" 2>/dev/null && return 0
    sleep 0.05
  done
  return 1
}

work=$(mktemp -d)
trap 'stop_display; rm -rf "$work"' EXIT
start_display || exit 1
export XDG_RUNTIME_DIR=$work

# Drawing, not mapping: the frame comes after the client's delayed drawing, whether
# the probe saw the window before its map (server-painted background to skip) or only
# after it (a new damage object's initial full report to skip).
for map_ms in 100 0; do
  out=$("$probe" --title "probe test" -- "$window" "probe test" "$map_ms" 300)
  check "measured (map after $map_ms ms)" [ $? -eq 0 ]
  map=$(field map_ms "$out") first=$(field first_damage_ms "$out") frame=$(field frame_ms "$out")
  check "map at $map ms, after the client's ${map_ms} ms" at_least "$map" "$map_ms"
  check "first drawing $first ms, 300 ms after map $map (map after $map_ms ms)" at_least "$first" "$(awk -v m="$map" 'BEGIN {print m + 290}')"
  # Its top half drawn twice adds up to the window's area; only the bottom completes it.
  check "frame $frame ms, 50 ms after first drawing $first" at_least "$frame" "$(awk -v f="$first" 'BEGIN {print f + 45}')"
done

# A window never found: the time-out ends the command and all its process group,
# even when they shrug off SIGTERM.
"$probe" --title "never" --timeout 500 -- sh -c "echo \$\$ > $work/leader; sleep 60 & echo \$! > $work/spawned; exec '$window' other 0 0" 2>/dev/null
check "unknown title times out" [ $? -eq 5 ]
check "command ended after time-out" gone "$work/leader"
check "its own child ended too" gone "$work/spawned"
start=$(date +%s%3N)
"$probe" --title "never" --timeout 300 -- sh -c "trap '' TERM; echo \$\$ > $work/stubborn; sleep 60" 2>/dev/null
status=$?
took=$(($(date +%s%3N) - start))
check "SIGTERM-proof command times out" [ "$status" -eq 5 ]
check "SIGTERM-proof command killed" gone "$work/stubborn"
check "killed within 2 s of SIGTERM (took $took ms)" [ "$took" -lt 4000 ]

"$probe" -- "$work/no such program" 2>/dev/null
check "missing command reported" [ $? -eq 4 ]
"$probe" --timeout 5000 -- true 2>/dev/null
check "command ending before any window reported" [ $? -eq 6 ]
"$probe" --title 2>/dev/null
check "usage error" [ $? -eq 2 ]

# The baseline paints, then ends by itself.
out=$("$probe" --title "Splash Vanu Pelro Baseline" -- "$baseline" 2>/dev/null)
check "baseline measured" [ -n "$(field frame_ms "$out")" ]
QT_QPA_PLATFORM=xcb timeout 10 "$baseline" 2>/dev/null
check "baseline ends by itself" [ $? -eq 0 ]

# The scripts end to end, briefly; they start displays of their own.
out=$(bash "$here/run.sh" "$build" 2 2>&1)
check "run.sh succeeds: $out" [ $? -eq 0 ]
check "run.sh reports the ratio: $out" grep -qE '^startup first-frame: program [0-9]+ ms, baseline [0-9]+ ms, ratio [0-9.]+ \(target <= 1.5\)$' <<<"$out"
out=$(bash "$here/idle.sh" "$build" 1 1 2>/dev/null)
check "idle.sh succeeds: $out" [ $? -eq 0 ]
check "idle.sh reports: $out" grep -qE '^idle: [0-9]+ ms CPU in 1 s, [0-9]+ wakeups$' <<<"$out"

echo "$passed passed, $failed failed"
[ "$failed" -eq 0 ]
