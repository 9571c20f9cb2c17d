#!/usr/bin/env bash
# Kills the saving of a large history and of the settings, and the recording of a scan in the
# presence log, at COUNT random instants (default 1000) and checks after every kill that each file
# is whole, the old one or the new one (the log with at most the scan being written lost), with
# nothing piling up beside them: tools/kill-test.sh [COUNT]. The test suite runs the same test 200
# times.
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
count=${1:-1000}
cmake --build "$root/build" -j"$(nproc)" --target test_kill_save
AMISCAN_KILL_COUNT="$count" "$root/build/tests/test_kill_save"
