// The centred part of a picture that has a given proportion, so that a wide
// banner or a tall portrait squeezed into a crest is not distorted.
#pragma once

#include "base/bgra_image.h"

namespace vx {

struct PixelRect {
    int x = 0;
    int y = 0;
    int width = 0;
    int height = 0;
    friend bool operator==(const PixelRect&, const PixelRect&) = default;
};

// The largest rectangle of proportion `aspectWidth` : `aspectHeight`
// centred in a `width` x `height` picture. The side that is cut is rounded
// to the nearest pixel (halves up) and is never less than one pixel; the
// other side is the picture's own. A picture already in proportion, or an
// empty size or proportion, gives the whole picture.
PixelRect CentredCrop(int width, int height, int aspectWidth, int aspectHeight);

// The pixels of `view` inside `rect` (which must lie inside the view).
ConstBgraView SubView(ConstBgraView view, const PixelRect& rect);

}  // namespace vx
