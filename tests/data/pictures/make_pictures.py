#!/usr/bin/python3
"""Writes the small sample pictures the Windows tests load (deterministic)."""
from pathlib import Path
from PIL import Image, ImageDraw

here = Path(__file__).resolve().parent


def quadrants(w, h):
    im = Image.new("RGB", (w, h))
    d = ImageDraw.Draw(im)
    d.rectangle([0, 0, w // 2 - 1, h // 2 - 1], fill=(255, 0, 0))
    d.rectangle([w // 2, 0, w - 1, h // 2 - 1], fill=(0, 255, 0))
    d.rectangle([0, h // 2, w // 2 - 1, h - 1], fill=(0, 0, 255))
    d.rectangle([w // 2, h // 2, w - 1, h - 1], fill=(255, 255, 0))
    return im


pic = quadrants(120, 80)
pic.save(here / "sample.bmp")
pic.save(here / "sample.jpg", quality=95)
pic.save(here / "sample.png")
pic.save(here / "sample.tif")
pic.convert("P", palette=Image.ADAPTIVE, colors=4).save(here / "sample.gif")
quadrants(48, 48).save(here / "sample.ico", sizes=[(48, 48), (16, 16)])

# A picture for the preview pane: red, with a 6-pixel blue border, twice as
# wide as high, so a whole-picture fit leaves bands above and below.
wide = Image.new("RGB", (200, 100), (0, 0, 255))
ImageDraw.Draw(wide).rectangle([6, 6, 193, 93], fill=(255, 0, 0))
wide.save(here / "wide.png")

# Half-transparent corner: transparent pixels are laid over the background.
alpha = Image.new("RGBA", (20, 10), (0, 128, 0, 255))
ImageDraw.Draw(alpha).rectangle([0, 0, 9, 9], fill=(0, 0, 0, 0))
alpha.save(here / "alpha.png")

data = (here / "sample.jpg").read_bytes()
(here / "damaged.jpg").write_bytes(data[:200] + bytes(64))
(here / "notapicture.txt").write_text("This is a text file, not a picture.\n")
