#!/usr/bin/env bash
# The real program at a device pixel ratio of 2: every window is exactly twice its size,
# docks and slides as at 1x, and the main window shows what it shows at 1x, only sharper.
# Usage: hidpi_test.sh PROGRAM [SCREENSHOT_DIR]
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
source "$here/lib.sh"
program=$1
shots=${2:-}

work=$(mktemp -d)
trap 'kill "${APP_PID:-}" 2>/dev/null || true; stop_display; rm -rf "$work"' EXIT

# Room for the main window at twice its size.
start_large_display() {
  local file="$work/display"
  Xvfb -displayfd 3 -screen 0 2560x1600x24 -nolisten tcp -noreset 3>"$file" >/dev/null 2>&1 &
  XVFB_PID=$!
  wait_for 10 test -s "$file" || fail "Xvfb did not start"
  export DISPLAY=":$(cat "$file")"
}

size_of() { xwininfo -id "$(window_id "$1")" | awk '/Width:/{w=$2} /Height:/{h=$2} END{print w "x" h}'; }
left_of() { xwininfo -id "$(window_id "$1")" | awk '/Absolute upper-left X:/{print $4}'; }

# run SCALE: starts the program at that scale, checks its windows, leaves main-SCALE.png.
run() {
  local scale=$1 splash_size main_size
  QT_SCALE_FACTOR=$scale QT_QPA_PLATFORM=xcb "$program" >"$work/program-$scale.log" 2>&1 &
  APP_PID=$!
  wait_for 10 is_viewable "Splash Vanu Pelro" || fail "no splash at ${scale}x"
  splash_size=$(size_of "Splash Vanu Pelro")
  [ "$splash_size" = "$((420 * scale))x$((302 * scale))" ] || fail "splash is $splash_size at ${scale}x"
  wait_for 15 is_viewable "Vanu Pelro Ismet Online" || fail "main window not shown at ${scale}x"
  main_size=$(size_of "Vanu Pelro Ismet Online")
  [ "$main_size" = "$((394 * scale))x$((429 * scale))" ] || fail "main window is $main_size at ${scale}x"
  # Docked, the same strip stays in view: 3 pixels at 1x.
  local left
  left=$(left_of "Vanu Pelro Ismet Online")
  [ "$left" = "$((-391 * scale))" ] || fail "docked at x $left at ${scale}x"
  local main top
  main=$(window_id "Vanu Pelro Ismet Online")
  top=$(slide_main_into_view)
  # Pointer well inside the list, where nothing changes under it.
  xdotool mousemove $((200 * scale)) $((top + 200 * scale))
  wait_for_steady_region 5 0 "$top" $((394 * scale)) $((429 * scale)) || fail "the main window never finished drawing at ${scale}x"
  import -window "$main" "$work/main-$scale.png"
  kill "$APP_PID"
  wait "$APP_PID" 2>/dev/null || true
  echo "${scale}x: splash $splash_size, main $main_size, docked at x $left"
}

start_large_display
run 1
run 2

# Brought back to 1x, the 2x window matches the 1x one: nothing moved or changed size.
# Text is drawn afresh at 2x and differs in its strokes, which a slight blur evens out;
# a control 4 pixels off, or one not drawn, gives 0.05 to 0.08.
convert "$work/main-1.png" -blur 0x2 "$work/main-1-blurred.png"
convert "$work/main-2.png" -filter Box -resize 50% -blur 0x2 "$work/main-2-halved.png"
difference=$(compare -metric RMSE "$work/main-1-blurred.png" "$work/main-2-halved.png" null: 2>&1 |
  sed -E 's/.*\((.*)\)/\1/' || true)
echo "root mean square difference at 1x: $difference"
awk -v d="$difference" 'BEGIN {exit !(d < 0.025)}' || fail "the 2x window does not look like the 1x one ($difference)"

[ -n "$shots" ] && cp "$work/main-2.png" "$shots/hidpi.png"
echo "1 passed, 0 failed"
