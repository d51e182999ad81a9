#!/usr/bin/env bash
# Regenerates every picture, icon and sample recording in assets/ from the
# sources in assets/src/. The generated files are committed, so the build never
# runs this; a designer edits a source and runs it again:
#
#   scripts/make-assets.sh           # install missing tools, then rebuild all
#   scripts/make-assets.sh --no-install
#
# Tools come from Debian packages and are installed with apt-get when missing.
set -euo pipefail

root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
assets="$root/assets"
src="$assets/src"

# ---------------------------------------------------------------- tools
packages=(
  librsvg2-bin          # rsvg-convert: SVG -> PNG
  imagemagick           # convert, identify: PNG -> JPEG / ICO, checks
  fonts-dejavu-core     # DejaVu Sans / Serif
  fonts-liberation      # Liberation Serif (the name "Vanu Pelro")
  espeak-ng             # the spoken sample
  sox                   # trims, pads and normalises the speech
  vorbis-tools          # oggenc
  lame                  # MP3 encoder
)

install_missing() {
  local missing=() p
  for p in "${packages[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
  done
  ((${#missing[@]})) || return 0
  echo "installing: ${missing[*]}"
  local sudo_cmd=()
  [ "$(id -u)" -eq 0 ] || sudo_cmd=(sudo)
  export DEBIAN_FRONTEND=noninteractive
  # Wait for another apt/dpkg run instead of failing on its lock.
  "${sudo_cmd[@]}" apt-get -o DPkg::Lock::Timeout=600 update -qq
  "${sudo_cmd[@]}" apt-get -o DPkg::Lock::Timeout=600 install -y -qq --no-install-recommends "${missing[@]}"
}

[ "${1:-}" = "--no-install" ] || install_missing

tmp="$(mktemp -d)"
trap 'rm -rf "$tmp"' EXIT

# ---------------------------------------------------------------- pictures
# render SOURCE.svg OUT.jpg WIDTH HEIGHT
# The SVGs place the shared mark with <use href="mark.svg#mark">, which
# rsvg-convert resolves next to the source file.
render_jpeg() {
  local svg="$1" out="$2" w="$3" h="$4"
  rsvg-convert --width "$w" --height "$h" "$src/$svg" -o "$tmp/render.png"
  convert "$tmp/render.png" -strip -background '#060d1f' -alpha remove \
    -sampling-factor 1x1 -quality 92 "$out"
  check_size "$out" "$w" "$h"
}

check_size() {
  local got
  got="$(identify -format '%wx%h' "$1")"
  if [ "$got" != "$2x$3" ]; then
    echo "error: $1 is $got, expected $2x$3" >&2
    exit 1
  fi
}

render_jpeg splash.svg     "$assets/splash.jpg"     421 302
render_jpeg background.svg "$assets/background.jpg" 654 437
render_jpeg about.svg      "$assets/about.jpg"      643 432

# ---------------------------------------------------------------- icon
# icon-small.svg is drawn on a 16 px grid and used for 16 and 24 px;
# icon.svg (full detail) for everything larger and as the scalable icon.
mkdir -p "$assets/icon"
cp "$src/icon.svg" "$assets/icon/vanupelro.svg"
for size in 16 24 32 48 64 128 256; do
  icon_src="$src/icon.svg"
  ((size > 24)) || icon_src="$src/icon-small.svg"
  rsvg-convert --width "$size" --height "$size" "$icon_src" -o "$tmp/icon.png"
  convert "$tmp/icon.png" -strip "PNG32:$assets/icon/$size.png"
  check_size "$assets/icon/$size.png" "$size" "$size"
done
convert "$assets/icon/16.png" "$assets/icon/32.png" "$assets/icon/48.png" \
  "$assets/icon/256.png" "$assets/icon/vanupelro.ico"

# ---------------------------------------------------------------- sample recording
# welcome.txt is read by espeak-ng, padded with a little silence, normalised,
# and encoded as mono Ogg Vorbis and MP3. Repeatable dither (sox -R) and a
# fixed Ogg serial number keep the output identical from run to run.
mkdir -p "$assets/media"
title="Welcome to Vanu Pelro"
espeak-ng -v en-gb+m3 -s 150 -p 45 -f "$src/welcome.txt" -w "$tmp/speech.wav"
sox -R "$tmp/speech.wav" -r 22050 -c 1 "$tmp/welcome.wav" pad 0.4 0.6 norm -1
oggenc -Q -q 3 -s 1 -t "$title" -a "Vanu Pelro" -l "Vanu Pelro samples" \
  -o "$assets/media/welcome.ogg" "$tmp/welcome.wav"
lame --quiet -m m -b 48 -q 2 --tt "$title" --ta "Vanu Pelro" --tl "Vanu Pelro samples" \
  --add-id3v2 "$tmp/welcome.wav" "$assets/media/welcome.mp3"

# ---------------------------------------------------------------- summary
echo "made:"
for f in "$assets"/*.jpg "$assets"/icon/*.png "$assets"/icon/*.ico; do
  printf '  %-28s %s\n' "${f#"$assets"/}" "$(identify -format '%wx%h ' "$f" | sed 's/ $//') $(stat -c %s "$f") bytes"
done
duration="$(soxi -D "$tmp/welcome.wav")"
for f in "$assets"/media/*; do
  printf '  %-28s %s s, %s bytes\n' "${f#"$assets"/}" "$duration" "$(stat -c %s "$f")"
done
