// The colour vocabulary: a colour never passes for another packing, and
// the conversions move each channel to its place.
#include "base/colour.h"

#include <gtest/gtest.h>

#include <type_traits>

namespace vx {
namespace {

static_assert(!std::is_convertible_v<std::uint32_t, Rgb>, "an integer becomes a colour only on purpose");
static_assert(!std::is_constructible_v<Rgb, Colorref> && !std::is_constructible_v<Colorref, Rgb> &&
                  !std::is_constructible_v<Bgra, Rgb>,
              "one packing is never taken for another");
static_assert(std::is_trivially_copyable_v<Bgra>, "pixel buffers may be copied as bytes");

TEST(Colour, ConversionsMoveEachChannelToItsPlace) {
    const Colorref orange = MakeColorref(0xFF, 0x80, 0x10);
    EXPECT_EQ(static_cast<std::uint32_t>(orange), 0x001080FFu);
    const Rgb rgb = ColorrefToRgb(orange);
    EXPECT_EQ(static_cast<std::uint32_t>(rgb), 0x00FF8010u);
    EXPECT_EQ(RgbToColorref(rgb), orange);
    EXPECT_EQ(static_cast<std::uint32_t>(OpaquePixel(rgb)), 0xFFFF8010u);
    EXPECT_EQ(RgbOf(Bgra{0x7F123456}), Rgb{0x123456});
    EXPECT_EQ(RedOf(Bgra{0x7F123456}), 0x12u);
    EXPECT_EQ(RedOf(MakeColorref(0x12, 0, 0)), 0x12u);
}

}  // namespace
}  // namespace vx
