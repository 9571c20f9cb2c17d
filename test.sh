#!/usr/bin/env bash
# Installs what is missing, builds, and runs the whole test suite.
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
"$root/tools/install-deps.sh"
"$root/tools/build.sh"

export QT_QPA_PLATFORM=offscreen
# The embedded browser's sandbox cannot run as root.
if [[ $(id -u) -eq 0 ]]; then
    export QTWEBENGINE_DISABLE_SANDBOX=1
fi
cd "$root/build"
ctest --output-on-failure --timeout 600 -j2
