// Test pictures painted pixel by pixel from a colour function.
#pragma once

#include <functional>

#include "base/bgra_image.h"

namespace vx::test {

inline BgraImage Picture(int width, int height, const std::function<Colorref(int, int)>& colour) {
    BgraImage image(width, height);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) image.SetColor(x, y, colour(x, y));
    return image;
}

}  // namespace vx::test
