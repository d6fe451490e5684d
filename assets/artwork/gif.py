"""The character animation's GIF89a writer (LZW included) and a read-back check."""

import struct

from PIL import Image

from .character import DELAY_MS, GIF_SIZE, TRANSPARENT_RGB


def lzw_encode(indices, min_code_size=8):
    clear, end = 1 << min_code_size, (1 << min_code_size) + 1
    out = bytearray()
    bitbuf = 0
    nbits = 0
    width = min_code_size + 1

    def emit(code):
        nonlocal bitbuf, nbits
        bitbuf |= code << nbits
        nbits += width
        while nbits >= 8:
            out.append(bitbuf & 0xFF)
            bitbuf >>= 8
            nbits -= 8

    table = {}
    next_code = end + 1
    emit(clear)
    prefix = indices[0]
    for k in indices[1:]:
        key = (prefix, k)
        if key in table:
            prefix = table[key]
            continue
        emit(prefix)
        if next_code < 4096:
            table[key] = next_code
            next_code += 1
            if next_code > (1 << width) and width < 12:
                width += 1
        else:
            emit(clear)
            table.clear()
            next_code = end + 1
            width = min_code_size + 1
        prefix = k
    emit(prefix)
    emit(end)
    if nbits:
        out.append(bitbuf & 0xFF)
    blocks = bytearray()
    for i in range(0, len(out), 255):
        chunk = out[i:i + 255]
        blocks += bytes((len(chunk),)) + chunk
    return bytes(blocks) + b"\0"


def write_gif(path, frames):
    colours = {}
    for f in frames:
        for r, g, b, a in f.getdata():
            if a:
                colours.setdefault((r, g, b), None)
    palette = [TRANSPARENT_RGB] + sorted(colours)
    assert len(palette) <= 256, len(palette)
    assert TRANSPARENT_RGB not in colours
    index = {c: i for i, c in enumerate(palette)}
    palette += [(0, 0, 0)] * (256 - len(palette))

    out = bytearray(b"GIF89a")
    out += struct.pack("<HHBBB", GIF_SIZE, GIF_SIZE, 0xF7, 0, 0)   # global table of 256, background 0
    for c in palette:
        out += bytes(c)
    out += b"\x21\xFF\x0BNETSCAPE2.0\x03\x01" + struct.pack("<H", 0) + b"\0"   # loop for ever
    for f in frames:
        # disposal 2 (restore to background), transparent index 0
        out += b"\x21\xF9\x04" + bytes((0x08 | 0x01,)) + struct.pack("<H", DELAY_MS // 10) + b"\x00\x00"
        out += b"\x2C" + struct.pack("<HHHHB", 0, 0, GIF_SIZE, GIF_SIZE, 0)
        data = [index[(r, g, b)] if a else 0 for r, g, b, a in f.getdata()]
        out += bytes((8,)) + lzw_encode(data, 8)
    out += b"\x3B"
    with open(path, "wb") as fh:
        fh.write(out)


def check_gif(path, frames):
    """Read the animation back and make sure it says what we meant."""
    im = Image.open(path)
    assert im.n_frames == len(frames), im.n_frames
    assert im.info.get("loop") == 0, im.info
    raw = open(path, "rb").read()
    assert raw[:6] == b"GIF89a" and raw[10] & 0x80
    gces = [raw[i:i + 8] for i in range(len(raw) - 8) if raw[i:i + 3] == b"\x21\xF9\x04"]
    assert len(gces) == len(frames)
    for g in gces:
        assert (g[3] >> 2) & 7 == 2 and g[3] & 1 and g[6] == 0, g
        assert 80 <= struct.unpack("<H", g[4:6])[0] * 10 <= 120
    for k in range(len(frames)):
        im.seek(k)
        # Pillow reports the transparent index only for the first frame and
        # composes later ones to RGBA; the raw extensions were checked above.
        assert im.info.get("duration") == DELAY_MS
        assert k > 0 or im.info.get("transparency") == 0
        assert im.disposal_method == 2
        got = [p if p[3] else None for p in im.convert("RGBA").getdata()]
        want = [p if p[3] else None for p in frames[k].getdata()]
        assert got == want, k
