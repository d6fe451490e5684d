"""The animated character: pixel art on a 150 x 150 design, shown at 2x."""

import math

from PIL import Image, ImageDraw


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
