#!/usr/bin/env bash
# The real vexillor.exe driven from outside, as a user would: it opens its
# window, closes cleanly through the caption bar's shortcut, its save button
# lights up and shows its balloon under the pointer, and without its
# character animation it says so once and goes on. Run inside a display (scripts/test.sh
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

# 2. The button bar: the save button lights up under the pointer and, after
# a rest, shows its balloon; the bar puts it back and the balloon goes.
# Client coordinates: the bar at (76, 425), the save button at (74, 10) on it.
save_x=$((76 + 74 + 16)) save_y=$((425 + 10 + 16))
bar_x=$((76 + 8)) bar_y=$((425 + 24))
# The 32 x 32 pixels of the save button as the screen shows them.
button_shot() {
  local pos
  pos=$(xdotool getwindowgeometry "$win" | awk '/Position/ {print $2}')
  import -window root -crop "32x32+$((${pos%,*} + 150))+$((${pos#*,} + 435))" +repage "$1" 2>/dev/null
}
balloons() { xdotool search --onlyvisible --name '^QTX-EXTOOLTIP$' 2>/dev/null | wc -l; }
# Waits up to 4 seconds for $1 balloons on screen.
wait_for_balloons() {
  local tries=0
  while (($(balloons) != $1 && tries < 20)); do sleep 0.2; tries=$((tries + 1)); done
}
differing() { compare -metric AE "$1" "$2" null: 2>&1 | awk '{print int($1)}'; }

wine "$exe_dir/vexillor.exe" >/dev/null 2>&1 &
pid=$!
win=$(timeout 60 xdotool search --sync --onlyvisible --name '^Vexillor$' | head -n1)
if [[ -z $win ]]; then
  fail "the window did not appear for the button test"
else
  shots=$(mktemp -d)
  sleep 1
  xdotool mousemove --window "$win" "$bar_x" "$bar_y"; sleep 0.3
  button_shot "$shots/normal.png"
  # The first move arms the tooltip, the next starts its ticks.
  xdotool mousemove --window "$win" "$save_x" "$save_y"; sleep 0.2
  xdotool mousemove --window "$win" $((save_x + 1)) "$save_y"
  wait_for_balloons 1
  button_shot "$shots/hover.png"
  (($(differing "$shots/normal.png" "$shots/hover.png") > 50)) || fail "the save button did not light up"
  (($(balloons) == 1)) || fail "no balloon titled QTX-EXTOOLTIP appeared over the save button"
  xdotool mousemove --window "$win" "$bar_x" "$bar_y"; sleep 0.2
  xdotool mousemove --window "$win" $((bar_x + 1)) "$bar_y"
  wait_for_balloons 0
  sleep 0.3
  button_shot "$shots/back.png"
  (($(differing "$shots/normal.png" "$shots/back.png") == 0)) || fail "the bar did not put the save button back"
  (($(balloons) == 0)) || fail "the balloon stayed after the pointer left the button"
  rm -rf "$shots"
  xdotool windowfocus "$win" 2>/dev/null; sleep 0.3; xdotool key alt+F4
  wait_for_exit "$pid" 20
  [[ $status == 0 ]] || fail "closing the window after the button test did not end the program (status $status)"
fi

# 3. Without char0.dat: the warning names the file once, and after OK the
# window stays, working without its character, until it is closed.
lonely=$(mktemp -d)
cp "$exe_dir/vexillor.exe" "$lonely/"
wine "$lonely/vexillor.exe" >/dev/null 2>&1 &
pid=$!
# The main window and the warning share the title; the warning is the small one.
find_window() { # $1: "main" or "box"
  local w g
  for w in $(xdotool search --onlyvisible --name '^Vexillor$' 2>/dev/null); do
    g=$(xdotool getwindowgeometry "$w" | awk '/Geometry/ {print $2}')
    if [[ ($1 == main && $g == 637x479) || ($1 == box && ${g%x*} -lt 600) ]]; then echo "$w"; return; fi
  done
}
box="" tries=0
while [[ -z $box && $tries -lt 300 ]]; do box=$(find_window box); sleep 0.2; tries=$((tries + 1)); done
if [[ -z $box ]]; then
  fail "no warning appeared without the character animation"
else
  # A box that has just appeared may not take keys yet: press again until it goes.
  for _ in 1 2 3 4 5; do
    sleep 1
    xdotool windowfocus "$box" 2>/dev/null; sleep 0.3; xdotool key Return
    sleep 0.5
    [[ -z $(find_window box) ]] && break
  done
  win=$(find_window main)
  if [[ -z $win ]] || [[ -n $(find_window box) ]]; then
    fail "the window did not stay open alone after the warning"
  fi
  kill -0 "$pid" 2>/dev/null || fail "the program ended after the warning"
  [[ -n $win ]] && { xdotool windowfocus "$win" 2>/dev/null; sleep 0.3; xdotool key alt+F4; }
  wait_for_exit "$pid" 20
  [[ $status == 0 ]] || fail "closing the window without its character did not end the program (status $status)"
fi
rm -rf "$lonely"

if ((failures)); then
  echo "program test: $failures failure(s)"
  exit 1
fi
echo "program test: passed"
