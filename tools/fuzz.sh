#!/usr/bin/env bash
# Builds the libFuzzer harnesses of the page and file readers with clang in build-fuzz/ and fuzzes
# each in turn: tools/fuzz.sh [SECONDS [RUNS [HARNESS...]]] (60 seconds each by default; RUNS,
# when given, stops a harness after that many inputs, and SECONDS 0 then means no time limit;
# HARNESS names some of page_reader, history_file, settings_file, time_text instead of all).
# New inputs collect in build-fuzz/corpus/<harness>/. A finding is saved in
# build-fuzz/findings/<harness>/ and makes the script fail; once fixed, keep it as a regression
# input in tests/fuzz/corpus/<harness>/, which the test suite replays.
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
seconds=${1:-60}
runs=${2:-}
build="$root/build-fuzz"
harnesses=(page_reader history_file settings_file time_text)
if (($# > 2)); then
    harnesses=("${@:3}")
fi

launcher=()
if command -v ccache >/dev/null; then
    launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
fi
cmake -S "$root" -B "$build" -DAMISCAN_FUZZ=ON -DCMAKE_CXX_COMPILER=clang++ \
    -DCMAKE_BUILD_TYPE=RelWithDebInfo "${launcher[@]}" >/dev/null
cmake --build "$build" -j"$(nproc)" --target "${harnesses[@]/#/fuzz_}"

limits=(-timeout=10 -rss_limit_mb=2048 -print_final_stats=1)
if [[ -n "$runs" ]]; then
    limits+=(-runs="$runs")
fi
if [[ "$seconds" != 0 ]]; then
    limits+=(-max_total_time="$seconds")
fi

failed=()
for harness in "${harnesses[@]}"; do
    corpus="$build/corpus/$harness"
    findings="$build/findings/$harness"
    mkdir -p "$corpus" "$findings"
    # Long enough for what each reader meets: a page of more than 200 friends, a history of a
    # dozen friends or more, a settings file, two stamps.
    case "$harness" in
    page_reader) max_len=32768 ;;
    history_file) max_len=1024 ;;
    settings_file) max_len=1024 ;;
    time_text) max_len=256 ;;
    esac
    echo "== $harness"
    if ! "$build/tests/fuzz/fuzz_$harness" "${limits[@]}" -max_len="$max_len" \
        -dict="$root/tests/fuzz/$harness.dict" -artifact_prefix="$findings/" \
        "$corpus" "$root/tests/fuzz/corpus/$harness"; then
        failed+=("$harness")
    fi
done

if ((${#failed[@]})); then
    echo "Findings in: ${failed[*]} (see $build/findings/)" >&2
    exit 1
fi
echo "No findings."
