#!/usr/bin/python3
"""Writes the GIF files that the GIF tests decode and compare with giflib.

Two independent writers make them: a byte-level writer below (exact control
over colour tables, code sizes, interlacing, extensions and LZW table
handling) and Pillow (ordinary files as a common library writes them).
Run from anywhere: /usr/bin/python3 tests/data/gif/make_gifs.py
The output is deterministic; the files are committed.
"""
import os
import random
import struct

from PIL import Image, ImageDraw

OUT = os.path.dirname(os.path.abspath(__file__))


# ---------------------------------------------------------------- byte writer

def lzw_codes(pixels, min_size, clear_when_full=True, start_with_clear=True):
    """Standard GIF LZW: returns a list of (code, width)."""
    clear = 1 << min_size
    end = clear + 1
    out = []
    width = min_size + 1
    table = {}
    next_code = end + 1

    def emit(code):
        nonlocal width
        out.append((code, width))
        if next_code >= (1 << width) and width < 12:
            width += 1

    if start_with_clear:
        emit(clear)
    prefix = pixels[0]
    for p in pixels[1:]:
        key = (prefix, p)
        if key in table:
            prefix = table[key]
            continue
        emit(prefix)
        prefix = p
        if next_code < 4096:
            table[key] = next_code
            next_code += 1
        elif clear_when_full:
            emit(clear)
            table = {}
            next_code = end + 1
            width = min_size + 1
    emit(prefix)
    emit(end)
    return out


def pack_codes(codes):
    data = bytearray()
    acc = 0
    bits = 0
    for code, width in codes:
        acc |= code << bits
        bits += width
        while bits >= 8:
            data.append(acc & 0xFF)
            acc >>= 8
            bits -= 8
    if bits:
        data.append(acc & 0xFF)
    return bytes(data)


def sub_blocks(data, size=255):
    out = bytearray()
    for i in range(0, len(data), size):
        chunk = data[i:i + size]
        out.append(len(chunk))
        out += chunk
    out.append(0)
    return bytes(out)


def table_bytes(colours, entries):
    out = bytearray()
    for i in range(entries):
        r, g, b = colours[i] if i < len(colours) else (0, 0, 0)
        out += bytes((r, g, b))
    return bytes(out)


def exponent_for(entries):
    e = 1
    while (1 << e) < entries:
        e += 1
    return e


def interlace_order(height):
    rows = []
    for first, step in ((0, 8), (4, 8), (2, 4), (1, 2)):
        rows += list(range(first, height, step))
    return rows


class Frame:
    def __init__(self, width, height, pixels, left=0, top=0, local=None, interlace=False,
                 gce=None, min_size=None, clear_when_full=True, start_with_clear=True):
        self.width, self.height, self.pixels = width, height, pixels
        self.left, self.top = left, top
        self.local = local              # list of (r, g, b) or None
        self.interlace = interlace
        self.gce = gce                  # (disposal, delay, transparent index or None)
        self.min_size = min_size
        self.clear_when_full = clear_when_full
        self.start_with_clear = start_with_clear


