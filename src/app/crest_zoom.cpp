#include "app/crest_zoom.h"

#include <algorithm>
#include <cstring>

namespace vx {

BgraImage ZoomCrest(ConstBgraView crest, const CrestZoom& zoom, int width, int height) {
    BgraImage out(width, height);
    out.Fill(zoom.backColour);
    const int scale = std::max(1, zoom.scale);
    const bool divided = zoom.dividerAfterColumn > 0 && zoom.dividerAfterColumn < crest.width;
    const int zoomedWidth = crest.width * scale + (divided ? 1 : 0);
    const int zoomedHeight = crest.height * scale;
    const int left = (width - zoomedWidth) / 2;
    const int top = (height - zoomedHeight) / 2;

    for (int y = 0; y < zoomedHeight; ++y) {
        const int outY = top + y;
        if (outY < 0 || outY >= height) continue;
        const std::uint8_t* source = crest.Row(y / scale);
        std::uint8_t* row = out.Row(outY);
        for (int x = 0; x < zoomedWidth; ++x) {
            const int outX = left + x;
            if (outX < 0 || outX >= width) continue;
            int column = x;
            if (divided) {
                const int dividerX = zoom.dividerAfterColumn * scale;
                if (x == dividerX) {
                    out.SetColor(outX, outY, zoom.dividerColour);
                    continue;
                }
                if (x > dividerX) --column;
            }
            std::memcpy(row + 4 * outX, source + 4 * (column / scale), 3);
            row[4 * outX + 3] = 255;
        }
    }
    return out;
}

}  // namespace vx
