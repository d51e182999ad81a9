#!/usr/bin/env bash
# A system-wide install, used by someone who may not write the program folder: the update
# says it cannot write, the bundled catalogue stays, and the program goes on working.
# Needs root to install as one user and run as another; skipped otherwise.
# Usage: installed_update_test.sh CMAKE BUILD_DIR
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
source "$here/lib.sh"
cmake=$1 build=$2
[ "$(id -u)" -eq 0 ] && command -v setpriv >/dev/null || { echo "skipped: needs root and setpriv"; exit 77; }

work=$(mktemp -d)
trap 'kill "${APP_PID:-}" "${PROXY_PID:-}" 2>/dev/null || true; stop_display; rm -rf "$work"' EXIT
chmod 755 "$work"
"$cmake" --install "$build" --prefix "$work/usr" >/dev/null
program_dir=$work/usr/lib/vanupelro
cp "$program_dir/kelsor.dll" "$work/bundled.dll"
printf 'New title==>http://127.0.0.1/new.ogg\r\n' >"$work/new.dll"
mkdir "$work/home" && chown nobody: "$work/home"

start_update_proxy "$work" "$work/new.dll"

start_display
setpriv --reuid=nobody --regid=nogroup --clear-groups \
  env -u no_proxy -u NO_PROXY HOME="$work/home" XDG_RUNTIME_DIR="$work/home" \
  http_proxy="http://127.0.0.1:$PROXY_PORT" QT_QPA_PLATFORM=xcb \
  "$work/usr/bin/vanupelro" >"$work/program.log" 2>&1 &
APP_PID=$!

wait_for 15 is_viewable "Vanu Pelro Ismet Online" || fail "main window not shown: $(cat "$work/program.log")"
top=$(slide_main_into_view)
sleep 0.3
click_update "$top"
sleep 0.3
click_update "$top"
wait_for 10 sh -c "xdotool search --onlyvisible --name '^Error\$'" || fail "no Error box; proxy said: $(cat "$work/proxy.log")"
cmp -s "$work/bundled.dll" "$program_dir/kelsor.dll" || fail "the bundled catalogue changed"
[ -z "$(find "$program_dir" -newer "$work/new.dll" -print -quit)" ] || fail "something was written in the program folder"

box=$(xdotool search --onlyvisible --name '^Error$' | head -n 1)
xdotool windowfocus --sync "$box" key Return
wait_for 5 sh -c "! xdotool search --onlyvisible --name '^Error\$'" || fail "the Error box did not close"
kill -0 "$APP_PID" || fail "the program ended after the error"
xdotool mousemove 384 $((top + 16)) click 1
wait_for 5 sh -c "! kill -0 $APP_PID" || fail "the Close mark did not end the program"
echo "1 passed, 0 failed"
