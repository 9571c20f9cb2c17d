#!/usr/bin/env bash
# The style checks CI runs: clang-format over every C++ file git tracks, and clang-tidy (the
# checks in .clang-tidy) over the program's own sources, from build/compile_commands.json.
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
cd "$root"

git ls-files '*.cpp' '*.h' | xargs clang-format --dry-run --Werror
echo "clang-format: clean"

[[ -f build/compile_commands.json ]] || { echo "build/compile_commands.json missing: run tools/build.sh" >&2; exit 1; }
# Each program source once (the fuzzing harnesses compile some of them a second time).
mkdir -p build/tidy
python3 - "$root" <<'PY'
import json, re, sys
root = sys.argv[1]
program = re.compile(re.escape(root) + r'/(store|platform|lists|scan|schedule|model|desktop|ui|app|browser|tools/vey-sim)/[^/]+\.cpp$')
seen, kept = set(), []
for entry in json.load(open(f'{root}/build/compile_commands.json')):
    if program.match(entry['file']) and entry['file'] not in seen:
        seen.add(entry['file'])
        kept.append(entry)
json.dump(kept, open(f'{root}/build/tidy/compile_commands.json', 'w'), indent=1)
print(f'clang-tidy: {len(kept)} files')
PY
if ! run-clang-tidy -quiet -p build/tidy -j "$(nproc)" > build/tidy/log 2>&1; then
    grep -E 'warning:|error:' build/tidy/log | sort -u
    echo "clang-tidy: findings above (full log: build/tidy/log)" >&2
    exit 1
fi
echo "clang-tidy: clean"