def write_gif(name, frames, global_colours=None, loop=None, background=0, screen=None):
    out = bytearray(b"GIF89a")
    sw = screen[0] if screen else max(f.left + f.width for f in frames)
    sh = screen[1] if screen else max(f.top + f.height for f in frames)
    packed = 0
    if global_colours:
        e = exponent_for(len(global_colours))
        packed = 0x80 | 0x70 | (e - 1)
    out += struct.pack("<HHBBB", sw, sh, packed, background, 0)
    if global_colours:
        out += table_bytes(global_colours, 1 << exponent_for(len(global_colours)))
    if loop is not None:
        out += b"\x21\xFF\x0BNETSCAPE2.0\x03\x01" + struct.pack("<H", loop) + b"\x00"
    for f in frames:
        if f.gce:
            disposal, delay, transparent = f.gce
            p = (disposal << 2) | (1 if transparent is not None else 0)
            out += bytes((0x21, 0xF9, 4, p)) + struct.pack("<H", delay)
            out += bytes((transparent or 0, 0))
        p = 0
        colours = f.local if f.local else global_colours
        if f.local:
            e = exponent_for(len(f.local))
            p |= 0x80 | (e - 1)
        if f.interlace:
            p |= 0x40
        out += b"\x2C" + struct.pack("<HHHHB", f.left, f.top, f.width, f.height, p)
        if f.local:
            out += table_bytes(f.local, 1 << exponent_for(len(f.local)))
        min_size = f.min_size or max(2, exponent_for(len(colours)))
        rows = interlace_order(f.height) if f.interlace else range(f.height)
        stream = []
        for r in rows:
            stream += f.pixels[r * f.width:(r + 1) * f.width]
        codes = lzw_codes(stream, min_size, f.clear_when_full, f.start_with_clear)
        out.append(min_size)
        out += sub_blocks(pack_codes(codes))
    out.append(0x3B)
    with open(os.path.join(OUT, name), "wb") as fh:
        fh.write(out)


def colours(n, seed):
    rnd = random.Random(seed)
    return [(rnd.randrange(256), rnd.randrange(256), rnd.randrange(256)) for _ in range(n)]


