#!/usr/bin/env bash
# Makes the Debian package in build/ (cpack -G DEB) and checks it as a user's desktop would meet
# it: lintian reports no error, no warning and no missing hardening; and the installed program's
# window carries the class its desktop entry names in StartupWMClass, so docks tie the window
# to its launcher.
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)

# Under the virtual display: starts the unpacked program, prints the class of its window and
# ends it.
if [[ "${1:-}" == "--window-class-stage" ]]; then
    unpacked=$2
    # A loaded machine may start the virtual display late: the program is started once it answers.
    for _ in $(seq 100); do
        xwininfo -root >/dev/null 2>&1 && break
        sleep 0.1
    done
    "$unpacked/usr/bin/amiscan" --data-dir "$unpacked/data" >"$unpacked/amiscan.log" 2>&1 &
    app_pid=$!
    trap 'kill "$app_pid" 2>/dev/null || true; wait "$app_pid" 2>/dev/null || true' EXIT
    for _ in $(seq 100); do
        for window in $(xwininfo -root -children | awk '/^ +0x/ {print $1}'); do
            # WM_CLASS(STRING) = "instance", "class": the instance is what launchers match.
            class=$(xprop -id "$window" WM_CLASS 2>/dev/null | sed -n 's/^WM_CLASS(STRING) = "\([^"]*\)".*/\1/p')
            if [[ -n "$class" ]]; then
                echo "$class"
                exit 0
            fi
        done
        kill -0 "$app_pid" 2>/dev/null || break
        sleep 0.2
    done
    echo "amiscan showed no window; its output:" >&2
    cat "$unpacked/amiscan.log" >&2
    exit 1
fi

"$root/tools/install-deps.sh"
"$root/tools/build.sh" >/dev/null
cd "$root/build"
rm -f amiscan_*.deb
cpack -G DEB >cpack.log 2>&1 || { cat cpack.log >&2; exit 1; }
package=$(ls amiscan_*.deb)
echo "Package: build/$package"

# Errors and warnings fail, and so do the informational hardening tags (a binary built without
# fortified calls or without binding at start). Lintian warns when run as root: not about us.
lintian_status=0
lintian --fail-on error,warning --display-info --pedantic "$package" \
    2> >(grep -v "running with root privileges" >&2) | tee lintian.log || lintian_status=$?
if ((lintian_status)); then
    echo "lintian: errors or warnings (above)" >&2
    exit 1
fi
if grep -q "hardening-" lintian.log; then
    echo "lintian: a binary is not hardened (above)" >&2
    exit 1
fi
echo "lintian: no error, no warning"

unpacked=$(mktemp -d)
trap 'rm -rf "$unpacked"' EXIT
dpkg-deb -x "$package" "$unpacked"
entry=$(ls "$unpacked"/usr/share/applications/*.desktop)
expected=$(sed -n 's/^StartupWMClass=//p' "$entry")
export QT_QPA_PLATFORM=xcb
[[ $(id -u) -ne 0 ]] || export QTWEBENGINE_DISABLE_SANDBOX=1
actual=$(xvfb-run -a -s "-screen 0 1024x768x24" "$root/tools/check-package.sh" \
    --window-class-stage "$unpacked")
if [[ -z "$expected" || "$actual" != "$expected" ]]; then
    echo "The window's class is \"$actual\"; the desktop entry's StartupWMClass is \"$expected\"" >&2
    exit 1
fi
echo "Window class: $actual, as the desktop entry says"
