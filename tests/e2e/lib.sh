# Helpers for tests that run the real program on a virtual display.

source "$(dirname "${BASH_SOURCE[0]}")/../../scripts/display.sh"

fail() {
  echo "FAIL: $*" >&2
  exit 1
}

now_ms() { date +%s%3N; }

# wait_for SECONDS COMMAND...: polls until COMMAND succeeds; false once SECONDS have passed.
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

# The program's media controls on the session bus, read as a desktop reads them.
MPRIS_NAME=org.mpris.MediaPlayer2.vanupelro
MPRIS_PATH=/org/mpris/MediaPlayer2
# mpris_get INTERFACE PROPERTY: the reply's value lines; INTERFACE is "" for the root
# interface, ".Player" for the player's.
mpris_get() {
  dbus-send --session --print-reply --dest=$MPRIS_NAME $MPRIS_PATH org.freedesktop.DBus.Properties.Get \
    "string:org.mpris.MediaPlayer2$1" "string:$2" | tail -n +2
}
player_get() { mpris_get .Player "$1"; }
# player_says PROPERTY PATTERN: the player's PROPERTY matches the grep PATTERN.
player_says() { player_get "$1" | grep -q -- "$2"; }
status_is() { player_says PlaybackStatus "\"$1\""; }
position_us() { player_get Position | awk '/int64/{print $3}'; }

# start_session_bus: a private session bus for the program; sets BUS_PID.
start_session_bus() {
  local address
  { read -r address; read -r BUS_PID; } < <(dbus-daemon --session --fork --print-address=1 --print-pid=1)
  export DBUS_SESSION_BUS_ADDRESS=$address
}

# region_picture FILE X Y WIDTH HEIGHT: that part of the screen as a picture.
region_picture() { import -window root -crop "$4x$5+$2+$3" +repage "$1"; }
# pictures_differ A B [PIXELS]: more than PIXELS (0 unless told) pixels differ.
pictures_differ() {
  local changed
  changed=$(compare -metric AE "$1" "$2" null: 2>&1 || true)
  [ "${changed%% *}" -gt "${3:-0}" ] 2>/dev/null
}
# wait_for_steady_region SECONDS X Y WIDTH HEIGHT: until two pictures of the region in a row
# are alike, that is until what was being drawn there has been drawn.
wait_for_steady_region() {
  local limit=$1 dir
  shift
  dir=$(mktemp -d)
  region_picture "$dir/last.png" "$@"
  steady() {
    region_picture "$dir/now.png" "$@"
    pictures_differ "$dir/last.png" "$dir/now.png" || return 0
    mv "$dir/now.png" "$dir/last.png"
    return 1
  }
  local status=0
  wait_for "$limit" steady "$@" || status=1
  rm -rf "$dir"
  return $status
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

# update_twice TOP: the user's two clicks on Update, the first arming it (its caption turns to
# Download) without fetching anything, the second starting the download. Update sits at 1080,
# 4200 twips, 1575 x 300: 72, 280 pixels into the main window whose top is TOP, 105 x 20.
update_twice() {
  local top=$1 before
  before=$(mktemp --suffix=.png)
  # The pointer first, so that its hover look is not taken for the caption's change.
  xdotool mousemove --sync 124 $((top + 290))
  wait_for_steady_region 3 72 $((top + 280)) 105 20 || fail "Update never stopped changing under the pointer"
  region_picture "$before" 72 $((top + 280)) 105 20
  xdotool click 1
  update_changed() {
    region_picture "$before.now.png" 72 $((top + 280)) 105 20
    pictures_differ "$before" "$before.now.png"
  }
  wait_for 5 update_changed || fail "the first click on Update did not arm it"
  rm -f "$before" "$before.now.png"
  window_exists "Success" && fail "the first click downloaded instead of arming"
  # Kept apart by more than the double-click time (400 ms): two clicks, not a double-click.
  sleep 0.5
  xdotool click 1
}

# make_long_recording FILE SECONDS: a quiet tone as Ogg Vorbis, long enough to keep a place in.
make_long_recording() {
  gst-launch-1.0 -q audiotestsrc wave=sine volume=0.05 num-buffers=$(($2 * 10)) samplesperbuffer=2205 \
    ! audio/x-raw,rate=22050,channels=1 ! vorbisenc quality=0 ! oggmux ! filesink location="$1" >/dev/null ||
    fail "could not make a test recording"
}
