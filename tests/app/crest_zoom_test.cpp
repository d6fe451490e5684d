// The zoomed crest: every crest pixel a sharp block, centred in the frame.
#include "app/crest_zoom.h"

#include <gtest/gtest.h>

namespace vx {
namespace {

BgraImage Numbered(int width, int height) {
    BgraImage crest(width, height);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) crest.SetColor(x, y, MakeColorref(x, y, 200));
    return crest;
}

TEST(CrestZoom, ClanCrestBecomesEightByEightBlocksCentredInTheFrame) {
    const BgraImage crest = Numbered(16, 12);
    const CrestZoom zoom{8, 0, MakeColorref(1, 2, 3), Colorref{}};
    const BgraImage out = ZoomCrest(crest.View(), zoom, 156, 108);
    // 128 x 96 centred in 156 x 108: margins 14 and 6.
    for (int y = 0; y < 108; ++y)
        for (int x = 0; x < 156; ++x) {
            const bool inside = x >= 14 && x < 142 && y >= 6 && y < 102;
            const std::uint32_t expected =
                inside ? MakeColorref((x - 14) / 8, (y - 6) / 8, 200) : MakeColorref(1, 2, 3);
            ASSERT_EQ(out.ColorAt(x, y), expected) << x << "," << y;
        }
}

TEST(CrestZoom, StripDividerSitsBetweenAllyAndClanWithoutHidingAPixel) {
    const BgraImage crest = Numbered(24, 12);
    const CrestZoom zoom{6, 8, MakeColorref(1, 2, 3), MakeColorref(9, 9, 9)};
    const BgraImage out = ZoomCrest(crest.View(), zoom, 156, 108);
    // 145 x 72 centred: left 5, top 18; the divider is column 5 + 48.
    EXPECT_EQ(out.ColorAt(4, 50), MakeColorref(1, 2, 3));
    EXPECT_EQ(out.ColorAt(5, 18), MakeColorref(0, 0, 200));
    EXPECT_EQ(out.ColorAt(52, 89), MakeColorref(7, 11, 200));
    EXPECT_EQ(out.ColorAt(53, 40), MakeColorref(9, 9, 9));
    EXPECT_EQ(out.ColorAt(54, 40), MakeColorref(8, 3, 200));
    EXPECT_EQ(out.ColorAt(149, 89), MakeColorref(23, 11, 200));
    EXPECT_EQ(out.ColorAt(150, 89), MakeColorref(1, 2, 3));
    EXPECT_EQ(out.ColorAt(60, 17), MakeColorref(1, 2, 3));
}

TEST(CrestZoom, ThePixelUnderAPointIsTheOneDrawnThere) {
    // Every point of a divided strip's zoom maps back to the crest pixel
    // whose colour it shows, and the divider and margins to none.
    const BgraImage crest = Numbered(24, 12);
    const CrestZoom zoom{6, 8, MakeColorref(1, 2, 3), MakeColorref(9, 9, 9)};
    const BgraImage out = ZoomCrest(crest.View(), zoom, 156, 108);
    int hits = 0;
    for (int y = 0; y < 108; ++y)
        for (int x = 0; x < 156; ++x) {
            const std::optional<CrestPixel> pixel = CrestPixelAt(24, 12, zoom, 156, 108, x, y);
            if (!pixel) {
                ASSERT_TRUE(out.ColorAt(x, y) == zoom.backColour || out.ColorAt(x, y) == zoom.dividerColour);
                continue;
            }
            ++hits;
            ASSERT_EQ(out.ColorAt(x, y), crest.ColorAt(pixel->x, pixel->y)) << x << "," << y;
        }
    EXPECT_EQ(hits, 24 * 12 * 36);
}

}  // namespace
}  // namespace vx
