#!/usr/bin/env bash
# scripts/run.sh twice against a built tree: each start reaches the splash, and the second,
# with nothing changed, neither configures nor compiles nor links anything.
# Usage: run_fast_path_test.sh BUILD_DIR
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
source "$here/../e2e/lib.sh"
build=$(cd "$1" && pwd)
work=$(mktemp -d)
trap 'kill "${APP_PID:-}" 2>/dev/null || true; stop_display; rm -rf "$work"' EXIT
mkdir -m 700 "$work/runtime"
# A session of its own: no running copy elsewhere to hand over to.
export XDG_RUNTIME_DIR=$work/runtime QT_QPA_PLATFORM=xcb VANUPELRO_BUILD_DIR=$build
unset DBUS_SESSION_BUS_ADDRESS
start_display

# run_once LOG: starts the run command, waits for the splash, ends the program.
run_once() {
  bash "$here/../../scripts/run.sh" >"$1" 2>&1 &
  APP_PID=$!
  wait_for 60 is_viewable "Splash Vanu Pelro" || fail "no splash: $(tail -n 20 "$1")"
  kill "$APP_PID"
  wait "$APP_PID" 2>/dev/null || true
  APP_PID=
  wait_for 5 sh -c "! xdotool search --name '^Splash Vanu Pelro\$'" || fail "the splash stayed"
}

run_once "$work/first.log"
run_once "$work/second.log"
if grep -E -- '^-- (Configuring|Generating|Build files)|Re-running CMake|Building CXX|Linking CXX' "$work/second.log"; then
  fail "the second start configured or built: $(cat "$work/second.log")"
fi
grep -q 'ninja: no work to do' "$work/second.log" || fail "the second start did not ask the build tool: $(cat "$work/second.log")"
echo "1 passed, 0 failed"
