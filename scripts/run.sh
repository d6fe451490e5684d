#!/usr/bin/env bash
# Sets up the machine, builds vexillor.exe and starts it. Without a display
# it runs under Xvfb, saves a screenshot of the window and says where.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh
cmake --preset windows >/dev/null
cmake --build --preset windows -j"$(nproc)" --target vexillor
source scripts/wine-env.sh
vx_wine_prefix
exe=build/windows/src/app/vexillor.exe

if [[ -n ${DISPLAY:-} ]]; then
  exec wine "$exe" "$@"
fi

shot=${VX_SCREENSHOT:-$(pwd)/build/vexillor-screenshot.png}
# The screenshot shows the program in use: a sample picture given on the
# command line (as "Open with" does), its crest zoomed in the banner, and the
# pointer resting on the save button with its balloon tooltip.
picture=tests/data/pictures/sample.png
xvfb-run -a -s "-screen 0 1024x768x24" bash -c '
  source scripts/wine-env.sh
  vx_wine_warm
  wine "$1" "$(winepath -w "$3")" >/dev/null 2>&1 &
  win=$(timeout 60 xdotool search --sync --onlyvisible --name "^Vexillor$" | head -n1)
  sleep 2
  save_x=$((76 + 74 + 16)) save_y=$((425 + 10 + 16))
  xdotool mousemove --window "$win" "$save_x" "$save_y"; sleep 0.2
  xdotool mousemove --window "$win" $((save_x + 1)) "$save_y"
  for _ in $(seq 20); do
    xdotool search --onlyvisible --name "^QTX-EXTOOLTIP$" >/dev/null 2>&1 && break
    sleep 0.2
  done
  sleep 0.5
  pos=$(xdotool getwindowgeometry "$win" | awk "/Position/ {print \$2}")
  size=$(xdotool getwindowgeometry "$win" | awk "/Geometry/ {print \$2}")
  import -window root -crop "${size}+${pos%,*}+${pos#*,}" +repage "$2" 2>/dev/null || import -window root "$2"
  xdotool windowactivate --sync "$win" key alt+F4 2>/dev/null || true
  sleep 1
  wineserver -k 2>/dev/null || true
' _ "$exe" "$shot" "$picture"
echo "Vexillor ran under Xvfb; screenshot saved to $shot"
