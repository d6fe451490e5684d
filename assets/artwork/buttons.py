"""The button pictures pic1a .. pic7b: each icon painted over its own socket of the bar."""

import math
import random

from PIL import Image, ImageChops, ImageDraw, ImageFilter

from .layout import BUTTONS
from .paint import OUTLINE, heater_shield, inset_polygon, mix, scale_mask, value_noise


SS = 4          # icons are drawn at 4x and reduced for smooth edges
IC = 32 * SS


def icon_layer():
    return Image.new("RGBA", (IC, IC), (0, 0, 0, 0))


def fill_gradient(layer, mask, c0, c1, direction=(0.6, 1.0)):
    """Paint a linear gradient through mask (an L image of the layer's size)."""
    grad = Image.new("RGB", (IC, IC))
    gp = []
    dx, dy = direction
    norm = (abs(dx) + abs(dy)) * IC
    for y in range(IC):
        for x in range(IC):
            gp.append(mix(c0, c1, (x * dx + y * dy) / norm + (0.5 if dx < 0 else 0)))
    grad.putdata(gp)
    layer.paste(grad.convert("RGBA"), (0, 0), mask)


def shape_mask(fn):
    m = Image.new("L", (IC, IC), 0)
    fn(ImageDraw.Draw(m))
    return m


def outlined(layer, mask, c0, c1, width=5, direction=(0.6, 1.0)):
    """Fill a shape with a gradient and give it a dark outline."""
    grown = mask.filter(ImageFilter.MaxFilter(width * 2 + 1))
    layer.paste(Image.new("RGBA", (IC, IC), OUTLINE), (0, 0), grown)
    fill_gradient(layer, mask, c0, c1, direction)


def icon_open():
    L = icon_layer()
    back = shape_mask(lambda d: (d.rounded_rectangle((12, 26, 112, 104), 8, fill=255),
                                 d.rounded_rectangle((12, 18, 56, 36), 6, fill=255)))
    outlined(L, back, (150, 98, 44), (92, 56, 24))
    paper = shape_mask(lambda d: d.polygon([(30, 16), (102, 22), (98, 78), (26, 74)], fill=255))
    outlined(L, paper, (252, 244, 214), (210, 188, 140), 3)
    d = ImageDraw.Draw(L)
    for k in range(4):
        y = 32 + k * 10
        d.line([(40, y + k * 0.4), (88, y + 4 + k * 0.4)], fill=(120, 90, 60, 255), width=3)
    front = shape_mask(lambda d: d.polygon([(28, 54), (124, 54), (106, 110), (8, 110)], fill=255))
    outlined(L, front, (244, 192, 96), (170, 108, 36))
    d.line([(30, 60), (118, 60)], fill=(255, 236, 170, 255), width=3)
    d.rounded_rectangle((56, 72, 76, 86), 3, fill=(120, 76, 28, 255), outline=OUTLINE, width=3)
    d.ellipse((62, 75, 70, 83), fill=(230, 210, 150, 255))
    return L


def icon_save():
    L = icon_layer()
    body = shape_mask(lambda d: d.polygon([(14, 14), (100, 14), (114, 28), (114, 114), (14, 114)], fill=255))
    outlined(L, body, (78, 96, 140), (30, 38, 66))
    shutter = shape_mask(lambda d: d.rectangle((34, 14, 92, 50), fill=255))
    outlined(L, shutter, (222, 226, 234), (130, 136, 150), 3)
    d = ImageDraw.Draw(L)
    d.rectangle((70, 21, 84, 44), fill=(40, 44, 58, 255))
    label = shape_mask(lambda d: d.rounded_rectangle((28, 62, 100, 114), 4, fill=255))
    outlined(L, label, (250, 240, 208), (206, 184, 134), 3)
    for y in (74, 86):
        d.line([(38, y), (90, y)], fill=(140, 110, 80, 255), width=3)
    d.ellipse((68, 88, 92, 112), fill=(120, 14, 20, 255), outline=OUTLINE, width=3)
    d.ellipse((73, 93, 87, 107), fill=(186, 36, 40, 255))
    d.ellipse((75, 95, 81, 100), fill=(240, 120, 110, 255))
    d.line([(18, 18), (96, 18)], fill=(150, 170, 210, 255), width=3)
    return L


