// Tooltip size, placement beside the pointer and the balloon's shape. The
// expected shapes are built here from the description of the balloon (the
// stem triangle's rows, the corner pixel counts), not from the removals.
#include <gtest/gtest.h>

#include "tooltip/tip_geometry.h"

namespace vx::tooltip {
namespace {

TEST(TipSize, TitleTextIconAndBlankTitle) {
    // A wide text decides the width even with an icon beside the title.
    EXPECT_EQ(ContentSize({40, 16}, {200, 30}, true, 16, false), (Size{220, 16 + 30 + 16 + 13}));
    EXPECT_EQ(ContentSize({180, 16}, {100, 30}, true, 32, false), (Size{180 + 25 + 32 + 20, 16 + 30 + 32 + 13}));
    // A blank title keeps its line but loses the gap.
    EXPECT_EQ(ContentSize({4, 16}, {100, 30}, false, 16, true), (Size{120, 46}));
    EXPECT_TRUE(IsBlankTitle(L" "));
    EXPECT_TRUE(IsBlankTitle(L""));
    EXPECT_FALSE(IsBlankTitle(L" Ayuda "));
}

TEST(TipPlacement, EveryScreenEdgeAndCorner) {
    const Rect screen{0, 0, 1280, 1024};
    const Size content{200, 60};
    struct Case {
        Point cursor;
        std::int32_t stemX, stemY;
        Rect window;
    };
    const Case cases[] = {
        // Middle: above the pointer, stem at the bottom left; ends at py.
        {{500, 500}, 17, -17, {484, 423, 684, 500}},
        // Right edge: left of the pointer, stem on the right; ends at px + 17.
        {{1200, 500}, -17, -17, {1017, 423, 1217, 500}},
        // Top edge: fewer than H + 20 rows above, so below; starts at py + 18.
        {{500, 79}, 17, 17, {484, 97, 684, 174}},
        {{500, 80}, 17, -17, {484, 3, 684, 80}},
        // Bottom edge: above even when there is little room.
        {{500, 1000}, 17, -17, {484, 923, 684, 1000}},
        // Corners.
        {{0, 0}, 17, 17, {-16, 18, 184, 95}},
        {{1279, 0}, -17, 17, {1096, 18, 1296, 95}},
        {{0, 1023}, 17, -17, {-16, 946, 184, 1023}},
        {{1279, 1023}, -17, -17, {1096, 946, 1296, 1023}},
        // Exactly fitting at the right edge stays on the right of the pointer.
        {{1080, 500}, 17, -17, {1064, 423, 1264, 500}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.cursor.x << "," << c.cursor.y);
        const Placement p = PlaceTip(c.cursor, content, screen, true);
        EXPECT_EQ(p.stemX, c.stemX);
        EXPECT_EQ(p.stemY, c.stemY);
        EXPECT_EQ(p.window, c.window);
    }
}

TEST(TipPlacement, RectangleHasNoStem) {
    const Placement p = PlaceTip({500, 500}, {200, 60}, Rect{0, 0, 1280, 1024}, false);
    EXPECT_EQ(p.stemX, 0);
    EXPECT_EQ(p.stemY, 0);
    EXPECT_EQ(p.window, (Rect{501, 440, 701, 500}));
    const Placement right = PlaceTip({1200, 10}, {200, 60}, Rect{0, 0, 1280, 1024}, false);
    EXPECT_EQ(right.window, (Rect{1000, 11, 1200, 71}));
}

TEST(TipPlacement, FollowsTheWorkAreaOfTheMonitorUnderThePointer) {
    // A second monitor right of the first, its task bar along the top: the
    // balloon stays right of the pointer and goes below it near that top.
    const Rect second{1280, 40, 2560, 1024};
    const Placement p = PlaceTip({1300, 100}, {200, 60}, second, true);
    EXPECT_EQ(p.stemX, 17);
    EXPECT_EQ(p.stemY, 17);
    EXPECT_EQ(p.window, (Rect{1284, 118, 1484, 195}));
    // The area's own right edge flips it.
    EXPECT_EQ(PlaceTip({2500, 500}, {200, 60}, second, true).stemX, -17);
}

// The balloon as described: a body with rounded corners and a right
// triangle of a stem with its tip on the window's edge row.
Mask DescribedBalloon(std::int32_t W, std::int32_t T, bool stemLeft, bool stemTop) {
    Mask m(W, T, false);
    const std::int32_t b0 = stemTop ? 17 : 0, b1 = stemTop ? T : T - 17;
    for (std::int32_t y = b0; y < b1; ++y)
        for (std::int32_t x = 0; x < W; ++x) m.Set(x, y, true);
    const std::int32_t topLeft[] = {5, 4, 2, 1, 1};
    const std::int32_t other[] = {5, 3, 2, 1, 1};
    for (std::int32_t i = 0; i < 5; ++i) {
        for (std::int32_t x = 0; x < topLeft[i]; ++x) m.Set(x, b0 + i, false);
        for (std::int32_t x = 0; x < other[i]; ++x) {
            m.Set(W - 1 - x, b0 + i, false);
            m.Set(x, b1 - 1 - i, false);
            m.Set(W - 1 - x, b1 - 1 - i, false);
        }
    }
    for (std::int32_t k = 0; k < 17; ++k) {
        const std::int32_t y = stemTop ? k : T - 1 - k;
        if (stemLeft) {
            const std::int32_t end = k == 16 ? 35 : 19 + k;
            for (std::int32_t x = 18; x < end; ++x) m.Set(x, y, true);
        } else {
            for (std::int32_t x = W - 18 - k; x < W - 17; ++x) m.Set(x, y, true);
        }
    }
    return m;
}

TEST(BalloonShape, MatchesTheDescribedBalloonForEveryStemCorner) {
    const std::int32_t W = 120, T = 77;
    for (const bool left : {true, false})
        for (const bool top : {true, false}) {
            SCOPED_TRACE(testing::Message() << (left ? "left" : "right") << (top ? " top" : " bottom"));
            const std::int32_t stemX = left ? 17 : -17, stemY = top ? 17 : -17;
            EXPECT_EQ(BalloonRemovals(W, T, stemX, stemY).size(), left ? 34u : 36u);
            const ShapeMasks masks = TipShape(W, T, stemX, stemY, true);
            const Mask expected = DescribedBalloon(W, T, left, top);
            ASSERT_EQ(masks.shape, expected);

            // The stem's tip is one pixel on the window's edge row.
            const std::int32_t edge = top ? 0 : T - 1;
            const std::int32_t tipX = left ? 18 : W - 18;
            for (std::int32_t x = 0; x < W; ++x) EXPECT_EQ(masks.shape.At(x, edge), x == tipX) << x;

            // The border's outline differs from the shape by two pixels
            // of the bottom-right corner.
            const std::int32_t b1 = top ? T : T - 17;
            Mask frame = expected;
            frame.Set(W - 5, b1 - 1, true);
            frame.Set(W - 4, b1 - 1, true);
            EXPECT_EQ(masks.frame, frame);
            EXPECT_EQ(masks.frame.Count() - masks.shape.Count(), 2);
        }
}

TEST(BalloonShape, StemRowSixteenOnEachSide) {
    const ShapeMasks right = TipShape(100, 60, -17, 17, true);
    std::int32_t kept = 0;
    for (std::int32_t x = 0; x < 100; ++x) kept += right.shape.At(x, 16);
    EXPECT_EQ(kept, 17);
    EXPECT_FALSE(right.shape.At(100 - 35, 16));
    const ShapeMasks left = TipShape(100, 60, 17, 17, true);
    for (std::int32_t x = 0; x < 100; ++x) EXPECT_EQ(left.shape.At(x, 16), x >= 18 && x < 35) << x;
}

TEST(BalloonShape, RectangleIsWholeAndFramedWhole) {
    const ShapeMasks masks = TipShape(50, 30, 0, 0, false);
    EXPECT_EQ(masks.shape.Count(), 50 * 30);
    EXPECT_EQ(masks.frame.Count(), 50 * 30);
}

}  // namespace
}  // namespace vx::tooltip
