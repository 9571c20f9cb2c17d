#!/usr/bin/env bash
# Configures and builds Amiscan in build/ (warnings are errors).
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
cmake -S "$root" -B "$root/build" -DAMISCAN_WERROR=ON -DCMAKE_EXPORT_COMPILE_COMMANDS=ON >/dev/null
cmake --build "$root/build" -j"$(nproc)"
