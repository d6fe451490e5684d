# Sourced by the scripts that run Windows programs: one quiet Wine prefix
# inside the build folder, created once.
VX_ROOT=${VX_ROOT:-$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)}
export WINEPREFIX=${WINEPREFIX:-$VX_ROOT/build/wineprefix}
export WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d"
export WINEARCH=win64

vx_wine_prefix() {
  if [[ -f $WINEPREFIX/.vexillor-ready ]]; then return 0; fi
  echo "Creating the Wine prefix in $WINEPREFIX (once)..."
  mkdir -p "$WINEPREFIX"
  wineboot -i >/dev/null 2>&1 || true
  wineserver -w
  # Debian's Wine does not install its own fonts into a new prefix.
  mkdir -p "$WINEPREFIX/drive_c/windows/Fonts"
  cp /usr/share/wine/fonts/*.ttf "$WINEPREFIX/drive_c/windows/Fonts/" 2>/dev/null || true
  wine reg add 'HKCU\Software\Wine\Fonts\Replacements' /v Verdana /t REG_SZ /d "DejaVu Sans" /f >/dev/null 2>&1
  wineserver -w
  touch "$WINEPREFIX/.vexillor-ready"
}

# Starts wineserver and lets the background services come up, so that the
# first real program does not inherit their open output pipes.
vx_wine_warm() {
  wineserver -p
  wine cmd /c exit </dev/null >/dev/null 2>&1 || true
}
