#!/usr/bin/env bash
# Sets up the machine, builds everything and runs every test: the portable
# code natively (AddressSanitizer + UBSan), the GIF fuzzer for a bounded
# time, the Windows tests under Wine inside one Xvfb display, and the real
# program driven from outside.
set -euo pipefail
cd "$(dirname "$0")/.."
VX_ROOT=$(pwd)
jobs=$(nproc)

scripts/setup.sh

echo "== format"
scripts/format.sh

echo "== native build and tests"
cmake --preset native >/dev/null
cmake --build --preset native -j"$jobs"
ctest --preset native -j"$jobs"

if [[ -x scripts/fuzz.sh ]]; then
  echo "== fuzzing"
  scripts/fuzz.sh "${VX_FUZZ_SECONDS:-60}"
fi

echo "== Windows build and tests (Wine)"
cmake --preset windows >/dev/null
cmake --build --preset windows -j"$jobs"
tests/e2e/package_test.sh
source scripts/wine-env.sh
vx_wine_prefix
xvfb-run -a -s "-screen 0 1280x1024x24" bash -c '
  source scripts/wine-env.sh
  vx_wine_warm
  status=0
  ctest --preset windows || status=$?
  tests/e2e/program_test.sh || status=$?
  wineserver -k 2>/dev/null || true
  exit $status
'
echo "All tests passed."
