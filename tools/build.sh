#!/usr/bin/env bash
# Configures and builds Amiscan in build/ (warnings are errors), through ccache when it is there.
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
launcher=()
if command -v ccache >/dev/null; then
    launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
fi
cmake -S "$root" -B "$root/build" -DAMISCAN_WERROR=ON -DCMAKE_EXPORT_COMPILE_COMMANDS=ON \
    "${launcher[@]}" >/dev/null
cmake --build "$root/build" -j"$(nproc)"
