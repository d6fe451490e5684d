"""Small painting helpers shared by every picture: fonts, colour mixing, noise,
masks, shapes and the clan's tower emblem."""

import math
import os

from PIL import Image, ImageChops, ImageDraw, ImageFilter, ImageFont


FONT_DIR = "/usr/share/fonts/truetype/dejavu"
OUTLINE = (22, 14, 10, 255)    # the dark edge around every icon


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


def gem(img, cx, cy, r, base, light, ss=6):
    """A round jewel in a gold setting, lit from the top left."""
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
