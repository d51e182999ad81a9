#!/usr/bin/env bash
# The real program used with the keyboard alone (xdotool keys, the pointer never moves):
# a key skips the splash, `vanupelro --show` brings the panel in with the keys on the list,
# Down selects, Return plays, Space pauses (read over the media controls), Tab reaches the
# Close mark, which shows a focus mark, and the About corner, Return opens About, Escape
# closes it, Ctrl+Q ends the program with status 0.
# Usage: keyboard_test.sh PROGRAM MEDIA_DIR [SCREENSHOT]
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
source "$here/lib.sh"
program=$1 media=$2 shot=${3:-}

work=$(mktemp -d)
trap 'kill "${APP_PID:-}" "${BUS_PID:-}" 2>/dev/null || true; stop_display; rm -rf "$work"' EXIT

mkdir "$work/program" "$work/run"
chmod 700 "$work/run"
cp "$program" "$work/program/"
cp -r "$media" "$work/program/media"
make_long_recording "$work/program/media/tone.ogg" 120
printf 'Welcome (offline)==>media/welcome.ogg\r\nA long tone==>media/tone.ogg\r\n' >"$work/program/kelsor.dll"
export XDG_STATE_HOME=$work/state XDG_RUNTIME_DIR=$work/run QT_QPA_PLATFORM=xcb
app="$work/program/$(basename "$program")"

start_session_bus
# The desktop hears Playing from the moment the stream is asked for; the sound runs once the
# position moves.
sounding() { [ "$(position_us)" -ge 500000 ]; }
focus_is() { [ "$(xdotool getwindowfocus 2>/dev/null)" = "$1" ]; }
left_is() { xwininfo -id "$1" | grep -q "Absolute upper-left X:  $2\$"; }
passed=0
pass() { passed=$((passed + 1)); }

start_display
pointer_before=$(xdotool getmouselocation)
"$app" >"$work/program.log" 2>&1 &
APP_PID=$!

wait_for 10 is_viewable "Splash Vanu Pelro" || fail "no splash window"
splash=$(window_id "Splash Vanu Pelro")
wait_for 5 focus_is "$splash" || fail "the splash never took the keyboard"
xdotool key space
# Its own time would take over six seconds.
wait_for 2 is_viewable "Vanu Pelro Ismet Online" || fail "a key did not skip the splash"
wait_for 2 sh -c "! xwininfo -id $splash | grep -q IsViewable" || fail "the splash stayed"
main=$(window_id "Vanu Pelro Ismet Online")
wait_for 2 left_is "$main" -391 || fail "the main window is not docked: $(xwininfo -id "$main" | grep upper-left)"
pass

# The desktop-wide key runs `vanupelro --show`: it hands over to this copy.
timeout 10 "$app" --show >"$work/show.log" 2>&1 || fail "--show ended with status $?: $(cat "$work/show.log")"
wait_for 3 left_is "$main" 0 || fail "--show did not slide the panel in"
wait_for 3 focus_is "$main" || fail "--show did not give the panel the keyboard"
# The pointer watch looks every 200 ms: a second of it leaving the panel alone is the check.
sleep 1
left_is "$main" 0 || fail "the pointer watch slid back a panel that holds the keyboard"
top=$(xwininfo -id "$main" | awk '/Absolute upper-left Y:/{print $4}')
pass

# The list's first row is current once it has the focus: Down selects the second.
xdotool key Down
xdotool key Return
wait_for 10 status_is Playing || fail "Down, Return did not play"
player_says Metadata '"A long tone"' || fail "played another title: $(player_get Metadata)"
wait_for 10 sounding || fail "the position never moved: $(player_get Position)"
xdotool key space
wait_for 5 status_is Paused || fail "Space did not pause: $(player_get PlaybackStatus)"
pass

# The Close mark's 33 pixels square at 368, 0 (the window shows 26 of its columns), before and
# with the focus: Tab goes list, Stop, Update, Close mark.
close_mark() { region_picture "$1" 368 "$top" 26 33; }
close_mark "$work/plain.png"
xdotool key Tab Tab Tab
focus_marked() { close_mark "$work/focused.png" && pictures_differ "$work/plain.png" "$work/focused.png" 39; }
wait_for 3 focus_marked ||
  fail "no focus mark on the Close mark ($(compare -metric AE "$work/plain.png" "$work/focused.png" null: 2>&1) pixels changed)"
if [ -n "$shot" ]; then import -window root "$shot"; fi
convert "$work/plain.png" -crop 20x27+3+3 +repage "$work/plain-inside.png"
convert "$work/focused.png" -crop 20x27+3+3 +repage "$work/focused-inside.png"
inner=$(compare -metric AE "$work/plain-inside.png" "$work/focused-inside.png" null: 2>&1 || true)
[ "${inner%% *}" = 0 ] || fail "the mark reaches into the Close mark ($inner pixels inside changed)"
pass

xdotool key Tab Return
wait_for 3 is_viewable "About Vanu Pelro" || fail "Return on the About corner did not open About"
about=$(window_id "About Vanu Pelro")
wait_for 3 focus_is "$about" || fail "About did not take the keyboard"
xdotool key Escape
wait_for 3 sh -c "! xwininfo -id $about 2>/dev/null | grep -q IsViewable" || fail "Escape did not close About"
wait_for 3 focus_is "$main" || fail "the keyboard did not come back to the panel"
pass

xdotool key ctrl+q
wait_for 10 sh -c "! kill -0 $APP_PID" || fail "Ctrl+Q did not end the program"
status=0
wait "$APP_PID" || status=$?
[ "$status" = 0 ] || fail "the program ended with status $status"
[ "$(xdotool getmouselocation)" = "$pointer_before" ] || fail "the pointer moved"
pass
echo "$passed passed, 0 failed"
