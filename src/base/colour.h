// The colour vocabulary: the three packings a colour travels in, named,
// and every conversion between them. Portable: no platform headers.
#pragma once

#include <cstdint>

namespace vx {

// 0x00BBGGRR: red in the low byte, as the platform's COLORREF. With the
// top bit set, the low byte names a system colour instead.
using Colorref = std::uint32_t;
// 0x00RRGGBB: as GIF palettes, colour options and 32-bit pixels without
// their fourth byte hold it.
using Rgb = std::uint32_t;
// 0xAARRGGBB: a 32-bit pixel, whose bytes lie in memory as blue, green,
// red, alpha.
using Bgra = std::uint32_t;

constexpr Colorref MakeColorref(unsigned red, unsigned green, unsigned blue) {
    return (red & 0xFF) | ((green & 0xFF) << 8) | ((blue & 0xFF) << 16);
}
constexpr unsigned RedOf(Colorref color) { return color & 0xFF; }
constexpr unsigned GreenOf(Colorref color) { return (color >> 8) & 0xFF; }
constexpr unsigned BlueOf(Colorref color) { return (color >> 16) & 0xFF; }

// The conversions swap red and blue and drop the top byte.
constexpr Rgb ColorrefToRgb(Colorref color) {
    return ((color & 0xFF) << 16) | (color & 0xFF00) | ((color >> 16) & 0xFF);
}
constexpr Colorref RgbToColorref(Rgb color) { return ColorrefToRgb(color); }
constexpr Bgra OpaquePixel(Rgb color) { return 0xFF000000u | (color & 0x00FFFFFF); }

// A colour-table entry as bitmaps store it: blue, green, red, 0.
struct Bgrx {
    std::uint8_t blue = 0;
    std::uint8_t green = 0;
    std::uint8_t red = 0;
    std::uint8_t reserved = 0;
    friend bool operator==(const Bgrx&, const Bgrx&) = default;
};

}  // namespace vx
