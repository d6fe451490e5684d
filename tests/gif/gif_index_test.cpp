// The index pass: what a viewer learns about a file before any pixel is
// decoded.
//
// Departures from the format the reader tolerates, each with the test that
// pins it:
//   - a lower-case signature ("gif89a"): SignatureIsCaseBlindButOnlyForTheTwoVersions
//   - zero bytes between blocks, and an unknown block byte taken as the
//     trailer: StrayZeroBytesAreSkippedAndUnknownBlocksEndThePass
//   - an application block cut by the file's end:
//     ApplicationIdentifierRunningPastTheEndIsNotAnError
//   - a file cut anywhere keeps its complete frames:
//     TruncationAtEveryByteKeepsExactlyTheCompleteFrames
//   - frames beyond the stored screen widen it: FramesBeyondTheScreenWidenTheLogicalSize
#include "gif/gif_index.h"

#include <gtest/gtest.h>

#include <cstring>
#include <span>

#include "support/gif_builder.h"

namespace vx::gif {
namespace {

using testing::Bytes;
using testing::GifBuilder;

TEST(GifIndex, FramesWithoutExtensionHaveNoDelayNoTransparencyAndTheSeparatorPosition) {
    GifBuilder gif(4);
    const std::size_t separator = gif.Size();
    gif.Image(1, 2, 3, 4).Trailer();
    const GifIndex index = IndexGif(gif.Get());
    ASSERT_EQ(index.frames.size(), 1u);
    const FrameRecord& f = index.frames[0];
    EXPECT_EQ(f.left, 1);
    EXPECT_EQ(f.top, 2);
    EXPECT_EQ(f.width, 3);
    EXPECT_EQ(f.height, 4);
    EXPECT_EQ(f.delay, 0);
    EXPECT_EQ(f.transparent, 0);
    EXPECT_EQ(f.disposal, Disposal::Unspecified);
    EXPECT_EQ(f.palette, 0);
    EXPECT_EQ(f.position, static_cast<int32_t>(separator + 1));
    ASSERT_EQ(index.blocks.size(), 1u);
    EXPECT_EQ(index.blocks[0].position, separator + 1);
    EXPECT_EQ(index.blocks[0].length, gif.Size() - 1 - separator);  // through the terminator
    EXPECT_EQ(index.blocks[0].dataBytes, 2u);
    EXPECT_EQ(index.end, IndexEnd::Trailer);
}

TEST(GifIndex, GraphicControlExtensionAppliesToTheNextImageOnly) {
    GifBuilder gif(4);
    const std::size_t extension = gif.Size();
    gif.Gce(Disposal::RestoreBackground, 7, true, 3).Image(0, 0, 2, 2).Image(0, 0, 2, 2).Trailer();
    const GifIndex index = IndexGif(gif.Get());
    ASSERT_EQ(index.frames.size(), 2u);
    EXPECT_EQ(index.frames[0].delay, 70);
    EXPECT_EQ(index.frames[0].disposal, Disposal::RestoreBackground);
    EXPECT_EQ(index.frames[0].transparent, 1);
    EXPECT_EQ(index.frames[0].transparent_index, 3);
    EXPECT_EQ(index.frames[0].position, static_cast<int32_t>(extension + 1));  // the 0x21 byte
    EXPECT_EQ(index.frames[1].delay, 0);
    EXPECT_EQ(index.frames[1].disposal, Disposal::Unspecified);
    EXPECT_EQ(index.frames[1].transparent, 0);
    EXPECT_EQ(index.frames[1].position, static_cast<int32_t>(index.blocks[1].position));
}

TEST(GifIndex, ExtensionFieldsFollowThePackedByte) {
    GifBuilder gif(4);
    gif.Gce(uint8_t{5 << 2}, 1, 9)  // disposal field 5 is stored as 5 & 3
        .Image(0, 0, 1, 1)
        .Gce(uint8_t{3 << 2}, 0, 200)  // no transparency bit: the index byte is not taken
        .Image(0, 0, 1, 1)
        .Comment("between")
        .Gce(uint8_t{1}, 65535, 255)  // the largest delay, transparent index 255
        .Image(0, 0, 1, 1)
        .Trailer();
    const GifIndex index = IndexGif(gif.Get());
    ASSERT_EQ(index.frames.size(), 3u);
    EXPECT_EQ(index.frames[0].disposal, Disposal::Keep);
    EXPECT_EQ(index.frames[0].delay, 10);
    EXPECT_EQ(index.frames[1].disposal, Disposal::RestorePrevious);
    EXPECT_EQ(index.frames[1].transparent, 0);
    EXPECT_EQ(index.frames[1].transparent_index, 0);
    EXPECT_EQ(index.frames[2].delay, 655350);
    EXPECT_EQ(index.frames[2].transparent_index, 255);
    EXPECT_TRUE(index.hasRestorePrevious);
}

TEST(GifIndex, RestorePreviousFlagOnlyWithDisposalThree) {
    GifBuilder gif(4);
    gif.Gce(Disposal::RestoreBackground, 0, false, 0)
        .Image(0, 0, 1, 1)
        .Gce(Disposal::Keep, 0, false, 0)
        .Image(0, 0, 1, 1)
        .Trailer();
    EXPECT_FALSE(IndexGif(gif.Get()).hasRestorePrevious);
}

TEST(GifIndex, LogicalSizeComesFromFrameExtentsNotTheStoredScreen) {
    GifBuilder gif(4, 500, 400);
    gif.Image(10, 0, 20, 5).Image(0, 7, 5, 30).Trailer();
    const GifIndex index = IndexGif(gif.Get());
    EXPECT_EQ(index.width, 30);
    EXPECT_EQ(index.height, 37);
}

TEST(GifIndex, FramesBeyondTheScreenWidenTheLogicalSize) {
    GifBuilder gif(4, 10, 10);
    gif.Image(65535, 65535, 65535, 65535).Trailer();
    const GifIndex index = IndexGif(gif.Get());
    ASSERT_EQ(index.frames.size(), 1u);
    EXPECT_EQ(index.width, 131070);
    EXPECT_EQ(index.height, 131070);
}

TEST(GifIndex, NetscapeLoopCount) {
    GifBuilder withLoop(4);
    withLoop.Netscape(7).Image(0, 0, 1, 1).Trailer();
    EXPECT_EQ(IndexGif(withLoop.Get()).loopCount, 7u);

    GifBuilder lowerCase(4);
    lowerCase.Netscape(65535, "netscape2.0").Image(0, 0, 1, 1).Trailer();
    EXPECT_EQ(IndexGif(lowerCase.Get()).loopCount, 65535u);

    GifBuilder otherApp(4);
    otherApp.Netscape(7, "ANIMEXTS1.0").Image(0, 0, 1, 1).Trailer();
    EXPECT_EQ(IndexGif(otherApp.Get()).loopCount, 0u);

    // A data sub-block that is not 3 bytes long leaves the count at 0 and is
    // skipped like any other.
    GifBuilder longBlock(4);
    longBlock.Raw(
        {0x21, 0xFF, 0x0B, 'N', 'E', 'T', 'S', 'C', 'A', 'P', 'E', '2', '.', '0', 0x04, 0x01, 0x09, 0x00, 0x00, 0x00});
    longBlock.Image(0, 0, 1, 1).Trailer();
    const GifIndex index = IndexGif(longBlock.Get());
    EXPECT_EQ(index.loopCount, 0u);
    EXPECT_EQ(index.frames.size(), 1u);
}

TEST(GifIndex, PalettesAreNumberedGlobalFirstThenLocalTablesInOrder) {
    GifBuilder gif(2);
    gif.Image(0, 0, 1, 1, 4).Image(0, 0, 1, 1).Image(0, 0, 1, 1, 256).Trailer();
    const GifIndex index = IndexGif(gif.Get());
    ASSERT_EQ(index.frames.size(), 3u);
    EXPECT_EQ(index.frames[0].palette, 1);
    EXPECT_EQ(index.frames[1].palette, 0);
    EXPECT_EQ(index.frames[2].palette, 2);
    ASSERT_EQ(index.palettes.size(), 3u);
    EXPECT_EQ(index.lastPalette, 2);
    // 0x00RRGGBB, entries beyond the file's table size stay 0.
    EXPECT_EQ(index.palettes[0][1], GifBuilder::TableColour(1));
    EXPECT_EQ(index.palettes[0][2], 0u);
    EXPECT_EQ(index.palettes[1][3], GifBuilder::TableColour(3, 7));
    EXPECT_EQ(index.palettes[1][4], 0u);
    EXPECT_EQ(index.palettes[2][255], GifBuilder::TableColour(255, 7));
}

TEST(GifIndex, LocalTablesWithoutGlobalTableGetNumbersFromOne) {
    GifBuilder gif(0);
    gif.Image(0, 0, 1, 1, 2).Trailer();
    const GifIndex index = IndexGif(gif.Get());
    ASSERT_EQ(index.frames.size(), 1u);
    EXPECT_FALSE(index.hasGlobalTable);
    EXPECT_EQ(index.frames[0].palette, 1);
    ASSERT_EQ(index.palettes.size(), 2u);
    EXPECT_EQ(index.palettes[0][0], 0u);
}

TEST(GifIndex, ImageWithoutAnyColourTableRejectsTheFile) {
    GifBuilder gif(0);
    gif.Image(0, 0, 1, 1, 2).Image(0, 0, 1, 1).Trailer();
    const GifIndex index = IndexGif(gif.Get());
    EXPECT_TRUE(index.frames.empty());
    EXPECT_EQ(index.end, IndexEnd::MissingColourTable);
    EXPECT_EQ(index.width, 0);
}

TEST(GifIndex, SignatureIsCaseBlindButOnlyForTheTwoVersions) {
    for (const char* accepted : {"GIF89a", "GIF87a", "gif89a", "GiF87A"}) {
        GifBuilder gif(4, 10, 10, 0, accepted);
        gif.Image(0, 0, 1, 1).Trailer();
        EXPECT_EQ(IndexGif(gif.Get()).frames.size(), 1u) << accepted;
    }
    for (const char* rejected : {"GIF88a", "GIF89b", "GIF8 a", "JFIF89", "\x89PNG\r\n"}) {
        GifBuilder gif(4, 10, 10, 0, rejected);
        gif.Image(0, 0, 1, 1).Trailer();
        const GifIndex index = IndexGif(gif.Get());
        EXPECT_TRUE(index.frames.empty()) << rejected;
        EXPECT_EQ(index.end, IndexEnd::BadSignature);
    }
}

TEST(GifIndex, FilesShorterThanTwentyBytesAreRejected) {
    GifBuilder gif(0);
    gif.Raw({0x2C, 0, 0, 0, 0, 1, 0, 1});  // 21 bytes in all
    Bytes bytes = gif.Get();
    bytes.resize(19);
    EXPECT_EQ(IndexGif(bytes).end, IndexEnd::TooShort);
    EXPECT_EQ(IndexGif({}).end, IndexEnd::TooShort);
}

TEST(GifIndex, BackgroundIndexComesFromTheScreenDescriptor) {
    GifBuilder gif(4, 10, 10, 3);
    gif.Image(0, 0, 1, 1).Trailer();
    EXPECT_EQ(IndexGif(gif.Get()).backgroundIndex, 3);
}

TEST(GifIndex, StrayZeroBytesAreSkippedAndUnknownBlocksEndThePass) {
    GifBuilder gif(4);
    gif.Raw({0x00, 0x00}).Image(0, 0, 1, 1).Raw({0x00}).Raw({0x21, 0x01, 0x02, 'a', 'b', 0x00});
    gif.Image(0, 0, 1, 1).Raw({0x99}).Image(0, 0, 1, 1).Trailer();
    const GifIndex index = IndexGif(gif.Get());
    EXPECT_EQ(index.frames.size(), 2u);
    EXPECT_EQ(index.end, IndexEnd::Trailer);
}

TEST(GifIndex, ApplicationIdentifierRunningPastTheEndIsNotAnError) {
    GifBuilder gif(4);
    gif.Image(0, 0, 1, 1).Raw({0x21, 0xFF, 0x40, 'N', 'E', 'T'});
    const GifIndex index = IndexGif(gif.Get());
    EXPECT_EQ(index.frames.size(), 1u);
    EXPECT_EQ(index.end, IndexEnd::EndOfFile);
}

TEST(GifIndex, FileCutInsideTheSecondImageKeepsTheFirst) {
    GifBuilder gif(4);
    gif.Gce(Disposal::Keep, 5, false, 0).Image(0, 0, 1, 1);
    const std::size_t second = gif.Size();
    gif.Gce(Disposal::Keep, 9, false, 0).Image(0, 0, 1, 1).Trailer();
    Bytes cut = gif.Get();
    cut.resize(second + 14);
    const GifIndex index = IndexGif(cut);
    ASSERT_EQ(index.frames.size(), 1u);
    EXPECT_EQ(index.frames[0].delay, 50);
    EXPECT_EQ(index.end, IndexEnd::EndOfFile);
}

TEST(GifIndex, FileCutInsideTheGlobalTableHasNoFrames) {
    GifBuilder gif(256);
    gif.Image(0, 0, 1, 1).Trailer();
    Bytes cut = gif.Get();
    cut.resize(100);
    EXPECT_TRUE(IndexGif(cut).frames.empty());
}

TEST(GifIndex, TruncationAtEveryByteKeepsExactlyTheCompleteFrames) {
    const Bytes full = testing::ReadTestFile("small_animation.gif");
    ASSERT_GT(full.size(), 100u);
    const GifIndex whole = IndexGif(full);
    ASSERT_EQ(whole.frames.size(), 3u);
    for (std::size_t cut = 0; cut <= full.size(); ++cut) {
        const GifIndex index = IndexGif(std::span(full).first(cut));
        std::size_t complete = 0;
        if (cut >= kMinFileSize) {
            for (const ImageBlock& block : whole.blocks) complete += block.position - 1 + block.length <= cut;
        }
        ASSERT_EQ(index.frames.size(), complete) << "cut at " << cut;
        for (std::size_t k = 0; k < complete; ++k) {
            EXPECT_EQ(std::memcmp(&index.frames[k], &whole.frames[k], sizeof(FrameRecord)), 0) << cut;
        }
        if (complete > 0) {
            EXPECT_EQ(index.loopCount, whole.loopCount);
        }
    }
}

TEST(GifIndex, StopsAfterTheLastFrameNumberThatFits) {
    GifBuilder gif(2);
    for (int i = 0; i < kMaxFrames + 5; ++i) gif.Image(0, 0, 1, 1);
    gif.Trailer();
    const GifIndex index = IndexGif(gif.Get());
    EXPECT_EQ(index.frames.size(), static_cast<std::size_t>(kMaxFrames));
    EXPECT_EQ(index.end, IndexEnd::FrameLimit);
}

}  // namespace
}  // namespace vx::gif
