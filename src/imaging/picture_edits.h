// What happens to a loaded picture before its squeeze into a crest: the
// exact turns, the search for the part worth framing, and the composition of
// transparent pixels over a chosen background. Portable.
#pragma once

#include <cstdint>

#include "base/bgra_image.h"
#include "imaging/centred_crop.h"

namespace vx {

struct PictureTurn {
    std::int32_t rotateDegrees = 0;  // 0, or 90 (anticlockwise), 180, 270 (clockwise)
    bool mirror = false;             // left to right
    bool flip = false;               // upside down

    bool Any() const { return rotateDegrees != 0 || mirror || flip; }
    friend bool operator==(const PictureTurn&, const PictureTurn&) = default;
};

// `picture` turned in the order rotate, mirror, flip; every pixel (its
// fourth byte included) moves, none is resampled.
BgraImage TurnImage(ConstBgraView picture, const PictureTurn& turn);

// The smallest rectangle holding every pixel whose fourth byte (straight
// alpha) is not 0. In a picture without transparency (every fourth byte
// 255), the smallest rectangle holding every pixel that differs from the
// colour of the four corners, when the four agree. The whole picture when
// there is nothing to cut away (or nothing but transparency or corner
// colour, which would leave no crest).
PixelRect TrimRect(ConstBgraView picture);

// `part` laid over the opaque `background`: each pixel mixed by its fourth
// byte read as straight alpha (rounded to nearest), the result opaque.
BgraImage ComposeOver(ConstBgraView part, Colorref background);

// The rectangle lies wholly inside a `width` x `height` picture and is not
// empty.
bool RectInside(const PixelRect& rect, int width, int height);

}  // namespace vx
