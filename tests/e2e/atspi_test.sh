#!/usr/bin/env bash
# The real program as a screen reader sees it: the accessibility bus of the desktop
# (at-spi2-core) on a private session bus, the program's own bridge switched on the way a
# desktop does it (org.a11y.Status IsEnabled), and a real AT-SPI client (pyatspi) that walks
# the main window, plays a title, hears the strip say so, presses Stop and follows type-ahead.
# Every check runs; the failed ones are listed at the end.
# Usage: atspi_test.sh PROGRAM MEDIA_DIR
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
source "$here/lib.sh"
program=$1 media=$2
walker=("/usr/bin/python3" "$here/atspi_walk.py")

launcher=/usr/libexec/at-spi-bus-launcher
[ -x "$launcher" ] || fail "at-spi2-core is not installed (scripts/setup.sh)"
/usr/bin/python3 -c 'import pyatspi' 2>/dev/null || fail "python3-pyatspi is not installed (scripts/setup.sh)"

work=$(mktemp -d)
trap 'kill "${APP_PID:-}" "${LISTEN_PID:-}" "${HTTP_PID:-}" "${PROXY_PID:-}" "${LAUNCHER_PID:-}" "${BUS_PID:-}" 2>/dev/null || true
      stop_display; rm -rf "$work"' EXIT

mkdir "$work/program" "$work/served"
cp "$program" "$work/program/"
cp -r "$media" "$work/program/media"
make_long_recording "$work/served/tone.ogg" 120
# Over local HTTP the player connects and buffers before it plays, as with the service.
/usr/bin/python3 -c '
import functools, http.server, sys
handler = functools.partial(http.server.SimpleHTTPRequestHandler, directory=sys.argv[1])
server = http.server.ThreadingHTTPServer(("127.0.0.1", 0), handler)
print(server.server_address[1], flush=True)
server.serve_forever()' "$work/served" >"$work/http.port" 2>"$work/http.log" &
HTTP_PID=$!
wait_for 5 test -s "$work/http.port" || fail "the local web server did not start"
printf 'Tone over the web==>http://127.0.0.1:%s/tone.ogg\r\nWelcome (offline)==>media/welcome.ogg\r\nThe Raven, a reading==>media/welcome.mp3\r\n' \
  "$(cat "$work/http.port")" >"$work/program/kelsor.dll"
export XDG_STATE_HOME=$work/state XDG_RUNTIME_DIR=$work/runtime
mkdir -m 700 "$work/runtime"

start_display
{ read -r address; read -r BUS_PID; } < <(dbus-daemon --session --fork --print-address=1 --print-pid=1)
export DBUS_SESSION_BUS_ADDRESS=$address
"$launcher" --launch-immediately >"$work/launcher.log" 2>&1 &
LAUNCHER_PID=$!
wait_for 10 dbus-send --session --print-reply --dest=org.a11y.Bus /org/a11y/bus org.a11y.Bus.GetAddress ||
  fail "the accessibility bus did not start: $(cat "$work/launcher.log")"
# What a desktop does when a screen reader is turned on; the program reads it at start.
dbus-send --session --print-reply --dest=org.a11y.Bus /org/a11y/bus org.freedesktop.DBus.Properties.Set \
  string:org.a11y.Status string:IsEnabled variant:boolean:true >/dev/null

failed=()
passed=0
check() { # check WHAT COMMAND...
  local what=$1
  shift
  if "$@"; then
    passed=$((passed + 1))
    echo "ok: $what"
  else
    failed+=("$what")
    echo "FAILED: $what"
  fi
}
strip_says() { "${walker[@]}" name "$APP_PID" "status bar" 2>/dev/null | grep -q "^$1"; }
heard() { grep -q -- "$1" "$work/events"; }

env -u QT_LINUX_ACCESSIBILITY_ALWAYS_ON -u QT_ACCESSIBILITY QT_QPA_PLATFORM=xcb \
  "$work/program/$(basename "$program")" --new-instance >"$work/program.log" 2>&1 &
APP_PID=$!
window_is() { "${walker[@]}" windows "$APP_PID" 2>/dev/null | grep -qx "$1"; }
wait_for 10 is_viewable "Splash Vanu Pelro" || fail "no splash window"
check "the splash is a frame named by its caption" wait_for 5 window_is "frame 'Splash Vanu Pelro'"
wait_for 15 is_viewable "Vanu Pelro Ismet Online" || fail "main window not shown"
wait_for 10 dbus-send --session --print-reply --dest=$MPRIS_NAME $MPRIS_PATH org.freedesktop.DBus.Peer.Ping ||
  fail "the program is not on the session bus"

echo "--- the main window as a screen reader walks it"
walk_status=0
"${walker[@]}" walk "$APP_PID" >"$work/walk" 2>&1 || walk_status=$?
cat "$work/walk"
check "every control of the walk as expected (see the walk's own checks above)" [ "$walk_status" = 0 ]
check "the bridge came up without QT_LINUX_ACCESSIBILITY_ALWAYS_ON" grep -q "^frame\|^window" "$work/walk"
echo "---"

