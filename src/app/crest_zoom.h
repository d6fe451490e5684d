// The crest enlarged with sharp pixel edges, centred in the banner's frame,
// so a player can judge a 16 x 12 crest before saving it.
#pragma once

#include <cstdint>
#include <optional>

#include "base/bgra_image.h"

namespace vx {

struct CrestZoom {
    int scale = 8;
    // A one-pixel divider is drawn after this many crest columns (0: none);
    // the columns after it move one pixel right, so no crest pixel is hidden.
    int dividerAfterColumn = 0;
    Colorref backColour{};  // the frame's recess
    Colorref dividerColour{};
};

// A `width` x `height` picture: the back colour with every crest pixel as a
// `scale` x `scale` block, the whole centred (odd margins floored). Blocks
// that fall outside are cut off.
BgraImage ZoomCrest(ConstBgraView crest, const CrestZoom& zoom, int width, int height);

struct CrestPixel {
    int x = 0;
    int y = 0;
};

// The crest pixel shown at (`x`, `y`) of that picture, or nothing over the
// back colour or the divider.
std::optional<CrestPixel> CrestPixelAt(int crestWidth, int crestHeight, const CrestZoom& zoom, int width, int height,
                                       int x, int y);

}  // namespace vx
