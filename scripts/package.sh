#!/usr/bin/env bash
# Builds the release and writes dist/Vexillor-<version>-win64.zip: both
# executables, the character animation and a short README.txt, in one
# folder named like the zip. Prints the zip's path.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh
cmake --preset windows >/dev/null
cmake --build --preset windows -j"$(nproc)" --target vexillor vexillor-cli

version=$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' build/windows/CMakeCache.txt)
[[ -n $version ]] || { echo "package: no project version in build/windows" >&2; exit 1; }
name=Vexillor-$version-win64
out=dist/$name.zip
mkdir -p dist
python3 - "$out" "$name" "$version" <<'PY'
import sys, zipfile
out, name, version = sys.argv[1:]
app = "build/windows/src/app/"
with zipfile.ZipFile(out + ".part", "w", zipfile.ZIP_DEFLATED) as z:
    for f in ("vexillor.exe", "vexillor-cli.exe", "char0.dat"):
        z.write(app + f, f"{name}/{f}")
    readme = open("packaging/README.txt", encoding="utf-8").read().replace("@VERSION@", version)
    # Notepad on older Windows wants CR LF.
    z.writestr(f"{name}/README.txt", readme.replace("\n", "\r\n"))
PY
mv -f "$out.part" "$out"
echo "$out"
