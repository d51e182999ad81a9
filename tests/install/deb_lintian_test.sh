#!/usr/bin/env bash
# lintian on the Debian package cpack builds from this tree: no errors. Warnings are printed
# (the README says which remain and why) but do not fail. Skipped without lintian (exit 77).
# Usage: deb_lintian_test.sh BUILD_DIR
set -uo pipefail
build=$(cd "$1" && pwd)
command -v lintian >/dev/null || { echo "SKIP: lintian is not installed (scripts/setup.sh installs it)"; exit 77; }
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
if ! cpack -G DEB --config "$build/CPackConfig.cmake" -B "$work" >"$work/cpack.log" 2>&1; then
  tail -n 20 "$work/cpack.log" >&2
  echo "FAIL: cpack" >&2
  exit 1
fi
deb=$(ls "$work"/vanupelro_*_amd64.deb)
# As root lintian would refuse to unpack without this; it changes nothing else.
lintian --allow-root --tag-display-limit 0 --display-info "$deb" >"$work/lintian.log" 2>&1
cat "$work/lintian.log"
errors=$(grep -c '^E: ' "$work/lintian.log")
warnings=$(grep -c '^W: ' "$work/lintian.log")
echo "lintian: $errors errors, $warnings warnings"
if [ "$errors" -gt 0 ]; then
  echo "0 passed, 1 failed"
  exit 1
fi
echo "1 passed, 0 failed"