def pattern(width, height, n, seed, noise=0.3):
    """Blocky pattern with some noise, indices below n."""
    rnd = random.Random(seed)
    px = []
    for y in range(height):
        for x in range(width):
            v = ((x // 3) + (y // 5) * 7 + seed) % n
            if rnd.random() < noise:
                v = rnd.randrange(n)
            px.append(v)
    return px


def byte_writer_files():
    # Local tables of every size from 2 to 256 entries, after a global one.
    g = colours(16, 1)
    frames = [Frame(20, 10, pattern(20, 10, 16, 0))]
    for bits in range(1, 9):
        n = 1 << bits
        w, h = 9 + bits * 3, 5 + bits * 2
        frames.append(Frame(w, h, pattern(w, h, n, bits), left=bits, top=bits % 3,
                            local=colours(n, 100 + bits)))
    frames.append(Frame(11, 7, pattern(11, 7, 16, 50)))  # back to the global table
    write_gif("local_tables.gif", frames, global_colours=g, loop=0)

    # Interlaced images of awkward heights, opaque and transparent.
    g = colours(64, 2)
    frames = []
    for i, h in enumerate((1, 2, 3, 4, 5, 7, 8, 9, 15, 16, 17, 33, 64)):
        w = 3 + 5 * i
        gce = (1, 10, 5) if i % 2 else None
        frames.append(Frame(w, h, pattern(w, h, 64, 10 + i), interlace=True, gce=gce))
    write_gif("interlaced.gif", frames, global_colours=g)

    # Transparency, every disposal method, delays, a loop count, offsets.
    g = colours(32, 3)
    frames = []
    for i in range(8):
        w, h = 13 + i, 9 + 2 * i
        transparent = (i * 3) % 32 if i % 3 != 2 else None
        frames.append(Frame(w, h, pattern(w, h, 32, 20 + i), left=i * 2, top=(i * 5) % 7,
                            gce=(i % 4, 5 + i * 7, transparent)))
    write_gif("transparency_disposal.gif", frames, global_colours=g, loop=3, background=4)

    # Odd sizes, including single rows and columns, in an oversized screen.
    g = colours(8, 4)
    frames = [Frame(w, h, pattern(w, h, 8, 30 + w + h), left=w % 5, top=h % 4)
              for (w, h) in ((1, 1), (1, 100), (100, 1), (37, 23), (255, 2), (2, 255))]
    write_gif("odd_sizes.gif", frames, global_colours=g, screen=(400, 400))

    # Noise with 256 colours: the table fills up; one frame clears when full,
    # one keeps using the full table without a clear, one does not start
    # with a clear code.
    g = colours(256, 5)
    rnd = random.Random(6)
    px = [rnd.randrange(256) for _ in range(96 * 96)]
    frames = [Frame(96, 96, px),
              Frame(96, 96, px, clear_when_full=False),
              Frame(96, 96, px[::-1], start_with_clear=False)]
    write_gif("full_table.gif", frames, global_colours=g)

    # Few colours written with a large code size, and long runs (long strings).
    g = colours(4, 7)
    runs = [0] * 3000 + [1] * 500 + [2, 3] * 250
    frames = [Frame(80, 50, runs[:4000], min_size=8), Frame(200, 100, [1] * 20000)]
    write_gif("code_sizes.gif", frames, global_colours=g)

    # A small animation for truncation tests: extensions before each image,
    # a comment, a loop count.
    g = colours(4, 8)
    frames = [Frame(6, 5, pattern(6, 5, 4, 40 + i), left=i, top=i % 2, gce=(2, 10, 3 if i else None))
              for i in range(3)]
    write_gif("small_animation.gif", frames, global_colours=g, loop=2)


# ------------------------------------------------------------------- Pillow

def pillow_files():
    # A photo-like picture, adaptive 256-colour palette, interlaced by Pillow.
    img = Image.new("RGB", (160, 120))
    d = ImageDraw.Draw(img)
    for y in range(120):
        for x in range(160):
            img.putpixel((x, y), ((x * 37 + y * 11) % 256, (x * 3 + y * 5) % 256, (x * y) % 256))
    d.ellipse((30, 20, 120, 100), fill=(250, 200, 40))
    img.convert("P", palette=Image.ADAPTIVE, colors=256).save(
        os.path.join(OUT, "pillow_photo.gif"), interlace=True)

    # A 16 x 16 icon with four colours.
    icon = Image.new("P", (16, 16), 0)
    icon.putpalette([255, 255, 255, 200, 0, 0, 0, 0, 200, 0, 150, 0] + [0] * (252 * 3))
    d = ImageDraw.Draw(icon)
    d.rectangle((2, 2, 13, 13), outline=1)
    d.line((2, 13, 13, 2), fill=2)
    d.point((7, 8), fill=3)
    icon.save(os.path.join(OUT, "pillow_icon.gif"))

    # A sprite animation: transparency, disposal 2, looping; Pillow crops
    # unchanged borders away, so frames have their own offsets and sizes.
    frames = []
    for i in range(10):
        f = Image.new("P", (64, 48), 0)
        f.putpalette([0, 0, 0] + [60 + i * 15, 120, 200 - i * 10] * 3 + [255, 255, 0] + [0] * (251 * 3))
        d = ImageDraw.Draw(f)
        d.ellipse((5 + i * 4, 10, 25 + i * 4, 30), fill=1)
        d.rectangle((30, 30 + i, 40, 40 + i), fill=4)
        frames.append(f)
    frames[0].save(os.path.join(OUT, "pillow_sprite.gif"), save_all=True, append_images=frames[1:],
                   duration=[100 + 10 * i for i in range(10)], loop=0, transparency=0, disposal=2)

    # Restore-to-previous frames over a background frame, with local palettes.
    frames = []
    for i in range(5):
        f = Image.new("RGB", (40, 30), (10 * i, 100, 50))
        d = ImageDraw.Draw(f)
        d.rectangle((i * 6, 5, i * 6 + 10, 20), fill=(250 - 40 * i, 20 * i, 200))
        frames.append(f.convert("P", palette=Image.ADAPTIVE, colors=4 << i))
    frames[0].save(os.path.join(OUT, "pillow_restore.gif"), save_all=True, append_images=frames[1:],
                   duration=80, loop=5, disposal=[1, 3, 3, 3, 1])


if __name__ == "__main__":
    byte_writer_files()
    pillow_files()
