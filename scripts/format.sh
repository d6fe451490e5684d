#!/usr/bin/env bash
# Checks (default) or applies (--fix) the house format on every C++ file the
# repository tracks.
set -euo pipefail
cd "$(dirname "$0")/.."
mapfile -t files < <(git ls-files '*.cpp' '*.h')
if [[ ${1:-} == --fix ]]; then
  clang-format -i "${files[@]}"
  exit 0
fi
if ! clang-format --dry-run --Werror "${files[@]}" 2>/tmp/vx-format.log; then
  grep -E '^[^ ].*: (error|warning):' /tmp/vx-format.log | cut -d: -f1 | sort -u | sed 's/^/not formatted: /'
  echo "run scripts/format.sh --fix" >&2
  exit 1
fi
echo "format: every file follows .clang-format"
