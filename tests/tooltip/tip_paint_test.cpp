// The opacity blend, the gradient's line colours and where the tooltip's
// parts are drawn. Expected values are worked out by hand from the rules
// (ties to even, saturation), not taken from the code.
#include <gtest/gtest.h>

#include <vector>

#include "tooltip/tip_paint.h"

namespace vx::tooltip {
namespace {

std::vector<Bgra> Pixels(std::initializer_list<std::uint32_t> words) {
    std::vector<Bgra> pixels;
    for (const std::uint32_t word : words) pixels.push_back(Bgra{word});
    return pixels;
}

TEST(TipRounding, TiesGoToTheEvenNeighbour) {
    EXPECT_EQ(RoundHalfEven(0.5), 0);
    EXPECT_EQ(RoundHalfEven(1.5), 2);
    EXPECT_EQ(RoundHalfEven(2.5), 2);
    EXPECT_EQ(RoundHalfEven(2.5000001), 3);
    EXPECT_EQ(RoundHalfEven(-0.5), 0);
    EXPECT_EQ(RoundHalfEven(-1.5), -2);
}

TEST(TipBlend, OpaqueIsTheTooltipTransparentIsTheScreenHalfIsTheRoundedSum) {
    const BlendTables tables;
    const std::vector<Bgra> tip = Pixels({0x11FFFFFF, 0x22010101, 0x33050505, 0x44643264, 0x55000000});
    const std::vector<Bgra> screen = Pixels({0xA0FFFFFF, 0xB0010101, 0xC0030303, 0xD0C864C8, 0xE0FF7F01});

    std::vector<Bgra> out = screen;
    BlendOver(tables, tip, out, 100);
    for (std::size_t i = 0; i < out.size(); ++i) EXPECT_EQ(out[i], (tip[i] & 0xFFFFFF) | (screen[i] & 0xFF000000)) << i;

    out = screen;
    BlendOver(tables, tip, out, 0);
    EXPECT_EQ(out, screen);

    // Half, with v / 100 taken first in double precision: 255 gives
    // 127.49999999999999, so 127 + 127; 0.5 + 0.5 rounds to nothing; 1.5 +
    // 2.5 to 2 + 2; 100 + 50 and 50 + 25 exactly; 127 gives 63.5, so 64.
    out = screen;
    BlendOver(tables, tip, out, 50);
    EXPECT_EQ(out, Pixels({0xA0FEFEFE, 0xB0000000, 0xC0040404, 0xD0964B96, 0xE07F4000}));
}

TEST(TipBlend, OpacityPastOneHundredIsOpaque) {
    const BlendTables tables;
    const std::vector<Bgra> tip = Pixels({0x00123456});
    for (const std::int32_t alpha : {101, 200, 255}) {
        std::vector<Bgra> out = Pixels({0x00ABCDEF});
        BlendOver(tables, tip, out, alpha);
        EXPECT_EQ(out[0], 0x00123456u) << alpha;
    }
}

TEST(TipGradient, StartsAndEndsOnItsColoursWithTiesToEven) {
    const std::vector<Colorref> lines = GradientLines(Colorref{0x00FF8000}, Colorref{0x0000FF80}, 200);
    ASSERT_EQ(lines.size(), 201u);
    EXPECT_EQ(lines.front(), 0x00FF8000u);
    EXPECT_EQ(lines.back(), 0x0000FF80u);
    // Red steps by 0.5 and green by 1.5: line 1 rounds 0.5 down, 1.5 up.
    EXPECT_EQ(GradientLines(Colorref{0x000000}, Colorref{0x010301}, 2),
              (std::vector<Colorref>{Colorref{0x000000}, Colorref{0x000200}, Colorref{0x010301}}));
}

TEST(TipLayout, TitleIconAndTextPositions) {
    // No icon, stem below: title at (10, 6), text under the title's line.
    EXPECT_EQ(TitleOrigin(false, 16, 0), (Point{10, 6}));
    EXPECT_EQ(TextOrigin(false, 16, 0, false, 13), (Point{10, 3 + 13 + 5}));
    // Icon of 16: title beside it, half-way down; text below the icon.
    EXPECT_EQ(IconOrigin(0), (Point{12, 8}));
    EXPECT_EQ(TitleOrigin(true, 16, 0), (Point{36, 9}));
    EXPECT_EQ(TextOrigin(true, 16, 0, false, 13), (Point{10, 16 + 13 + 5}));
    // An odd icon: 7.5 + 1 rounds to 8.
    EXPECT_EQ(TitleOrigin(true, 15, 0).y, 8);
    // Stem at the top: icon and title 17 lower, the title also 17 right.
    EXPECT_EQ(IconOrigin(BodyTop(17)), (Point{12, 25}));
    EXPECT_EQ(TitleOrigin(true, 16, BodyTop(17)), (Point{53, 26}));
    EXPECT_EQ(TitleOrigin(false, 16, BodyTop(17)), (Point{10, 23}));
    EXPECT_EQ(BodyTop(-17), 0);
    // Blank title: R(off + 6.5 - 5) + 5, plus the icon's edge with one.
    EXPECT_EQ(TextOrigin(false, 16, 0, true, 13).y, 2 + 5);
    EXPECT_EQ(TextOrigin(false, 16, 17, true, 13).y, 18 + 5);
    EXPECT_EQ(TextOrigin(true, 16, 0, true, 13).y, 2 + 16 + 5);
}

}  // namespace
}  // namespace vx::tooltip
