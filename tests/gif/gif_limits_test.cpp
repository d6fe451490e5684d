// Which GIF files the strip limits take and refuse, and what the user is
// told when one is refused.
#include "gif/gif_limits.h"

#include <gtest/gtest.h>

#include "gif/gif_decode.h"
#include "support/gif_builder.h"
#include "support/gif_builder.h"

namespace vx::gif {
namespace {

using fixtures::SolidFrame;
using testing::Bytes;
using testing::GifBuilder;

Bytes TwoFrames(uint16_t w1, uint16_t h1, uint16_t w2, uint16_t h2) {
    fixtures::GifPlan plan;
    plan.globalPalette = {0x000000, 0xFF0000};
    plan.frames = {SolidFrame(0, 0, w1, h1, 1), SolidFrame(0, 0, w2, h2, 1)};
    return fixtures::WriteGif(plan);
}

TEST(GifLimits, PaddingUnderShorterFramesNeedsNoData) {
    // A complete, valid file: its strip is 2001 x 2000, its frames 4000 pixels.
    const Bytes small = TwoFrames(1, 2000, 2000, 1);
    const GifIndex index = IndexGif(small);
    FrameStrip strip;
    ASSERT_EQ(DecodeFrameStrip(small, index, strip), StripStatus::Ok);
    EXPECT_EQ(strip.results, (std::vector<FrameDecode>{FrameDecode::Complete, FrameDecode::Complete}));
    EXPECT_EQ(strip.At(0, 0, 1999), 1);
    EXPECT_EQ(strip.At(1, 1999, 0), 1);

    // Beyond the budget that needs no data, the frames' own areas count.
    const Bytes large = TwoFrames(1, 5000, 5000, 1);
    const GifIndex largeIndex = IndexGif(large);
    const StripLayout layout = PlanFrameStrip(largeIndex);
    ASSERT_GT(static_cast<uint64_t>(StripStride(layout.width)) * layout.height, kStripBytesWithoutData);
    EXPECT_EQ(CheckStrip(largeIndex, layout).status, GifStatus::Loaded);
}

TEST(GifLimits, AFrameWithTooLittleDataStillLoadsWithinTheBudget) {
    // 16 x 16 pixels from 5 bytes of codes: the rest of the frame stays 0.
    GifBuilder gif(4);
    const Bytes codes = testing::RootStream(2, {1, 2, 3});
    ASSERT_LE(codes.size(), 5u);
    gif.Image(0, 0, 16, 16, 0, false, 2, &codes).Trailer();
    const GifIndex index = IndexGif(gif.Get());
    FrameStrip strip;
    ASSERT_EQ(DecodeFrameStrip(gif.Get(), index, strip), StripStatus::Ok);
    EXPECT_EQ(strip.results[0], FrameDecode::Partial);
    EXPECT_EQ(strip.At(0, 2, 0), 3);
    EXPECT_EQ(strip.At(0, 15, 15), 0);
}

TEST(GifLimits, RefusalsSayWhichLimitAndWhy) {
    GifBuilder many(4);
    for (int i = 0; i < 1100; ++i) many.Image(0, 0, 500, 500);
    many.Trailer();
    const GifIndex index = IndexGif(many.Get());
    const GifReport tooLarge = CheckStrip(index, PlanFrameStrip(index));
    EXPECT_EQ(tooLarge.status, GifStatus::StripTooLarge);
    // 550000 x 500 bytes, rounded up to whole megabytes of 2^20 bytes.
    EXPECT_EQ(Describe(tooLarge), "GIF too large: 1100 frames of 500 x 500 need 263 MB, the limit is 256 MB");

    // Huge frames from a few bytes of data, beyond the budget: refused as damaged.
    GifBuilder tiny(4);
    tiny.Image(0, 0, 4096, 4096).Image(0, 0, 4096, 4096).Trailer();
    const GifIndex tinyIndex = IndexGif(tiny.Get());
    const GifReport beyond = CheckStrip(tinyIndex, PlanFrameStrip(tinyIndex));
    EXPECT_EQ(beyond.status, GifStatus::FramesBeyondData);
    EXPECT_EQ(beyond.needed, 2u * 4096 * 4096);
    EXPECT_TRUE(Describe(beyond).starts_with("Damaged GIF file: 2 frames of 4096 x 4096 hold 33554432 pixels"));

    EXPECT_EQ(CheckIndex(IndexGif(Bytes(10, 'G'))).status, GifStatus::TooShort);
    EXPECT_EQ(CheckBuffer(9000, 8000, 1).status, GifStatus::BufferTooLarge);
    EXPECT_EQ(CheckBuffer(4096, 4096, 4).status, GifStatus::Loaded);
    // Every status has its own sentence.
    for (int s = 0; s <= static_cast<int>(GifStatus::Abandoned); ++s) {
        GifReport report;
        report.status = static_cast<GifStatus>(s);
        EXPECT_NE(Describe(report), "Unknown GIF status.") << s;
    }
}

}  // namespace
}  // namespace vx::gif
