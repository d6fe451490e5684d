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
  exec wine "$exe"
fi

shot=${VX_SCREENSHOT:-$(pwd)/build/vexillor-screenshot.png}
xvfb-run -a -s "-screen 0 1024x768x24" bash -c '
  source scripts/wine-env.sh
  vx_wine_warm
  wine "$1" >/dev/null 2>&1 &
  win=$(timeout 60 xdotool search --sync --onlyvisible --name "^Vexillor$" | head -n1)
  sleep 2
  import -window "$win" "$2" 2>/dev/null || import -window root "$2"
  xdotool windowactivate --sync "$win" key alt+F4 2>/dev/null || true
  sleep 1
  wineserver -k 2>/dev/null || true
' _ "$exe" "$shot"
echo "Vexillor ran under Xvfb; screenshot saved to $shot"
