#!/usr/bin/env bash
# Prints the lines of code, the lines of tests and their ratio. Counted: the files git tracks in
# C++, CMake, shell, Python or JavaScript (build directories and generated files are never
# tracked). Tests are everything under tests/, the fuzzing harnesses included; code is the rest,
# bench/ and tools/ included.
set -euo pipefail
cd "$(dirname "${BASH_SOURCE[0]}")/.."

is_counted() {
    case "$1" in
    *.cpp | *.h | *.hpp | *.cc | CMakeLists.txt | */CMakeLists.txt | *.cmake | *.sh | *.py | *.js)
        return 0 ;;
    esac
    # Scripts without an extension, such as .ci/run.
    [[ "${1##*/}" != *.* ]] || return 1
    local first
    first=$(head -c 64 "$1" | tr -d '\0')
    [[ "$first" =~ ^\#!.*(bash|sh|python|node) ]]
}

code=0
tests=0
while IFS= read -r -d '' file; do
    if [[ ! -f "$file" ]] || ! is_counted "$file"; then
        continue
    fi
    lines=$(wc -l <"$file")
    if [[ "$file" == tests/* ]]; then
        tests=$((tests + lines))
    else
        code=$((code + lines))
    fi
done < <(git ls-files -z)

echo "code lines: $code"
echo "test lines: $tests"
awk -v t="$tests" -v c="$code" 'BEGIN { printf "tests/code: %.1f %%\n", c ? 100 * t / c : 0 }'
