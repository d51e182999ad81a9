#!/usr/bin/env bash
# The real program on a private session bus: the desktop's media controls find it, play
# the selected title, stop it, read its state and hear of changes, and can end it.
# Usage: mpris_test.sh PROGRAM MEDIA_DIR
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
source "$here/lib.sh"
program=$1 media=$2
name=org.mpris.MediaPlayer2.vanupelro
path=/org/mpris/MediaPlayer2

work=$(mktemp -d)
trap 'kill "${APP_PID:-}" "${MONITOR_PID:-}" "${BUS_PID:-}" 2>/dev/null || true; stop_display; rm -rf "$work"' EXIT

mkdir "$work/program"
cp "$program" "$work/program/"
cp -r "$media" "$work/program/media"
printf 'Welcome (offline)==>media/welcome.ogg\r\nWelcome again==>media/welcome.mp3\r\n' >"$work/program/kelsor.dll"

{ read -r address; read -r BUS_PID; } < <(dbus-daemon --session --fork --print-address=1 --print-pid=1)
export DBUS_SESSION_BUS_ADDRESS=$address
dbus-monitor "type='signal',interface='org.freedesktop.DBus.Properties',path='$path'" >"$work/signals" 2>&1 &
MONITOR_PID=$!

call() { dbus-send --session --print-reply --dest=$name $path "org.mpris.MediaPlayer2.$1" >/dev/null; }
# get INTERFACE PROPERTY: the reply's value lines.
get() {
  dbus-send --session --print-reply --dest=$name $path org.freedesktop.DBus.Properties.Get \
    "string:org.mpris.MediaPlayer2$1" "string:$2" | tail -n +2
}
status_is() { get .Player PlaybackStatus | grep -q "\"$1\""; }
passed=0
pass() { passed=$((passed + 1)); }

start_display
QT_QPA_PLATFORM=xcb "$work/program/$(basename "$program")" >"$work/program.log" 2>&1 &
APP_PID=$!
wait_for 10 is_viewable "Splash Vanu Pelro" || fail "no splash window"
wait_for 10 dbus-send --session --print-reply --dest=$name $path org.freedesktop.DBus.Peer.Ping ||
  fail "not on the bus"

get "" Identity | grep -q '"Vanu Pelro"' || fail "identity: $(get "" Identity)"
get "" DesktopEntry | grep -q '"net.vanupelro.VanuPelro"' || fail "desktop entry: $(get "" DesktopEntry)"
for property in CanPause CanSeek CanGoNext CanGoPrevious; do
  get .Player $property | grep -q 'boolean false' || fail "$property: $(get .Player $property)"
done
get .Player CanControl | grep -q 'boolean true' || fail "CanControl"
status_is Stopped || fail "status at start: $(get .Player PlaybackStatus)"
pass

# Nothing selected: the play key does nothing, and no box comes up.
call Player.Play
call Player.PlayPause
sleep 1
status_is Stopped || fail "played with nothing selected"
[ -z "$(xdotool search --onlyvisible --name '^Vanu Pelro$')" ] || fail "a message box came up"
pass

wait_for 15 is_viewable "Vanu Pelro Ismet Online" || fail "main window not shown"
top=$(slide_main_into_view)
# The list starts 24, 80 pixels into the window; its first row is selected by a click.
xdotool mousemove 60 $((top + 88)) click 1
wait_for 3 sh -c "dbus-send --session --print-reply --dest=$name $path org.freedesktop.DBus.Properties.Get \
  string:org.mpris.MediaPlayer2.Player string:CanPlay | grep -q 'boolean true'" || fail "selecting did not allow play"
status_is Stopped || fail "a single click played"

call Player.Play
wait_for 10 status_is Playing || fail "Play did not start playback: $(get .Player PlaybackStatus)"
get .Player Metadata | grep -q '"Welcome (offline)"' || fail "metadata: $(get .Player Metadata)"
position_us() { get .Player Position | awk '/int64/{print $3}'; }
past_a_second() { [ "$(position_us)" -ge 1000000 ]; }
wait_for 10 past_a_second || fail "position while playing: $(get .Player Position)"
pass

call Player.Stop
wait_for 5 status_is Stopped || fail "Stop did not stop"
[ "$(position_us)" = 0 ] || fail "position after stop: $(get .Player Position)"
get .Player Metadata | grep -q 'NoTrack' || fail "metadata after stop: $(get .Player Metadata)"
pass

call Player.PlayPause
wait_for 10 status_is Playing || fail "PlayPause did not play"
call Player.PlayPause
wait_for 5 status_is Stopped || fail "PlayPause did not stop"
pass

grep -q '"Playing"' "$work/signals" && grep -q '"Stopped"' "$work/signals" ||
  fail "no PropertiesChanged for the status: $(cat "$work/signals")"
grep -q '"Welcome (offline)"' "$work/signals" || fail "no PropertiesChanged for the title"
pass

call Quit
wait_for 5 sh -c "! kill -0 $APP_PID" || fail "Quit did not end the program"
wait "$APP_PID" || fail "the program ended with status $?"
pass
echo "$passed passed, 0 failed"
