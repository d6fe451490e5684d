#!/usr/bin/python3
"""Draws every picture Vexillor ships: the window skin, the button pictures,
the program icon, the crest placeholder and the animated character.

Everything is painted procedurally (gradients, shapes, value noise, pixel
art) with fixed random seeds, so running the script again rewrites the very
same files. Run it from anywhere:  /usr/bin/python3 assets/make_assets.py
"""

import math
import os
import random
import struct

from PIL import Image, ImageChops, ImageDraw, ImageFilter, ImageFont

HERE = os.path.dirname(os.path.abspath(__file__))
FONT_DIR = "/usr/share/fonts/truetype/dejavu"

W, H = 640, 480                 # background picture
VIEW_W, VIEW_H = 637, 479       # what the window actually shows of it
STAGE = (270, 123, 300, 300)    # where the character animation is drawn
NAME_AT = (315, 100)            # top-left of the character's name
# The zoomed crest's frame inside the banner: the recess (x, y, width, height)
# that the window fills with the crest at 8x (6x for the ally + clan strip).
ZOOM_RECESS = (58, 161, 156, 108)
ZOOM_RECESS_RGB = (14, 12, 18)
BAR_AT = (76, 425)
BAR_W, BAR_H = 507, 49
# Button positions on the bar, in the order of the pictures pic1 .. pic7.
BUTTONS = [(36, 10), (74, 10), (112, 10), (150, 10), (190, 12), (226, 12), (455, 10)]

JPEG_OPTS = dict(quality=94, subsampling=0, optimize=False)


# --------------------------------------------------------------------------
# small painting helpers


def font(name, size):
    return ImageFont.truetype(os.path.join(FONT_DIR, name), size)


def mix(a, b, t):
    return tuple(int(round(a[i] + (b[i] - a[i]) * t)) for i in range(3))


def vertical_gradient(w, h, stops):
    """stops: list of (position 0..1, rgb), sorted by position."""
    col = Image.new("RGB", (1, h))
    px = col.load()
    for y in range(h):
        t = y / max(1, h - 1)
        for i in range(len(stops) - 1):
            p0, c0 = stops[i]
            p1, c1 = stops[i + 1]
            if t <= p1 or i == len(stops) - 2:
                f = 0.0 if p1 == p0 else min(1.0, max(0.0, (t - p0) / (p1 - p0)))
                px[0, y] = mix(c0, c1, f)
                break
    return col.resize((w, h), Image.NEAREST)


def value_noise(w, h, cell, rng, stretch=(1, 1)):
    cw, ch = cell * stretch[0], cell * stretch[1]
    sw, sh = w // cw + 3, h // ch + 3
    small = Image.frombytes("L", (sw, sh), bytes(rng.randrange(256) for _ in range(sw * sh)))
    big = small.resize((sw * cw, sh * ch), Image.BICUBIC)
    return big.crop((cw, ch, cw + w, ch + h))


def fbm(w, h, rng, cells=(64, 32, 16, 8, 4, 2), stretch=(1, 1)):
    acc = value_noise(w, h, cells[0], rng, stretch)
    weight = 0.5
    for c in cells[1:]:
        acc = Image.blend(acc, value_noise(w, h, c, rng, stretch), weight * 0.8)
        weight *= 0.8
    return stretch_contrast(acc)


def stretch_contrast(gray):
    lo, hi = gray.getextrema()
    if hi <= lo:
        return gray
    return gray.point(lambda v: int((v - lo) * 255 / (hi - lo)))


def colorize(gray, dark, light):
    lut = []
    for ch in range(3):
        lut += [int(dark[ch] + (light[ch] - dark[ch]) * v / 255) for v in range(256)]
    return Image.merge("RGB", (gray, gray, gray)).point(lut)


def solid(size, rgb):
    return Image.new("RGB", size, rgb)


def overlay_colour(img, mask, rgb, strength=1.0):
    """Paint rgb over img through mask (L), scaled by strength."""
    if strength != 1.0:
        mask = mask.point(lambda v: int(v * strength))
    img.paste(solid(img.size, rgb), (0, 0), mask)


def blurred_ellipse(size, box, radius, value=255):
    m = Image.new("L", size, 0)
    ImageDraw.Draw(m).ellipse(box, fill=value)
    return m.filter(ImageFilter.GaussianBlur(radius))


def scale_mask(mask, f):
    return mask.point(lambda v: int(min(255, v * f)))


def darken(img, mask, amount):
    """Darken img by up to amount (0..1) where mask is white."""
    dark = img.point(lambda v: int(v * (1 - amount)))
    img.paste(dark, (0, 0), mask)


def brighten(img, mask, rgb, amount):
    add = solid(img.size, tuple(int(c * amount) for c in rgb))
    lit = ImageChops.add(img, add)
    img.paste(lit, (0, 0), mask)


def ridge(rng, x0, x1, y0, y1, amp, rough=0.55, levels=7):
    pts = [y0, y1]
    for _ in range(levels):
        nxt = []
        for i in range(len(pts) - 1):
            nxt.append(pts[i])
            nxt.append((pts[i] + pts[i + 1]) / 2 + rng.uniform(-amp, amp))
        nxt.append(pts[-1])
        pts = nxt
        amp *= rough
    n = len(pts) - 1
    return [(x0 + (x1 - x0) * i / n, y) for i, y in enumerate(pts)]


def polygon_mask(size, pts, scale=1):
    m = Image.new("L", (size[0] * scale, size[1] * scale), 0)
    ImageDraw.Draw(m).polygon([(x * scale, y * scale) for x, y in pts], fill=255)
    if scale != 1:
        m = m.resize(size, Image.LANCZOS)
    return m


def heater_shield(x0, y0, x1, y1, steps=24):
    """Outline of a heater shield inside the box, as a point list."""
    w = x1 - x0
    mid = (x0 + x1) / 2
    shoulder = y0 + (y1 - y0) * 0.42
    pts = [(x0, y0), (x1, y0), (x1, shoulder)]
    for i in range(1, steps + 1):      # right flank curving to the point
        t = i / steps
        cx, cy = x1, y1 - (y1 - shoulder) * 0.25
        bx = (1 - t) ** 2 * x1 + 2 * (1 - t) * t * cx + t * t * mid
        by = (1 - t) ** 2 * shoulder + 2 * (1 - t) * t * cy + t * t * y1
        pts.append((bx, by))
    for i in range(1, steps + 1):      # left flank back up
        t = i / steps
        cx, cy = x0, y1 - (y1 - shoulder) * 0.25
        bx = (1 - t) ** 2 * mid + 2 * (1 - t) * t * cx + t * t * x0
        by = (1 - t) ** 2 * y1 + 2 * (1 - t) * t * cy + t * t * shoulder
        pts.append((bx, by))
    del w
    return pts


def inset_polygon(pts, d):
    """Shrink a convex-ish polygon towards its centroid by roughly d pixels."""
    cx = sum(p[0] for p in pts) / len(pts)
    cy = sum(p[1] for p in pts) / len(pts)
    out = []
    for x, y in pts:
        dx, dy = x - cx, y - cy
        r = math.hypot(dx, dy) or 1
        out.append((x - dx / r * d, y - dy / r * d))
    return out


def tower_emblem(draw, cx, top, w, h, fill, shade, door):
    """The clan's emblem: a crenellated tower, drawn with plain shapes."""
    x0, x1 = cx - w / 2, cx + w / 2
    merlon = w / 5
    body_top = top + h * 0.16
    draw.rectangle((x0, body_top, x1, top + h), fill=fill)
    for i in (0, 2, 4):
        draw.rectangle((x0 + i * merlon, top, x0 + (i + 1) * merlon, body_top), fill=fill)
    draw.rectangle((x1 - w * 0.22, body_top, x1, top + h), fill=shade)
    # a string course under the battlements
    draw.rectangle((x0 - w * 0.08, body_top + h * 0.06, x1 + w * 0.08, body_top + h * 0.14), fill=fill)
    # arched door and a window slit
    dw = w * 0.32
    draw.rectangle((cx - dw / 2, top + h * 0.68, cx + dw / 2, top + h), fill=door)
    draw.ellipse((cx - dw / 2, top + h * 0.6, cx + dw / 2, top + h * 0.76), fill=door)
    draw.rectangle((cx - w * 0.06, top + h * 0.32, cx + w * 0.06, top + h * 0.48), fill=door)


