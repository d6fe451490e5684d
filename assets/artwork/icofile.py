"""The .ico file format: the picture records and the directory in front of them."""

import struct


def ico_dib(img, bits):
    w, h = img.size
    px = img.load()
    rows = []
    for y in range(h - 1, -1, -1):
        row = bytearray()
        for x in range(w):
            r, g, b, a = px[x, y]
            if bits == 24:
                if a < 128:
                    r = g = b = 0
                elif a < 255:   # no alpha at 24 bits: settle edges over the dark outline
                    k = a / 255
                    r, g, b = (int(c * k + 20 * (1 - k)) for c in (r, g, b))
                row += bytes((b, g, r))
            else:
                row += bytes((b, g, r, a))
        row += b"\0" * ((-len(row)) % 4)
        rows.append(bytes(row))
    mask_rows = []
    for y in range(h - 1, -1, -1):
        bitsrow = bytearray((w + 7) // 8)
        for x in range(w):
            if px[x, y][3] < 128:
                bitsrow[x // 8] |= 0x80 >> (x % 8)
        bitsrow += b"\0" * ((-len(bitsrow)) % 4)
        mask_rows.append(bytes(bitsrow))
    pixels = b"".join(rows)
    mask = b"".join(mask_rows)
    header = struct.pack("<IiiHHIIiiII", 40, w, h * 2, 1, bits, 0, len(pixels) + len(mask), 0, 0, 0, 0)
    return header + pixels + mask


def write_ico_file(path, entries):
    """entries: (size, bits, data) per picture; a 256 pixel picture is recorded as 0 in the directory."""
    out = bytearray(struct.pack("<HHH", 0, 1, len(entries)))
    offset = 6 + 16 * len(entries)
    for size, bits, data in entries:
        dim = 0 if size >= 256 else size
        out += struct.pack("<BBBBHHII", dim, dim, 0, 0, 1, bits, len(data), offset)
        offset += len(data)
    for _, _, data in entries:
        out += data
    with open(path, "wb") as f:
        f.write(out)
