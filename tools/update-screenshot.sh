#!/usr/bin/env bash
# Takes the screenshot the AppStream metadata shows: runs ./run.sh under a virtual display
# (against the local service simulator), then cuts the screen down to the window and keeps it
# as packaging/screenshots/main-window.png.
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
env -u DISPLAY -u WAYLAND_DISPLAY "$root/run.sh" >/dev/null
mkdir -p "$root/packaging/screenshots"
# The window sits in a corner of an otherwise black screen: a black border makes the corner
# black, and -trim then takes away every black row and column round the window. -strip drops
# the time stamps, so the same picture gives the same file.
/usr/bin/convert "$root/build/amiscan-screenshot.png" -bordercolor black -border 1 -trim +repage \
    -strip "$root/packaging/screenshots/main-window.png"
/usr/bin/identify "$root/packaging/screenshots/main-window.png"