# --------------------------------------------------------------------------
# background


def paint_sky(rng):
    sky = vertical_gradient(W, H, [
        (0.00, (14, 12, 34)),
        (0.18, (30, 26, 70)),
        (0.32, (68, 46, 102)),
        (0.41, (138, 76, 112)),
        (0.48, (212, 120, 98)),
        (0.54, (246, 176, 108)),
        (1.00, (246, 176, 108)),
    ])
    # clouds: value-noise banks, dark on top and lit from below by the dusk
    cloud = fbm(W, H, rng, cells=(96, 48, 24, 12, 6), stretch=(3, 1))
    band = vertical_gradient(W, H, [(0, (0, 0, 0)), (0.12, (120, 120, 120)),
                                    (0.36, (255, 255, 255)), (0.52, (160, 160, 160)),
                                    (0.6, (0, 0, 0)), (1, (0, 0, 0))]).convert("L")
    cmask = ImageChops.multiply(cloud.point(lambda v: max(0, min(255, (v - 120) * 3))), band)
    cloud_col = vertical_gradient(W, H, [(0, (40, 30, 70)), (0.3, (70, 46, 92)),
                                         (0.48, (176, 96, 112)), (0.6, (230, 150, 120)),
                                         (1, (230, 150, 120))])
    sky.paste(cloud_col, (0, 0), scale_mask(cmask, 0.7))
    # lit undersides
    under = ImageChops.subtract(cmask, cmask.transform(cmask.size, Image.AFFINE, (1, 0, 0, 0, 1, -3)))
    brighten(sky, scale_mask(under.filter(ImageFilter.GaussianBlur(1)), 0.6), (255, 170, 120), 0.35)

    # stars, fading towards the horizon
    stars = Image.new("L", (W, H), 0)
    sd = ImageDraw.Draw(stars)
    for _ in range(260):
        x, y = rng.randrange(W), int(rng.random() ** 1.6 * 230)
        b = int(rng.uniform(80, 255) * (1 - y / 260))
        sd.point((x, y), fill=b)
        if rng.random() < 0.08:
            sd.point([(x - 1, y), (x + 1, y), (x, y - 1), (x, y + 1)], fill=b // 3)
    stars = ImageChops.multiply(stars, ImageChops.invert(scale_mask(cmask, 1.6)))
    brighten(sky, stars, (255, 250, 235), 1.0)

    # the moon with its halo
    mx, my, mr = 548, 70, 15
    halo = blurred_ellipse((W, H), (mx - 70, my - 70, mx + 70, my + 70), 30)
    brighten(sky, scale_mask(halo, 0.45), (200, 190, 230), 0.5)
    disc = Image.new("L", (W * 4, H * 4), 0)
    ImageDraw.Draw(disc).ellipse(((mx - mr) * 4, (my - mr) * 4, (mx + mr) * 4, (my + mr) * 4), fill=255)
    disc = disc.resize((W, H), Image.LANCZOS)
    moon = colorize(fbm(W, H, random.Random(77), cells=(8, 4, 2)), (200, 196, 190), (252, 248, 232))
    shade = blurred_ellipse((W, H), (mx - mr + 6, my - mr - 4, mx + mr + 10, my + mr + 2), 4)
    moon.paste(solid((W, H), (170, 160, 176)), (0, 0), scale_mask(shade, 0.6))
    sky.paste(moon, (0, 0), disc)
    return sky


def pine(draw, x, base, height, scale):
    """A tiered pine silhouette drawn on a mask at the given scale."""
    w = height * 0.36
    for tier in range(3):
        t0 = tier / 3
        top = base - height + height * t0 * 0.55
        bot = base - height * (0.55 - t0 * 0.45) + (tier == 2) * height * 0.3
        half = w * (0.55 + t0 * 0.45)
        draw.polygon([((x - half) * scale, bot * scale), ((x + half) * scale, bot * scale),
                      (x * scale, top * scale)], fill=255)
    draw.rectangle(((x - 0.8) * scale, (base - height * 0.2) * scale, (x + 0.8) * scale, base * scale), fill=255)


def peaks_ridge(rng, base, peaks, steep):
    """A ridge line made of sharp peaks (x, top y) with rugged detail."""
    detail = ridge(rng, -10, W + 10, 0, 0, 16, 0.66, 8)
    shapes = [(px, py, steep * rng.uniform(0.75, 1.3), steep * rng.uniform(0.75, 1.3)) for px, py in peaks]
    pts = []
    for x, dy in detail:
        y = base
        for px, py, left, right in shapes:
            d = abs(x - px)
            k = left if x < px else right
            y = min(y, py + k * d * (0.75 + 0.25 * min(1, d / 40)) + 0.0015 * d * d)
        pts.append((x, y + dy * (0.4 + 0.6 * min(1, (base - y) / 60))))
    return pts


def mountain_range(img, crest, colour, lit_rgb, lit_amount, depth, snow=False):
    """Fill below a ridge line; faces falling towards the moon (right) catch light."""
    pts = crest + [(W + 10, H), (-10, H)]
    img.paste(colour, (0, 0), polygon_mask((W, H), pts, 2))
    tops = [H] * W
    for (xa, ya), (xb, yb) in zip(crest, crest[1:]):
        for x in range(max(0, int(math.ceil(xa))), min(W, int(math.floor(xb)) + 1)):
            t = 0 if xb == xa else (x - xa) / (xb - xa)
            tops[x] = ya + (yb - ya) * t
    light = Image.new("L", (W, H), 0)
    lp = light.load()
    for x in range(1, W - 1):
        slope = (tops[min(W - 1, x + 4)] - tops[max(0, x - 4)]) / 8
        if slope <= 0:
            continue
        k = min(1.0, slope / 0.8)
        top = int(math.ceil(tops[x]))
        for y in range(top, min(H, top + depth)):
            lp[x, y] = int(255 * k * (1 - (y - top) / depth) ** 1.5)
    light = light.filter(ImageFilter.GaussianBlur(2.5))
    brighten(img, light, lit_rgb, lit_amount)
    if snow:
        caps = Image.new("L", (W, H), 0)
        cp = caps.load()
        snow_line = min(tops) + 34
        for x in range(W):
            top = int(math.ceil(tops[x]))
            reach = max(0, snow_line - top) * 0.55
            for y in range(top, min(H, top + int(reach))):
                cp[x, y] = 200
        caps = ImageChops.multiply(caps, light.point(lambda v: min(255, 60 + v * 2)))
        brighten(img, caps.filter(ImageFilter.GaussianBlur(0.7)), (255, 230, 235), 0.45)
    rim = Image.new("L", (W, H), 0)
    ImageDraw.Draw(rim).line(crest, fill=140, width=1)
    brighten(img, rim.filter(ImageFilter.GaussianBlur(0.5)), lit_rgb, lit_amount)


def paint_landscape(img, rng):
    # far range: hazy violet peaks with moonlit faces and snow
    far = peaks_ridge(rng, 232, [(40, 150), (150, 176), (250, 160), (330, 186), (430, 150), (520, 170), (610, 140)], 0.85)
    far_col = vertical_gradient(W, H, [(0, (84, 60, 106)), (0.36, (92, 64, 110)),
                                       (0.56, (150, 98, 120)), (1, (150, 98, 120))])
    mountain_range(img, far, far_col, (255, 214, 210), 0.22, 46, snow=True)

    # middle range: darker, textured
    mid = peaks_ridge(rng, 292, [(-20, 214), (90, 236), (200, 220), (300, 250), (380, 238), (470, 212), (560, 232)], 0.62)
    mid_col = vertical_gradient(W, H, [(0, (50, 36, 70)), (0.45, (58, 40, 76)),
                                       (0.66, (100, 66, 94)), (1, (100, 66, 94))])
    tex = fbm(W, H, rng, cells=(32, 16, 8, 4, 2), stretch=(1, 1))
    mid_col = Image.blend(mid_col, ImageChops.multiply(mid_col, colorize(tex, (150, 150, 150), (255, 255, 255))), 0.6)
    mountain_range(img, mid, mid_col, (240, 160, 150), 0.22, 60)

    # mist in the valleys
    mist = vertical_gradient(W, H, [(0, (0, 0, 0)), (0.5, (0, 0, 0)), (0.6, (200, 200, 200)),
                                    (0.68, (80, 80, 80)), (1, (0, 0, 0))]).convert("L")
    mist = ImageChops.multiply(mist, fbm(W, H, rng, cells=(80, 40, 20), stretch=(4, 1)).point(lambda v: 60 + v * 195 // 255))
    img.paste(solid((W, H), (200, 140, 150)), (0, 0), scale_mask(mist, 0.6))

    # the crag and the castle on the right
    crag_rng = random.Random(4242)
    crag = [(512, H)] + ridge(crag_rng, 512, 566, 330, 228, 10, 0.6, 4) + [(590, 218), (640, 210), (640, H)]
    castle = Image.new("L", (W * 2, H * 2), 0)
    cd = ImageDraw.Draw(castle)

    def P(pts):
        cd.polygon([(x * 2, y * 2) for x, y in pts], fill=255)

    def R(x0, y0, x1, y1):
        cd.rectangle((x0 * 2, y0 * 2, x1 * 2 + 1, y1 * 2 + 1), fill=255)

    P(crag)
    R(566, 196, 640, 230)                       # curtain wall
    for x in range(566, 640, 6):                # battlements
        R(x, 192, x + 2, 196)
    for tx, ty, tw in ((568, 170, 10), (592, 150, 14), (620, 164, 11)):
        R(tx, ty, tx + tw, 230)
        P([(tx - 2, ty), (tx + tw + 2, ty), (tx + tw / 2, ty - tw * 1.6)])   # cone roof
        R(tx + tw / 2 - 0.5, ty - tw * 1.6 - 6, tx + tw / 2 + 0.5, ty - tw * 1.6)   # flag pole
        P([(tx + tw / 2 + 1, ty - tw * 1.6 - 6), (tx + tw / 2 + 7, ty - tw * 1.6 - 4.5),
           (tx + tw / 2 + 1, ty - tw * 1.6 - 3)])
    castle = castle.resize((W, H), Image.LANCZOS)
    castle_col = vertical_gradient(W, H, [(0, (30, 22, 44)), (0.5, (36, 26, 50)), (1, (26, 20, 34))])
    img.paste(castle_col, (0, 0), castle)
    windows = Image.new("L", (W, H), 0)
    wd = ImageDraw.Draw(windows)
    for x, y in ((572, 178), (572, 186), (597, 160), (599, 172), (624, 174), (606, 206),
                 (584, 208), (626, 206), (598, 184)):
        wd.rectangle((x, y, x, y + 1), fill=255)
    brighten(img, windows.filter(ImageFilter.GaussianBlur(2.2)), (255, 170, 80), 0.9)
    brighten(img, windows, (255, 210, 120), 1.0)

    # near hills with pine woods, thinning out behind the stage
    hill = ridge(rng, -10, W + 10, 312, 300, 16, 0.5, 6)
    hills = Image.new("L", (W * 2, H * 2), 0)
    hd = ImageDraw.Draw(hills)
    hd.polygon([(x * 2, y * 2) for x, y in hill + [(W + 10, H), (-10, H)]], fill=255)
    for x, y in hill:
        calm = 290 < x < 520
        if rng.random() < (0.82 if calm else 0.1):
            continue            # keep the stage's backdrop calm
        for _ in range(1 if calm else 2):
            px = x + rng.uniform(-3, 3)
            th = rng.uniform(8, 16) if calm else rng.uniform(14, 34)
            pine(hd, px, y + 3, th, 2)
    hills = hills.resize((W, H), Image.LANCZOS)
    img.paste(vertical_gradient(W, H, [(0, (30, 22, 40)), (0.6, (36, 26, 44)), (1, (16, 12, 20))]), (0, 0), hills)

    # foreground ground, textured
    ground = ridge(rng, -10, W + 10, 352, 344, 8, 0.5, 5)
    gm = polygon_mask((W, H), ground + [(W + 10, H), (-10, H)], 2)
    gtex = fbm(W, H, rng, cells=(24, 12, 6, 3), stretch=(2, 1))
    gcol = ImageChops.multiply(vertical_gradient(W, H, [(0, (40, 30, 46)), (0.7, (46, 34, 50)), (0.88, (30, 24, 34)), (1, (16, 12, 20))]),
                               colorize(gtex, (150, 150, 150), (255, 255, 255)))
    img.paste(gcol, (0, 0), gm)
    rim = Image.new("L", (W, H), 0)
    ImageDraw.Draw(rim).line([(x, y + 1) for x, y in ground], fill=140, width=2)
    brighten(img, rim.filter(ImageFilter.GaussianBlur(1)), (230, 150, 130), 0.12)


def paint_dais(img, rng):
    cx, cy, rx, ry = 398, 398, 112, 23
    # front face (mostly hidden behind the ledge), then the top
    face = Image.new("L", (W, H), 0)
    fd = ImageDraw.Draw(face)
    fd.rectangle((cx - rx, cy, cx + rx, cy + 18), fill=255)
    fd.ellipse((cx - rx, cy + 18 - ry, cx + rx, cy + 18 + ry), fill=255)
    tex = fbm(W, H, rng, cells=(16, 8, 4, 2))
    img.paste(colorize(tex, (30, 26, 34), (58, 52, 60)), (0, 0), face)
    top = Image.new("L", (W * 4, H * 4), 0)
    ImageDraw.Draw(top).ellipse(((cx - rx) * 4, (cy - ry) * 4, (cx + rx) * 4, (cy + ry) * 4), fill=255)
    top = top.resize((W, H), Image.LANCZOS)
    stone = colorize(tex, (62, 56, 66), (112, 104, 110))
    sd = ImageDraw.Draw(stone)
    # flagstone seams radiating from the middle, and two rings
    for k in range(14):
        a = 2 * math.pi * k / 14 + 0.2
        sd.line([(cx + math.cos(a) * rx * 0.36, cy + math.sin(a) * ry * 0.36),
                 (cx + math.cos(a) * rx, cy + math.sin(a) * ry)], fill=(40, 36, 44), width=1)
    sd.ellipse((cx - rx * 0.36, cy - ry * 0.36, cx + rx * 0.36, cy + ry * 0.36), outline=(40, 36, 44))
    img.paste(stone, (0, 0), top)
    # a faint rune circle inlaid in gold
    ring = Image.new("L", (W * 4, H * 4), 0)
    rd = ImageDraw.Draw(ring)
    rd.ellipse(((cx - rx * 0.8) * 4, (cy - ry * 0.8) * 4, (cx + rx * 0.8) * 4, (cy + ry * 0.8) * 4), outline=255, width=4)
    for k in range(24):
        a = 2 * math.pi * k / 24
        x, y = cx + math.cos(a) * rx * 0.8, cy + math.sin(a) * ry * 0.8
        rd.line([(x * 4, (y - 1.5) * 4), (x * 4, (y + 1.5) * 4)], fill=255, width=4)
    ring = ring.resize((W, H), Image.LANCZOS)
    brighten(img, scale_mask(ring.filter(ImageFilter.GaussianBlur(1.5)), 0.7), (255, 170, 80), 0.35)
    brighten(img, scale_mask(ring, 0.8), (230, 180, 100), 0.5)
    # rim light along the back edge
    rim = Image.new("L", (W * 4, H * 4), 0)
    ImageDraw.Draw(rim).arc(((cx - rx) * 4, (cy - ry) * 4, (cx + rx) * 4, (cy + ry) * 4), 180, 360, fill=255, width=5)
    rim = rim.resize((W, H), Image.LANCZOS)
    brighten(img, scale_mask(rim, 0.8), (220, 170, 150), 0.5)
    # soft shadow where the character stands
    darken(img, blurred_ellipse((W, H), (336, 392, 436, 406), 5), 0.55)


def paint_stage_light(img):
    # a calm pool of dusk light behind the character, darker around it
    vign = Image.new("L", (W, H), 255)
    ImageDraw.Draw(vign).ellipse((-120, -60, W + 120, H + 90), fill=0)
    darken(img, vign.filter(ImageFilter.GaussianBlur(60)), 0.45)
    glow = blurred_ellipse((W, H), (310, 200, 480, 400), 45)
    brighten(img, scale_mask(glow, 0.5), (150, 110, 150), 0.25)
    # darken the sky behind the upper stage a little so the banner reads
    upper = blurred_ellipse((W, H), (260, 110, 600, 330), 50)
    darken(img, scale_mask(upper, 0.22), 1.0)


def stone_texture(rng, size, dark=(52, 48, 54), light=(124, 116, 110)):
    tex = fbm(size[0], size[1], rng, cells=(32, 16, 8, 4, 2, 1))
    return colorize(tex, dark, light)


def paint_frame(img, rng):
    stone = stone_texture(rng, (W, H))
    sd = ImageDraw.Draw(stone)
    # masonry on the bottom ledge
    ledge_top = 418
    for row, y in enumerate(range(ledge_top, H, 16)):
        sd.line([(0, y), (W, y)], fill=(30, 26, 30))
        off = 0 if row % 2 == 0 else 24
        for x in range(-off, W, 48):
            sd.line([(x, y), (x, y + 15)], fill=(30, 26, 30))
    b = 9
    mask = Image.new("L", (W, H), 255)
    ImageDraw.Draw(mask).rectangle((b, b, VIEW_W - b - 1, ledge_top - 1), fill=0)
    # inner shadow cast by the frame onto the scene
    shadow = Image.new("L", (W, H), 255)
    ImageDraw.Draw(shadow).rectangle((b + 4, b + 4, VIEW_W - b - 5, ledge_top - 5), fill=0)
    darken(img, shadow.filter(ImageFilter.GaussianBlur(6)), 0.55)
    img.paste(stone, (0, 0), mask)

    d = ImageDraw.Draw(img)
    # bevels: light from the top-left
    d.rectangle((0, 0, VIEW_W - 1, VIEW_H - 1), outline=(14, 12, 16))
    d.line([(1, 1), (VIEW_W - 2, 1)], fill=(150, 140, 130))
    d.line([(1, 1), (1, VIEW_H - 2)], fill=(150, 140, 130))
    d.line([(b - 1, b - 1), (VIEW_W - b, b - 1)], fill=(24, 20, 24))
    d.line([(b - 1, b - 1), (b - 1, ledge_top)], fill=(24, 20, 24))
    d.line([(VIEW_W - b, b - 1), (VIEW_W - b, ledge_top)], fill=(150, 140, 130))
    # gold trims
    gold, gold_dark = (200, 158, 78), (96, 66, 28)
    d.rectangle((b, b, VIEW_W - b - 1, ledge_top - 1), outline=gold)
    d.rectangle((b + 1, b + 1, VIEW_W - b - 2, ledge_top - 2), outline=gold_dark)
    d.line([(b, ledge_top), (VIEW_W - b - 1, ledge_top)], fill=(150, 140, 130))
    d.line([(b, ledge_top + 1), (VIEW_W - b - 1, ledge_top + 1)], fill=gold)
    d.line([(b, ledge_top + 2), (VIEW_W - b - 1, ledge_top + 2)], fill=gold_dark)
    # corner bosses with crimson gems
    for x, y in ((b, b), (VIEW_W - b - 1, b), (b, ledge_top), (VIEW_W - b - 1, ledge_top)):
        boss(img, x, y, 9)
    # gems either side of the button bar
    boss(img, 42, 450, 11)
    boss(img, 610, 450, 11)


def boss(img, cx, cy, r):
    d = ImageDraw.Draw(img)
    d.rectangle((cx - r, cy - r, cx + r, cy + r), fill=(92, 84, 84), outline=(14, 12, 16))
    d.line([(cx - r + 1, cy - r + 1), (cx + r - 1, cy - r + 1)], fill=(170, 160, 150))
    d.line([(cx - r + 1, cy - r + 1), (cx - r + 1, cy + r - 1)], fill=(170, 160, 150))
    d.line([(cx - r + 1, cy + r - 1), (cx + r - 1, cy + r - 1)], fill=(44, 40, 44))
    d.line([(cx + r - 1, cy - r + 1), (cx + r - 1, cy + r - 1)], fill=(44, 40, 44))
    gem(img, cx, cy, r * 0.62, (150, 20, 30), (250, 120, 110))


def gem(img, cx, cy, r, base, light, ss=6):
    size = int(r * 2 + 6)
    layer = Image.new("RGBA", (size * ss, size * ss), (0, 0, 0, 0))
    ld = ImageDraw.Draw(layer)
    c = size * ss / 2
    R = r * ss
    ld.ellipse((c - R - ss, c - R - ss, c + R + ss, c + R + ss), fill=(150, 112, 50, 255))     # setting
    ld.ellipse((c - R - ss, c - R - ss, c + R + ss * 0.2, c + R + ss * 0.2), fill=(230, 190, 110, 255))
    ld.ellipse((c - R, c - R, c + R, c + R), fill=base + (255,))
    for k in range(8, 0, -1):                   # soft inner light towards the top-left
        t = k / 8
        rr = R * t * 0.8
        ox, oy = c - R * 0.25 * (1 - t), c - R * 0.25 * (1 - t)
        ld.ellipse((ox - rr, oy - rr, ox + rr, oy + rr), fill=mix(light, base, t) + (255,))
    ld.ellipse((c - R * 0.55, c - R * 0.6, c - R * 0.15, c - R * 0.25), fill=(255, 240, 230, 255))
    layer = layer.resize((size, size), Image.LANCZOS)
    img.paste(layer, (int(round(cx - size / 2)), int(round(cy - size / 2))), layer)


def paint_title(img):
    f = font("DejaVuSerif-Bold.ttf", 52)
    text = "Vexillor"
    bbox = f.getbbox(text)
    tw, th = bbox[2] - bbox[0], bbox[3] - bbox[1]
    x = (VIEW_W - tw) // 2 - bbox[0]
    y = 20 - bbox[1]
    mask = Image.new("L", (W, H), 0)
    ImageDraw.Draw(mask).text((x, y), text, font=f, fill=255)
    # dark glow so the gold reads over the sky, then a drop shadow
    darken(img, scale_mask(mask.filter(ImageFilter.GaussianBlur(9)), 1.6), 0.7)
    shadow = mask.transform(mask.size, Image.AFFINE, (1, 0, -3, 0, 1, -4))
    darken(img, shadow.filter(ImageFilter.GaussianBlur(2)), 0.85)
    outline = mask.filter(ImageFilter.MaxFilter(5))
    img.paste(solid((W, H), (40, 22, 10)), (0, 0), outline)
    top, bottom = 20, 20 + th
    gold = vertical_gradient(W, H, [(0, (255, 244, 190)), (top / H, (255, 244, 190)),
                                    ((top + th * 0.45) / H, (236, 184, 78)),
                                    ((top + th * 0.55) / H, (178, 112, 34)),
                                    (bottom / H, (246, 206, 110)), (1, (246, 206, 110))])
    img.paste(gold, (0, 0), mask)
    # a thin highlight on the upper edges of the letters
    edge = ImageChops.subtract(mask, mask.transform(mask.size, Image.AFFINE, (1, 0, 0, 0, 1, -1)))
    brighten(img, scale_mask(edge, 0.6), (255, 255, 230), 0.6)

    # flourishes either side
    d = ImageDraw.Draw(img)
    ly = 20 + th // 2 + 4
    left_end = x + bbox[0] - 16
    right_start = x + bbox[0] + tw + 16
    for x0, x1 in ((left_end - 110, left_end), (right_start, right_start + 110)):
        d.line([(x0, ly), (x1, ly)], fill=(40, 22, 10), width=4)
        d.line([(x0, ly), (x1, ly)], fill=(214, 170, 86), width=2)
        d.line([(x0 + 14, ly - 5), (x1 - 14, ly - 5)], fill=(120, 84, 40), width=1)
        d.line([(x0 + 14, ly + 5), (x1 - 14, ly + 5)], fill=(120, 84, 40), width=1)
        for ex in (x0, x1):
            d.polygon([(ex - 6, ly), (ex, ly - 6), (ex + 6, ly), (ex, ly + 6)], fill=(236, 196, 110), outline=(40, 22, 10))
    gem(img, left_end - 55, ly, 4, (150, 20, 30), (250, 120, 110))
    gem(img, right_start + 55, ly, 4, (150, 20, 30), (250, 120, 110))
    # ornament under the title
    cx = VIEW_W // 2
    uy = 20 + th + 12
    d.line([(cx - 70, uy), (cx + 70, uy)], fill=(40, 22, 10), width=3)
    d.line([(cx - 70, uy), (cx + 70, uy)], fill=(190, 150, 76), width=1)
    d.polygon([(cx - 8, uy), (cx, uy - 6), (cx + 8, uy), (cx, uy + 6)], fill=(236, 196, 110), outline=(40, 22, 10))


def paint_left_panel(img, rng):
    x0, y0, x1, y1 = 18, 86, 254, 410
    panel = Image.new("L", (W, H), 0)
    ImageDraw.Draw(panel).rounded_rectangle((x0, y0, x1, y1), 10, fill=255)
    darken(img, panel.filter(ImageFilter.GaussianBlur(3)), 0.62)
    d = ImageDraw.Draw(img)
    d.rounded_rectangle((x0, y0, x1, y1), 10, outline=(20, 14, 12), width=3)
    d.rounded_rectangle((x0 + 1, y0 + 1, x1 - 1, y1 - 1), 9, outline=(186, 146, 72), width=1)
    d.rounded_rectangle((x0 + 4, y0 + 4, x1 - 4, y1 - 4), 7, outline=(110, 80, 40), width=1)
    for cx, cy in ((x0 + 4, y0 + 4), (x1 - 4, y0 + 4), (x0 + 4, y1 - 4), (x1 - 4, y1 - 4)):
        d.polygon([(cx - 5, cy), (cx, cy - 5), (cx + 5, cy), (cx, cy + 5)], fill=(226, 186, 100), outline=(40, 22, 10))
    paint_banner(img, rng, 136, 108, 180, 270)


def paint_banner(img, rng, cx, top, bw, bh):
    bx0, bx1 = cx - bw // 2, cx + bw // 2
    bottom = top + bh
    notch = bottom - 38
    cloth_pts = [(bx0, top), (bx1, top), (bx1, bottom), (cx, notch), (bx0, bottom)]
    # flat design at 3x, then shaded, then reduced
    s = 3
    cw, ch = (bw + 8) * s, (bh + 8) * s
    ox, oy = bx0 - 4, top - 4

    def T(pts):
        return [((x - ox) * s, (y - oy) * s) for x, y in pts]

    flat = Image.new("RGB", (cw, ch), (0, 0, 0))
    fd = ImageDraw.Draw(flat)
    crimson, crimson_dark = (150, 26, 36), (96, 14, 24)
    gold, gold_dark = (226, 178, 78), (150, 102, 36)
    fd.polygon(T(cloth_pts), fill=gold)
    inner = [(bx0 + 5, top + 3), (bx1 - 5, top + 3), (bx1 - 5, bottom - 9), (cx, notch - 7), (bx0 + 5, bottom - 9)]
    fd.polygon(T(inner), fill=crimson)
    inner2 = [(bx0 + 9, top + 3), (bx1 - 9, top + 3), (bx1 - 9, bottom - 16), (cx, notch - 13), (bx0 + 9, bottom - 16)]
    fd.line(T(inner2 + [inner2[0]]), fill=gold_dark, width=s)
    # a star above the crest frame, bands below it
    sx, sy = (cx - ox) * s, (top + 27 - oy) * s
    star = []
    for k in range(10):
        r = (13 if k % 2 == 0 else 5.5) * s
        a = -math.pi / 2 + k * math.pi / 5
        star.append((sx + math.cos(a) * r, sy + math.sin(a) * r))
    fd.polygon(star, fill=gold)
    for yy in (top + 176, top + 186):
        fd.line(T([(bx0 + 16, yy), (bx1 - 16, yy)]), fill=gold, width=2 * s)
    for k in range(5):
        dx = bx0 + 28 + k * (bw - 56) / 4
        fd.polygon(T([(dx - 4, top + 181), (dx, top + 177), (dx + 4, top + 181), (dx, top + 185)]), fill=gold)

    # shading: soft vertical folds, darker towards the hem, lit from the left
    shade = Image.new("L", (cw, ch))
    sp = []
    for yy in range(ch):
        v = yy / ch
        for xx in range(cw):
            u = xx / cw
            fold = 0.80 + 0.20 * math.sin(u * 2 * math.pi * 2.5 + 0.8 + v * 1.2)
            light = 1.05 - 0.35 * v - 0.15 * u
            sp.append(int(max(0, min(255, 255 * fold * light))))
    shade.putdata(sp)
    weave = colorize(value_noise(cw, ch, 2, rng), (225, 225, 225), (255, 255, 255))
    cloth = ImageChops.multiply(ImageChops.multiply(flat, Image.merge("RGB", (shade, shade, shade))), weave)
    mask = Image.new("L", (cw, ch), 0)
    ImageDraw.Draw(mask).polygon(T(cloth_pts), fill=255)
    cloth = cloth.resize((cw // s, ch // s), Image.LANCZOS)
    mask = mask.resize((cw // s, ch // s), Image.LANCZOS)
    # drop shadow on the panel
    sh_mask = Image.new("L", img.size, 0)
    sh_mask.paste(mask, (ox + 5, oy + 6))
    darken(img, sh_mask.filter(ImageFilter.GaussianBlur(5)), 0.6)
    img.paste(cloth, (ox, oy), mask)
    # the rod with its finials
    d = ImageDraw.Draw(img)
    ry = top - 2
    d.rectangle((bx0 - 18, ry - 3, bx1 + 18, ry + 3), fill=(120, 80, 30), outline=(30, 18, 8))
    d.line([(bx0 - 17, ry - 2), (bx1 + 17, ry - 2)], fill=(250, 220, 140))
    d.line([(bx0 - 17, ry - 1), (bx1 + 17, ry - 1)], fill=(220, 170, 80))
    for ex in (bx0 - 22, bx1 + 22):
        gem(img, ex, ry, 5, (176, 124, 40), (255, 236, 160))
    # hanging cords
    d.line([(bx0 - 10, ry), (cx, ry - 24), (bx1 + 10, ry)], fill=(30, 18, 8), width=3)
    d.line([(bx0 - 10, ry), (cx, ry - 24), (bx1 + 10, ry)], fill=(196, 150, 70), width=1)
    gem(img, cx, ry - 24, 3.5, (150, 20, 30), (250, 120, 110))
    paint_zoom_frame(img)


def paint_zoom_frame(img):
    """A bevelled gold frame sewn onto the banner, around a dark recess that
    the window fills with the zoomed crest."""
    x, y, w, h = ZOOM_RECESS
    x1, y1 = x + w - 1, y + h - 1
    d = ImageDraw.Draw(img)
    sh = Image.new("L", img.size, 0)
    ImageDraw.Draw(sh).rectangle((x - 5 + 3, y - 5 + 4, x1 + 5 + 3, y1 + 5 + 4), fill=255)
    darken(img, sh.filter(ImageFilter.GaussianBlur(3)), 0.55)
    d.rectangle((x - 6, y - 6, x1 + 6, y1 + 6), fill=(30, 18, 8))
    d.rectangle((x - 5, y - 5, x1 + 5, y1 + 5), fill=(200, 156, 74))
    for k in range(2):
        d.line([(x - 5 + k, y - 5 + k), (x1 + 5 - k, y - 5 + k)], fill=(252, 226, 150))
        d.line([(x - 5 + k, y - 5 + k), (x - 5 + k, y1 + 5 - k)], fill=(252, 226, 150))
        d.line([(x - 5 + k, y1 + 5 - k), (x1 + 5 - k, y1 + 5 - k)], fill=(110, 74, 28))
        d.line([(x1 + 5 - k, y - 5 + k), (x1 + 5 - k, y1 + 5 - k)], fill=(110, 74, 28))
    d.rectangle((x - 2, y - 2, x1 + 2, y1 + 2), fill=(30, 18, 8))
    d.rectangle((x, y, x1, y1), fill=ZOOM_RECESS_RGB)
    for cx, cy in ((x - 5, y - 5), (x1 + 5, y - 5), (x - 5, y1 + 5), (x1 + 5, y1 + 5)):
        gem(img, cx, cy, 3, (150, 20, 30), (250, 120, 110))


def paint_name_plate(img):
    # a dark plate for the name, fading out to the right, and the crest slot
    plate = Image.new("L", (W, H), 0)
    pd = ImageDraw.Draw(plate)
    pd.rounded_rectangle((280, 95, 470, 122), 6, fill=255)
    fade = Image.new("L", (W, H), 0)
    fpx = []
    for y in range(H):
        for x in range(W):
            fpx.append(255 if x < 400 else max(0, 255 - (x - 400) * 255 // 70))
    fade.putdata(fpx)
    plate = ImageChops.multiply(plate, fade).filter(ImageFilter.GaussianBlur(1.5))
    darken(img, plate, 0.72)
    d = ImageDraw.Draw(img)
    d.line([(288, 121), (400, 121)], fill=(150, 112, 56))
    for x in range(400, 462):
        t = (x - 400) / 62
        d.point((x, 121), fill=mix((150, 112, 56), img.getpixel((x, 121)), t))
    # crest slot: a small bevelled gold frame with a dark recess
    d.rectangle((284, 100, 315, 119), fill=(30, 18, 8))
    d.rectangle((285, 101, 314, 118), fill=(200, 156, 74))
    d.line([(285, 101), (314, 101)], fill=(252, 226, 150))
    d.line([(285, 101), (285, 118)], fill=(252, 226, 150))
    d.line([(285, 118), (314, 118)], fill=(110, 74, 28))
    d.line([(314, 101), (314, 118)], fill=(110, 74, 28))
    d.rectangle((287, 103, 312, 116), fill=(14, 12, 18))
    d.line([(287, 103), (312, 103)], fill=(4, 4, 6))
    d.line([(287, 103), (287, 116)], fill=(4, 4, 6))


def make_background():
    rng = random.Random(1201)
    img = paint_sky(rng)
    paint_landscape(img, rng)
    paint_stage_light(img)
    paint_dais(img, rng)
    paint_frame(img, rng)
    paint_title(img)
    paint_left_panel(img, rng)
    paint_name_plate(img)
    return img


# --------------------------------------------------------------------------
# button bar and buttons


def socket_box(x, y):
    return (x - 3, y - 3, x + 34, y + 34)


def recess_colour(yy):
    """Colour of a socket's floor at row yy (0..31) of a button."""
    return mix((24, 22, 28), (40, 36, 44), yy / 31)


def make_bar():
    rng = random.Random(2207)
    w, h = BAR_W, BAR_H
    base = vertical_gradient(w, h, [(0, (92, 86, 92)), (0.5, (62, 58, 66)), (1, (36, 34, 40))])
    brushed = fbm(w, h, rng, cells=(16, 8, 4, 2), stretch=(8, 1))
    bar = ImageChops.multiply(base, colorize(brushed, (190, 190, 190), (255, 255, 255)))
    d = ImageDraw.Draw(bar)
    # bronze frame
    d.rectangle((0, 0, w - 1, h - 1), outline=(10, 8, 10))
    d.rectangle((1, 1, w - 2, h - 2), outline=(150, 108, 48))
    d.line([(1, 1), (w - 2, 1)], fill=(238, 200, 122))
    d.line([(1, 1), (1, h - 2)], fill=(238, 200, 122))
    d.rectangle((2, 2, w - 3, h - 3), outline=(200, 156, 80))
    d.line([(2, h - 3), (w - 3, h - 3)], fill=(96, 66, 28))
    d.line([(w - 3, 2), (w - 3, h - 3)], fill=(96, 66, 28))
    d.rectangle((3, 3, w - 4, h - 4), outline=(20, 16, 18))
    d.line([(4, 4), (w - 5, 4)], fill=(130, 122, 126))
    # rivets
    for rx, ry in ((11, 11), (11, h - 12), (w - 12, 11), (w - 12, h - 12),
                   (268, 11), (268, h - 12), (444, 11), (444, h - 12)):
        rivet(bar, rx, ry)
    # engraved channel with the bar's centre gem
    cx, cy = (258 + 455) // 2 + 4, h // 2
    for dy, col in ((-1, (22, 18, 22)), (0, (26, 22, 26)), (1, (120, 112, 116))):
        d.line([(282, cy - 8 + dy), (430, cy - 8 + dy)], fill=col)
        d.line([(282, cy + 8 + dy), (430, cy + 8 + dy)], fill=col)
    for x0, x1 in ((286, cx - 22), (cx + 22, 426)):
        for t in range(x0, x1, 12):
            d.polygon([(t, cy), (t + 4, cy - 4), (t + 8, cy), (t + 4, cy + 4)],
                      fill=(150, 110, 52), outline=(30, 20, 10))
    d.ellipse((cx - 17, cy - 14, cx + 17, cy + 14), fill=(20, 16, 18))
    d.ellipse((cx - 15, cy - 12, cx + 15, cy + 12), fill=(170, 126, 56))
    d.arc((cx - 15, cy - 12, cx + 15, cy + 12), 160, 320, fill=(250, 220, 140), width=2)
    gem(bar, cx, cy, 8.5, (140, 18, 28), (255, 120, 110))
    # sockets
    for x, y in BUTTONS:
        x0, y0, x1, y1 = socket_box(x, y)
        d.rounded_rectangle((x0 - 1, y0 - 1, x1 + 1, y1 + 1), 5, fill=(10, 8, 10))
        d.rounded_rectangle((x0, y0, x1, y1), 4, fill=(150, 108, 48))
        d.line([(x0 + 3, y1), (x1 - 3, y1)], fill=(236, 196, 118))
        d.line([(x1, y0 + 3), (x1, y1 - 3)], fill=(236, 196, 118))
        d.line([(x0 + 3, y0), (x1 - 3, y0)], fill=(86, 58, 24))
        d.line([(x0, y0 + 3), (x0, y1 - 3)], fill=(86, 58, 24))
        d.rectangle((x - 1, y - 1, x + 32, y + 32), fill=(8, 6, 10))
        for yy in range(32):
            d.line([(x, y + yy), (x + 31, y + yy)], fill=recess_colour(yy))
        d.line([(x, y), (x + 31, y)], fill=(12, 10, 14))
        d.line([(x, y), (x, y + 31)], fill=(14, 12, 16))
    return bar


def rivet(img, x, y):
    d = ImageDraw.Draw(img)
    d.ellipse((x - 4, y - 4, x + 4, y + 4), fill=(14, 12, 14))
    d.ellipse((x - 3, y - 3, x + 3, y + 3), fill=(120, 112, 116))
    d.ellipse((x - 3, y - 3, x + 1, y + 1), fill=(190, 184, 186))
    d.ellipse((x - 2, y - 2, x, y), fill=(240, 236, 236))


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


OUTLINE = (22, 14, 10, 255)


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


# --------------------------------------------------------------------------
# icon and crest placeholder


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


def write_ico(path):
    import io
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


# --------------------------------------------------------------------------
# the animated character (pixel art, 150 x 150 design shown at 2x)

FRAMES = 12
DELAY_MS = 100
DESIGN = 150
GIF_SIZE = 300

OUT = (18, 14, 22)
ST = [(46, 50, 64), (84, 92, 110), (130, 140, 158), (182, 190, 206), (232, 236, 244)]
CR = [(74, 16, 26), (120, 26, 36), (168, 40, 46), (210, 76, 64)]
GD = [(112, 74, 22), (172, 122, 38), (226, 180, 74), (252, 228, 150)]
NV = [(22, 26, 52), (36, 46, 88), (58, 74, 126), (88, 106, 162)]
WD = [(60, 38, 22), (100, 64, 34), (140, 92, 50)]
LT = [(54, 36, 26), (88, 60, 40), (124, 86, 56)]
EYE = (255, 204, 112)
TRANSPARENT_RGB = (24, 20, 30)

# shade neighbours of each colour for the waving flag: (darker, lighter)
SHADE = {}
for ramp in (ST, CR, GD, NV, WD, LT):
    for i, c in enumerate(ramp):
        SHADE[c] = (ramp[max(0, i - 1)], ramp[min(len(ramp) - 1, i + 1)])


class Pix:
    """Hard-edged pixel drawing on an RGBA canvas."""

    def __init__(self, size):
        self.img = Image.new("RGBA", (size, size), (0, 0, 0, 0))
        self.d = ImageDraw.Draw(self.img)

    def r(self, x0, y0, x1, y1, c):
        self.d.rectangle((x0, y0, x1, y1), fill=c + (255,))

    def p(self, x, y, c):
        self.d.point((x, y), fill=c + (255,))

    def e(self, x0, y0, x1, y1, c):
        self.d.ellipse((x0, y0, x1, y1), fill=c + (255,))

    def poly(self, pts, c):
        self.d.polygon(pts, fill=c + (255,))

    def line(self, pts, c):
        self.d.line(pts, fill=c + (255,))


def draw_lower(t):
    """Cape, legs and feet: the part that stays on the ground."""
    phase = 2 * math.pi * t / FRAMES
    k = Pix(DESIGN)
    # cape behind everything, its hem rippling
    hem = [(x, 128 + round(1.6 * math.sin(x * 0.3 - phase))) for x in range(84, 39, -2)]
    k.poly([(52, 66), (72, 66), (84, 126)] + hem + [(40, 126)], NV[1])
    k.poly([(52, 66), (60, 66), (48, 124), (40, 126)], NV[2])
    for fx in (47, 56, 68, 77):
        k.line([(62 + (fx - 62) * 0.3, 74), (fx, 124 + round(math.sin(fx * 0.3 - phase)))], NV[0])
    # legs with knee cops
    for x0 in (53, 64):
        k.r(x0, 108, x0 + 7, 132, ST[2])
        k.r(x0, 108, x0 + 1, 132, ST[3])
        k.r(x0 + 6, 108, x0 + 7, 132, ST[1])
        k.r(x0, 116, x0 + 7, 120, ST[3])
        k.r(x0 + 1, 117, x0 + 3, 118, ST[4])
        k.r(x0, 121, x0 + 7, 121, ST[0])
    # sabatons
    k.r(49, 132, 60, 137, ST[1])
    k.r(50, 132, 60, 133, ST[2])
    k.r(64, 132, 75, 137, ST[1])
    k.r(64, 132, 74, 133, ST[2])
    return k.img


def draw_upper(t):
    """Everything that rides on the breathing motion."""
    phase = 2 * math.pi * t / FRAMES
    k = Pix(DESIGN)
    # the banner pole, gripped in the right hand
    k.r(85, 12, 87, 137, WD[1])
    k.r(85, 12, 85, 137, WD[2])
    k.r(87, 12, 87, 137, WD[0])
    k.poly([(86, 1), (89, 7), (86, 11), (83, 7)], GD[2])
    k.poly([(86, 1), (86, 11), (83, 7)], GD[3])
    k.poly([(87, 3), (89, 7), (87, 10)], GD[1])
    k.r(84, 11, 88, 12, GD[1])
    k.r(85, 135, 87, 137, GD[1])
    # tabard skirt
    k.poly([(52, 96), (72, 96), (76, 112), (48, 112)], CR[2])
    k.poly([(52, 96), (57, 96), (54, 112), (48, 112)], CR[3])
    k.poly([(68, 96), (72, 96), (76, 112), (71, 112)], CR[1])
    k.line([(62, 100), (62, 112)], CR[0])
    k.r(48, 111, 76, 112, GD[2])
    k.r(62, 111, 76, 112, GD[1])
    # breastplate
    k.e(49, 62, 75, 80, ST[2])
    k.r(50, 70, 74, 96, ST[2])
    k.r(51, 70, 53, 93, ST[3])
    k.r(72, 70, 74, 95, ST[1])
    # tabard over the chest, with the clan's tower
    k.r(55, 72, 69, 96, CR[2])
    k.r(55, 72, 56, 96, CR[3])
    k.r(68, 72, 69, 96, CR[1])
    k.r(55, 72, 69, 72, GD[2])
    k.r(60, 80, 64, 87, GD[2])
    for x in (60, 62, 64):
        k.p(x, 79, GD[2])
    k.r(64, 80, 64, 87, GD[1])
    k.r(62, 85, 62, 87, CR[0])
    # belt and buckle
    k.r(51, 95, 73, 97, LT[1])
    k.r(51, 95, 73, 95, LT[2])
    k.r(60, 95, 64, 97, GD[2])
    k.p(62, 96, GD[0])
    # right arm reaching to the pole
    k.r(72, 73, 79, 85, ST[2])
    k.r(78, 73, 79, 85, ST[1])
    k.r(74, 83, 84, 89, ST[2])
    k.r(74, 83, 84, 84, ST[3])
    k.r(74, 88, 84, 89, ST[1])
    k.r(82, 82, 89, 91, ST[1])          # gauntlet around the pole
    k.r(82, 82, 88, 83, ST[2])
    k.r(83, 86, 89, 86, ST[0])
    # left arm and the shield before it
    k.r(42, 74, 49, 98, ST[1])
    k.r(42, 74, 43, 98, ST[2])
    sh = [(31, 80), (53, 80), (53, 95), (49, 104), (42, 111), (35, 104), (31, 95)]
    k.poly(sh, GD[1])
    k.poly([(33, 82), (51, 82), (51, 95), (48, 102), (42, 108), (36, 102), (33, 95)], NV[2])
    k.poly([(33, 82), (42, 82), (42, 108), (36, 102), (33, 95)], NV[3])
    k.r(31, 80, 53, 80, GD[3])
    k.poly([(34, 95), (42, 87), (50, 95), (50, 98), (42, 90), (34, 98)], GD[2])   # a gold chevron
    k.poly([(42, 87), (50, 95), (50, 98), (42, 90)], GD[1])
    # pauldrons
    k.e(40, 62, 56, 76, ST[2])
    k.e(42, 63, 52, 70, ST[3])
    k.r(45, 64, 47, 65, ST[4])
    k.r(41, 72, 55, 73, ST[1])
    k.e(68, 62, 84, 76, ST[2])
    k.e(70, 63, 78, 69, ST[3])
    k.r(71, 64, 72, 65, ST[4])
    k.r(69, 72, 83, 73, ST[1])
    k.r(80, 66, 83, 71, ST[1])
    # gorget and helm
    k.r(56, 62, 68, 67, ST[1])
    k.r(56, 62, 68, 62, ST[2])
    k.e(54, 42, 70, 60, ST[2])
    k.r(54, 51, 70, 63, ST[2])
    k.r(56, 46, 58, 60, ST[3])
    k.r(57, 47, 57, 51, ST[4])
    k.r(68, 48, 70, 63, ST[1])
    k.r(62, 42, 62, 53, ST[3])
    k.r(56, 54, 69, 55, OUT)
    k.p(59, 54, EYE)
    k.p(60, 54, EYE)
    k.p(65, 54, EYE)
    k.p(66, 54, EYE)
    for x in (63, 65, 67):
        k.p(x, 58, ST[0])
    k.r(54, 62, 70, 63, ST[1])
    # plume streaming back from the crown of the helm
    sway = math.sin(phase)
    tipx, tipy = 41 + round(sway * 1.5), 34 + round(math.cos(phase) * 1.2)
    k.poly([(63, 44), (60, 37), (53, 33), (tipx, tipy), (48, 38), (55, 41), (58, 45)], CR[2])
    k.line([(61, 40), (54, 35), (tipx + 3, tipy + 1)], CR[3])
    k.line([(58, 44), (50, 39), (tipx + 2, tipy + 3)], CR[1])
    return k.img


def flag_texture():
    fw, fh = 52, 34
    k = Pix(fw)
    tex = Image.new("RGBA", (fw, fh), (0, 0, 0, 0))
    k.img, k.d = tex, ImageDraw.Draw(tex)
    k.r(0, 0, fw - 1, fh - 1, CR[2])
    k.r(0, 1, fw - 1, 2, GD[2])
    k.r(0, fh - 3, fw - 1, fh - 2, GD[2])
    # the tower
    k.r(14, 11, 26, 26, GD[2])
    for x0 in (14, 19, 24):
        k.r(x0, 8, x0 + 2, 10, GD[2])
    k.r(24, 11, 26, 26, GD[1])
    k.r(13, 13, 27, 13, GD[2])
    k.r(19, 21, 21, 26, CR[0])
    k.p(20, 20, CR[0])
    k.r(20, 15, 20, 17, CR[0])
    # swallowtail
    for u in range(fw - 12, fw):
        depth = (u - (fw - 12)) * 0.95
        for v in range(fh):
            if abs(v - (fh - 1) / 2) < depth:
                tex.putpixel((u, v), (0, 0, 0, 0))
    return tex


def draw_flag(canvas, t, tex):
    phase = 2 * math.pi * t / FRAMES
    fw, fh = tex.size
    x0, y0 = 88, 12
    src = tex.load()
    dst = canvas.load()
    for u in range(fw):
        reach = u / fw
        wave = 2 * math.pi * u / 36 - phase
        dy = 4.6 * reach * math.sin(wave) + reach * 2.0      # a little sag at the free end
        slope = math.cos(wave) * (0.35 + 0.65 * reach)
        for v in range(fh):
            c = src[u, v]
            if c[3] == 0:
                continue
            rgb = c[:3]
            if slope > 0.45:
                rgb = SHADE[rgb][0]
            elif slope < -0.5:
                rgb = SHADE[rgb][1]
            y = y0 + v + int(round(dy))
            dst[x0 + u, y] = rgb + (255,)
    # rings holding the flag to the pole
    for v in (2, 16, 30):
        dst[87, y0 + v] = GD[2] + (255,)
        dst[88, y0 + v] = GD[1] + (255,)


BREATH = [0, 0, 0, 1, 1, 1, 1, 1, 1, 0, 0, 0]
SHIFT_X = -12


def character_frame(t, tex):
    frame = Image.new("RGBA", (DESIGN, DESIGN), (0, 0, 0, 0))
    frame.alpha_composite(draw_lower(t))
    upper = draw_upper(t)
    draw_flag(upper, t, tex)
    frame.alpha_composite(upper, (0, BREATH[t]))
    # hard black outline around the silhouette
    px = frame.load()
    opaque = [[px[x, y][3] > 0 for x in range(DESIGN)] for y in range(DESIGN)]
    for y in range(DESIGN):
        for x in range(DESIGN):
            if opaque[y][x]:
                continue
            for dx, dy in ((1, 0), (-1, 0), (0, 1), (0, -1)):
                nx, ny = x + dx, y + dy
                if 0 <= nx < DESIGN and 0 <= ny < DESIGN and opaque[ny][nx]:
                    px[x, y] = OUT + (255,)
                    break
    shifted = Image.new("RGBA", (DESIGN, DESIGN), (0, 0, 0, 0))
    shifted.paste(frame, (SHIFT_X, 0))
    return shifted.resize((GIF_SIZE, GIF_SIZE), Image.NEAREST)


def character_frames():
    tex = flag_texture()
    return [character_frame(t, tex) for t in range(FRAMES)]


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


# --------------------------------------------------------------------------
# previews


def draw_outlined_text(img, x, y, text, colour, outline):
    f = font("DejaVuSans.ttf", 13)
    d = ImageDraw.Draw(img)
    for dx, dy in ((-1, -1), (-1, 1), (1, 1), (1, -1)):
        d.text((x + dx, y + dy), text, font=f, fill=outline)
    d.text((x, y), text, font=f, fill=colour)


def make_preview(background, bar, pictures, frame, crest):
    img = background.copy()
    img.paste(bar, BAR_AT)
    for i, (x, y) in enumerate(BUTTONS):
        img.paste(pictures[i], (BAR_AT[0] + x, BAR_AT[1] + y))
    img.paste(frame, STAGE[:2], frame)
    img.paste(crest, (296, 104))
    x, y, w, h = ZOOM_RECESS
    zoomed = crest.resize((crest.width * 8, crest.height * 8), Image.NEAREST)
    img.paste(zoomed, (x + (w - zoomed.width) // 2, y + (h - zoomed.height) // 2))
    draw_outlined_text(img, NAME_AT[0], NAME_AT[1], "Korvald", (255, 255, 255), (0, 0, 0))
    return img.crop((0, 0, VIEW_W, VIEW_H))


def make_frames_preview(frames):
    box = None
    for f in frames:
        b = f.getbbox()
        box = b if box is None else (min(box[0], b[0]), min(box[1], b[1]), max(box[2], b[2]), max(box[3], b[3]))
    box = (box[0] - 4, box[1] - 4, box[2] + 4, box[3] + 4)
    cw, ch = box[2] - box[0], box[3] - box[1]
    strip = Image.new("RGB", (cw * 2 * len(frames) + 8 * (len(frames) + 1), ch * 2 + 16), (40, 34, 52))
    for i, f in enumerate(frames):
        cell = Image.new("RGB", (cw, ch), (40, 34, 52))
        crop = f.crop(box)
        cell.paste(crop, (0, 0), crop)
        strip.paste(cell.resize((cw * 2, ch * 2), Image.NEAREST), (8 + i * (cw * 2 + 8), 8))
    return strip


# --------------------------------------------------------------------------


def main():
    out = lambda name: os.path.join(HERE, name)   # noqa: E731

    background = make_background()
    background.save(out("background.jpg"), "JPEG", **JPEG_OPTS)
    bar = make_bar()
    bar.save(out("bar.jpg"), "JPEG", **JPEG_OPTS)

    makers = [icon_open, icon_save, icon_crest, icon_quill, icon_globe, icon_star]
    normal = []
    for n in range(1, 8):
        for lit in (False, True):
            icon = icon_exit(lit) if n == 7 else makers[n - 1]()
            pic = button_picture(bar, n - 1, icon, lit)
            name = "pic%d%s" % (n, "b" if lit else "a")
            if n in (3, 7):
                pic.save(out(name + ".bmp"), "BMP")
            else:
                pic.save(out(name + ".jpg"), "JPEG", **JPEG_OPTS)
            if not lit:
                normal.append(pic)

    write_ico(out("vexillor.ico"))
    crest = make_crest_placeholder()
    crest.save(out("crest_placeholder.bmp"), "BMP")

    frames = character_frames()
    write_gif(out("char0.dat"), frames)
    check_gif(out("char0.dat"), frames)

    # previews read the written files back, so they show what ships
    shipped_bg = Image.open(out("background.jpg")).convert("RGB")
    shipped_bar = Image.open(out("bar.jpg")).convert("RGB")
    make_preview(shipped_bg, shipped_bar, normal, frames[0], crest).save(out("preview.png"))
    make_frames_preview(frames).save(out("char0-preview.png"))


if __name__ == "__main__":
    main()
