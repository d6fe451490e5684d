#!/usr/bin/env bash
# The real vexillor.exe driven from outside, as a user would: it opens its
# window, closes cleanly through the caption bar's shortcut, and without its
# character animation warns and ends. Run inside a display (scripts/test.sh
# runs it under Xvfb) with the Wine prefix ready.
set -uo pipefail
cd "$(dirname "$0")/../.."
source scripts/wine-env.sh
exe_dir=build/windows/src/app
failures=0

fail() { echo "FAIL: $*"; failures=$((failures + 1)); }

# Waits up to $2 seconds for process $1 to end and sets `status` to its
# exit status (or "timeout").
wait_for_exit() {
  local pid=$1 limit=$2 waited=0
  while kill -0 "$pid" 2>/dev/null; do
    if ((waited >= limit * 10)); then
      kill "$pid" 2>/dev/null
      status=timeout
      return
    fi
    sleep 0.1
    waited=$((waited + 1))
  done
  wait "$pid"
  status=$?
}

# 1. Start-up and closing through the caption bar.
wine "$exe_dir/vexillor.exe" >/dev/null 2>&1 &
pid=$!
win=$(timeout 60 xdotool search --sync --onlyvisible --name '^Vexillor$' | head -n1)
if [[ -z $win ]]; then
  fail "the window did not appear"
else
  sleep 1
  geometry=$(xdotool getwindowgeometry "$win" | awk '/Geometry/ {print $2}')
  [[ $geometry == 637x479 ]] || fail "window client is $geometry, not 637x479"
  xdotool windowfocus "$win" 2>/dev/null; sleep 0.3; xdotool key alt+F4
  wait_for_exit "$pid" 20
  [[ $status == 0 ]] || fail "closing the window did not end the program cleanly (status $status)"
fi

# 2. Without char0.dat: the warning, then the program ends after OK.
lonely=$(mktemp -d)
cp "$exe_dir/vexillor.exe" "$lonely/"
wine "$lonely/vexillor.exe" >/dev/null 2>&1 &
pid=$!
box=$(timeout 60 xdotool search --sync --onlyvisible --name '^Vexillor$' | head -n1)
if [[ -z $box ]]; then
  fail "no warning appeared without the character animation"
else
  sleep 1
  xdotool windowfocus "$box" 2>/dev/null; sleep 0.3; xdotool key Return
  wait_for_exit "$pid" 20
  [[ $status == 0 ]] || fail "the program did not end after the warning (status $status)"
fi
rm -rf "$lonely"

if ((failures)); then
  echo "program test: $failures failure(s)"
  exit 1
fi
echo "program test: passed"
