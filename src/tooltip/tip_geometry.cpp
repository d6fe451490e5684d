#include "tooltip/tip_geometry.h"

#include <algorithm>
#include <cstdint>

namespace vx::tooltip {

bool IsBlankTitle(std::wstring_view title) { return title.find_first_not_of(L' ') == std::wstring_view::npos; }

Size ContentSize(Size title, Size text, bool hasIcon, std::int32_t iconSize, bool blankTitle) {
    std::int64_t width = title.width;
    std::int64_t height = static_cast<std::int64_t>(title.height) + text.height;
    if (hasIcon) {
        width += kIconRoom + static_cast<std::int64_t>(iconSize);
        height += iconSize;
    }
    width = std::max<std::int64_t>(width, text.width) + kHorizontalMargins;
    if (!blankTitle) height += kTitleGap;
    const auto clamp = [](std::int64_t v) {
        return static_cast<std::int32_t>(std::clamp<std::int64_t>(v, INT32_MIN, INT32_MAX));
    };
    return {clamp(width), clamp(height)};
}

Placement PlaceTip(Point cursor, Size content, Rect workArea, bool balloon) {
    const std::int32_t stem = balloon ? kStemLength : 0;
    const std::int64_t px = cursor.x, py = cursor.y, w = content.width, h = content.height;
    Placement p;
    std::int64_t x, y;
    if (workArea.right < px + w) {
        p.stemX = -stem;
        x = px - w;
    } else {
        p.stemX = stem;
        x = px + 1;
    }
    if (workArea.bottom < py + h) {
        p.stemY = -stem;
        y = py - h;
    } else if (py - h - kRoomAbove < workArea.top) {
        p.stemY = stem;
        y = py + 1;
    } else {
        p.stemY = -stem;
        y = py - h;
    }
    p.origin = {static_cast<std::int32_t>(x), static_cast<std::int32_t>(y)};
    const std::int64_t left = x - p.stemX, top = y + p.stemY;
    p.window = {static_cast<std::int32_t>(left), static_cast<std::int32_t>(top), static_cast<std::int32_t>(left + w),
                static_cast<std::int32_t>(top + WindowHeight(content, p.stemY))};
    return p;
}

std::vector<Rect> BalloonRemovals(std::int32_t W, std::int32_t T, std::int32_t stemX, std::int32_t stemY) {
    const bool top = stemY > 0;
    const bool left = stemX > 0;
    // Strip row k counts from the window's edge on the stem's side.
    const auto stripRow = [&](std::int32_t k) { return top ? k : T - 1 - k; };
    const auto rowRect = [&](std::int32_t k, std::int32_t x1, std::int32_t x2) {
        const std::int32_t y = stripRow(k);
        return Rect{x1, y, std::max(x1, x2), y + 1};
    };
    const std::int32_t s0 = top ? 0 : T - kStemLength;
    const std::int32_t s1 = s0 + kStemLength;
    const std::int32_t b0 = top ? kStemLength : 0;
    const std::int32_t b1 = top ? T : T - kStemLength;

    std::vector<Rect> cuts;
    if (left) {
        cuts.push_back({0, s0, 18, s1});
        cuts.push_back({35, s0, std::max(35, W), s1});
        for (std::int32_t k = 0; k <= 15; ++k) cuts.push_back(rowRect(k, 19 + k, 35));
    } else {
        cuts.push_back({W - 17, s0, W, s1});
        cuts.push_back({0, s0, std::max(0, W - 35), s1});
        for (std::int32_t k = 0; k <= 17; ++k) cuts.push_back(rowRect(k, W - 35, W - 18 - k));
    }
    // Rounded corners: 5, 4, 2, 1, 1 pixels per row at the top left and
    // 5, 3, 2, 1, 1 at the others, from the body's edge row inwards.
    cuts.push_back({0, b0, 5, b0 + 1});
    cuts.push_back({0, b0 + 1, 4, b0 + 2});
    cuts.push_back({0, b0 + 2, 2, b0 + 3});
    cuts.push_back({0, b0 + 3, 1, b0 + 5});
    cuts.push_back({0, b1 - 5, 1, b1});
    cuts.push_back({1, b1 - 3, 2, b1});
    cuts.push_back({2, b1 - 2, 3, b1});
    cuts.push_back({3, b1 - 1, 5, b1});
    cuts.push_back({W - 5, b0, W, b0 + 1});
    cuts.push_back({W - 3, b0 + 1, W, b0 + 2});
    cuts.push_back({W - 2, b0 + 2, W, b0 + 3});
    cuts.push_back({W - 1, b0 + 3, W, b0 + 5});
    cuts.push_back({W - 1, b1 - 5, W, b1});
    cuts.push_back({W - 2, b1 - 3, W - 1, b1});
    cuts.push_back({W - 3, b1 - 2, W - 2, b1});
    cuts.push_back({W - 5, b1 - 1, W - 3, b1});
    return cuts;
}

Mask::Mask(std::int32_t width, std::int32_t height, bool filled)
    : width_(std::max(width, 0)),
      height_(std::max(height, 0)),
      bits_(static_cast<std::size_t>(width_) * static_cast<std::size_t>(height_), filled ? 1 : 0) {}

bool Mask::At(std::int32_t x, std::int32_t y) const {
    if (x < 0 || y < 0 || x >= width_ || y >= height_) return false;
    return bits_[static_cast<std::size_t>(y) * width_ + x] != 0;
}

void Mask::Set(std::int32_t x, std::int32_t y, bool inside) {
    if (x < 0 || y < 0 || x >= width_ || y >= height_) return;
    bits_[static_cast<std::size_t>(y) * width_ + x] = inside ? 1 : 0;
}

void Mask::Remove(const Rect& rect) {
    for (std::int32_t y = std::max(rect.top, 0); y < std::min(rect.bottom, height_); ++y)
        for (std::int32_t x = std::max(rect.left, 0); x < std::min(rect.right, width_); ++x) Set(x, y, false);
}

std::int32_t Mask::Count() const {
    return static_cast<std::int32_t>(std::count(bits_.begin(), bits_.end(), std::uint8_t{1}));
}

ShapeMasks TipShape(std::int32_t width, std::int32_t height, std::int32_t stemX, std::int32_t stemY, bool balloon) {
    ShapeMasks masks{Mask(width, height, true), Mask(width, height, true)};
    if (!balloon) return masks;
    const std::vector<Rect> cuts = BalloonRemovals(width, height, stemX, stemY);
    for (std::size_t i = 0; i < cuts.size(); ++i) {
        if (i + 1 == cuts.size()) masks.frame = masks.shape;
        masks.shape.Remove(cuts[i]);
    }
    return masks;
}

}  // namespace vx::tooltip
