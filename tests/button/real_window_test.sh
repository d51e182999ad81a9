#!/usr/bin/env bash
# Runs the button's real-window tests on a private Xvfb.
# Usage: real_window_test.sh TEST_PROGRAM
set -euo pipefail
source "$(dirname "$0")/../../scripts/display.sh"
trap stop_display EXIT
start_display
QT_QPA_PLATFORM=xcb "$1"
