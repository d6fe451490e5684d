#include "app/crest.h"

#include <algorithm>
#include <cstring>

#include "imaging/squeeze.h"

namespace vx {

SIZE CrestSourceSize(int headerWidth, int headerHeight, const Bitmap32& picture) {
    if (headerWidth <= 0 || headerHeight <= 0) return {picture.width(), picture.height()};
    return {std::min(headerWidth, picture.width()), std::min(headerHeight, picture.height())};
}

Bitmap32 SqueezeIntoCrest(const Bitmap32& picture, SIZE source, int crestWidth, int crestHeight) {
    GdiFlush();
    const auto* top = reinterpret_cast<const std::uint8_t*>(picture.pixels().data());
    ConstBgraView view{top, static_cast<int>(source.cx), static_cast<int>(source.cy),
                       static_cast<std::ptrdiff_t>(picture.stride())};
    const BgraImage squeezed = Squeeze(view, crestWidth, crestHeight);
    Bitmap32 crest(crestWidth, crestHeight);
    for (int y = 0; y < crestHeight; ++y)
        std::memcpy(crest.pixels().data() + static_cast<std::size_t>(y) * crestWidth, squeezed.Row(y),
                    static_cast<std::size_t>(crestWidth) * 4);
    for (std::uint32_t& p : crest.pixels()) p &= 0x00FFFFFF;
    return crest;
}

}  // namespace vx
