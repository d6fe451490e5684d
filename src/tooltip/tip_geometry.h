// Size, placement and balloon shape of a tooltip: plain arithmetic on the
// measured text blocks, the pointer and the screen, so the window layer only
// turns the results into window positions and regions.
#pragma once

#include <cstdint>
#include <string_view>
#include <vector>

namespace vx::tooltip {

struct Point {
    std::int32_t x = 0, y = 0;
    friend bool operator==(const Point&, const Point&) = default;
};

struct Size {
    std::int32_t width = 0, height = 0;
    friend bool operator==(const Size&, const Size&) = default;
};

// Half-open: left and top inside, right and bottom outside.
struct Rect {
    std::int32_t left = 0, top = 0, right = 0, bottom = 0;
    std::int32_t Width() const { return right - left; }
    std::int32_t Height() const { return bottom - top; }
    friend bool operator==(const Rect&, const Rect&) = default;
};

// `ToolTipStyle`: 0 is the plain rectangle, any other value the balloon.
inline constexpr std::int32_t kRectangleStyle = 0;
inline constexpr std::int32_t kBalloonStyle = 1;
inline bool IsBalloon(std::int32_t toolTipStyle) { return toolTipStyle != kRectangleStyle; }

// How far the balloon's stem reaches out of the body, in pixels.
inline constexpr std::int32_t kStemLength = 17;
// Room beside the title for the icon: the icon's edge plus this gap.
inline constexpr std::int32_t kIconRoom = 25;
// Gap between title and text when the title is not blank.
inline constexpr std::int32_t kTitleGap = 13;
// Left and right margins together.
inline constexpr std::int32_t kHorizontalMargins = 20;
// Rows kept free above the pointer before the balloon goes below it.
inline constexpr std::int32_t kRoomAbove = 20;

// A title counts as blank when nothing but spaces is left after trimming
// spaces at both ends (an empty title is stored as one space).
bool IsBlankTitle(std::wstring_view title);

// The content size W x H from the measured bold title and regular text;
// the icon sits left of the title and adds its edge to the height.
Size ContentSize(Size title, Size text, bool hasIcon, std::int32_t iconSize, bool blankTitle);

struct Placement {
    std::int32_t stemX = 0;  // +17 stem on the left, -17 on the right, 0 rectangle
    std::int32_t stemY = 0;  // +17 stem at the top, -17 at the bottom, 0 rectangle
    Point origin;            // before the stem correction
    Rect window;             // the window's screen rectangle
};

// Beside the pointer, within the work area of the monitor that holds it:
// left of it when the tooltip would pass the area's right edge, above it
// unless that leaves fewer than H + 20 rows below the area's top.
Placement PlaceTip(Point cursor, Size content, Rect workArea, bool balloon);

// The window's height: the body plus the stem.
inline std::int32_t WindowHeight(Size content, std::int32_t stemY) {
    return content.height + (stemY < 0 ? -stemY : stemY);
}

// The rectangles cut from the window rectangle, in order, that leave the
// balloon: stem triangle first, then the four rounded corners. Rectangles
// may be empty. Window coordinates, W wide and T high.
std::vector<Rect> BalloonRemovals(std::int32_t width, std::int32_t height, std::int32_t stemX, std::int32_t stemY);

// A pixel mask of a window, row by row; true is inside.
class Mask {
public:
    Mask() = default;
    Mask(std::int32_t width, std::int32_t height, bool filled);
    std::int32_t Width() const { return width_; }
    std::int32_t Height() const { return height_; }
    bool At(std::int32_t x, std::int32_t y) const;
    void Set(std::int32_t x, std::int32_t y, bool inside);
    void Remove(const Rect& rect);  // clipped to the mask
    std::int32_t Count() const;
    friend bool operator==(const Mask&, const Mask&) = default;

private:
    std::int32_t width_ = 0, height_ = 0;
    std::vector<std::uint8_t> bits_;
};

// The window's shape and the outline drawn as its border. For the balloon
// the border outlines the shape as it was before the last removal; the
// rectangle has no shape of its own and is framed whole.
struct ShapeMasks {
    Mask shape;
    Mask frame;
};
ShapeMasks TipShape(std::int32_t width, std::int32_t height, std::int32_t stemX, std::int32_t stemY, bool balloon);

}  // namespace vx::tooltip
