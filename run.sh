#!/usr/bin/env bash
# Installs what is missing, builds, and runs Amiscan. Without a display it runs under a virtual
# one, saves a screenshot of the window and prints its path.
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
"$root/tools/install-deps.sh"
"$root/tools/build.sh"

# A data directory of its own, so the user's files are never touched.
demo="$root/build/demo"
mkdir -p "$demo"
cp "$root/build/app/amiscan" "$demo/amiscan"

if [[ $(id -u) -eq 0 ]]; then
    export QTWEBENGINE_DISABLE_SANDBOX=1
fi

if [[ -n "${DISPLAY:-}" || -n "${WAYLAND_DISPLAY:-}" ]]; then
    exec "$demo/amiscan"
fi

shot="$root/build/amiscan-screenshot.png"
export AMISCAN_DEMO="$demo" AMISCAN_SHOT="$shot"
xvfb-run -a -s "-screen 0 1024x768x24" bash -c '
    "$AMISCAN_DEMO/amiscan" &
    app=$!
    sleep 5
    /usr/bin/import -window root "$AMISCAN_SHOT"
    kill "$app"
    wait "$app" 2>/dev/null || true
'
echo "Screenshot: $shot"
