#!/usr/bin/env bash
# Makes the size bombs (bench/bombs/make_bombs.py) and prints the peak
# resident memory of `vexillor-cli crest` on each, with its exit status and
# what it said. The goal: under 1 GB for every file. Needs the windows
# build (cmake --preset windows && cmake --build --preset windows).
set -euo pipefail
cd "$(dirname "$0")/.."
VX_ROOT=$(pwd)
cli=build/windows/src/app/vexillor-cli.exe
[[ -x $cli ]] || { echo "build $cli first (cmake --build --preset windows)" >&2; exit 2; }
bombs=${1:-build/bombs}
python3 bench/bombs/make_bombs.py "$bombs"
# A real photo-sized JPEG just inside the budget, when ImageMagick is there
# to draw one (a plain gradient, made here).
if command -v convert >/dev/null && [[ ! -f $bombs/gradient-10000x10000.jpg ]]; then
  convert -size 10000x10000 gradient:navy-orange -quality 90 "$bombs/gradient-10000x10000.jpg"
fi
out=$(mktemp -d)
trap 'rm -rf "$out"' EXIT

source scripts/wine-env.sh
vx_wine_prefix
vx_wine_warm
limit_kb=$((1024 * 1024))
worst=0
printf '%-28s %10s %5s %9s  %s\n' file bytes exit peak-MB "first line of standard error"
for file in "$bombs"/*; do
  status=0
  timeout 300 /usr/bin/time -f %M -o "$out/peak" wine "$cli" crest "$file" "$out" >"$out/stdout" 2>"$out/stderr" ||
    status=$?
  peak_kb=$(tail -n 1 "$out/peak")
  (( peak_kb > worst )) && worst=$peak_kb
  said=$(grep -v -E 'Read access denied|rundll32|fixme:|err:' "$out/stderr" | head -n 1 || true)
  printf '%-28s %10s %5s %9s  %s\n' "$(basename "$file")" "$(stat -c %s "$file")" "$status" \
    "$((peak_kb / 1024))" "${said:-$(head -n 1 "$out/stdout")}"
  rm -f "$out"/*.bmp
done
# The header reader on a 4 GB sparse TIFF claiming 4 thousand million
# bits-per-sample values: refused at once, reading only what exists.
python3 bench/bombs/make_bombs.py --sparse-tiff "$out/sparse.tif"
start=$(date +%s.%N)
said=$(wine "$cli" info "$out/sparse.tif" 2>&1 | grep -v -E 'fixme:|err:' | head -n 1 || true)
printf 'info on a 4 GB sparse TIFF: %.1f s, %s\n' "$(echo "$(date +%s.%N) - $start" | bc)" "$said"
rm -f "$out/sparse.tif"
wineserver -k 2>/dev/null || true
echo "highest peak: $((worst / 1024)) MB (goal: under 1024 MB)"
(( worst < limit_kb ))
