"""Pictures for looking at the artwork: the whole window put together and the
animation frames side by side."""

from PIL import Image, ImageDraw

from .layout import BAR_AT, BUTTONS, NAME_AT, STAGE, VIEW_H, VIEW_W, ZOOM_RECESS
from .paint import font


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
