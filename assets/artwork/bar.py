"""The button bar (bar.jpg): bronze-framed iron with rivets and a socket per button."""

import random

from PIL import ImageChops, ImageDraw

from .layout import BAR_H, BAR_W, BUTTONS
from .paint import colorize, fbm, gem, mix, vertical_gradient


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
