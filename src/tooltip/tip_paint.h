// The tooltip's colour and text arithmetic: the opacity blend with its two
// lookup tables, the gradient's line colours and where icon, title and text
// go. Pixels are 32-bit B, G, R, reserved (a DIB's byte order).
#pragma once

#include <array>
#include <cstdint>
#include <span>
#include <vector>

#include "base/colour.h"
#include "tooltip/tip_geometry.h"

namespace vx::tooltip {

using vx::Colorref;  // 0x00BBGGRR, red in the lowest byte

// Rounds to the nearest integer, ties to the even one (2.5 -> 2, 3.5 -> 4).
std::int32_t RoundHalfEven(double value);

// Opacity is a percentage; 100 is opaque.
inline constexpr std::int32_t kOpaque = 100;
// Opacities past 100 (up to 255) are taken as opaque.
std::int32_t OpacityPercent(std::int32_t transparentAlpha);

// AddTable[a][b] = min(a + b, 255); ScaleTable[v][p] = v / 100 * p, ties to
// even. Two table reads and a sum per channel replace the arithmetic.
class BlendTables {
public:
    BlendTables();
    std::uint8_t Add(std::uint8_t a, std::uint8_t b) const { return add_[a * 256u + b]; }
    std::uint8_t Scale(std::uint8_t value, std::int32_t percent) const { return scale_[value * 101u + percent]; }

private:
    std::vector<std::uint8_t> add_;    // 256 x 256
    std::vector<std::uint8_t> scale_;  // 256 x 101
};

// Blends the drawn tooltip over the screen behind it, in place in `screen`:
// per blue, green and red byte, screen * (100 - a)% + tooltip * a%; the
// fourth byte keeps the screen's value. The spans must be the same length.
void BlendOver(const BlendTables& tables, std::span<const Bgra> tooltip, std::span<Bgra> screen,
               std::int32_t transparentAlpha);

// The colours of the gradient's N + 1 one-pixel lines: line i has each
// channel at start + d * i, with d = (end - start) / N as a single-precision
// step, rounded ties to even. The last line falls just outside the window.
std::vector<Colorref> GradientLines(Colorref start, Colorref end, std::int32_t n);

// Where the parts of the tooltip are drawn, given the stem offset `off`
// (the body's top row: 17 with the stem at the top, else 0).
inline std::int32_t BodyTop(std::int32_t stemY) { return stemY > 0 ? stemY : 0; }
Point IconOrigin(std::int32_t off);
Point TitleOrigin(bool hasIcon, std::int32_t iconSize, std::int32_t off);
// `regularTitleHeight` is the title's height measured in the regular weight.
Point TextOrigin(bool hasIcon, std::int32_t iconSize, std::int32_t off, bool blankTitle,
                 std::int32_t regularTitleHeight);

}  // namespace vx::tooltip
