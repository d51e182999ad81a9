#!/usr/bin/env bash
# One running copy per session: a second start, during the splash and with the main window up,
# hands over to the first and ends with status 0, leaving one panel; the hand-over gives the
# first copy's main window the focus. --new-instance opts out. BUS is "private" (a session bus
# of the test's own) or "none" (no bus at all: the socket in the runtime folder).
# Usage: single_instance_test.sh PROGRAM BUS
set -euo pipefail
here=$(dirname "$0")
source "$here/lib.sh"
program=$1 bus=$2

work=$(mktemp -d)
trap 'kill "${APP_PID:-}" "${EXTRA_PID:-}" "${BUS_PID:-}" 2>/dev/null || true; stop_display; rm -rf "$work"' EXIT
# A runtime folder of the test's own: no session bus in it unless this test starts one.
mkdir -m 700 "$work/runtime"
export XDG_RUNTIME_DIR=$work/runtime
unset DBUS_SESSION_BUS_ADDRESS
case $bus in
  private)
    { read -r address; read -r BUS_PID; } < <(dbus-daemon --session --fork --print-address=1 --print-pid=1)
    export DBUS_SESSION_BUS_ADDRESS=$address ;;
  none) ;;
  *) fail "BUS must be private or none" ;;
esac
export QT_QPA_PLATFORM=xcb
passed=0
pass() { passed=$((passed + 1)); }
count_windows() { xdotool search --name "^$1\$" 2>/dev/null | wc -l; }
# start_again LOG: a second start; fails unless it ends by itself with status 0.
start_again() {
  local status=0
  timeout 10 "$program" >"$1" 2>&1 || status=$?
  [ "$status" = 0 ] || fail "second start ended with status $status: $(cat "$1")"
}

start_display
"$program" >"$work/first.log" 2>&1 &
APP_PID=$!
wait_for 10 is_viewable "Splash Vanu Pelro" || fail "no splash window"
# The name or socket comes just after the splash's first frame, which may be after it maps.
holds_name() {
  dbus-send --session --print-reply --dest=org.freedesktop.DBus / org.freedesktop.DBus.ListNames |
    grep -q '"net.vanupelro.VanuPelro.Display_'
}
has_socket() { compgen -G "$XDG_RUNTIME_DIR/net.vanupelro.VanuPelro.Display_*.socket" >/dev/null; }
case $bus in
  private) wait_for 5 holds_name || fail "the first copy holds no name on the bus" ;;
  none) wait_for 5 has_socket || fail "no socket in the runtime folder" ;;
esac

# During the splash the hand-over succeeds and changes nothing.
start_again "$work/second.log"
kill -0 "$APP_PID" || fail "the first copy ended"
[ "$(count_windows "Splash Vanu Pelro")" = 1 ] || fail "a second splash came up"
pass

wait_for 15 is_viewable "Vanu Pelro Ismet Online" || fail "main window not shown"
main=$(window_id "Vanu Pelro Ismet Online")
[ "$(xdotool getwindowfocus 2>/dev/null || true)" != "$main" ] || fail "the main window had the focus already"
start_again "$work/third.log"
wait_for 5 sh -c "[ \"\$(xdotool getwindowfocus 2>/dev/null)\" = $main ]" ||
  fail "the hand-over did not give the main window the focus ($(xdotool getwindowfocus 2>/dev/null || true))"
[ "$(count_windows "Vanu Pelro Ismet Online")" = 1 ] || fail "a second panel came up"
[ "$(count_windows "Splash Vanu Pelro")" = 0 ] || fail "a splash came up"
pass

# Opting out: a copy of its own, splash and all.
"$program" --new-instance >"$work/extra.log" 2>&1 &
EXTRA_PID=$!
wait_for 10 is_viewable "Splash Vanu Pelro" || fail "--new-instance showed no splash"
kill -0 "$EXTRA_PID" || fail "--new-instance ended"
kill "$EXTRA_PID"
wait "$EXTRA_PID" 2>/dev/null || true
pass

# The first copy's end frees the session for the next start.
kill "$APP_PID"
wait "$APP_PID" 2>/dev/null || true
"$program" >"$work/next.log" 2>&1 &
APP_PID=$!
wait_for 10 is_viewable "Splash Vanu Pelro" || fail "no splash after the first copy ended: $(cat "$work/next.log")"
pass
echo "$passed passed, 0 failed"
