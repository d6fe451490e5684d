#include "tooltip/tip_paint.h"

#include <algorithm>
#include <cmath>
#include <stdexcept>

namespace vx::tooltip {

std::int32_t RoundHalfEven(double value) {
    const double down = std::floor(value);
    const double fraction = value - down;
    double result = down;
    if (fraction > 0.5 || (fraction == 0.5 && std::fmod(down, 2.0) != 0.0)) result = down + 1.0;
    return static_cast<std::int32_t>(std::clamp(result, -2147483648.0, 2147483647.0));
}

std::int32_t OpacityPercent(std::int32_t transparentAlpha) { return std::clamp(transparentAlpha, 0, kOpaque); }

BlendTables::BlendTables() : add_(256 * 256), scale_(256 * 101) {
    for (std::uint32_t a = 0; a < 256; ++a)
        for (std::uint32_t b = 0; b < 256; ++b) add_[a * 256 + b] = static_cast<std::uint8_t>(std::min(a + b, 255u));
    for (std::uint32_t v = 0; v < 256; ++v)
        for (std::uint32_t p = 0; p <= 100; ++p)
            scale_[v * 101 + p] = static_cast<std::uint8_t>(RoundHalfEven(v / 100.0 * p));
}

void BlendOver(const BlendTables& tables, std::span<const Bgra> tooltip, std::span<Bgra> screen,
               std::int32_t transparentAlpha) {
    if (tooltip.size() != screen.size()) throw std::invalid_argument("tooltip and screen differ in size");
    const std::int32_t a = OpacityPercent(transparentAlpha);
    for (std::size_t i = 0; i < screen.size(); ++i) {
        const std::uint32_t t = tooltip[i];
        std::uint32_t s = screen[i];
        std::uint32_t out = s & 0xFF000000u;
        for (int shift = 0; shift < 24; shift += 8) {
            const auto tb = static_cast<std::uint8_t>(t >> shift);
            const auto sb = static_cast<std::uint8_t>(s >> shift);
            out |= static_cast<std::uint32_t>(tables.Add(tables.Scale(sb, kOpaque - a), tables.Scale(tb, a))) << shift;
        }
        screen[i] = Bgra{out};
    }
}

std::vector<Colorref> GradientLines(Colorref start, Colorref end, std::int32_t n) {
    const auto channel = [](Colorref c, int shift) { return static_cast<std::int32_t>((c >> shift) & 0xFF); };
    std::vector<Colorref> lines;
    if (n < 0) return lines;
    lines.reserve(static_cast<std::size_t>(n) + 1);
    float step[3];
    for (int c = 0; c < 3; ++c)
        step[c] =
            n == 0 ? 0.0f : static_cast<float>(static_cast<double>(channel(end, c * 8) - channel(start, c * 8)) / n);
    for (std::int32_t i = 0; i <= n; ++i) {
        std::uint32_t colour = 0;
        for (int c = 0; c < 3; ++c) {
            const std::int32_t value = RoundHalfEven(static_cast<double>(step[c]) * i + channel(start, c * 8));
            colour |= static_cast<std::uint32_t>(std::clamp(value, 0, 255)) << (c * 8);
        }
        lines.push_back(Colorref{colour});
    }
    return lines;
}

Point IconOrigin(std::int32_t off) { return {12, off + 8}; }

Point TitleOrigin(bool hasIcon, std::int32_t iconSize, std::int32_t off) {
    if (!hasIcon) return {10, off + 6};
    return {iconSize + 20 + off, RoundHalfEven(off + iconSize / 2.0 + 1)};
}

Point TextOrigin(bool hasIcon, std::int32_t iconSize, std::int32_t off, bool blankTitle,
                 std::int32_t regularTitleHeight) {
    const double x = blankTitle ? regularTitleHeight / 2.0 - 5 : (hasIcon ? iconSize : 3) + regularTitleHeight;
    const std::int32_t y = hasIcon && blankTitle ? iconSize : 0;
    return {10, RoundHalfEven(off + x) + y + 5};
}

}  // namespace vx::tooltip
