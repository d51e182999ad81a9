#!/usr/bin/env bash
# The real program fetches a new catalogue: its HTTP goes through a forward proxy of ours that
# stands in for the service's web server. Update is clicked twice (arm, then download); the
# "Success" box appears and the program folder holds the new kelsor.dll.
# Usage: update_test.sh PROGRAM
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
source "$here/lib.sh"
program=$1

work=$(mktemp -d)
trap 'kill "${APP_PID:-}" "${PROXY_PID:-}" 2>/dev/null || true; stop_display; rm -rf "$work"' EXIT

# A program folder of its own, so the build's bundled catalogue stays as it is.
mkdir "$work/program"
cp "$program" "$work/program/"
printf 'Old title==>http://127.0.0.1/old.ogg\r\n' >"$work/program/kelsor.dll"
printf 'New title==>http://127.0.0.1/new.ogg\r\nSecond new title==>http://127.0.0.1/second.ogg\r\n' >"$work/new.dll"

start_update_proxy "$work" "$work/new.dll"

start_display
env -u no_proxy -u NO_PROXY http_proxy="http://127.0.0.1:$PROXY_PORT" QT_QPA_PLATFORM=xcb \
  "$work/program/$(basename "$program")" >"$work/program.log" 2>&1 &
APP_PID=$!

wait_for 15 is_viewable "Vanu Pelro Ismet Online" || fail "main window not shown"
top=$(slide_main_into_view)
update_twice "$top"

wait_for 10 window_exists "Success" || fail "no Success box; proxy said: $(cat "$work/proxy.log")"
cmp -s "$work/new.dll" "$work/program/kelsor.dll" || fail "the program folder does not hold the new catalogue"
leftovers=$(find "$work/program" -name '.kelsor.dll.part-*' | wc -l)
[ "$leftovers" -eq 0 ] || fail "a part file was left behind"
grep -q "GET $CATALOGUE_URL" "$work/proxy.log" || fail "the request did not go to the catalogue address"

box=$(xdotool search --onlyvisible --name '^Success$' | head -n 1)
xdotool windowfocus --sync "$box" key Return
wait_for 5 sh -c "! xdotool search --name '^Success\$'" || fail "the Success box did not close"
xdotool mousemove 384 $((top + 16)) click 1
wait_for 5 sh -c "! kill -0 $APP_PID" || fail "the Close mark did not end the program"
wait "$APP_PID" || fail "the program ended with status $?"
echo "1 passed, 0 failed"
