#!/usr/bin/env bash
# The real program on a virtual display, watched from outside: the splash appears
# transparent, turns opaque, gives way to the main window after its hold and fade,
# and the Close mark ends the program.
# Usage: startup_test.sh PROGRAM [SCREENSHOT_DIR]
set -euo pipefail
here=$(dirname "$0")
source "$here/lib.sh"
program=$1
shots=${2:-}

trap 'kill "${APP_PID:-}" 2>/dev/null || true; stop_display' EXIT
start_display

start=$(now_ms)
QT_QPA_PLATFORM=xcb "$program" >/dev/null 2>&1 &
APP_PID=$!

wait_for 10 is_viewable "Splash Vanu Pelro" || fail "no splash window"
splash=$(window_id "Splash Vanu Pelro")
is_viewable "Vanu Pelro Ismet Online" && fail "main window shown with the splash"

# Opaque during the hold: the window property says 255/255 exactly.
wait_for 5 sh -c "xprop -id $splash _NET_WM_WINDOW_OPACITY | grep -q '= 4294967295'" ||
  fail "splash never became opaque: $(xprop -id "$splash" _NET_WM_WINDOW_OPACITY)"
[ -n "$shots" ] && import -window "$splash" "$shots/splash.png"

wait_for 15 is_viewable "Vanu Pelro Ismet Online" || fail "main window not shown"
shown=$(($(now_ms) - start))
[ "$shown" -ge 5000 ] || fail "main window shown after ${shown} ms, before the 5 s hold ended"
wait_for 2 sh -c "! xdotool search --name '^Splash Vanu Pelro\$'" || fail "splash still there after the main window showed"
echo "main window shown ${shown} ms after start"

main=$(window_id "Vanu Pelro Ismet Online")
read -r width height < <(xwininfo -id "$main" | awk '/Width:/{w=$2} /Height:/{h=$2} END{print w, h}')
[ "$width" = 394 ] && [ "$height" = 429 ] || fail "main window is ${width}x${height}"

top=$(slide_main_into_view)
if [ -n "$shots" ]; then
  wait_for_steady_region 3 0 "$top" "$width" "$height" || fail "the main window never finished drawing"
  import -window "$main" "$shots/main.png"
fi

xdotool mousemove 384 $((top + 16)) click 1
wait_for 5 sh -c "! kill -0 $APP_PID" || fail "the Close mark did not end the program"
wait "$APP_PID" || fail "the program ended with status $?"
echo "1 passed, 0 failed"
