// Where frames land on the destination: fitting, filling, centring,
// clipping, and the rectangles of the animation buffer.
#include "gif/gif_scale.h"

#include <gtest/gtest.h>

namespace vx::gif {
namespace {

Placement At(int32_t x, int32_t y, int32_t cx, int32_t cy) {
    Placement p;
    p.x = x;
    p.y = y;
    p.cx = cx;
    p.cy = cy;
    p.xRatio = 7.0f;  // outputs: never read
    p.yRatio = 7.0f;
    return p;
}

FrameRecord Frame(int32_t left, int32_t top, int32_t width, int32_t height) {
    FrameRecord f;
    f.left = left;
    f.top = top;
    f.width = width;
    f.height = height;
    return f;
}

void ExpectPlacement(const Placement& p, int32_t x, int32_t y, int32_t cx, int32_t cy, float xr, float yr) {
    EXPECT_EQ(p.x, x);
    EXPECT_EQ(p.y, y);
    EXPECT_EQ(p.cx, cx);
    EXPECT_EQ(p.cy, cy);
    EXPECT_FLOAT_EQ(p.xRatio, xr);
    EXPECT_FLOAT_EQ(p.yRatio, yr);
}

TEST(ScaleToDestination, FitWithoutEnlargingKeepsSmallImagesAtOneToOne) {
    Placement p = At(270, 123, 300, 300);
    ASSERT_TRUE(ScaleToDestination(100, 50, nullptr, kStretchFitNoEnlarge, p));
    ExpectPlacement(p, 270, 123, 100, 50, 1.0f, 1.0f);

    p = At(270, 123, 300, 300);
    ASSERT_TRUE(ScaleToDestination(100, 50, nullptr, kStretchFitNoEnlarge | kStretchCentre, p));  // centred
    ExpectPlacement(p, 370, 248, 100, 50, 1.0f, 1.0f);

    p = At(0, 0, 300, 300);
    ASSERT_TRUE(ScaleToDestination(600, 400, nullptr, kStretchFitNoEnlarge, p));  // too large: shrinks
    ExpectPlacement(p, 0, 0, 300, 200, 0.5f, 0.5f);
}

TEST(ScaleToDestination, FitEnlargesAndFillStretchesEachWay) {
    Placement p = At(0, 0, 300, 300);
    ASSERT_TRUE(ScaleToDestination(100, 50, nullptr, kStretchFit, p));
    ExpectPlacement(p, 0, 0, 300, 150, 3.0f, 3.0f);

    p = At(0, 0, 300, 300);
    ASSERT_TRUE(ScaleToDestination(100, 50, nullptr, kStretchFit | kStretchCentre, p));
    ExpectPlacement(p, 0, 75, 300, 150, 3.0f, 3.0f);

    p = At(4, 5, 300, 300);
    ASSERT_TRUE(ScaleToDestination(100, 50, nullptr, kStretchFill, p));
    ExpectPlacement(p, 4, 5, 300, 300, 3.0f, 6.0f);

    p = At(4, 5, 300, 300);
    ASSERT_TRUE(ScaleToDestination(100, 50, nullptr, kStretchFill | kStretchCentre, p));  // fill is never centred
    ExpectPlacement(p, 4, 5, 300, 300, 3.0f, 6.0f);
}

TEST(ScaleToDestination, UnknownModesFitLikeFit) {
    for (int32_t mode : {4, 5, 7, 16, -1}) {
        Placement p = At(0, 0, 300, 300);
        ASSERT_TRUE(ScaleToDestination(100, 50, nullptr, mode, p));
        EXPECT_EQ(p.cx, 300) << mode;
        EXPECT_FLOAT_EQ(p.xRatio, 3.0f);
    }
}

TEST(ScaleToDestination, FrameRectangleIsScaledAndRoundedDown) {
    const FrameRecord frame = Frame(10, 5, 20, 10);
    Placement p = At(100, 200, 300, 300);
    ASSERT_TRUE(ScaleToDestination(100, 50, &frame, kStretchFit, p));
    ExpectPlacement(p, 130, 215, 60, 30, 3.0f, 3.0f);

    const FrameRecord odd = Frame(3, 3, 5, 5);
    p = At(0, 0, 50, 50);
    ASSERT_TRUE(ScaleToDestination(100, 100, &odd, kStretchFit, p));  // ratio 0.5
    ExpectPlacement(p, 1, 1, 2, 2, 0.5f, 0.5f);

    // Fill: frames stretch each way too.
    p = At(0, 0, 300, 300);
    ASSERT_TRUE(ScaleToDestination(100, 50, &frame, kStretchFill, p));
    ExpectPlacement(p, 30, 30, 60, 60, 3.0f, 6.0f);
}

TEST(ScaleToDestination, WholeImageSizeRoundsHalfToEven) {
    Placement p = At(0, 0, 100, 5);
    ASSERT_TRUE(ScaleToDestination(5, 10, nullptr, kStretchFit, p));  // 0.5 x 5 = 2.5
    EXPECT_EQ(p.cx, 2);
    p = At(0, 0, 100, 5);
    ASSERT_TRUE(ScaleToDestination(7, 10, nullptr, kStretchFit, p));  // 0.5 x 7 = 3.5
    EXPECT_EQ(p.cx, 4);
}

TEST(ScaleToDestination, SingleRatioTimesSizeIsComputedInDoublePrecision) {
    // 100 / 3 as a single is 33.3333320..., times 3 is just below 100.
    Placement p = At(0, 0, 100, 100);
    ASSERT_TRUE(ScaleToDestination(3, 3, nullptr, kStretchFit | kStretchCentre, p));
    EXPECT_EQ(p.x, 0);     // (100 - 99) / 2 truncates to 0
    EXPECT_EQ(p.cx, 100);  // nearest integer

    const FrameRecord all = Frame(0, 0, 3, 3);
    p = At(0, 0, 100, 100);
    ASSERT_TRUE(ScaleToDestination(3, 3, &all, kStretchFit, p));
    EXPECT_EQ(p.cx, 99);
}

TEST(ScaleToDestination, NoScalingClipsFramesToTheDestination) {
    const FrameRecord frame = Frame(250, 10, 100, 20);
    Placement p = At(5, 6, 300, 300);
    ASSERT_TRUE(ScaleToDestination(400, 400, &frame, kStretchNone, p));
    ExpectPlacement(p, 255, 16, 50, 20, 1.0f, 1.0f);

    const FrameRecord outside = Frame(400, 0, 10, 10);
    p = At(0, 0, 300, 300);
    ASSERT_TRUE(ScaleToDestination(410, 10, &outside, kStretchNone, p));
    EXPECT_LE(p.cx, 0);  // nothing to draw

    p = At(0, 0, 300, 300);
    ASSERT_TRUE(ScaleToDestination(400, 100, nullptr, kStretchNone, p));
    ExpectPlacement(p, 0, 0, 300, 100, 1.0f, 1.0f);
}

TEST(ScaleToDestination, CentringWithoutScalingOnlyWhereTheImageIsSmaller) {
    Placement p = At(10, 10, 300, 300);
    ASSERT_TRUE(ScaleToDestination(100, 400, nullptr, kStretchCentre, p));
    ExpectPlacement(p, 110, 10, 100, 300, 1.0f, 1.0f);

    const FrameRecord frame = Frame(20, 30, 10, 10);
    p = At(10, 10, 300, 300);
    ASSERT_TRUE(ScaleToDestination(100, 50, &frame, kStretchCentre, p));
    ExpectPlacement(p, 130, 165, 10, 10, 1.0f, 1.0f);
}

TEST(ScaleToDestination, ImpossibleArithmeticChangesNothing) {
    Placement p = At(1, 2, 300, 300);
    EXPECT_FALSE(ScaleToDestination(0, 50, nullptr, kStretchFit, p));  // an image without width
    EXPECT_EQ(p.x, 1);
    EXPECT_EQ(p.cx, 300);
    EXPECT_FLOAT_EQ(p.xRatio, 7.0f);

    const FrameRecord far = Frame(65535, 0, 65535, 1);
    p = At(0, 0, 2000000000, 10);
    EXPECT_FALSE(ScaleToDestination(1, 1, &far, kStretchFill, p));  // beyond 32 bits
    EXPECT_EQ(p.cx, 2000000000);

    p = At(0, 0, 300, 300);
    EXPECT_TRUE(ScaleToDestination(0, 0, nullptr, kStretchNone, p));  // no scaling needs no division
    EXPECT_EQ(p.cx, 0);
}

TEST(BufferRectangles, FrameRectangleInTheBuffer) {
    const FrameRecord frame = Frame(3, 4, 10, 20);
    const Rect scaled = FrameRectInBuffer(frame, kStretchFitNoEnlarge, 0.5f, 0.5f, 100, 100);
    EXPECT_EQ(scaled.x, 1);
    EXPECT_EQ(scaled.y, 2);
    EXPECT_EQ(scaled.cx, 5);
    EXPECT_EQ(scaled.cy, 10);

    const Rect clipped = FrameRectInBuffer(frame, kStretchNone, 1.0f, 1.0f, 8, 100);
    EXPECT_EQ(clipped.x, 3);
    EXPECT_EQ(clipped.cx, 5);
    EXPECT_EQ(clipped.cy, 20);
    EXPECT_EQ(FrameRectInBuffer(frame, kStretchCentre, 1.0f, 1.0f, 100, 10).cy, 6);
}

TEST(BufferRectangles, DisposalFillReachesTheScaledFrameEdges) {
    const FrameRecord frame = Frame(3, 3, 3, 3);
    const Rect rect = FrameRectInBuffer(frame, kStretchFit, 1.5f, 1.5f, 100, 100);  // (4, 4, 4, 4)
    const Rect fill = DisposalFillRect(frame, rect, 1.5f, 1.5f);                    // to (9, 9)
    EXPECT_EQ(fill.x, 4);
    EXPECT_EQ(fill.y, 4);
    EXPECT_EQ(fill.cx, 5);
    EXPECT_EQ(fill.cy, 5);
}

}  // namespace
}  // namespace vx::gif
