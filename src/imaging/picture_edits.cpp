#include "imaging/picture_edits.h"

#include <algorithm>
#include <cstring>

namespace vx {
namespace {

std::uint32_t PixelWord(ConstBgraView view, int x, int y) {
    std::uint32_t word = 0;
    std::memcpy(&word, view.Row(y) + 4 * static_cast<std::ptrdiff_t>(x), 4);
    return word;
}

void CopyPixel(ConstBgraView from, int fx, int fy, BgraImage& to, int tx, int ty) {
    std::memcpy(to.Row(ty) + 4 * static_cast<std::ptrdiff_t>(tx), from.Row(fy) + 4 * static_cast<std::ptrdiff_t>(fx),
                4);
}

BgraImage Rotated(ConstBgraView in, std::int32_t degrees) {
    const bool quarter = degrees == 90 || degrees == 270;
    BgraImage out(quarter ? in.height : in.width, quarter ? in.width : in.height);
    for (int y = 0; y < in.height; ++y)
        for (int x = 0; x < in.width; ++x) {
            // Anticlockwise the top edge becomes the left edge.
            if (degrees == 90)
                CopyPixel(in, x, y, out, y, in.width - 1 - x);
            else if (degrees == 270)
                CopyPixel(in, x, y, out, in.height - 1 - y, x);
            else
                CopyPixel(in, x, y, out, in.width - 1 - x, in.height - 1 - y);
        }
    return out;
}

BgraImage Copied(ConstBgraView in, bool mirror, bool flip) {
    BgraImage out(in.width, in.height);
    for (int y = 0; y < in.height; ++y)
        for (int x = 0; x < in.width; ++x)
            CopyPixel(in, x, y, out, mirror ? in.width - 1 - x : x, flip ? in.height - 1 - y : y);
    return out;
}

// The bounding box of the pixels `keep` says yes to; empty when none.
template <class Keep>
PixelRect BoundsOf(ConstBgraView picture, Keep keep) {
    int left = picture.width, top = picture.height, right = -1, bottom = -1;
    for (int y = 0; y < picture.height; ++y)
        for (int x = 0; x < picture.width; ++x)
            if (keep(PixelWord(picture, x, y))) {
                left = std::min(left, x);
                right = std::max(right, x);
                top = std::min(top, y);
                bottom = std::max(bottom, y);
            }
    if (right < 0) return {};
    return {left, top, right - left + 1, bottom - top + 1};
}

}  // namespace

BgraImage TurnImage(ConstBgraView picture, const PictureTurn& turn) {
    BgraImage current = turn.rotateDegrees == 90 || turn.rotateDegrees == 180 || turn.rotateDegrees == 270
                            ? Rotated(picture, turn.rotateDegrees)
                            : Copied(picture, false, false);
    if (turn.mirror || turn.flip) current = Copied(current.View(), turn.mirror, turn.flip);
    return current;
}

PixelRect TrimRect(ConstBgraView picture) {
    const PixelRect whole{0, 0, picture.width, picture.height};
    if (picture.width <= 0 || picture.height <= 0) return whole;
    bool transparency = false;
    for (int y = 0; y < picture.height && !transparency; ++y)
        for (int x = 0; x < picture.width && !transparency; ++x) transparency = picture.Row(y)[4 * x + 3] != 255;
    PixelRect found;
    if (transparency) {
        found = BoundsOf(picture, [](std::uint32_t word) { return (word >> 24) != 0; });
    } else {
        const std::uint32_t corner = PixelWord(picture, 0, 0) & 0x00FFFFFF;
        const int lastX = picture.width - 1, lastY = picture.height - 1;
        for (const auto& [x, y] : {std::pair{lastX, 0}, std::pair{0, lastY}, std::pair{lastX, lastY}})
            if ((PixelWord(picture, x, y) & 0x00FFFFFF) != corner) return whole;
        found = BoundsOf(picture, [corner](std::uint32_t word) { return (word & 0x00FFFFFF) != corner; });
    }
    return found.width > 0 ? found : whole;
}

BgraImage ComposeOver(ConstBgraView part, Colorref background) {
    BgraImage out(part.width, part.height);
    const unsigned back[3] = {BlueOf(background), GreenOf(background), RedOf(background)};
    for (int y = 0; y < part.height; ++y) {
        const std::uint8_t* from = part.Row(y);
        std::uint8_t* to = out.Row(y);
        for (int x = 0; x < part.width; ++x, from += 4, to += 4) {
            const unsigned alpha = from[3];
            for (int c = 0; c < 3; ++c)
                to[c] = static_cast<std::uint8_t>((from[c] * alpha + back[c] * (255 - alpha) + 127) / 255);
            to[3] = 255;
        }
    }
    return out;
}

bool RectInside(const PixelRect& rect, int width, int height) {
    return rect.width > 0 && rect.height > 0 && rect.x >= 0 && rect.y >= 0 &&
           static_cast<long long>(rect.x) + rect.width <= width &&
           static_cast<long long>(rect.y) + rect.height <= height;
}

}  // namespace vx
