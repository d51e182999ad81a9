#!/usr/bin/env bash
# The installed program, started through its launcher from somewhere else, runs from its
# own folder and shows its splash.
# Usage: installed_start_test.sh CMAKE BUILD_DIR
set -euo pipefail
here=$(dirname "$0")
source "$here/lib.sh"
cmake=$1 build=$2

prefix=$(mktemp -d)
trap 'kill "${APP_PID:-}" 2>/dev/null || true; stop_display; rm -rf "$prefix"' EXIT
"$cmake" --install "$build" --prefix "$prefix" >/dev/null
start_display

cd /
QT_QPA_PLATFORM=xcb "$prefix/bin/vanupelro" >/dev/null 2>&1 &
APP_PID=$!

wait_for 10 is_viewable "Splash Vanu Pelro" || fail "no splash window"
# The launcher hands its process over to the program.
exe=$(readlink "/proc/$APP_PID/exe")
[ "$exe" = "$prefix/lib/vanupelro/vanupelro" ] || fail "running $exe"
echo "1 passed, 0 failed"
