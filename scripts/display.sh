# Sourced by the start-up scripts: a private Xvfb, stopped on exit. -noreset: a
# server that resets whenever its last client leaves refuses the next one meanwhile.

# start_display [WIDTHxHEIGHT]: starts Xvfb (1280x800 unless told) on a free display and
# exports DISPLAY.
start_display() {
  local file size=${1:-1280x800}
  file=$(mktemp)
  Xvfb -displayfd 3 -screen 0 "${size}x24" -nolisten tcp -noreset 3>"$file" >/dev/null 2>&1 &
  XVFB_PID=$!
  for _ in $(seq 200); do
    [ -s "$file" ] && break
    kill -0 "$XVFB_PID" 2>/dev/null || break
    sleep 0.05
  done
  local number
  number=$(cat "$file")
  rm -f "$file"
  if [ -z "$number" ]; then
    echo "Xvfb did not start" >&2
    return 1
  fi
  export DISPLAY=":$number"
}

stop_display() {
  if [ -n "${XVFB_PID:-}" ]; then
    kill "$XVFB_PID" 2>/dev/null || true
    wait "$XVFB_PID" 2>/dev/null || true
  fi
}
