// Where the preview pane goes and how a picture is fitted into it.
#include <gtest/gtest.h>

#include "dialogs/preview_geometry.h"

namespace vx {
namespace {

TEST(PaneLayout, PaneIsOnePointTwoTimesTheListHeightAndLevelWithIt) {
    // Dialog at (100, 50) 500 x 400; list at client (10, 40), 400 x 120.
    const IntRect dialog{100, 50, 600, 450};
    const IntRect list{113, 113, 513, 233};
    const PaneLayout layout = LayOutPreviewPane(dialog, list, 10, 40, 1280, 1024);
    EXPECT_EQ(layout.paneHeight, 120);
    EXPECT_EQ(layout.paneWidth, 144);
    EXPECT_EQ(layout.paneLeft, 430);
    EXPECT_EQ(layout.paneTop, 40);
}

TEST(PaneLayout, DialogGrowsByThePaneAndItsMarginsAndIsCentred) {
    const IntRect dialog{100, 50, 600, 450};
    const IntRect list{113, 113, 513, 233};
    const PaneLayout layout = LayOutPreviewPane(dialog, list, 10, 40, 1280, 1024);
    // Right edge: 144 + 513 + 40 = 697.
    EXPECT_EQ(layout.dialogWidth, 597);
    EXPECT_EQ(layout.dialogHeight, 400);
    EXPECT_EQ(layout.dialogX, 342);  // (1280 - 597) / 2 = 341.5, half to even
    EXPECT_EQ(layout.dialogY, 312);
}

TEST(PaneLayout, HalvesRoundToEven) {
    const IntRect dialog{0, 0, 100, 101};
    const IntRect list{5, 5, 55, 10};  // 5 high: pane 6 wide (1.2 x 5 = 6)
    const PaneLayout layout = LayOutPreviewPane(dialog, list, 5, 5, 201, 200);
    EXPECT_EQ(layout.paneWidth, 6);
    EXPECT_EQ(layout.dialogWidth, 81);  // 6 + 55 + 20
    EXPECT_EQ(layout.dialogX, 60);      // 60.0
    EXPECT_EQ(layout.dialogY, 50);      // 49.5 -> 50
}

TEST(FitWholePicture, AWidePictureFillsThePaneWidthAndIsCentredVertically) {
    const IntRect r = FitWholePicture(200, 100, 144, 120);
    EXPECT_EQ(r.left, 0);
    EXPECT_EQ(r.Width(), 144);
    EXPECT_EQ(r.Height(), 72);
    EXPECT_EQ(r.top, 24);
}

TEST(FitWholePicture, ANearlySquarePictureIsShownWhole) {
    // Slightly wider than tall, but less wide than the pane's proportions:
    // the height limits, nothing is cut off.
    const IntRect r = FitWholePicture(110, 100, 144, 120);
    EXPECT_EQ(r.Height(), 120);
    EXPECT_EQ(r.Width(), 132);
    EXPECT_EQ(r.left, 6);
    EXPECT_EQ(r.top, 0);
}

TEST(FitWholePicture, SmallPicturesGrowAndKeepTheirProportions) {
    const IntRect r = FitWholePicture(4, 4, 144, 120);
    EXPECT_EQ(r.Width(), 120);
    EXPECT_EQ(r.Height(), 120);
    EXPECT_EQ(r.left, 12);
}

TEST(FitWholePicture, ExtremeProportionsKeepAtLeastOnePixel) {
    const IntRect r = FitWholePicture(30000, 1, 144, 120);
    EXPECT_EQ(r.Width(), 144);
    EXPECT_EQ(r.Height(), 1);
    EXPECT_TRUE(FitWholePicture(0, 10, 144, 120).Width() == 0);
    EXPECT_TRUE(FitWholePicture(10, 10, 0, 120).Width() == 0);
}

}  // namespace
}  // namespace vx
