# Helpers for tests that run the real program on a virtual display.

source "$(dirname "${BASH_SOURCE[0]}")/../../scripts/display.sh"

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
