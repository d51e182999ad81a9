#!/usr/bin/env bash
# Installs the Debian packages a lane needs. Safe to run again: packages already present are
# left alone, and then it asks dpkg once and apt nothing.
#   setup.sh          everything: build, program, tests, benchmarks, fuzzing, packaging checks
#   setup.sh run      only what building and running the program needs (scripts/run.sh)
set -euo pipefail

run_packages=(
  # build
  build-essential cmake ninja-build pkg-config
  qt6-base-dev qt6-base-dev-tools qt6-qpa-plugins libgl-dev
  libcurl4-openssl-dev
  # the platform layer asks the X server where the pointer is
  libxcb1-dev
  libgstreamer1.0-dev libgstreamer-plugins-base1.0-dev
  # run time: playback of http(s) streams and local files, the designed fonts' stand-ins
  gstreamer1.0-plugins-base gstreamer1.0-plugins-good gstreamer1.0-plugins-bad
  gstreamer1.0-libav glib-networking ca-certificates
  fonts-dejavu-core fonts-liberation fonts-noto-core
)
test_packages=(
  libgtest-dev libgmock-dev googletest libbenchmark-dev gstreamer1.0-tools
  # tests: a real display, window probes, screenshots, local web server
  xvfb xdotool x11-utils imagemagick python3 openbox
  libxcb-damage0-dev
  # an output library with no device behind it, which the player must pass over
  libopenal1
  # download tests and benchmarks: a real web server, and the command-line client to compare with
  nginx-light curl
  # fuzzing (scripts/fuzz.sh): clang with libFuzzer and the sanitizer runtimes
  clang-14 libclang-rt-14-dev
  # install checks: desktop entry and AppStream validators; media controls and the one running
  # copy: a private session bus
  desktop-file-utils appstream dbus-daemon dbus-bin
  # media controls: a real client of them
  playerctl
  # the button's accessibility events: the accessibility bus for Qt's bridge to come up on
  at-spi2-core
  # the desktop-wide key: a stand-in for the shortcuts portal (python3-gi is below)
  python3-dbus
  # Wayland desktops through XWayland: the compositors, a native Wayland client, and the
  # GObject bindings that drive mutter's pointer over D-Bus
  mutter weston xwayland python3-gi gir1.2-glib-2.0 libglib2.0-bin
  # screen readers' view: the accessibility bus and the client library they are built on
  at-spi2-core python3-pyatspi
  # accessibility tests switch Qt's bridge on through its platform header
  qt6-base-private-dev
  # the Debian package: its checker (dpkg-shlibdeps comes with build-essential)
  lintian
)

case ${1:-all} in
  run) packages=("${run_packages[@]}") ;;
  all) packages=("${run_packages[@]}" "${test_packages[@]}") ;;
  *) echo "usage: setup.sh [run|all]" >&2; exit 2 ;;
esac

# One dpkg-query for the lot and no other process: this runs before every start of the program.
declare -A installed=()
while read -r status name; do
  [ "$status" = ii ] && installed[$name]=1
done < <(dpkg-query -W -f='${db:Status-Abbrev} ${Package}\n' "${packages[@]}" 2>/dev/null || true)
missing=()
for p in "${packages[@]}"; do
  [ -n "${installed[$p]:-}" ] || missing+=("$p")
done

if ((${#missing[@]})); then
  sudo_cmd=()
  [ "$(id -u)" -eq 0 ] || sudo_cmd=(sudo)
  export DEBIAN_FRONTEND=noninteractive
  "${sudo_cmd[@]}" apt-get update -qq
  "${sudo_cmd[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi
