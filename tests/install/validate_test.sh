#!/usr/bin/env bash
# cmake --install into a fresh prefix: the files land where desktops look for them, the
# desktop entry and the AppStream data pass their validators, and a reinstall keeps a
# catalogue the user has updated.
# Usage: validate_test.sh CMAKE BUILD_DIR
set -uo pipefail
cmake=$1 build=$2
app_id=net.vanupelro.VanuPelro

prefix=$(mktemp -d)
trap 'rm -rf "$prefix"' EXIT
passed=0 failed=0
check() { # check NAME COMMAND...
  local name=$1
  shift
  if "$@"; then passed=$((passed + 1)); else failed=$((failed + 1)); echo "FAIL: $name" >&2; fi
}

"$cmake" --install "$build" --prefix "$prefix" >/dev/null || { echo "FAIL: install" >&2; exit 1; }
program_dir=$(dirname "$(find "$prefix" -path '*/vanupelro/vanupelro' -type f)")
desktop=$prefix/share/applications/$app_id.desktop
metainfo=$prefix/share/metainfo/$app_id.metainfo.xml

check "program folder under the library folder" test "$program_dir" = "$prefix/lib/vanupelro"
check "program is executable" test -x "$program_dir/vanupelro"
check "default catalogue beside the program" test -s "$program_dir/kelsor.dll"
recording=$(grep -o '==>media/[^[:space:]]*' "$program_dir/kelsor.dll" | head -n 1)
check "sample recording the catalogue names (${recording#==>})" test -n "$recording" -a -f "$program_dir/${recording#==>}"
check "launcher on the PATH folder" test -x "$prefix/bin/vanupelro"

check "desktop-file-validate" desktop-file-validate "$desktop"
exec_line=$(sed -n '/^\[Desktop Entry\]/,/^\[Desktop Action/s/^Exec=//p' "$desktop")
check "entry starts the installed launcher ($exec_line)" test "$exec_line" = "$prefix/bin/vanupelro"
show_line=$(sed -n '/^\[Desktop Action show-catalogue\]/,$s/^Exec=//p' "$desktop")
check "the action \"Show the catalogue\" runs it with --show ($show_line)" test "$show_line" = "$prefix/bin/vanupelro --show"
check "appstreamcli validate" appstreamcli validate --no-net "$metainfo"
check "metainfo launches the entry" grep -q "<launchable type=\"desktop-id\">$app_id.desktop</launchable>" "$metainfo"

check "scalable icon" test -s "$prefix/share/icons/hicolor/scalable/apps/$app_id.svg"
for size in 16 24 32 48 64 128 256; do
  icon=$prefix/share/icons/hicolor/${size}x${size}/apps/$app_id.png
  check "icon ${size}x${size} has that size" test "$(identify -format '%wx%h' "$icon" 2>/dev/null)" = "${size}x${size}"
done

# An update the user fetched is newer than the bundled catalogue.
printf 'Updated==>http://127.0.0.1/updated.ogg\r\n' >"$program_dir/kelsor.dll"
"$cmake" --install "$build" --prefix "$prefix" >/dev/null
check "reinstall keeps the user's catalogue" grep -q '^Updated==>' "$program_dir/kelsor.dll"

echo "$passed passed, $failed failed"
[ "$failed" -eq 0 ]
