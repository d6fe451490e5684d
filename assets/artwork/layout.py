"""Where things sit in the window: the skin's size, the stage, the bar and its buttons."""


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
