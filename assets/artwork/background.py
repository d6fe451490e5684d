"""The window skin (background.jpg): the stone frame, the title, the banner
panel with the zoomed crest's recess and the name plate, over the landscape."""

import math
import random

from PIL import Image, ImageChops, ImageDraw, ImageFilter

from .landscape import paint_dais, paint_landscape, paint_sky, paint_stage_light
from .layout import H, VIEW_H, VIEW_W, W, ZOOM_RECESS, ZOOM_RECESS_RGB
from .paint import (brighten, colorize, darken, fbm, font, gem, mix, scale_mask, solid, value_noise,
                    vertical_gradient)


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
