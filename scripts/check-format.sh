#!/usr/bin/env bash
# Fails when a C++ source differs from what .clang-format makes of it.
# With --fix, formats them in place instead.
set -euo pipefail
cd "$(dirname "$0")/.."

if git rev-parse --is-inside-work-tree >/dev/null 2>&1; then
    mapfile -t files < <(git ls-files --cached --others --exclude-standard '*.cpp' '*.h')
else
    mapfile -t files < <(find src tests tools bench -name '*.cpp' -o -name '*.h')
fi

if [ "${1:-}" = "--fix" ]; then
    clang-format -i --style=file "${files[@]}"
    exit 0
fi

clang-format --dry-run --Werror --style=file "${files[@]}"
