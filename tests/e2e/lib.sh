# Helpers for tests that run the real program on a virtual display.

# Starts Xvfb on a free display and exports DISPLAY; stopped by stop_display.
start_display() {
  local file
  file=$(mktemp)
  Xvfb -displayfd 3 -screen 0 1280x800x24 -nolisten tcp -noreset 3>"$file" >/dev/null 2>&1 &
  XVFB_PID=$!
  for _ in $(seq 100); do
    [ -s "$file" ] && break
    sleep 0.05
  done
  export DISPLAY=":$(cat "$file")"
  rm -f "$file"
  [ "$DISPLAY" != ":" ] || fail "Xvfb did not start"
}

stop_display() {
  [ -n "${XVFB_PID:-}" ] && kill "$XVFB_PID" 2>/dev/null || true
}

fail() {
  echo "FAIL: $*" >&2
  exit 1
}

now_ms() { date +%s%3N; }

# wait_for SECONDS COMMAND...: polls until COMMAND succeeds.
wait_for() {
  local limit=$1
  shift
  local deadline=$(($(now_ms) + limit * 1000))
  until "$@" >/dev/null 2>&1; do
    [ "$(now_ms)" -lt "$deadline" ] || return 1
    sleep 0.05
  done
}

window_id() { xdotool search --name "^$1\$" | head -n 1; }
is_viewable() {
  local id
  id=$(window_id "$1")
  # Without an id xwininfo would wait for a click on some window.
  [ -n "$id" ] && xwininfo -id "$id" | grep -q 'Map State: IsViewable'
}
window_exists() { [ -n "$(window_id "$1")" ]; }
