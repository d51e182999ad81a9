#!/usr/bin/env bash
# The program is killed (SIGKILL) in the middle of a catalogue download. The old kelsor.dll
# must be there byte for byte; the half-written part file goes at the next start, and the
# next update succeeds.
# Usage: killed_update_test.sh PROGRAM
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
source "$here/lib.sh"
program=$1

work=$(mktemp -d)
trap 'kill -9 "${APP_PID:-}" 2>/dev/null || true; kill "${PROXY_PID:-}" 2>/dev/null || true; stop_display; rm -rf "$work"' EXIT

mkdir "$work/program"
cp "$program" "$work/program/"
printf 'Old title==>http://127.0.0.1/old.ogg\r\n' >"$work/program/kelsor.dll"
cp "$work/program/kelsor.dll" "$work/old.dll"
# More than twice the writer's 64 KB buffer, so the stalled half reaches the disk.
for i in $(seq 1 6000); do printf 'Title %d==>http://127.0.0.1/%d.ogg\r\n' "$i" "$i"; done >"$work/new.dll"

touch "$work/stall"
start_update_proxy "$work" "$work/new.dll" "$work/stall"
start_display

start_program() {
  env -u no_proxy -u NO_PROXY http_proxy="http://127.0.0.1:$PROXY_PORT" QT_QPA_PLATFORM=xcb \
    "$work/program/$(basename "$program")" >>"$work/program.log" 2>&1 &
  APP_PID=$!
  wait_for 15 is_viewable "Vanu Pelro Ismet Online" || fail "main window not shown"
  top=$(slide_main_into_view)
}
part_files() { find "$work/program" -name '.kelsor.dll.part-*'; }
part_has_bytes() { [ -n "$(part_files)" ] && [ "$(cat $(part_files) | wc -c)" -gt 0 ]; }

start_program
update_twice "$top"
wait_for 10 part_has_bytes || fail "no part file with data; proxy said: $(cat "$work/proxy.log")"
kill -9 "$APP_PID"
wait "$APP_PID" 2>/dev/null || true
cmp -s "$work/old.dll" "$work/program/kelsor.dll" || fail "the kill damaged the old catalogue"
[ -n "$(part_files)" ] || fail "expected the killed download's part file to be left"

rm "$work/stall"
start_program
[ -z "$(part_files)" ] || fail "the next start left the part file: $(part_files)"
cmp -s "$work/old.dll" "$work/program/kelsor.dll" || fail "the restart changed the old catalogue"
update_twice "$top"
wait_for 10 window_exists "Success" || fail "no Success box after restart; proxy said: $(cat "$work/proxy.log")"
cmp -s "$work/new.dll" "$work/program/kelsor.dll" || fail "the program folder does not hold the new catalogue"
[ -z "$(part_files)" ] || fail "a part file was left behind"
echo "1 passed, 0 failed"
