"""The program icon (vexillor.ico, the clan shield) and the crest placeholder."""

import io

from PIL import Image, ImageChops, ImageDraw, ImageFilter

from .icofile import ico_dib, write_ico_file
from .paint import heater_shield, inset_polygon, tower_emblem, vertical_gradient


def draw_crest_shield(size):
    """The program's shield: steel rim, crimson field, the gold tower."""
    s = size
    img = Image.new("RGBA", (s, s), (0, 0, 0, 0))
    d = ImageDraw.Draw(img)
    pts = heater_shield(s * 0.12, s * 0.06, s * 0.88, s * 0.96)
    grown = Image.new("L", (s, s), 0)
    ImageDraw.Draw(grown).polygon(pts, fill=255)
    grown = grown.filter(ImageFilter.MaxFilter((s // 40) * 2 + 1))
    img.paste(Image.new("RGBA", (s, s), (20, 14, 12, 255)), (0, 0), grown)
    d.polygon(pts, fill=(214, 218, 228, 255))
    d.polygon([(p[0] + s * 0.02, p[1] + s * 0.02) for p in inset_polygon(pts, s * 0.02)], fill=(104, 110, 124, 255))
    inner = inset_polygon(pts, s * 0.07)
    field = Image.new("L", (s, s), 0)
    ImageDraw.Draw(field).polygon(inner, fill=255)
    grad = vertical_gradient(s, s, [(0, (204, 44, 50)), (1, (104, 14, 24))]).convert("RGBA")
    img.paste(grad, (0, 0), field)
    tower_emblem(d, s * 0.5, s * 0.24, s * 0.34, s * 0.48, (246, 200, 92, 255), (186, 128, 40, 255), (96, 14, 24, 255))
    gloss = Image.new("L", (s, s), 0)
    ImageDraw.Draw(gloss).polygon([(s * 0.2, s * 0.13), (s * 0.45, s * 0.13), (s * 0.22, s * 0.5)], fill=70)
    img.paste(Image.new("RGBA", (s, s), (255, 255, 255, 255)), (0, 0), ImageChops.multiply(gloss, field))
    return img


def icon_image(size):
    big = draw_crest_shield(1024)
    img = big.resize((size, size), Image.LANCZOS)
    if size <= 16:
        # sharpen the tiny one so the tower survives
        r, g, b, a = img.split()
        rgb = Image.merge("RGB", (r, g, b)).filter(ImageFilter.UnsharpMask(1, 80, 0))
        img = Image.merge("RGBA", rgb.split() + (a,))
    return img


def write_ico(path):
    entries = []
    for size, kind in ((16, 24), (32, 24), (48, 32), (256, "png")):
        img = icon_image(size)
        if kind == "png":
            buf = io.BytesIO()
            img.save(buf, "PNG", optimize=False)
            data, bits = buf.getvalue(), 32
        else:
            data, bits = ico_dib(img, kind), kind
        entries.append((size, bits, data))
    write_ico_file(path, entries)


def make_crest_placeholder():
    img = Image.new("RGB", (16, 12), (38, 34, 44))
    px = img.load()
    rim, field, shine = (146, 122, 80), (56, 50, 62), (190, 164, 108)
    # a small empty shield, hand-placed pixels: row -> (first, last) column
    rows = {1: (4, 11), 2: (4, 11), 3: (4, 11), 4: (4, 11), 5: (4, 11), 6: (4, 11),
            7: (5, 10), 8: (5, 10), 9: (6, 9), 10: (7, 8)}
    for y, (x0, x1) in rows.items():
        for x in range(x0, x1 + 1):
            inside = y not in (1, 10) and x0 < x < x1 and y != 9
            px[x, y] = field if inside else rim
    for x in range(5, 11):
        px[x, 1] = shine
    for y in range(2, 7):
        px[4, y] = shine
    for x in range(16):
        px[x, 0] = (28, 24, 32)
        px[x, 11] = (28, 24, 32)
    return img
