#!/usr/bin/env bash
# The real program plays the bundled offline recording: a double-click on the first title
# opens it, Stop closes it, a second double-click plays it again, and the Close mark ends the
# program with status 0 (under the sanitized build that status also says "no leak").
# Whether the recording is open is read from outside, from the program's open files; whether it
# plays, from its media controls on a session bus of the test's own.
# Usage: play_test.sh PROGRAM
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
source "$here/lib.sh"
program=$1

trap 'kill "${APP_PID:-}" "${BUS_PID:-}" 2>/dev/null || true; stop_display' EXIT
start_display
start_session_bus
QT_QPA_PLATFORM=xcb "$program" >/dev/null 2>&1 &
APP_PID=$!
wait_for 20 is_viewable "Vanu Pelro Ismet Online" || fail "main window not shown"
top=$(slide_main_into_view)

recording_open() { ls -l "/proc/$APP_PID/fd" 2>/dev/null | grep -q 'media/welcome\.ogg'; }
# The list starts 80 pixels down; its first row is the bundled recording.
play_first_title() { xdotool mousemove 120 $((top + 88)) click --repeat 2 --delay 80 1; }
# Stop sits at 3240, 4200 twips, 1455 x 300: its middle is 264, 290 pixels into the window.
click_stop() { xdotool mousemove 264 $((top + 290)) click 1; }

play_first_title
wait_for 15 recording_open || fail "the double-click did not open the recording"
wait_for 10 status_is Playing || fail "the recording opened but never played: $(player_get PlaybackStatus)"
click_stop
wait_for 10 sh -c "! ls -l /proc/$APP_PID/fd | grep -q 'media/welcome\.ogg'" || fail "Stop left the recording open"
play_first_title
wait_for 15 recording_open || fail "a second double-click after Stop did not play"

xdotool mousemove 384 $((top + 16)) click 1
wait_for 15 sh -c "! kill -0 $APP_PID" || fail "the Close mark did not end the program"
wait "$APP_PID" || fail "the program ended with status $?"
echo "1 passed, 0 failed"
