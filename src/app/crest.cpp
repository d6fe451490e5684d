#include "app/crest.h"

#include <algorithm>

namespace vx {

SIZE CrestSourceSize(int headerWidth, int headerHeight, const Bitmap32& picture) {
    if (headerWidth <= 0 || headerHeight <= 0) return {picture.width(), picture.height()};
    return {std::min(headerWidth, picture.width()), std::min(headerHeight, picture.height())};
}

Bitmap32 SqueezeIntoCrest(const Bitmap32& picture, SIZE source, int crestWidth, int crestHeight) {
    return SqueezeBitmap(picture, static_cast<int>(source.cx), static_cast<int>(source.cy), crestWidth, crestHeight);
}

}  // namespace vx
