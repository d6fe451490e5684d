// Frame properties, loop and delay settings, buffer decisions and the
// background colour that a viewer reports.
#include "gif/gif_animation.h"

#include <gtest/gtest.h>

#include "support/gif_builder.h"

namespace vx::gif {
namespace {

using testing::GifBuilder;

GifIndex ThreeFrames() {
    GifBuilder gif(4);
    gif.Gce(Disposal::Unspecified, 0, false, 0)
        .Image(1, 2, 3, 4)
        .Gce(Disposal::RestoreBackground, 20, false, 0)
        .Image(0, 0, 4, 6);
    gif.Gce(Disposal::RestorePrevious, 100, false, 0).Image(0, 0, 1, 1).Trailer();
    return IndexGif(gif.Get());
}

TEST(FrameProperty, DelaysAreRaisedToTheMinimum) {
    const GifIndex index = ThreeFrames();
    EXPECT_EQ(FrameProperty(index, 1, kPropDelay, kDefaultMinimumDelay), 50);
    EXPECT_EQ(FrameProperty(index, 2, kPropDelay, kDefaultMinimumDelay), 200);
    EXPECT_EQ(FrameProperty(index, 3, kPropDelay, kDefaultMinimumDelay), 1000);
    EXPECT_EQ(FrameProperty(index, 3, kPropDelay, 2000), 2000);
}

TEST(FrameProperty, GeometryDisposalAndCount) {
    const GifIndex index = ThreeFrames();
    EXPECT_EQ(FrameProperty(index, 1, kPropLeft, 50), 1);
    EXPECT_EQ(FrameProperty(index, 1, kPropTop, 50), 2);
    EXPECT_EQ(FrameProperty(index, 1, kPropWidth, 50), 3);
    EXPECT_EQ(FrameProperty(index, 1, kPropHeight, 50), 4);
    EXPECT_EQ(FrameProperty(index, 3, kPropDisposal, 50), static_cast<int32_t>(Disposal::RestorePrevious));
    EXPECT_EQ(FrameProperty(index, 2, kPropFrameCount, 50), 3);
    EXPECT_EQ(FrameProperty(index, 2, 7, 50), 0);
    EXPECT_EQ(FrameProperty(index, 2, -1, 50), 0);
}

TEST(FrameProperty, FramesOutsideTheFileReadZero) {
    const GifIndex index = ThreeFrames();
    EXPECT_EQ(FrameProperty(index, 4, kPropFrameCount, 50), 0);
    EXPECT_EQ(FrameProperty(index, 0, kPropDelay, 50), 0);
    EXPECT_EQ(FrameProperty(GifIndex{}, 1, kPropFrameCount, 50), 0);
}

TEST(Settings, LoopCountWrites) {
    EXPECT_EQ(LoopCountFromWrite(-1), 0u);
    EXPECT_EQ(LoopCountFromWrite(2), 2u);
    EXPECT_EQ(LoopCountFromWrite(65536 + 3), 3u);
    EXPECT_EQ(LoopCountFromWrite(-2), 65534u);
}

TEST(Settings, MinimumDelayWrites) {
    EXPECT_EQ(MinimumDelayFromWrite(5), int16_t{10});
    EXPECT_EQ(MinimumDelayFromWrite(-3), std::nullopt);  // low 16 bits 65533
    EXPECT_EQ(MinimumDelayFromWrite(32767), int16_t{32767});
    EXPECT_EQ(MinimumDelayFromWrite(32768), std::nullopt);
    EXPECT_EQ(MinimumDelayFromWrite(65536 + 120), int16_t{120});
}

TEST(Settings, LoadProgress) {
    EXPECT_EQ(LoadProgress(1, 3), 33);
    EXPECT_EQ(LoadProgress(3, 3), 100);
    EXPECT_EQ(LoadProgress(32765, 32765), 100);
}

TEST(AnimationBuffer, NeededForTransparencyDisposalOrPartialFrames) {
    GifBuilder opaqueOne(4);
    opaqueOne.Image(0, 0, 2, 2).Trailer();
    EXPECT_FALSE(NeedsAnimationBuffer(IndexGif(opaqueOne.Get())));

    GifBuilder transparentOne(4);
    transparentOne.Gce(Disposal::Unspecified, 0, true, 1).Image(0, 0, 2, 2).Trailer();
    EXPECT_TRUE(NeedsAnimationBuffer(IndexGif(transparentOne.Get())));

    GifBuilder plain(4);
    plain.Gce(Disposal::Keep, 5, false, 0).Image(0, 0, 2, 2).Image(0, 0, 2, 2).Trailer();
    EXPECT_FALSE(NeedsAnimationBuffer(IndexGif(plain.Get())));

    GifBuilder disposal(4);
    disposal.Image(0, 0, 2, 2).Gce(Disposal::RestoreBackground, 5, false, 0).Image(0, 0, 2, 2).Trailer();
    EXPECT_TRUE(NeedsAnimationBuffer(IndexGif(disposal.Get())));

    GifBuilder partial(4);
    partial.Image(0, 0, 2, 2).Image(1, 1, 1, 1).Trailer();
    EXPECT_TRUE(NeedsAnimationBuffer(IndexGif(partial.Get())));
}

TEST(AnimationBuffer, RowsAndSaveArea) {
    EXPECT_EQ(AnimationBufferRows(false, false), 2);
    EXPECT_EQ(AnimationBufferRows(true, false), 3);
    EXPECT_EQ(AnimationBufferRows(false, true), 1);
    EXPECT_EQ(AnimationBufferRows(true, true), 2);
    EXPECT_EQ(SaveAreaRow(false), 2);
    EXPECT_EQ(SaveAreaRow(true), 1);
}

TEST(WindowBkgColor, GlobalEntryAtTheBackgroundIndexWithRedLow) {
    GifBuilder gif(4, 10, 10, 2);
    gif.Image(0, 0, 1, 1).Trailer();
    GifIndex index = IndexGif(gif.Get());
    index.palettes[0][2] = Rgb{0xFF0000};  // red
    EXPECT_EQ(WindowBkgColor(index), 0x0000FFu);
    index.palettes[0][2] = Rgb{0x123456};
    EXPECT_EQ(WindowBkgColor(index), 0x563412u);
    EXPECT_EQ(WindowBkgColor(GifIndex{}), 0u);
}

}  // namespace
}  // namespace vx::gif