"${walker[@]}" listen "$APP_PID" 60 >"$work/events" 2>&1 &
LISTEN_PID=$!
wait_for 10 grep -q listening "$work/events" || fail "the event listener did not start: $(cat "$work/events")"

# Selected through the list's own accessibility, played through the media controls.
check "the list takes a selection from AT-SPI" "${walker[@]}" select "$APP_PID" 0
dbus-send --session --print-reply --dest=$MPRIS_NAME $MPRIS_PATH org.mpris.MediaPlayer2.Player.Play >/dev/null
check "the title plays" wait_for 15 status_is Playing
check "the strip's name says it plays" wait_for 5 strip_says "Playing .* Tone over the web"
check "a name-changed event said 'Playing'" wait_for 5 heard "accessible-name | status bar | Playing"
check "before that it said it was connecting or buffering" heard "accessible-name | status bar | \(Buffering\|Connecting\)"
ticks_before=$(grep -c "accessible-name | status bar" "$work/events" || true)
# Two and a half seconds of a ticking clock and no announcement: the pause is the check.
sleep 2.5
check "the ticking time announces nothing" [ "$(grep -c "accessible-name | status bar" "$work/events" || true)" = "$ticks_before" ]

if "${walker[@]}" press "$APP_PID" Stop; then
  check "Stop's action stopped playback" wait_for 5 status_is Stopped
  check "the strip says Stopped" wait_for 5 strip_says Stopped
else
  check "Stop pressed through its AT-SPI action" false
fi

# Type-ahead: the list has the keyboard after a click on it; a word inside a title finds it.
top=$(slide_main_into_view)
xdotool mousemove 60 $((top + 88)) click 1
list_has_keyboard() { [ "$(xdotool getwindowfocus 2>/dev/null)" = "$(window_id "Vanu Pelro Ismet Online")" ]; }
wait_for 5 list_has_keyboard || fail "a click on the list did not give the panel the keyboard"
xdotool type --delay 60 rav
check "type-ahead by a word inside the title is announced" wait_for 5 heard "The Raven, a reading"
check "the walk's time is printed" grep -q "^figure: one walk" "$work/walk"

# The About corner, 110, 382 pixels into the slid-in window.
top=$(slide_main_into_view)
xdotool mousemove 110 $((top + 382)) click 1
check "About is a frame named by its caption" wait_for 5 window_is "frame 'About Vanu Pelro'"
# It fades out by itself; the program lives on while it is loaded.
about_gone() { ! window_exists "About Vanu Pelro"; }
wait_for 30 about_gone || fail "About did not go by itself"

kill "$LISTEN_PID" 2>/dev/null || true
echo "--- events heard"
cat "$work/events"
echo "---"

dbus-send --session --print-reply --dest=$MPRIS_NAME $MPRIS_PATH org.mpris.MediaPlayer2.Quit >/dev/null
wait_for 5 sh -c "! kill -0 $APP_PID" || fail "Quit did not end the program"
app_status=0
wait "$APP_PID" || app_status=$?
check "the program ended with status 0" [ "$app_status" = 0 ]

# A message box, as a second run's Update brings one: an alert to a screen reader. The proxy
# answers the catalogue address only, so this run plays nothing over HTTP.
printf 'Welcome (offline)==>media/welcome.ogg\r\n' >"$work/new.dll"
start_update_proxy "$work" "$work/new.dll"
env -u no_proxy -u NO_PROXY -u QT_LINUX_ACCESSIBILITY_ALWAYS_ON -u QT_ACCESSIBILITY \
  http_proxy="http://127.0.0.1:$PROXY_PORT" QT_QPA_PLATFORM=xcb \
  "$work/program/$(basename "$program")" --new-instance >"$work/program2.log" 2>&1 &
APP_PID=$!
wait_for 15 is_viewable "Vanu Pelro Ismet Online" || fail "main window not shown in the second run"
top=$(slide_main_into_view)
update_twice "$top"
wait_for 10 window_exists "Success" || fail "no Success box; proxy said: $(cat "$work/proxy.log")"
check "a message box is an alert named by its caption" wait_for 5 window_is "alert 'Success'"
"${walker[@]}" windows "$APP_PID" | sed 's/^/  window: /'
check "the box's OK pressed through its AT-SPI action" "${walker[@]}" press "$APP_PID" OK Success
check "the box closed" wait_for 5 sh -c "! xdotool search --name '^Success\$'"
box=$(xdotool search --onlyvisible --name '^Success$' | head -n 1 || true)
[ -z "$box" ] || xdotool windowfocus --sync "$box" key Return # still up: closed for the next step
dbus-send --session --print-reply --dest=$MPRIS_NAME $MPRIS_PATH org.mpris.MediaPlayer2.Quit >/dev/null
wait_for 5 sh -c "! kill -0 $APP_PID" || fail "Quit did not end the second run"
app_status=0
wait "$APP_PID" || app_status=$?
check "the second run ended with status 0" [ "$app_status" = 0 ]

echo "$passed passed, ${#failed[@]} failed"
for what in "${failed[@]}"; do echo "  failed: $what"; done
[ ${#failed[@]} = 0 ]
