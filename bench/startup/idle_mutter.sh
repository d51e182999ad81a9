#!/usr/bin/env bash
# idle.sh under headless mutter, the program reaching it through XWayland: the docked
# window's CPU while the pointer rests on mutter's empty desktop.
# Usage: idle_mutter.sh BUILD_DIR [SETTLE_S] [SPAN_S]
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
if [ -z "${IDLE_MUTTER_BUS:-}" ]; then
  IDLE_MUTTER_BUS=1 exec dbus-run-session -- bash "$0" "$@"
fi
work=$(mktemp -d)
export XDG_RUNTIME_DIR=$work/runtime
mkdir -m 700 "$XDG_RUNTIME_DIR"
mutter --wayland --headless --virtual-monitor 1280x800 >"$work/mutter.log" 2>&1 &
mutter_pid=$!
trap 'kill "$mutter_pid" 2>/dev/null || true; wait "$mutter_pid" 2>/dev/null || true; rm -rf "$work"' EXIT
for _ in $(seq 200); do
  grep -q 'X11 display :' "$work/mutter.log" && break
  kill -0 "$mutter_pid" || { cat "$work/mutter.log" >&2; exit 1; }
  sleep 0.1
done
DISPLAY=$(sed -n 's/.*Using public X11 display \(:[0-9]*\).*/\1/p' "$work/mutter.log" | head -n 1)
XAUTHORITY=$(ls "$XDG_RUNTIME_DIR"/.mutter-Xwaylandauth.* | head -n 1)
export DISPLAY XAUTHORITY IDLE_ON_DISPLAY=1
bash "$here/idle.sh" "$@"