def icon_crest():
    L = icon_layer()
    pts = heater_shield(18, 12, 110, 120)
    rim = shape_mask(lambda d: d.polygon(pts, fill=255))
    outlined(L, rim, (236, 238, 244), (110, 116, 130))
    inner = inset_polygon(pts, 9)
    field = shape_mask(lambda d: d.polygon(inner, fill=255))
    # quarterly crimson and gold
    quarters = Image.new("RGBA", (IC, IC))
    qd = ImageDraw.Draw(quarters)
    qd.rectangle((0, 0, 64, 60), fill=(188, 34, 42, 255))
    qd.rectangle((64, 0, IC, 60), fill=(236, 184, 70, 255))
    qd.rectangle((0, 60, 64, IC), fill=(236, 184, 70, 255))
    qd.rectangle((64, 60, IC, IC), fill=(188, 34, 42, 255))
    L.paste(quarters, (0, 0), field)
    d = ImageDraw.Draw(L)
    d.line([(64, 20), (64, 114)], fill=OUTLINE, width=3)
    d.line([(26, 60), (102, 60)], fill=OUTLINE, width=3)
    # glossy highlight on the upper left
    gloss = shape_mask(lambda d: d.polygon([(26, 20), (58, 20), (30, 70)], fill=90))
    L.paste(Image.new("RGBA", (IC, IC), (255, 255, 255, 255)), (0, 0), ImageChops.multiply(gloss, field))
    return L


def icon_quill():
    L = icon_layer()
    # the feather: a vane around a curved shaft from the nib (lower left) to the tip
    shaft = [(22 + t * 88 + math.sin(t * math.pi) * 8, 112 - t * 100 + math.sin(t * math.pi) * 6)
             for t in [i / 40 for i in range(41)]]
    left, right = [], []
    for i, (x, y) in enumerate(shaft):
        t = i / 40
        width = 0 if t < 0.18 else 22 * max(0.0, math.sin((t - 0.18) / 0.82 * math.pi)) ** 0.7
        nx, ny = (-0.75, -0.66)
        left.append((x + nx * width * 1.05, y + ny * width * 1.05))
        right.append((x - nx * width * 0.75, y - ny * width * 0.75))
    vane = shape_mask(lambda d: d.polygon(left + right[::-1], fill=255))
    outlined(L, vane, (255, 252, 244), (176, 168, 160), 4, direction=(-0.7, 1.0))
    d = ImageDraw.Draw(L)
    for i in range(8, 38, 3):                     # barbs
        x, y = shaft[i]
        d.line([(x, y), (left[min(40, i + 3)][0], left[min(40, i + 3)][1])], fill=(170, 160, 156, 255), width=2)
    d.line(shaft, fill=(120, 96, 70, 255), width=3)
    nib = shape_mask(lambda d: d.polygon([(14, 122), (24, 100), (34, 108)], fill=255))
    outlined(L, nib, (240, 200, 110), (150, 100, 30), 3)
    # a stroke of ink
    ink = [(40 + i * 2, 120 + math.sin(i * 0.45) * 3) for i in range(34)]
    d.line(ink, fill=(14, 20, 60, 255), width=5)
    return L


def icon_globe():
    L = icon_layer()
    c, r = 64, 54
    sea = shape_mask(lambda d: d.ellipse((c - r, c - r, c + r, c + r), fill=255))
    outlined(L, sea, (96, 180, 240), (14, 42, 110))
    land = value_noise(IC, IC, 22, random.Random(5150)).point(lambda v: 255 if v > 142 else 0)
    land = ImageChops.multiply(land, sea.filter(ImageFilter.MinFilter(9)))
    fill_gradient(L, land, (140, 210, 110), (34, 110, 50))
    d = ImageDraw.Draw(L)
    gold = (240, 200, 104, 255)
    d.ellipse((c - r * 0.45, c - r, c + r * 0.45, c + r), outline=gold, width=4)     # a meridian
    d.line([(c - r, c), (c + r, c)], fill=gold, width=4)                          # the equator
    # three linked points: the network
    nodes = [(c - 30, c - 28), (c + 32, c - 18), (c + 4, c + 34)]
    d.line(nodes + [nodes[0]], fill=(255, 246, 210, 255), width=4)
    for x, y in nodes:
        d.ellipse((x - 9, y - 9, x + 9, y + 9), fill=(255, 236, 160, 255), outline=OUTLINE, width=3)
    gloss = shape_mask(lambda d: d.ellipse((c - 40, c - 48, c + 4, c - 16), fill=110))
    L.paste(Image.new("RGBA", (IC, IC), (255, 255, 255, 255)), (0, 0), gloss.filter(ImageFilter.GaussianBlur(4)))
    d.ellipse((c - r, c - r, c + r, c + r), outline=OUTLINE, width=5)
    return L


