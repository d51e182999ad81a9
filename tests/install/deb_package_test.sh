#!/usr/bin/env bash
# The Debian package as a user gets it: cpack builds it from this tree, apt-get installs it,
# the installed program starts under Xvfb to its splash and plays the bundled welcome (driven
# over a private session bus), and apt-get remove takes every file of it away again while the
# user's own data stays. Needs root, and a machine where the package is not installed: it is
# skipped otherwise (exit 77). The machine is left as it was found, also when a check fails.
# Usage: deb_package_test.sh BUILD_DIR
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
source "$here/../e2e/lib.sh"
build=$(cd "$1" && pwd)
package=vanupelro
mpris=org.mpris.MediaPlayer2.vanupelro
path=/org/mpris/MediaPlayer2

skip() { echo "SKIP: $*"; exit 77; }
[ "$(id -u)" = 0 ] || skip "installing a package needs root"
status=$(dpkg-query -W -f='${db:Status-Status}' "$package" 2>/dev/null || true)
[ -z "$status" ] || [ "$status" = not-installed ] || skip "$package is installed on this machine ($status); not touching it"

work=$(mktemp -d)
installed=0
cleanup() {
  kill "${APP_PID:-}" "${BUS_PID:-}" 2>/dev/null || true
  stop_display
  if [ "$installed" = 1 ]; then
    DEBIAN_FRONTEND=noninteractive apt-get -o DPkg::Lock::Timeout=300 remove -y -qq "$package" >/dev/null 2>&1 ||
      dpkg --purge "$package" >/dev/null 2>&1 || true
  fi
  rm -rf "$work"
}
trap cleanup EXIT
passed=0
pass() { passed=$((passed + 1)); }

cpack -G DEB --config "$build/CPackConfig.cmake" -B "$work/out" >"$work/cpack.log" 2>&1 ||
  fail "cpack: $(tail -n 20 "$work/cpack.log")"
deb=$(ls "$work"/out/"$package"_*_amd64.deb)
version=$(dpkg-deb -f "$deb" Version)
[ "$(basename "$deb")" = "${package}_${version}_amd64.deb" ] || fail "named $(basename "$deb")"
depends=$(dpkg-deb -f "$deb" Depends)
# Computed from the program's libraries, and the run-time plugins it cannot be linked to.
for needed in libqt6widgets6 libqt6dbus6 libcurl4 libgstreamer1.0-0 libc6 gstreamer1.0-plugins-base \
  gstreamer1.0-plugins-good glib-networking; do
  grep -qE "(^|, )$needed( |,|$)" <<<"$depends" || fail "Depends lacks $needed: $depends"
done
dpkg-deb -c "$deb" | awk '{print $6}' | sed 's#^\./#/#' >"$work/contents"
for file in /usr/bin/vanupelro /usr/lib/vanupelro/vanupelro /usr/lib/vanupelro/kelsor.dll \
  /usr/lib/vanupelro/media/welcome.ogg /usr/share/applications/net.vanupelro.VanuPelro.desktop \
  /usr/share/metainfo/net.vanupelro.VanuPelro.metainfo.xml \
  /usr/share/icons/hicolor/scalable/apps/net.vanupelro.VanuPelro.svg \
  /usr/share/icons/hicolor/48x48/apps/net.vanupelro.VanuPelro.png /usr/share/doc/vanupelro/copyright \
  /usr/share/doc/vanupelro/changelog.gz /usr/share/man/man1/vanupelro.1.gz; do
  grep -qxF "$file" "$work/contents" || fail "the package lacks $file"
done
pass

installed=1
DEBIAN_FRONTEND=noninteractive apt-get -o DPkg::Lock::Timeout=300 install -y -qq --no-install-recommends "$deb" \
  >"$work/apt.log" 2>&1 || fail "apt-get install: $(tail -n 20 "$work/apt.log")"
[ "$(dpkg-query -W -f='${db:Status-Status}' "$package")" = installed ] || fail "not installed after apt-get install"
grep -q '^Exec=/usr/bin/vanupelro$' /usr/share/applications/net.vanupelro.VanuPelro.desktop ||
  fail "the desktop entry does not start /usr/bin/vanupelro"
