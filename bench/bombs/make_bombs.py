#!/usr/bin/env python3
"""Writes small files that declare huge pictures (size bombs) and a few
honest large pictures into a folder, for measuring the peak memory of
vexillor-cli crest on them. Every file is made here from nothing."""
import os
import struct
import sys
import zlib


def png(path, width, height, colour_type, row_source, bits=8):
    """A valid PNG with samples of `bits`, rows made by row_source(y), compressed
    as a stream so that gigapixel files cost little memory to make."""
    def chunk(kind, data):
        return struct.pack(">I", len(data)) + kind + data + struct.pack(">I", zlib.crc32(kind + data))

    with open(path, "wb") as out:
        out.write(b"\x89PNG\r\n\x1a\n")
        out.write(chunk(b"IHDR", struct.pack(">IIBBBBB", width, height, bits, colour_type, 0, 0, 0)))
        packer = zlib.compressobj(9)
        pending = []
        size = 0
        for y in range(height):
            piece = packer.compress(b"\x00" + row_source(y))
            if piece:
                pending.append(piece)
                size += len(piece)
            if size > (1 << 20):
                out.write(chunk(b"IDAT", b"".join(pending)))
                pending, size = [], 0
        pending.append(packer.flush())
        out.write(chunk(b"IDAT", b"".join(pending)))
        out.write(chunk(b"IEND", b""))


def rle8_bmp(path, side):
    """Run-length BMP declaring side x side, its data ending at once."""
    palette = b"".join(struct.pack("<BBBB", i, i, i, 0) for i in range(256))
    offset = 14 + 40 + len(palette)
    data = b"\x00\x01"  # end of bitmap
    header = struct.pack("<2sIHHI", b"BM", offset + len(data), 0, 0, offset)
    info = struct.pack("<IiiHHIIiiII", 40, side, side, 1, 8, 1, len(data), 0, 0, 256, 0)
    with open(path, "wb") as out:
        out.write(header + info + palette + data)


def short_bmp(path):
    """40 x 30 at 24 bits, header only."""
    header = struct.pack("<2sIHHI", b"BM", 54, 0, 0, 54)
    info = struct.pack("<IiiHHIIiiII", 40, 40, 30, 1, 24, 0, 0, 0, 0, 0, 0)
    with open(path, "wb") as out:
        out.write(header + info)


def empty_jpeg(path, width, height):
    """A baseline JPEG header of width x height with no image data."""
    quant = b"\xff\xdb" + struct.pack(">H", 67) + b"\x00" + bytes([1] * 64)
    frame = b"\xff\xc0" + struct.pack(">HBHHB", 11, 8, height, width, 1) + b"\x01\x11\x00"
    # One DC and one AC table, each with a single one-bit code.
    dc = b"\x00" + bytes([1] + [0] * 15) + b"\x00"
    ac = b"\x10" + bytes([1] + [0] * 15) + b"\x00"
    huffman = b"\xff\xc4" + struct.pack(">H", 2 + len(dc) + len(ac)) + dc + ac
    scan = b"\xff\xda" + struct.pack(">HB", 8, 1) + b"\x01\x00" + b"\x00\x3f\x00"
    with open(path, "wb") as out:
        out.write(b"\xff\xd8" + quant + frame + huffman + scan + b"\xff\xd9")


def emf(path, side):
    """An enhanced metafile whose frame is side x side pixels at 96 dpi:
    its header record and the end record."""
    frame = side * 2540 // 96
    eof = struct.pack("<IIIII", 14, 20, 0, 16, 20)
    size = 108 + len(eof)
    header = struct.pack("<II4i4iIIIIHHIII2i2iIII2i", 1, 108, 0, 0, side - 1, side - 1, 0, 0, frame, frame,
                         0x464D4520, 0x10000, size, 2, 1, 0, 0, 0, 0, 1024, 768, 320, 240, 0, 0, 0,
                         320000, 240000)
    with open(path, "wb") as out:
        out.write(header + eof)


def wmf(path, side):
    """A placeable metafile whose bounds are side x side at 96 units an inch."""
    records = struct.pack("<IHhh", 5, 0x020C, side, side) + struct.pack("<IH", 3, 0)
    meta_words = (18 + len(records)) // 2
    body = struct.pack("<HHHIHIH", 1, 9, 0x300, meta_words, 0, 5, 0) + records
    fields = [0xCDD7, 0x9AC6, 0, 0, 0, side & 0xFFFF, side & 0xFFFF, 96, 0, 0]
    checksum = 0
    for f in fields:
        checksum ^= f
    with open(path, "wb") as out:
        out.write(struct.pack("<10H", *fields) + struct.pack("<H", checksum) + body)


def sparse_bmp(path, megabytes):
    """A 24-bit BMP header of 10000 x 10000 at the start of a sparse file of
    the given size."""
    header = struct.pack("<2sIHHI", b"BM", 54 + 30000 * 10000, 0, 0, 54)
    info = struct.pack("<IiiHHIIiiII", 40, 10000, 10000, 1, 24, 0, 0, 0, 0, 0, 0)
    with open(path, "wb") as out:
        out.write(header + info)
        out.truncate(megabytes << 20)


def sparse_tiff(path, gigabytes):
    """A little-endian TIFF whose bits-per-sample count is 0xFFFFFFFF, at the
    start of a sparse file of the given size."""
    entries = [(256, 3, 1, 100), (257, 3, 1, 100), (258, 3, 0xFFFFFFFF, 64)]
    body = struct.pack("<2sHIH", b"II", 42, 8, len(entries))
    for tag, kind, count, value in entries:
        body += struct.pack("<HHII", tag, kind, count, value)
    with open(path, "wb") as out:
        out.write(body + struct.pack("<I", 0))
        out.truncate(gigabytes << 30)


def main():
    folder = sys.argv[1]
    os.makedirs(folder, exist_ok=True)
    made = os.path.join
    rle8_bmp(made(folder, "rle8-32767x32767.bmp"), 32767)
    short_bmp(made(folder, "header-only-40x30.bmp"))
    empty_jpeg(made(folder, "empty-30000x30000.jpg"), 30000, 30000)
    emf(made(folder, "frame-32767.emf"), 32767)
    wmf(made(folder, "frame-32767.wmf"), 32767)
    grey_row = bytes(30000)
    png(made(folder, "grey-30000x30000.png"), 30000, 30000, 0, lambda y: grey_row)
    png(made(folder, "grey-20000x20000.png"), 20000, 20000, 0, lambda y: grey_row[:20000])
    # Honest pictures just inside the budget: these are really decoded.
    band = bytes(range(256)) * 118
    png(made(folder, "colour-10000x10000.png"), 10000, 10000, 2,
        lambda y: (band[y % 256:] + band)[:30000])
    png(made(folder, "colour-12000x12000.png"), 12000, 12000, 2,
        lambda y: (band[y % 256:] + band)[:36000])
    # 16 bits a sample in four channels: the decoder's own copy is twice as
    # large, and so is each pixel's share of the budget.
    deep_row = (band * 4)[:80000]
    png(made(folder, "deep-10000x5000.png"), 10000, 5000, 6, lambda y: deep_row, 16)
    png(made(folder, "deep-10000x5001.png"), 10000, 5001, 6, lambda y: deep_row, 16)
    sparse_bmp(made(folder, "sparse-600mb.bmp"), 600)


if __name__ == "__main__":
    if len(sys.argv) == 3 and sys.argv[1] == "--sparse-tiff":
        sparse_tiff(sys.argv[2], 4)
    else:
        main()
