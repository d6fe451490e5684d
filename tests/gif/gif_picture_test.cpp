// A GIF as a still picture: its first image where it lies on the logical
// screen, with the background wherever the image does not paint.
#include "gif/gif_picture.h"

#include <gtest/gtest.h>

#include "support/gif_builder.h"

namespace vx::gif {
namespace {

constexpr Colorref kOlive{0x0000C0C0};

TEST(GifPicture, TheFirstImageLiesOnItsLogicalScreen) {
    // Screen 32 x 24, a red 16 x 12 image at (16, 12) whose top-left pixel is
    // transparent, then a second image that a still picture does not show.
    fixtures::GifPlan plan;
    plan.globalPalette = {0x000000, 0xFF0000, 0x00FF00};
    std::vector<uint8_t> red(16 * 12, 1);
    red[0] = 0;
    plan.frames.push_back(fixtures::Frame(16, 12, 16, 12, red, Disposal::Unspecified, 0));
    plan.frames.push_back(fixtures::SolidFrame(0, 0, 32, 24, 2));
    const std::vector<uint8_t> bytes = fixtures::WriteGif(plan);
    ASSERT_TRUE(LooksLikeGif(bytes));

    const GifPicture picture = ComposeFirstImage(bytes, kOlive);
    ASSERT_EQ(picture.report.status, GifStatus::Loaded);
    ASSERT_EQ(picture.pixels.Width(), 32);
    ASSERT_EQ(picture.pixels.Height(), 24);
    EXPECT_EQ(picture.pixels.ColorAt(0, 0), kOlive);
    EXPECT_EQ(picture.pixels.ColorAt(15, 23), kOlive);
    EXPECT_EQ(picture.pixels.ColorAt(16, 12), kOlive);  // transparent
    EXPECT_EQ(picture.pixels.ColorAt(17, 12), MakeColorref(255, 0, 0));
    EXPECT_EQ(picture.pixels.ColorAt(31, 23), MakeColorref(255, 0, 0));
}

TEST(GifPicture, RefusedFilesSayWhy) {
    EXPECT_FALSE(LooksLikeGif(std::vector<uint8_t>{'B', 'M', 0, 0}));
    const GifPicture none = ComposeFirstImage(std::vector<uint8_t>(30, 'G'), Colorref{});
    EXPECT_EQ(none.report.status, GifStatus::BadSignature);
    EXPECT_EQ(none.pixels.Width(), 0);
}

}  // namespace
}  // namespace vx::gif
