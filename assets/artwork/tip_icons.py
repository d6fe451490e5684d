"""The tooltip's three stock icons in the skin's style: 1 information (a blue gem
disc with an "i"), 2 help (a bronze disc with a "?"), 3 warning (an amber
triangle with a "!"), each as a 16 and a 32 pixel 32-bit icon."""

from PIL import Image, ImageDraw, ImageFilter

from .icofile import ico_dib, write_ico_file
from .paint import OUTLINE, font, mix

BIG = 256  # drawn large, then scaled down


def radial_disc(box, inner, outer):
    """A disc lit from the upper left, fading from `inner` to `outer`."""
    x0, y0, x1, y1 = box
    layer = Image.new("RGBA", (BIG, BIG), (0, 0, 0, 0))
    px = layer.load()
    cx, cy = x0 + (x1 - x0) * 0.36, y0 + (y1 - y0) * 0.32
    reach = (x1 - x0) * 0.9
    for y in range(y0, y1):
        for x in range(x0, x1):
            t = min(1.0, ((x - cx) ** 2 + (y - cy) ** 2) ** 0.5 / reach)
            px[x, y] = mix(inner, outer, t) + (255,)
    mask = Image.new("L", (BIG, BIG), 0)
    ImageDraw.Draw(mask).ellipse(box, fill=255)
    out = Image.new("RGBA", (BIG, BIG), (0, 0, 0, 0))
    out.paste(layer, (0, 0), mask)
    return out, mask


def with_outline(shape, mask, width):
    grown = mask.filter(ImageFilter.MaxFilter(width * 2 + 1))
    base = Image.new("RGBA", (BIG, BIG), (0, 0, 0, 0))
    base.paste(Image.new("RGBA", (BIG, BIG), OUTLINE), (0, 0), grown)
    base.alpha_composite(shape)
    return base


def glyph(img, text, size, colour, centre):
    d = ImageDraw.Draw(img)
    f = font("DejaVuSans-Bold.ttf", size)
    box = d.textbbox((0, 0), text, font=f)
    x = centre[0] - (box[0] + box[2]) / 2
    y = centre[1] - (box[1] + box[3]) / 2
    d.text((x + 5, y + 6), text, font=f, fill=OUTLINE)  # engraved shadow
    d.text((x, y), text, font=f, fill=colour)


def bronze_ring(img, box, width):
    ring = Image.new("L", (BIG, BIG), 0)
    d = ImageDraw.Draw(ring)
    d.ellipse(box, fill=255)
    x0, y0, x1, y1 = box
    d.ellipse((x0 + width, y0 + width, x1 - width, y1 - width), fill=0)
    metal = Image.new("RGBA", (BIG, BIG), (0, 0, 0, 0))
    metal.paste(Image.new("RGBA", (BIG, BIG), (214, 170, 92, 255)), (0, 0), ring)
    img.alpha_composite(metal)


def ringed_disc(centre, edge, letter, ink):
    """A shaded disc in a bronze ring with one letter on it."""
    disc, mask = radial_disc((16, 16, 240, 240), centre, edge)
    img = with_outline(disc, mask, 10)
    bronze_ring(img, (16, 16, 240, 240), 14)
    glyph(img, letter, 168, ink, (128, 132))
    return img


def information():
    return ringed_disc((124, 178, 236), (22, 52, 120), "i", (250, 244, 224, 255))


def help_icon():
    return ringed_disc((236, 196, 120), (110, 66, 26), "?", (252, 246, 226, 255))


def warning():
    pts = [(128, 14), (246, 226), (10, 226)]
    mask = Image.new("L", (BIG, BIG), 0)
    ImageDraw.Draw(mask).polygon(pts, fill=255)
    mask = mask.filter(ImageFilter.GaussianBlur(3)).point(lambda v: 255 if v > 128 else 0)
    fill = Image.new("RGBA", (BIG, BIG), (0, 0, 0, 0))
    px = fill.load()
    for y in range(BIG):
        c = mix((255, 214, 92), (196, 112, 18), y / BIG) + (255,)
        for x in range(BIG):
            px[x, y] = c
    shape = Image.new("RGBA", (BIG, BIG), (0, 0, 0, 0))
    shape.paste(fill, (0, 0), mask)
    img = with_outline(shape, mask, 10)
    glyph(img, "!", 150, (40, 24, 12, 255), (128, 150))
    return img


def write_icon(path, big):
    entries = []
    for size in (16, 32):
        small = big.resize((size, size), Image.LANCZOS)
        entries.append((size, 32, ico_dib(small, 32)))
    write_ico_file(path, entries)


def write_tip_icons(out):
    """Writes the three icons and their preview sheet; out(name) gives each file's path."""
    icons = [("tip_information.ico", information()), ("tip_help.ico", help_icon()), ("tip_warning.ico", warning())]
    sheet = Image.new("RGBA", (3 * 48 + 3 * 80, 80), (60, 52, 48, 255))
    for i, (name, big) in enumerate(icons):
        write_icon(out(name), big)
        sheet.alpha_composite(big.resize((32, 32), Image.LANCZOS), (8 + i * 48, 24))
        sheet.alpha_composite(big.resize((64, 64), Image.LANCZOS), (3 * 48 + 8 + i * 80, 8))
    sheet.save(out("tip-icons-preview.png"))
