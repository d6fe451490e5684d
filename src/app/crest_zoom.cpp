#include "app/crest_zoom.h"

#include <algorithm>
#include <cstring>

namespace vx {

namespace {

struct ZoomLayout {
    int scale, left, top, zoomedWidth, zoomedHeight, dividerX;  // dividerX < 0: none
};

ZoomLayout LayoutOf(int crestWidth, int crestHeight, const CrestZoom& zoom, int width, int height) {
    ZoomLayout layout{};
    layout.scale = std::max(1, zoom.scale);
    const bool divided = zoom.dividerAfterColumn > 0 && zoom.dividerAfterColumn < crestWidth;
    layout.zoomedWidth = crestWidth * layout.scale + (divided ? 1 : 0);
    layout.zoomedHeight = crestHeight * layout.scale;
    layout.left = (width - layout.zoomedWidth) / 2;
    layout.top = (height - layout.zoomedHeight) / 2;
    layout.dividerX = divided ? zoom.dividerAfterColumn * layout.scale : -1;
    return layout;
}

}  // namespace

std::optional<CrestPixel> CrestPixelAt(int crestWidth, int crestHeight, const CrestZoom& zoom, int width, int height,
                                       int x, int y) {
    const ZoomLayout layout = LayoutOf(crestWidth, crestHeight, zoom, width, height);
    int zx = x - layout.left;
    const int zy = y - layout.top;
    if (zx < 0 || zy < 0 || zx >= layout.zoomedWidth || zy >= layout.zoomedHeight || zx == layout.dividerX)
        return std::nullopt;
    if (layout.dividerX >= 0 && zx > layout.dividerX) --zx;
    return CrestPixel{zx / layout.scale, zy / layout.scale};
}

BgraImage ZoomCrest(ConstBgraView crest, const CrestZoom& zoom, int width, int height) {
    BgraImage out(width, height);
    out.Fill(zoom.backColour);
    const ZoomLayout layout = LayoutOf(crest.width, crest.height, zoom, width, height);
    const int scale = layout.scale;
    for (int y = 0; y < layout.zoomedHeight; ++y) {
        const int outY = layout.top + y;
        if (outY < 0 || outY >= height) continue;
        const std::uint8_t* source = crest.Row(y / scale);
        std::uint8_t* row = out.Row(outY);
        for (int x = 0; x < layout.zoomedWidth; ++x) {
            const int outX = layout.left + x;
            if (outX < 0 || outX >= width) continue;
            int column = x;
            if (layout.dividerX >= 0) {
                if (x == layout.dividerX) {
                    out.SetColor(outX, outY, zoom.dividerColour);
                    continue;
                }
                if (x > layout.dividerX) --column;
            }
            std::memcpy(row + 4 * outX, source + 4 * (column / scale), 3);
            row[4 * outX + 3] = 255;
        }
    }
    return out;
}

}  // namespace vx
