#!/usr/bin/env bash
# The history window at work, under a virtual display (Xvfb): Amiscan scans the local service
# simulator every minute from a demo directory of its own (build/history-demo), is paused for a
# while (20 minutes unless told otherwise), scans again, and then Ctrl+H opens its history window.
# Screenshots go to build/: the timeline of three friends (history-timeline.png), today zoomed
# (history-day.png) and the pattern (history-pattern.png). Needs a build (tools/build.sh).
#
#   tools/history-demo.sh [PAUSE_MINUTES]
#
# With PAUSE_MINUTES 0 it reuses the demo directory's log as it is, adding a few scans.
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
build="$root/build"
demo="$build/history-demo"
pause_minutes=${1:-20}
scans_before=4
scans_after=3
((pause_minutes > 0)) || scans_after=1

stop_process() {
    if [[ -n "$1" ]] && kill -0 "$1" 2>/dev/null; then
        kill -CONT "$1" 2>/dev/null || true
        kill "$1" 2>/dev/null || true
        wait "$1" 2>/dev/null || true
    fi
}
sim_pid="" app_pid="" xvfb_pid=""
trap 'stop_process "$app_pid"; stop_process "$sim_pid"; stop_process "$xvfb_pid"' EXIT
trap 'exit 130' INT TERM

if [[ $(id -u) -eq 0 ]]; then
    export QTWEBENGINE_DISABLE_SANDBOX=1
    export QTWEBENGINE_CHROMIUM_FLAGS=--disable-gpu
fi
# No desktop services: the notifications and the screen saver are not part of this.
export DBUS_SESSION_BUS_ADDRESS=unix:path=/nonexistent/bus

mkdir -p "$demo"
cp "$build/app/amiscan" "$build/app/amiscan-browser" "$demo/"
if ((pause_minutes > 0)); then
    rm -f "$demo"/Amiscan.*
fi

# The simulator's friends come and go thirty times as fast as real time.
"$build/tools/vey-sim/vey-sim" --time-scale 30 >"$demo/vey-sim.log" 2>&1 &
sim_pid=$!
url=""
for _ in $(seq 100); do
    if [[ "$(head -n 1 "$demo/vey-sim.log" 2>/dev/null)" =~ ^listening\ on\ (http://127\.0\.0\.1:[0-9]+)$ ]]; then
        url="${BASH_REMATCH[1]}"
        break
    fi
    sleep 0.1
done
[[ -n "$url" ]] || { echo "vey-sim did not start" >&2; exit 1; }
printf '%s\r\n' "[Parameters]" "AutoStart=1" "AutoHide=0" "UserName=demo" "UserPw=demo123" \
    "ScanTimer=1" "TimerOn=1" "Filter=0" "FriendsOff=0" "DisplayUser=0" "MinimizeIcon=0" \
    "ServiceUrl=$url" >"$demo/Amiscan.ini"

display=:$((90 + RANDOM % 100))
Xvfb "$display" -screen 0 1280x900x24 -nolisten tcp >/dev/null 2>&1 &
xvfb_pid=$!
export DISPLAY=$display
sleep 1

# Waits until the log holds N more read scans than it did.
read_scans() {
    python3 -c 'import sqlite3,sys
try:
    print(sqlite3.connect("file:"+sys.argv[1]+"?mode=ro",uri=True).execute(
        "select count(*) from scans where outcome=\"read\"").fetchone()[0])
except Exception:
    print(0)' "$demo/Amiscan.db"
}
wait_scans() {
    local target=$(($(read_scans) + $1))
    until (($(read_scans) >= target)); do
        kill -0 "$app_pid" 2>/dev/null || { echo "Amiscan ended" >&2; exit 1; }
        sleep 2
    done
}

"$demo/amiscan" >"$demo/amiscan.log" 2>&1 &
app_pid=$!
if ((pause_minutes > 0)); then
    echo "Scanning: $scans_before scans, then a pause of $pause_minutes minutes"
    wait_scans "$scans_before"
    kill -STOP "$app_pid"
    sleep $((pause_minutes * 60))
    kill -CONT "$app_pid"
fi
echo "Scanning: $scans_after scans"
wait_scans "$scans_after"

window=$(xdotool search --sync --onlyvisible --name '^Amiscan( : [0-9]+)?$' | head -n 1)
xdotool windowfocus --sync "$window"
xdotool key ctrl+h
history=$(xdotool search --sync --onlyvisible --name 'History$' | head -n 1)
sleep 2
# Two more friends shown together with the first (Ctrl+click in the list), then the 14 days.
xdotool mousemove --window "$history" 100 63 keydown ctrl click 1 mousemove --window "$history" \
    100 79 click 1 keyup ctrl
sleep 3
/usr/bin/import -window "$history" "$build/history-timeline.png"
# Today, zoomed by a double click on its row (the last one), then the pattern's tab.
xdotool mousemove --window "$history" 600 555 click --repeat 2 --delay 80 1
sleep 2
/usr/bin/import -window "$history" "$build/history-day.png"
xdotool mousemove --window "$history" 330 52 click 1
sleep 2
/usr/bin/import -window "$history" "$build/history-pattern.png"
echo "Screenshots: $build/history-timeline.png $build/history-day.png $build/history-pattern.png"
