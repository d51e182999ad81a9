#!/usr/bin/env bash
# Runs the button's real-window tests on a private Xvfb, with a session bus and an
# accessibility bus of their own so that Qt's bridge is up as it is under a screen reader.
# Usage: real_window_test.sh TEST_PROGRAM
set -euo pipefail
source "$(dirname "$0")/../../scripts/display.sh"
trap stop_display EXIT
start_display
# shellcheck disable=SC2016
dbus-run-session -- bash -c '
  /usr/libexec/at-spi-bus-launcher --launch-immediately &
  launcher=$!
  trap "kill $launcher 2>/dev/null; wait $launcher 2>/dev/null || true" EXIT
  gdbus wait --session --timeout 10 org.a11y.Bus || { echo "FAIL: no accessibility bus" >&2; exit 1; }
  QT_LINUX_ACCESSIBILITY_ALWAYS_ON=1 QT_QPA_PLATFORM=xcb "$1"' real_window_test "$1"
