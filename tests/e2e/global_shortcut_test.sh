#!/usr/bin/env bash
# The desktop-wide key through the shortcuts portal, against a fake portal of ours on a private
# session bus: the program binds "show-catalogue" once its main window is made, and the
# portal's Activated brings the panel in with the keyboard on it. On a bus without the portal
# the program says nothing about it.
# Usage: global_shortcut_test.sh PROGRAM
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
source "$here/lib.sh"
program=$1

work=$(mktemp -d)
trap 'kill "${APP_PID:-}" "${PORTAL_PID:-}" "${BUS_PID:-}" 2>/dev/null || true; stop_display; rm -rf "$work"' EXIT
mkdir -m 700 "$work/run"
export XDG_STATE_HOME=$work/state XDG_RUNTIME_DIR=$work/run QT_QPA_PLATFORM=xcb
passed=0
pass() { passed=$((passed + 1)); }
left_is() { xwininfo -id "$1" | grep -q "Absolute upper-left X:  $2\$"; }
focus_is() { [ "$(xdotool getwindowfocus 2>/dev/null)" = "$1" ]; }
start_bus() {
  { read -r address; read -r BUS_PID; } < <(dbus-daemon --session --fork --print-address=1 --print-pid=1)
  export DBUS_SESSION_BUS_ADDRESS=$address
}

start_display
start_bus
/usr/bin/python3 "$here/fake_shortcuts_portal.py" >"$work/portal.log" 2>&1 &
PORTAL_PID=$!
wait_for 5 grep -q ready "$work/portal.log" || fail "the fake portal did not start: $(cat "$work/portal.log")"

"$program" >"$work/program.log" 2>&1 &
APP_PID=$!
wait_for 20 is_viewable "Vanu Pelro Ismet Online" || fail "main window not shown"
main=$(window_id "Vanu Pelro Ismet Online")
wait_for 5 grep -q "BindShortcuts .* show-catalogue 'Show the catalogue'" "$work/portal.log" ||
  fail "no shortcut bound: $(cat "$work/portal.log")"
left_is "$main" -391 || fail "the panel came in unasked"
pass

dbus-send --session --print-reply --dest=org.freedesktop.portal.Desktop /org/freedesktop/portal/desktop \
  net.vanupelro.test.FakePortal.Press string:show-catalogue >/dev/null
wait_for 3 left_is "$main" 0 || fail "the shortcut did not slide the panel in"
wait_for 3 focus_is "$main" || fail "the shortcut did not give the panel the keyboard"
pass

kill "$APP_PID"
wait "$APP_PID" 2>/dev/null || true
kill "$PORTAL_PID" "$BUS_PID"
wait "$PORTAL_PID" 2>/dev/null || true

# A bus without the portal: quiet.
start_bus
"$program" >"$work/quiet.log" 2>&1 &
APP_PID=$!
wait_for 20 is_viewable "Vanu Pelro Ismet Online" || fail "main window not shown without the portal"
# The bus answers a missing portal at once; a second in which the program says nothing is the check.
sleep 1
kill -0 "$APP_PID" || fail "the program ended without the portal"
if grep -i -E "portal|shortcut" "$work/quiet.log"; then fail "the program spoke of the missing portal"; fi
pass
echo "$passed passed, 0 failed"
