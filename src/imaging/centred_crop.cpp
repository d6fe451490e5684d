#include "imaging/centred_crop.h"

#include <algorithm>
#include <cstdint>

namespace vx {
namespace {

// round(numerator / denominator) for non-negative values, halves up, at least 1.
int RoundedQuotient(std::int64_t numerator, std::int64_t denominator) {
    return static_cast<int>(std::max<std::int64_t>(1, (2 * numerator + denominator) / (2 * denominator)));
}

}  // namespace

PixelRect CentredCrop(int width, int height, int aspectWidth, int aspectHeight) {
    PixelRect whole{0, 0, width, height};
    if (width <= 0 || height <= 0 || aspectWidth <= 0 || aspectHeight <= 0) return whole;
    // Cross-multiplied in 64 bits: a 32767-pixel side times any proportion fits.
    const std::int64_t wideness = std::int64_t{width} * aspectHeight;
    const std::int64_t wanted = std::int64_t{height} * aspectWidth;
    if (wideness > wanted) {
        const int cropWidth = std::min(width, RoundedQuotient(wanted, aspectHeight));
        return {(width - cropWidth) / 2, 0, cropWidth, height};
    }
    if (wideness < wanted) {
        const int cropHeight = std::min(height, RoundedQuotient(wideness, aspectWidth));
        return {0, (height - cropHeight) / 2, width, cropHeight};
    }
    return whole;
}

ConstBgraView SubView(ConstBgraView view, const PixelRect& rect) {
    return {view.Row(rect.y) + std::ptrdiff_t{4} * rect.x, rect.width, rect.height, view.stride};
}

}  // namespace vx
