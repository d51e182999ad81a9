#!/usr/bin/env bash
# The real program keeps the listener's place across a restart: play a long recording, move
# on a minute with the keys, close the program, start it again and double-click the title:
# it goes on near that minute. Then a state folder that cannot be written and a damaged
# state file: the program plays all the same and ends with status 0.
# Positions are read over the media-control bus, as a desktop would.
# Usage: resume_test.sh PROGRAM
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
source "$here/lib.sh"
program=$1

work=$(mktemp -d)
trap 'kill "${APP_PID:-}" "${BUS_PID:-}" 2>/dev/null || true; stop_display; [ -z "${KEEP:-}" ] && rm -rf "$work"' EXIT
mkdir -p "$work/program/media"
cp "$program" "$work/program/"
make_long_recording "$work/program/media/tone.ogg" 180
printf 'A long tone==>media/tone.ogg\r\n' >"$work/program/kelsor.dll"
state=$work/state/vanupelro/listening.json
start_display

start_session_bus
position_s() { position_us | awk '{print int($1 / 1000000)}'; }
at_least() { [ "$(position_s)" -ge "$1" ]; }

# start_program STATE_HOME: starts the program, slides it in and double-clicks the title.
start_and_play() {
  XDG_STATE_HOME=$1 QT_QPA_PLATFORM=xcb "$work/program/$(basename "$program")" >>"$work/program.log" 2>&1 &
  APP_PID=$!
  wait_for 20 is_viewable "Vanu Pelro Ismet Online" || fail "main window not shown"
  top=$(slide_main_into_view)
  xdotool mousemove 120 $((top + 88)) click --repeat 2 --delay 80 1
  wait_for 15 status_is Playing || fail "the double-click did not play: $(cat "$work/program.log")"
}
close_program() {
  xdotool mousemove 384 $((top + 16)) click 1
  wait_for 15 sh -c "! kill -0 $APP_PID" || fail "the Close mark did not end the program"
  wait "$APP_PID" || fail "the program ended with status $?"
}
passed=0

start_and_play "$work/state"
# The keys seek once the player knows the recording can.
wait_for 10 player_says CanSeek 'boolean true' || fail "cannot seek"
xdotool key Right Right
wait_for 5 at_least 59 || fail "two steps forward reached $(position_s) s"
close_program
grep -q 'tone.ogg' "$state" || fail "no place kept: $(cat "$state" 2>&1)"

start_and_play "$work/state"
at=$(position_s)
[ "$at" -ge 50 ] && [ "$at" -le 62 ] || fail "resumed at $at s, not a little before the minute"
close_program
passed=$((passed + 1))

# A state folder that cannot be made (its parent is a file): plays, keeps nothing, no crash.
touch "$work/not-a-folder"
start_and_play "$work/not-a-folder/state"
close_program
passed=$((passed + 1))

# A damaged state file is set aside; the program plays from the start.
printf '{"version": 1, "titles": [{"url": ' >"$state"
start_and_play "$work/state"
[ "$(position_s)" -lt 20 ] || fail "a damaged file gave a place: $(position_s) s"
close_program
[ -f "$state.damaged" ] || fail "the damaged file was not set aside: $(ls "$work/state/vanupelro")"
passed=$((passed + 1))
echo "$passed passed, 0 failed"
