// Keep-proportions crops: the crest's proportion cut from the middle of the picture.
#include "imaging/centred_crop.h"

#include <gtest/gtest.h>

namespace vx {
namespace {

TEST(CentredCrop, WideAndTallPicturesLoseEqualMarginsOnTheLongSide) {
    // 4 : 3 from a 1000 x 300 banner: 400 wide, 300 on each side cut.
    EXPECT_EQ(CentredCrop(1000, 300, 4, 3), (PixelRect{300, 0, 400, 300}));
    // 2 : 1 from a 300 x 1000 portrait: 150 high, centred (425 above, 425 below).
    EXPECT_EQ(CentredCrop(300, 1000, 2, 1), (PixelRect{0, 425, 300, 150}));
}

TEST(CentredCrop, PictureInProportionIsNotCut) {
    EXPECT_EQ(CentredCrop(640, 480, 4, 3), (PixelRect{0, 0, 640, 480}));
    EXPECT_EQ(CentredCrop(48, 24, 2, 1), (PixelRect{0, 0, 48, 24}));
}

TEST(CentredCrop, OddRemaindersRoundToTheNearestPixelAndFloorTheMargin) {
    // 101 x 50 at 4 : 3: 66.67 wide rounds to 67, margins 17 and 17.
    EXPECT_EQ(CentredCrop(101, 50, 4, 3), (PixelRect{17, 0, 67, 50}));
}

TEST(CentredCrop, TinyPicturesKeepAtLeastOnePixel) {
    // Smaller than the crest in one direction: 1 x 100 keeps one row.
    EXPECT_EQ(CentredCrop(1, 100, 4, 3), (PixelRect{0, 49, 1, 1}));
    EXPECT_EQ(CentredCrop(10, 3, 4, 3), (PixelRect{3, 0, 4, 3}));
    EXPECT_EQ(CentredCrop(1, 1, 2, 1), (PixelRect{0, 0, 1, 1}));
}

TEST(CentredCrop, SubViewShowsThePixelsInsideTheRectangle) {
    BgraImage image(5, 4);
    for (int y = 0; y < 4; ++y)
        for (int x = 0; x < 5; ++x) image.SetColor(x, y, MakeColorref(x, y, 0));
    const ConstBgraView part = SubView(image.View(), PixelRect{1, 2, 3, 2});
    ASSERT_EQ(part.width, 3);
    ASSERT_EQ(part.height, 2);
    EXPECT_EQ(part.Row(0)[2], 1);          // red of (1, 2)
    EXPECT_EQ(part.Row(1)[1], 3);          // green of (1, 3)
    EXPECT_EQ(part.Row(1)[4 * 2 + 2], 3);  // red of (3, 3)
}

}  // namespace
}  // namespace vx