def icon_star():
    L = icon_layer()
    c = (64, 68)
    outer, inner = 56, 23
    pts = []
    for k in range(10):
        rr = outer if k % 2 == 0 else inner
        a = -math.pi / 2 + k * math.pi / 5
        pts.append((c[0] + math.cos(a) * rr, c[1] + math.sin(a) * rr))
    star = shape_mask(lambda d: d.polygon(pts, fill=255))
    outlined(L, star, (255, 230, 130), (200, 120, 20))
    d = ImageDraw.Draw(L)
    # bevel: each point split into a lit and a shaded facet
    for k in range(0, 10, 2):
        tip = pts[k]
        a, b = pts[k - 1], pts[(k + 1) % 10]
        lit_side, dark_side = (a, b) if k in (0, 6, 8) else (b, a)
        d.polygon([c, tip, lit_side], fill=(255, 238, 160, 255))
        d.polygon([c, tip, dark_side], fill=(214, 142, 34, 255))
    d.polygon(pts, outline=OUTLINE, width=4)
    d.ellipse((c[0] - 7, c[1] - 7, c[0] + 7, c[1] + 7), fill=(255, 255, 230, 255))
    return L


def icon_exit(lit):
    L = icon_layer()
    c, r = 64, 54
    stone = shape_mask(lambda d: d.ellipse((c - r, c - r, c + r, c + r), fill=255))
    outlined(L, stone, (110, 100, 104), (40, 36, 40))
    inner = shape_mask(lambda d: d.ellipse((c - r + 10, c - r + 10, c + r - 10, c + r - 10), fill=255))
    fill_gradient(L, inner, (36, 30, 34), (74, 66, 70))
    # the glowing X rune
    cross = shape_mask(lambda d: (d.line([(38, 38), (90, 90)], fill=255, width=18),
                                  d.line([(90, 38), (38, 90)], fill=255, width=18)))
    glow = cross.filter(ImageFilter.GaussianBlur(9 if lit else 6))
    glow = scale_mask(glow, 1.6 if lit else 1.0)
    L.paste(Image.new("RGBA", (IC, IC), (255, 40, 20, 255)), (0, 0), ImageChops.multiply(glow, inner))
    outlined(L, cross, (255, 110, 80) if lit else (230, 60, 44), (150, 10, 10), 3)
    core = shape_mask(lambda d: (d.line([(44, 44), (84, 84)], fill=255, width=5),
                                 d.line([(84, 44), (44, 84)], fill=255, width=5)))
    L.paste(Image.new("RGBA", (IC, IC), (255, 220, 190, 255) if lit else (255, 160, 130, 255)), (0, 0), core)
    return L


def button_picture(bar, index, icon, lit):
    x, y = BUTTONS[index]
    base = bar.crop((x, y, x + 32, y + 32)).convert("RGBA")
    if lit:
        base = Image.blend(base, Image.new("RGBA", (32, 32), (90, 70, 40, 255)), 0.35)
        glow_src = icon.split()[3].resize((32, 32), Image.LANCZOS)
        glow = scale_mask(glow_src.filter(ImageFilter.MaxFilter(3)).filter(ImageFilter.GaussianBlur(2.2)), 1.5)
        base.paste(Image.new("RGBA", (32, 32), (255, 200, 90, 255)), (0, 0), glow)
    small = icon.resize((32, 32), Image.LANCZOS)
    if lit:
        r, g, b, a = small.split()
        small = Image.merge("RGBA", [ch.point(lambda v: min(255, int(v * 1.18 + 12))) for ch in (r, g, b)] + [a])
    base.alpha_composite(small)
    d = ImageDraw.Draw(base)
    if lit:
        d.rectangle((0, 0, 31, 31), outline=(255, 222, 130, 255))
        d.rectangle((1, 1, 30, 30), outline=(196, 140, 56, 255))
    return base.convert("RGB")
