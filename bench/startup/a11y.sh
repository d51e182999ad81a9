#!/usr/bin/env bash
# Start-up time to the first painted splash frame with the accessibility bridge active, as a
# ratio to the same program with it inactive, runs alternating on one private Xvfb and one
# private session bus carrying the desktop's accessibility bus (at-spi2-core). Active is what
# a desktop with a screen reader on says (org.a11y.Status IsEnabled true); inactive is the
# same bus saying false, so both pay for the question.
# Usage: a11y.sh BUILD_DIR [RUNS]    (RUNS of each, default 15; the first is discarded)
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
source "$here/../../scripts/display.sh"

build=$(cd "${1:?usage: a11y.sh BUILD_DIR [RUNS]}" && pwd)
runs=${2:-15}
probe=$build/bench/startup/bench_first_frame
launcher=/usr/libexec/at-spi-bus-launcher
for file in "$probe" "$build/vanupelro" "$build/kelsor.dll" "$launcher"; do
  [ -e "$file" ] || { echo "missing $file (build with VANUPELRO_BENCH=ON; at-spi2-core)" >&2; exit 1; }
done
[ "$runs" -ge 2 ] || { echo "RUNS must be at least 2" >&2; exit 1; }

errors=$(mktemp)
trap 'kill "${LAUNCHER_PID:-}" "${BUS_PID:-}" 2>/dev/null || true; stop_display; rm -f "$errors"' EXIT
start_display
export QT_QPA_PLATFORM=xcb
export XDG_RUNTIME_DIR=${XDG_RUNTIME_DIR:-$(mktemp -d)}
unset QT_LINUX_ACCESSIBILITY_ALWAYS_ON QT_ACCESSIBILITY
{ read -r address; read -r BUS_PID; } < <(dbus-daemon --session --fork --print-address=1 --print-pid=1)
export DBUS_SESSION_BUS_ADDRESS=$address
"$launcher" --launch-immediately >/dev/null 2>&1 &
LAUNCHER_PID=$!
for _ in $(seq 100); do
  dbus-send --session --print-reply --dest=org.a11y.Bus /org/a11y/bus org.a11y.Bus.GetAddress >/dev/null 2>&1 && break
  sleep 0.05
done

bridge() {
  dbus-send --session --print-reply --dest=org.a11y.Bus /org/a11y/bus org.freedesktop.DBus.Properties.Set \
    string:org.a11y.Status string:IsEnabled "variant:boolean:$1" >/dev/null
}

# measure: sets FRAME in ms. --new-instance: each run is a first copy, whatever the last left.
measure() {
  local out
  if ! out=$(cd "$build" && "$probe" --title "Splash Vanu Pelro" --timeout 30000 -- ./vanupelro --new-instance 2>"$errors"); then
    echo "run failed ($(tail -n 1 "$errors"))" >&2
    return 1
  fi
  FRAME=$(sed -E 's/.*frame_ms=([0-9.-]+).*/\1/' <<<"$out")
}

median() { sort -n | awk '{v[NR] = $1} END {if (NR % 2) print v[(NR + 1) / 2]; else printf "%.1f\n", (v[NR / 2] + v[NR / 2 + 1]) / 2}'; }

inactive=() active=()
printf '%-4s %10s %10s\n' run inactive active
for i in $(seq "$runs"); do
  bridge false
  measure || exit 1
  off=$FRAME
  bridge true
  measure || exit 1
  on=$FRAME
  note=""
  [ "$i" -eq 1 ] && note="  (cold, discarded)"
  printf '%-4s %10s %10s%s\n' "$i" "$off" "$on" "$note"
  if [ "$i" -gt 1 ]; then
    inactive+=("$off") active+=("$on")
  fi
done
off=$(printf '%s\n' "${inactive[@]}" | median)
on=$(printf '%s\n' "${active[@]}" | median)
awk -v a="$on" -v b="$off" 'BEGIN {printf "startup first-frame with the accessibility bridge: active %.0f ms, inactive %.0f ms, ratio %.3f (target <= 1.05)\n", a, b, a / b}'
