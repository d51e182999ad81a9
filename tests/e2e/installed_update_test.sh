#!/usr/bin/env bash
# A system-wide install, used by someone who may not write the program folder: the update
# lands in the user's own data folder, the list shows the new titles at once and at the next
# start, and the program folder stays as installed. Titles are read back over the media-control
# bus: the new first title plays the bundled recording under its new name.
# Needs root to install as one user and run as another; skipped otherwise.
# Usage: installed_update_test.sh CMAKE BUILD_DIR
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
source "$here/lib.sh"
cmake=$1 build=$2
[ "$(id -u)" -eq 0 ] && command -v setpriv >/dev/null || { echo "skipped: needs root and setpriv"; exit 77; }

work=$(mktemp -d)
trap 'kill "${APP_PID:-}" "${PROXY_PID:-}" "${BUS_PID:-}" 2>/dev/null || true; stop_display; rm -rf "$work"' EXIT
chmod 755 "$work"
"$cmake" --install "$build" --prefix "$work/usr" >/dev/null
program_dir=$work/usr/lib/vanupelro
cp "$program_dir/kelsor.dll" "$work/bundled.dll"
printf 'New title==>media/welcome.ogg\r\n' >"$work/new.dll"
mkdir "$work/home" && chown nobody: "$work/home"
as_user() { setpriv --reuid=nobody --regid=nogroup --clear-groups env HOME="$work/home" XDG_RUNTIME_DIR="$work/home" "$@"; }

start_update_proxy "$work" "$work/new.dll"
{ read -r address; read -r BUS_PID; } < <(as_user dbus-daemon --session --fork --print-address=1 --print-pid=1)
export DBUS_SESSION_BUS_ADDRESS=$address
title_playing() {
  as_user dbus-send --session --print-reply --dest=org.mpris.MediaPlayer2.vanupelro /org/mpris/MediaPlayer2 \
    org.freedesktop.DBus.Properties.Get string:org.mpris.MediaPlayer2.Player string:Metadata 2>/dev/null |
    grep -q "\"$1\""
}

start_display
start_program() {
  as_user env -u no_proxy -u NO_PROXY DBUS_SESSION_BUS_ADDRESS="$address" \
    http_proxy="http://127.0.0.1:$PROXY_PORT" QT_QPA_PLATFORM=xcb \
    "$work/usr/bin/vanupelro" >>"$work/program.log" 2>&1 &
  APP_PID=$!
  wait_for 15 is_viewable "Vanu Pelro Ismet Online" || fail "main window not shown: $(cat "$work/program.log")"
  top=$(slide_main_into_view)
}
play_first_title() { xdotool mousemove 120 $((top + 88)) click --repeat 2 --delay 80 1; }
close_program() {
  xdotool mousemove 384 $((top + 16)) click 1
  wait_for 5 sh -c "! kill -0 $APP_PID" || fail "the Close mark did not end the program"
}

start_program
update_twice "$top"
wait_for 10 sh -c "xdotool search --onlyvisible --name '^Success\$'" ||
  fail "no Success box; proxy said: $(cat "$work/proxy.log"); program said: $(cat "$work/program.log")"
cmp -s "$work/new.dll" "$work/home/.local/share/vanupelro/kelsor.dll" || fail "the catalogue is not in the user's folder"
cmp -s "$work/bundled.dll" "$program_dir/kelsor.dll" || fail "the bundled catalogue changed"
[ -z "$(find "$program_dir" -newer "$work/new.dll" -print -quit)" ] || fail "something was written in the program folder"
box=$(xdotool search --onlyvisible --name '^Success$' | head -n 1)
xdotool windowfocus --sync "$box" key Return
wait_for 5 sh -c "! xdotool search --onlyvisible --name '^Success\$'" || fail "the Success box did not close"

play_first_title
wait_for 10 title_playing "New title" || fail "the list did not change after the update"
close_program

start_program
play_first_title
wait_for 10 title_playing "New title" || fail "the next start did not list the fetched catalogue"
close_program
echo "1 passed, 0 failed"
