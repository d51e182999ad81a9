#!/usr/bin/env bash
# The real program on a private session bus: the desktop's media controls (dbus-send, and
# playerctl as a real client) find it, play the selected title, pause, seek, set volume and
# speed, stop it, read its state and hear of changes, and can end it.
# Usage: mpris_test.sh PROGRAM MEDIA_DIR
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
source "$here/lib.sh"
program=$1 media=$2
path=$MPRIS_PATH

work=$(mktemp -d)
trap 'kill "${APP_PID:-}" "${MONITOR_PID:-}" "${SEEK_MONITOR_PID:-}" "${BUS_PID:-}" 2>/dev/null || true; stop_display; rm -rf "$work"' EXIT

mkdir "$work/program"
cp "$program" "$work/program/"
cp -r "$media" "$work/program/media"
make_long_recording "$work/program/media/tone.ogg" 120
printf 'Welcome (offline)==>media/tone.ogg\r\nWelcome again==>media/welcome.mp3\r\n' >"$work/program/kelsor.dll"
export XDG_STATE_HOME=$work/state

{ read -r address; read -r BUS_PID; } < <(dbus-daemon --session --fork --print-address=1 --print-pid=1)
export DBUS_SESSION_BUS_ADDRESS=$address
dbus-monitor "type='signal',interface='org.freedesktop.DBus.Properties',path='$path'" >"$work/signals" 2>&1 &
MONITOR_PID=$!
dbus-monitor "type='signal',interface='org.mpris.MediaPlayer2.Player',member='Seeked'" >"$work/seeked" 2>&1 &
SEEK_MONITOR_PID=$!

call() { dbus-send --session --print-reply --dest=$MPRIS_NAME $path "org.mpris.MediaPlayer2.$1" >/dev/null; }
passed=0
pass() { passed=$((passed + 1)); }

start_display
QT_QPA_PLATFORM=xcb "$work/program/$(basename "$program")" >"$work/program.log" 2>&1 &
APP_PID=$!
wait_for 10 is_viewable "Splash Vanu Pelro" || fail "no splash window"
wait_for 10 dbus-send --session --print-reply --dest=$MPRIS_NAME $path org.freedesktop.DBus.Peer.Ping ||
  fail "not on the bus"

mpris_get "" Identity | grep -q '"Vanu Pelro"' || fail "identity: $(mpris_get "" Identity)"
mpris_get "" DesktopEntry | grep -q '"net.vanupelro.VanuPelro"' || fail "desktop entry: $(mpris_get "" DesktopEntry)"
for property in CanPause CanSeek CanGoNext CanGoPrevious; do
  player_get $property | grep -q 'boolean false' || fail "$property: $(player_get $property)"
done
player_get CanControl | grep -q 'boolean true' || fail "CanControl"
player_get MinimumRate | grep -q 'double 0.75' || fail "MinimumRate: $(player_get MinimumRate)"
player_get MaximumRate | grep -q 'double 2$' || fail "MaximumRate: $(player_get MaximumRate)"
player_get Volume | grep -q 'double 0.5$' || fail "Volume at start: $(player_get Volume)"
status_is Stopped || fail "status at start: $(player_get PlaybackStatus)"
pass

# Nothing selected: the play key does nothing, and no box comes up.
call Player.Play
call Player.PlayPause
# Nothing to wait for: a second in which nothing starts is the check.
sleep 1
status_is Stopped || fail "played with nothing selected"
[ -z "$(xdotool search --onlyvisible --name '^Vanu Pelro$')" ] || fail "a message box came up"
pass

wait_for 15 is_viewable "Vanu Pelro Ismet Online" || fail "main window not shown"
top=$(slide_main_into_view)
# The list starts 24, 80 pixels into the window; its first row is selected by a click.
xdotool mousemove 60 $((top + 88)) click 1
wait_for 3 player_says CanPlay 'boolean true' || fail "selecting did not allow play"
status_is Stopped || fail "a single click played"

call Player.Play
wait_for 10 status_is Playing || fail "Play did not start playback: $(player_get PlaybackStatus)"
player_get Metadata | grep -q '"Welcome (offline)"' || fail "metadata: $(player_get Metadata)"
past_a_second() { [ "$(position_us)" -ge 1000000 ]; }
wait_for 10 past_a_second || fail "position while playing: $(player_get Position)"
pass

ctl() { playerctl --player=vanupelro "$@"; }
ctl status | grep -qx Playing || fail "playerctl sees: $(ctl status 2>&1)"
player_get Metadata | grep -q "file://$work/program/media/tone.ogg" || fail "url is not a full URI: $(player_get Metadata)"
player_get Metadata | grep -A1 'mpris:length' | grep -q 'int64 12[0-9]\{7\}' || fail "length: $(player_get Metadata)"
player_get CanPause | grep -q 'boolean true' || fail "CanPause while playing"
wait_for 5 player_says CanSeek 'boolean true' || fail "a local recording cannot seek"

# A real pause: the place stays while paused and playback goes on from it.
ctl pause
wait_for 5 status_is Paused || fail "pause: $(player_get PlaybackStatus)"
paused_at=$(position_us)
# A second of standing still while paused is the check.
sleep 1
[ $(($(position_us) - paused_at)) -lt 500000 ] || fail "position moved while paused: $paused_at -> $(position_us)"
ctl play-pause
wait_for 5 status_is Playing || fail "play-pause did not resume"
resumed_at=$(position_us)
[ $((resumed_at - paused_at)) -lt 500000 ] && [ "$resumed_at" -ge "$paused_at" ] ||
  fail "resumed at $resumed_at after pausing at $paused_at"
ctl play-pause
wait_for 5 status_is Paused || fail "play-pause did not pause"
ctl play
wait_for 5 status_is Playing || fail "play did not resume"
pass

# Seeking: to a place, and by an offset; the desktop hears of each jump.
near() { local p; p=$(position_us); [ "$p" -ge $(($1 - 1000000)) ] && [ "$p" -le $(($1 + 1500000)) ]; }
ctl position 60
wait_for 5 near 60000000 || fail "position 60 landed at $(position_us)"
ctl position 15-
wait_for 5 near 45000000 || fail "15 s back landed at $(position_us)"
track=$(player_get Metadata | grep -A1 'mpris:trackid' | sed -n 's/.*object path "\(.*\)"/\1/p')
dbus-send --session --print-reply --dest=$MPRIS_NAME $path org.mpris.MediaPlayer2.Player.SetPosition \
  objpath:"$track" int64:90000000 >/dev/null
wait_for 5 near 90000000 || fail "SetPosition landed at $(position_us)"
grep -q 'member=Seeked' "$work/seeked" || fail "no Seeked signal"
pass

# Volume and speed written by the desktop take effect.
ctl volume 0.9
wait_for 5 sh -c "playerctl --player=vanupelro volume | grep -q '^0.9'" || fail "volume: $(ctl volume)"
dbus-send --session --print-reply --dest=$MPRIS_NAME $path org.freedesktop.DBus.Properties.Set \
  string:org.mpris.MediaPlayer2.Player string:Rate variant:double:1.5 >/dev/null
wait_for 5 player_says Rate 'double 1.5' || fail "rate: $(player_get Rate)"
pass

ctl stop
wait_for 5 status_is Stopped || fail "Stop did not stop"
[ "$(position_us)" = 0 ] || fail "position after stop: $(player_get Position)"
player_get Metadata | grep -q 'NoTrack' || fail "metadata after stop: $(player_get Metadata)"
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
