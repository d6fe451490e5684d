#!/usr/bin/python3
"""Draws every picture Vexillor ships: the window skin, the button pictures,
the program icon, the crest placeholder, the animated character and the
tooltip icons, plus the previews for looking at them.

Everything is painted procedurally (gradients, shapes, value noise, pixel
art) with fixed random seeds, so running the script again rewrites the very
same files. The drawing lives in the `artwork` package beside this file.
Run it from anywhere:  /usr/bin/python3 assets/make_assets.py
"""

import os
import sys

from PIL import Image

HERE = os.path.dirname(os.path.abspath(__file__))
sys.path.insert(0, HERE)

from artwork.background import make_background  # noqa: E402
from artwork.bar import make_bar  # noqa: E402
from artwork.buttons import (  # noqa: E402
    button_picture, icon_crest, icon_exit, icon_globe, icon_open, icon_quill, icon_save, icon_star)
from artwork.character import character_frames  # noqa: E402
from artwork.gif import check_gif, write_gif  # noqa: E402
from artwork.layout import JPEG_OPTS  # noqa: E402
from artwork.previews import make_frames_preview, make_preview  # noqa: E402
from artwork.program_icon import make_crest_placeholder, write_ico  # noqa: E402
from artwork.tip_icons import write_tip_icons  # noqa: E402


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

    write_tip_icons(out)


if __name__ == "__main__":
    main()
