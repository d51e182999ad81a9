#!/usr/bin/env bash
# The Close mark's tooltip shows on hover while the panel, slid in by the pointer, has never
# been clicked and so is not the active window.
# Usage: inactive_tooltip_test.sh PROGRAM
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
source "$here/lib.sh"
program=$1

work=$(mktemp -d)
trap 'kill "${APP_PID:-}" 2>/dev/null || true; stop_display; rm -rf "$work"' EXIT
mkdir -m 700 "$work/run"
export XDG_STATE_HOME=$work/state XDG_RUNTIME_DIR=$work/run QT_QPA_PLATFORM=xcb DBUS_SESSION_BUS_ADDRESS=

start_display
"$program" >"$work/program.log" 2>&1 &
APP_PID=$!
wait_for 20 is_viewable "Vanu Pelro Ismet Online" || fail "main window not shown"
main=$(window_id "Vanu Pelro Ismet Online")
top=$(slide_main_into_view)
[ "$(xdotool getwindowfocus 2>/dev/null || true)" != "$main" ] || fail "the panel has the keyboard already"

# Right of and below the Close mark (368, 0 in the window), where a tooltip opens.
beside() { import -window root -crop 120x50+375+$((top + 10)) +repage "$1"; }
beside "$work/before.png"
# Two moves, each seen by the server before the next.
xdotool mousemove --sync 380 $((top + 12))
xdotool mousemove --sync 382 $((top + 14))
tip_shows() {
  beside "$work/after.png"
  changed=$(compare -metric AE "$work/before.png" "$work/after.png" null: 2>&1 || true)
  [ "${changed%% *}" -ge 200 ]
}
wait_for 5 tip_shows || fail "no tooltip on the Close mark of an inactive panel"
[ "$(xdotool getwindowfocus 2>/dev/null || true)" != "$main" ] || fail "hovering activated the panel"
echo "1 passed, 0 failed"
