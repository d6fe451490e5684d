// The colour vocabulary: the three packings a colour travels in, each its
// own type, and every conversion between them. Portable: no platform headers.
#pragma once

#include <concepts>
#include <cstdint>

namespace vx {

// A colour in one packing. It is made from an integer only on purpose
// (`Rgb{0x102030}`), and never from a colour in another packing, so a
// 0x00BBGGRR value cannot pass for a 0x00RRGGBB one. It reads back as its
// integer wherever words are stored, hashed or handed to the platform.
template <class Packing>
class PackedColour {
public:
    constexpr PackedColour() = default;
    constexpr explicit PackedColour(std::uint32_t value) : value_(value) {}
    template <class Other>
    explicit PackedColour(PackedColour<Other>) = delete;

    constexpr operator std::uint32_t() const { return value_; }

private:
    std::uint32_t value_ = 0;
};

// Two packings never compare equal by accident.
template <class A, class B>
requires(!std::same_as<A, B>) bool operator==(PackedColour<A>, PackedColour<B>) = delete;

// 0x00BBGGRR: red in the low byte, as the platform's COLORREF. With the
// top bit set, the low byte names a system colour instead.
using Colorref = PackedColour<struct ColorrefPacking>;
// 0x00RRGGBB: as GIF palettes and colour options hold it.
using Rgb = PackedColour<struct RgbPacking>;
// 0xAARRGGBB: a 32-bit pixel, whose bytes lie in memory as blue, green,
// red, alpha (or a fourth byte left 0 in loaded pictures).
using Bgra = PackedColour<struct BgraPacking>;

static_assert(sizeof(Bgra) == 4 && alignof(Bgra) == alignof(std::uint32_t));

constexpr Colorref MakeColorref(unsigned red, unsigned green, unsigned blue) {
    return Colorref{(red & 0xFF) | ((green & 0xFF) << 8) | ((blue & 0xFF) << 16)};
}
constexpr Rgb MakeRgb(unsigned red, unsigned green, unsigned blue) {
    return Rgb{((red & 0xFF) << 16) | ((green & 0xFF) << 8) | (blue & 0xFF)};
}

constexpr unsigned RedOf(Colorref color) { return color & 0xFF; }
constexpr unsigned GreenOf(Colorref color) { return (color >> 8) & 0xFF; }
constexpr unsigned BlueOf(Colorref color) { return (color >> 16) & 0xFF; }

// Rgb and Bgra keep red, green and blue in the same places.
template <class Packing>
requires(std::same_as<Packing, RgbPacking> ||
         std::same_as<Packing, BgraPacking>) constexpr unsigned RedOf(PackedColour<Packing> color) {
    return (color >> 16) & 0xFF;
}
template <class Packing>
requires(std::same_as<Packing, RgbPacking> ||
         std::same_as<Packing, BgraPacking>) constexpr unsigned GreenOf(PackedColour<Packing> color) {
    return (color >> 8) & 0xFF;
}
template <class Packing>
requires(std::same_as<Packing, RgbPacking> ||
         std::same_as<Packing, BgraPacking>) constexpr unsigned BlueOf(PackedColour<Packing> color) {
    return color & 0xFF;
}

// Colorref <-> Rgb swap red and blue and drop the top byte.
constexpr Rgb ColorrefToRgb(Colorref color) { return MakeRgb(RedOf(color), GreenOf(color), BlueOf(color)); }
constexpr Colorref RgbToColorref(Rgb color) { return MakeColorref(RedOf(color), GreenOf(color), BlueOf(color)); }

// Rgb <-> Bgra share their low three bytes; a pixel's fourth byte is given.
constexpr Bgra PixelOf(Rgb color, unsigned alpha = 0) { return Bgra{(alpha & 0xFF) << 24 | (color & 0x00FFFFFF)}; }
constexpr Bgra OpaquePixel(Rgb color) { return PixelOf(color, 0xFF); }
constexpr Rgb RgbOf(Bgra pixel) { return Rgb{pixel & 0x00FFFFFF}; }

// A colour-table entry as bitmaps store it: blue, green, red, 0.
struct Bgrx {
    std::uint8_t blue = 0;
    std::uint8_t green = 0;
    std::uint8_t red = 0;
    std::uint8_t reserved = 0;
    friend bool operator==(const Bgrx&, const Bgrx&) = default;
};

}  // namespace vx
