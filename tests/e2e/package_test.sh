#!/usr/bin/env bash
# The release package: one zip holding both executables, the character
# animation and the README, with the project's version in each executable's
# version resource (what Explorer's Properties show).
set -euo pipefail
cd "$(dirname "$0")/../.."
zip=$(scripts/package.sh | tail -n1)
version=$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' build/windows/CMakeCache.txt)
python3 - "$zip" "$version" <<'PY'
import struct, sys, zipfile
path, version = sys.argv[1:]
name = f"Vexillor-{version}-win64"
assert path.endswith(name + ".zip"), path
z = zipfile.ZipFile(path)
files = sorted(z.namelist())
expected = sorted(f"{name}/{f}" for f in ("README.txt", "char0.dat", "vexillor-cli.exe", "vexillor.exe"))
assert files == expected, files
assert version in z.read(f"{name}/README.txt").decode("utf-8")
numbers = tuple(int(n) for n in version.split("."))
for exe in ("vexillor.exe", "vexillor-cli.exe"):
    data = z.read(f"{name}/{exe}")
    assert data[:2] == b"MZ", exe
    # VS_FIXEDFILEINFO: signature, structure version, file version MS/LS, product version MS/LS.
    at = data.find(struct.pack("<I", 0xFEEF04BD))
    assert at > 0, f"{exe}: no version resource"
    _, _, file_ms, file_ls, product_ms, product_ls = struct.unpack_from("<6I", data, at)
    for ms, ls in ((file_ms, file_ls), (product_ms, product_ls)):
        assert (ms >> 16, ms & 0xFFFF, ls >> 16) == numbers, (exe, hex(ms), hex(ls))
    for key, value in (("ProductName", "Vexillor"), ("ProductVersion", version), ("OriginalFilename", exe)):
        needle = (key + "\0").encode("utf-16-le")
        key_at = data.find(needle, at)
        assert key_at > 0, (exe, key)
        assert value.encode("utf-16-le") in data[key_at : key_at + 128], (exe, key)
print(f"package test: passed ({path}: {', '.join(files)})")
PY
