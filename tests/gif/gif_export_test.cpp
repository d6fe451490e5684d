// Planning a frame export before writing: its size, its file names, and
// telling a file cut at the frame limit from one that simply ends there.
#include "gif/gif_export.h"

#include <gtest/gtest.h>

#include "support/gif_builder.h"
#include "gif/gif_index.h"

namespace vx::gif {
namespace {

TEST(GifExport, OutputIsFramesTimesTheBmpFileOfTheCanvas) {
    // 5 x 3 at 24 bits: rows of 15 bytes padded to 16, after 58 header bytes.
    EXPECT_EQ(FrameFileBytes(5, 3), 58u + 16 * 3);
    EXPECT_EQ(ExportBytes(1000, 5, 3), 1000u * (58 + 48));
    // 32765 frames of 65535 x 65535 are terabytes, counted without wrapping.
    EXPECT_GT(ExportBytes(32765, 65535, 65535), std::uint64_t{1} << 47);
    EXPECT_EQ(DescribeBytes(kDefaultMaxExportBytes), "2 GB");
    EXPECT_EQ(DescribeBytes(1000), "1000 bytes");
}

TEST(GifExport, FrameNamesTakeAsManyDigitsAsTheCountNeeds) {
    EXPECT_EQ(FrameFileName(7, FrameNumberDigits(12)), "frame-0007.bmp");
    EXPECT_EQ(FrameFileName(9999, FrameNumberDigits(9999)), "frame-9999.bmp");
    EXPECT_EQ(FrameFileName(7, FrameNumberDigits(10000)), "frame-00007.bmp");
    EXPECT_EQ(FrameFileName(10000, FrameNumberDigits(32765)), "frame-10000.bmp");
}

TEST(GifExport, ByteSizesTakeBinaryUnits) {
    EXPECT_EQ(ParseByteSize("4096"), 4096u);
    EXPECT_EQ(ParseByteSize("3G"), std::uint64_t{3} << 30);
    EXPECT_EQ(ParseByteSize("500mb"), std::uint64_t{500} << 20);
    for (const char* wrong : {"", "G", "-5", "5X", "1.5G", "99999999999999999999", "17179869184G"})
        EXPECT_FALSE(ParseByteSize(wrong).has_value()) << wrong;
}

std::vector<std::uint8_t> GifOfFrames(int count) {
    fixtures::GifPlan plan;
    plan.globalPalette = {0x000000, 0xFFFFFF};
    fixtures::FramePlan frame;
    frame.pixels = {1};
    plan.frames.assign(static_cast<std::size_t>(count), frame);
    return fixtures::WriteGif(plan);
}

TEST(GifExport, ImagesBeyondTheFrameLimitAreNoticed) {
    EXPECT_FALSE(ImagesLeftOut(GifOfFrames(3)));
    EXPECT_FALSE(ImagesLeftOut(GifOfFrames(kMaxFrames)));
    EXPECT_TRUE(ImagesLeftOut(GifOfFrames(kMaxFrames + 1)));
}

}  // namespace
}  // namespace vx::gif
