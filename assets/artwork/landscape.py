"""The scenery behind the window: dusk sky, mountains, castle, the dais and the
light on the character's stage."""

import math
import random

from PIL import Image, ImageChops, ImageDraw, ImageFilter

from .layout import H, W
from .paint import (blurred_ellipse, brighten, colorize, darken, fbm, polygon_mask, ridge, scale_mask, solid,
                    vertical_gradient)


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
