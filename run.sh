#!/usr/bin/env bash
# Shows Amiscan at work: installs what is missing, builds, starts the local stand-in for the
# service (vey-sim) with its live roster, and runs Amiscan against it from a demo directory of
# its own under build/, so the user's own files are never touched. The simulator stops when
# Amiscan ends.
#
# Without a display it runs under a virtual one: it waits for the first scan to complete,
# saves a screenshot of the screen, prints the screenshot's path and the history file, and
# ends both programs.
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
build="$root/build"
demo="$build/demo"

# Ends a background process of ours, if it still runs.
stop_process() {
    if [[ -n "$1" ]] && kill -0 "$1" 2>/dev/null; then
        kill "$1" 2>/dev/null || true
        wait "$1" 2>/dev/null || true
    fi
}

# The embedded browser's sandbox cannot run as root, and a virtual display has no GPU.
if [[ $(id -u) -eq 0 ]]; then
    export QTWEBENGINE_DISABLE_SANDBOX=1
    export QTWEBENGINE_CHROMIUM_FLAGS=--disable-gpu
fi

# Second stage, under the virtual display: runs Amiscan until its first scan has written the
# history, then takes the screenshot and ends it.
if [[ "${1:-}" == "--headless-stage" ]]; then
    history="$demo/Amiscan.txt"
    shot="$build/amiscan-screenshot.png"
    app_pid=""
    trap 'stop_process "$app_pid"' EXIT
    trap 'exit 130' INT TERM

    "$demo/amiscan" >"$demo/amiscan.log" 2>&1 &
    app_pid=$!
    deadline=$((SECONDS + 120))
    until [[ -s "$history" ]]; do
        if ! kill -0 "$app_pid" 2>/dev/null; then
            echo "Amiscan ended before its first scan completed; its output:" >&2
            cat "$demo/amiscan.log" >&2
            exit 1
        fi
        if ((SECONDS >= deadline)); then
            echo "No scan completed within 120 s; Amiscan's output:" >&2
            cat "$demo/amiscan.log" >&2
            exit 1
        fi
        sleep 0.5
    done
    sleep 3 # let the window repaint with the friends listed
    rm -f "$shot"
    # The full path: another "convert"/"import" may come first on PATH.
    /usr/bin/import -window root "$shot"
    echo "Screenshot: $shot"
    echo "History file: $history"
    # The history is in Windows-1252 unless it starts with UTF-8's byte-order mark; show it in
    # UTF-8.
    if [[ $(head -c 3 "$history" | od -An -tx1 | tr -d ' \n') == efbbbf ]]; then
        cat "$history"
    else
        iconv -f WINDOWS-1252 -t UTF-8 "$history"
    fi
    exit 0
fi

"$root/tools/install-deps.sh"
"$root/tools/build.sh"

# A data directory of its own: the executable keeps its files beside itself, and finds its
# browser helper there.
mkdir -p "$demo"
cp "$build/app/amiscan" "$build/app/amiscan-browser" "$demo/"
rm -f "$demo/Amiscan.txt"

sim_pid=""
sim_log="$demo/vey-sim.log"
trap 'stop_process "$sim_pid"' EXIT
trap 'exit 130' INT TERM

# Any free port: the simulator's first line says which one it took.
"$build/tools/vey-sim/vey-sim" >"$sim_log" 2>&1 &
sim_pid=$!
url=""
for _ in $(seq 100); do
    first=$(head -n 1 "$sim_log" 2>/dev/null || true)
    if [[ "$first" =~ ^listening\ on\ (http://127\.0\.0\.1:[0-9]+)$ ]]; then
        url="${BASH_REMATCH[1]}"
        break
    fi
    kill -0 "$sim_pid" 2>/dev/null || break
    sleep 0.1
done
if [[ -z "$url" ]]; then
    echo "vey-sim did not start:" >&2
    cat "$sim_log" >&2
    exit 1
fi
echo "Service simulator at $url (log: $sim_log)"

# The demo login, Auto Start on and a scan every minute; CR LF like every file of the program.
printf '%s\r\n' "[Parameters]" "AutoStart=1" "AutoHide=0" "UserName=demo" "UserPw=demo123" \
    "ScanTimer=1" "TimerOn=1" "Filter=0" "FriendsOff=0" "DisplayUser=0" "MinimizeIcon=0" \
    "ServiceUrl=$url" >"$demo/Amiscan.ini"

if [[ -n "${DISPLAY:-}" || -n "${WAYLAND_DISPLAY:-}" ]]; then
    status=0
    "$demo/amiscan" || status=$?
    exit "$status"
fi

xvfb-run -a -s "-screen 0 1024x768x24" "$root/run.sh" --headless-stage
