#!/usr/bin/env bash
# Start-up time to the first painted splash frame, as a ratio to a minimal Qt window
# showing one picture, both measured here on one private Xvfb, runs alternating.
# Usage: run.sh BUILD_DIR [RUNS] [OTHER]    (RUNS of each, default 15; the first is discarded)
# OTHER: another build of the program (an older commit, say), measured alternating with the
# two from the same program folder, so that a change is seen against the same noise.
# Exits non-zero only when something failed to run; the target is reported, not held.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
source "$here/../../scripts/display.sh"

build=$(cd "${1:?usage: run.sh BUILD_DIR [RUNS]}" && pwd)
runs=${2:-15}
other=${3:+$(readlink -f "$3")}
probe=$build/bench/startup/bench_first_frame
baseline=$build/bench/startup/bench_minimal_window
for file in "$probe" "$baseline" "$build/vanupelro" "$build/kelsor.dll"; do
  [ -e "$file" ] || { echo "missing $file (build with VANUPELRO_BENCH=ON; the probe needs libxcb-damage0-dev)" >&2; exit 1; }
done
[ "$runs" -ge 2 ] || { echo "RUNS must be at least 2" >&2; exit 1; }

errors=$(mktemp)
trap 'stop_display; rm -f "$errors"' EXIT
start_display
export QT_QPA_PLATFORM=xcb
# Qt's note about the missing runtime folder would otherwise fill the output.
export XDG_RUNTIME_DIR=${XDG_RUNTIME_DIR:-$(mktemp -d)}

# measure TITLE COMMAND...: sets MAP and FRAME, in ms.
measure() {
  local title=$1 out
  shift
  # From the build folder, where the program finds its catalogue.
  if ! out=$(cd "$build" && "$probe" --title "$title" --timeout 30000 -- "$@" 2>"$errors"); then
    echo "run failed: $* ($(tail -n 1 "$errors"))" >&2
    return 1
  fi
  read -r MAP _ FRAME < <(sed -E 's/map_ms=([0-9.-]+) first_damage_ms=([0-9.-]+) frame_ms=([0-9.-]+)/\1 \2 \3/' <<<"$out")
}

median() { sort -n | awk '{v[NR] = $1} END {if (NR % 2) print v[(NR + 1) / 2]; else printf "%.1f\n", (v[NR / 2] + v[NR / 2 + 1]) / 2}'; }

base_frames=() prog_frames=() base_maps=() prog_maps=() other_frames=()
printf '%-4s %-9s %8s %8s\n' run what map_ms frame_ms
for i in $(seq "$runs"); do
  measure "Splash Vanu Pelro Baseline" "$baseline" || exit 1
  bmap=$MAP bframe=$FRAME
  measure "Splash Vanu Pelro" ./vanupelro || exit 1
  pmap=$MAP pframe=$FRAME
  note=""
  [ "$i" -eq 1 ] && note="  (cold, discarded)"
  printf '%-4s %-9s %8s %8s%s\n' "$i" baseline "$bmap" "$bframe" "$note" "$i" program "$pmap" "$pframe" "$note"
  if [ "$i" -gt 1 ]; then
    base_frames+=("$bframe") base_maps+=("$bmap") prog_frames+=("$pframe") prog_maps+=("$pmap")
  fi
  if [ -n "$other" ]; then
    measure "Splash Vanu Pelro" "$other" || exit 1
    printf '%-4s %-9s %8s %8s%s\n' "$i" other "$MAP" "$FRAME" "$note"
    [ "$i" -gt 1 ] && other_frames+=("$FRAME")
  fi
done

base=$(printf '%s\n' "${base_frames[@]}" | median)
prog=$(printf '%s\n' "${prog_frames[@]}" | median)
base_map=$(printf '%s\n' "${base_maps[@]}" | median)
prog_map=$(printf '%s\n' "${prog_maps[@]}" | median)
echo "medians of $((runs - 1)) runs: map program $prog_map ms, baseline $base_map ms"
awk -v p="$prog" -v b="$base" 'BEGIN {printf "startup first-frame: program %.0f ms, baseline %.0f ms, ratio %.2f (target <= 1.5)\n", p, b, p / b}'
if [ -n "$other" ]; then
  o=$(printf '%s\n' "${other_frames[@]}" | median)
  awk -v o="$o" -v p="$prog" -v b="$base" 'BEGIN {printf "other build: %.0f ms, ratio %.2f to the baseline; program/other %.2f\n", o, o / b, p / o}'
fi
