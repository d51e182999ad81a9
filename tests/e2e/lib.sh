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

# The main window waits docked at the left edge; the pointer on its strip slides it into
# view. Prints the window's top once it is fully in view.
slide_main_into_view() {
  local main screen_height
  main=$(window_id "Vanu Pelro Ismet Online")
  screen_height=$(xwininfo -root | awk '/Height:/{print $2}')
  xdotool mousemove 1 $((screen_height / 2))
  wait_for 3 sh -c "xwininfo -id $main | grep -q 'Absolute upper-left X:  0\$'" || fail "main window did not slide into view"
  xwininfo -id "$main" | awk '/Absolute upper-left Y:/{print $4}'
}

# start_update_proxy WORK FILE [STALL_FLAG]: a forward proxy of ours (update_proxy.py) that
# answers the catalogue address of the main window's design with FILE. Sets CATALOGUE_URL,
# PROXY_PID and PROXY_PORT; the proxy logs to WORK/proxy.log.
start_update_proxy() {
  local work=$1
  shift
  local here
  here=$(dirname "${BASH_SOURCE[0]}")
  CATALOGUE_URL=$(sed -n 's/^Text = //p' "$here/../../app/forms/frmMain.form")
  [ -n "$CATALOGUE_URL" ] || fail "no catalogue address in the main window's design"
  python3 "$here/update_proxy.py" "$CATALOGUE_URL" "$@" >"$work/port" 2>"$work/proxy.log" &
  PROXY_PID=$!
  wait_for 5 test -s "$work/port" || fail "the proxy did not start"
  PROXY_PORT=$(cat "$work/port")
}

# click_update TOP: Update sits at 1080, 4200 twips, 1575 x 300; its middle is 124, 290
# pixels into the main window whose top is TOP.
click_update() { xdotool mousemove 124 $(($1 + 290)) click 1; }

# make_long_recording FILE SECONDS: a quiet tone as Ogg Vorbis, long enough to keep a place in.
make_long_recording() {
  gst-launch-1.0 -q audiotestsrc wave=sine volume=0.05 num-buffers=$(($2 * 10)) samplesperbuffer=2205 \
    ! audio/x-raw,rate=22050,channels=1 ! vorbisenc quality=0 ! oggmux ! filesink location="$1" >/dev/null ||
    fail "could not make a test recording"
}