pass

# A user of its own: the program's data goes to this home, and the bus is the test's.
home=$work/home
mkdir -p "$home" "$work/runtime"
chmod 700 "$work/runtime"
{ read -r address; read -r BUS_PID; } < <(dbus-daemon --session --fork --print-address=1 --print-pid=1)
start_display
(cd / && exec env -u XDG_STATE_HOME -u XDG_DATA_HOME -u XDG_CONFIG_HOME HOME="$home" XDG_RUNTIME_DIR="$work/runtime" \
  DBUS_SESSION_BUS_ADDRESS="$address" QT_QPA_PLATFORM=xcb vanupelro >"$work/program.log" 2>&1) &
APP_PID=$!
export DBUS_SESSION_BUS_ADDRESS=$address
wait_for 10 is_viewable "Splash Vanu Pelro" || fail "no splash window: $(cat "$work/program.log")"
pass

get() {
  dbus-send --session --print-reply --dest=$mpris $path org.freedesktop.DBus.Properties.Get \
    "string:org.mpris.MediaPlayer2$1" "string:$2" | tail -n +2
}
call() { dbus-send --session --print-reply --dest=$mpris $path "org.mpris.MediaPlayer2.$1" >/dev/null; }
status_is() { get .Player PlaybackStatus | grep -q "\"$1\""; }
wait_for 15 is_viewable "Vanu Pelro Ismet Online" || fail "main window not shown"
top=$(slide_main_into_view)
# The bundled catalogue's first row is the offline welcome.
xdotool mousemove 60 $((top + 88)) click 1
wait_for 5 sh -c "dbus-send --session --print-reply --dest=$mpris $path org.freedesktop.DBus.Properties.Get \
  string:org.mpris.MediaPlayer2.Player string:CanPlay | grep -q 'boolean true'" || fail "selecting the first row did not allow play"
call Player.Play
wait_for 10 status_is Playing || fail "the welcome did not play: $(get .Player PlaybackStatus) $(cat "$work/program.log")"
get .Player Metadata | grep -q 'Welcome to Vanu Pelro' || fail "playing something else: $(get .Player Metadata)"
position_past_a_second() { [ "$(get .Player Position | awk '/int64/{print $3}')" -ge 1000000 ]; }
wait_for 10 position_past_a_second || fail "playback did not advance"
call Quit
wait_for 10 sh -c "! kill -0 $APP_PID" || fail "the program did not end"
wait "$APP_PID" || fail "the program ended with status $?"
APP_PID=
pass

# The user's own data: the place in the welcome that was heard.
[ -n "$(find "$home/.local/state/vanupelro" -type f 2>/dev/null)" ] || fail "the program kept no state in the user's home"
installed_dirs=$(dpkg -L "$package" | grep -v '^/\.$')
DEBIAN_FRONTEND=noninteractive apt-get -o DPkg::Lock::Timeout=300 remove -y -qq "$package" >"$work/apt.log" 2>&1 ||
  fail "apt-get remove: $(tail -n 20 "$work/apt.log")"
installed=0
status=$(dpkg-query -W -f='${db:Status-Status}' "$package" 2>/dev/null || true)
[ -z "$status" ] || [ "$status" = not-installed ] || fail "after apt-get remove the package is $status"
left=()
while read -r file; do
  # Folders such as /usr/share/man/man1 belong to others too.
  if [ -e "$file" ] && ! [ -d "$file" ]; then left+=("$file"); fi
done < <(printf '%s\n' "$installed_dirs")
[ ${#left[@]} = 0 ] || fail "left after removal: ${left[*]}"
for folder in /usr/lib/vanupelro /usr/share/doc/vanupelro; do
  [ ! -e "$folder" ] || fail "left after removal: $folder"
done
[ -n "$(find "$home/.local/state/vanupelro" -type f)" ] || fail "removing the package removed the user's data"
pass
echo "$passed passed, 0 failed"
