#!/usr/bin/env bash
# The album's end-to-end run on a virtual X display: the demo camera recorded for 10 s at
# 5 frames a second through the Record dialog, the album showing the sequence, the viewer
# playing it and its movie export answered as a user would (xdotool), the movie checked with
# ffprobe. Screenshots go to $1 (default: build/test/bin/screenshots).
set -euo pipefail
cd "$(dirname "$0")/.."
bin=build/test/bin
shots=$(realpath -m "${1:-$bin/screenshots}")
mkdir -p "$shots"
test -x "$bin/foldra_album_e2e_test" ||
  { echo "build the foldra_album_e2e_test target of the test preset first"; exit 1; }
command -v Xvfb >/dev/null && command -v xdotool >/dev/null && command -v import >/dev/null ||
  { echo "needs Xvfb, xdotool and ImageMagick's import (tools/install-deps.sh)"; exit 1; }

display=:$((90 + RANDOM % 100))
Xvfb "$display" -screen 0 1280x900x24 -nolisten tcp &
xvfb=$!
trap 'kill "$xvfb" 2>/dev/null; wait "$xvfb" 2>/dev/null || true' EXIT
for _ in $(seq 50); do xdotool getdisplaygeometry --display "$display" >/dev/null 2>&1 && break; sleep 0.1; done

DISPLAY=$display QT_QPA_PLATFORM=xcb VISTEL_SCREENSHOT_DIR=$shots \
  ASAN_OPTIONS=detect_leaks=0 "$bin/foldra_album_e2e_test"
echo "screenshots and the ffprobe report in $shots"
