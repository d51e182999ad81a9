#!/usr/bin/env bash
# Installs every Debian package the build, the program and the tests need.
# Safe to run again: packages already present are left alone.
set -euo pipefail

packages=(
  # build
  build-essential cmake ninja-build pkg-config
  qt6-base-dev qt6-base-dev-tools qt6-qpa-plugins libgl-dev
  libcurl4-openssl-dev
  libgstreamer1.0-dev libgstreamer-plugins-base1.0-dev
  libgtest-dev libgmock-dev googletest libbenchmark-dev
  # run time: playback of http(s) streams and local files
  gstreamer1.0-plugins-base gstreamer1.0-plugins-good gstreamer1.0-plugins-bad
  gstreamer1.0-libav gstreamer1.0-tools glib-networking ca-certificates
  # tests: an output library with no device behind it, which the player must pass over
  libopenal1
  fonts-dejavu-core fonts-liberation fonts-noto-core
  # tests: a real display, window probes, screenshots, local web server
  xvfb xdotool x11-utils imagemagick python3 openbox
  # libxcb1-dev: the platform layer asks the X server where the pointer is
  libxcb1-dev libxcb-damage0-dev
  # download tests and benchmarks: a real web server, and the command-line client to compare with
  nginx-light curl
  # fuzzing (scripts/fuzz.sh): clang with libFuzzer and the sanitizer runtimes
  clang-14 libclang-rt-14-dev
  # install checks: desktop entry and AppStream validators; media controls: a private session bus
  desktop-file-utils appstream dbus-daemon dbus-bin
  # media controls: a real client of them
  playerctl
  # Wayland desktops through XWayland: the compositors, a native Wayland client, and the
  # GObject bindings that drive mutter's pointer over D-Bus
  mutter weston xwayland python3-gi gir1.2-glib-2.0 libglib2.0-bin
)

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done

if ((${#missing[@]})); then
  sudo_cmd=()
  [ "$(id -u)" -eq 0 ] || sudo_cmd=(sudo)
  export DEBIAN_FRONTEND=noninteractive
  "${sudo_cmd[@]}" apt-get update -qq
  "${sudo_cmd[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi
