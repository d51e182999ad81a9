#!/usr/bin/env bash
# What the docked main window paints while it slides into view and back, on a private Xvfb,
# with or without a window manager.
# Usage: slide.sh BUILD_DIR [none|openbox]
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
source "$here/../../scripts/display.sh"

build=$(cd "${1:?usage: slide.sh BUILD_DIR [none|openbox]}" && pwd)
manager=${2:-none}
probe=$build/bench/startup/bench_slide_repaint
[ -x "$probe" ] || { echo "missing $probe" >&2; exit 1; }

cleanup() {
  kill "${WM_PID:-}" 2>/dev/null || true
  stop_display
}
trap cleanup EXIT
start_display
export XDG_RUNTIME_DIR=${XDG_RUNTIME_DIR:-$(mktemp -d)}
if [ "$manager" = openbox ]; then
  openbox --sm-disable >/dev/null 2>&1 &
  WM_PID=$!
  sleep 1
fi
"$probe" 2> >(grep -v XDG_RUNTIME_DIR >&2)
