// Our decoder and encoder against an independent decoder, on real files of
// many kinds: interlaced, local tables of 2 to 256 entries, transparency,
// every disposal method, odd sizes, full LZW tables, files from two writers.
#include <gtest/gtest.h>

#include <random>
#include <set>

#include "gif/gif_decode.h"
#include "gif/gif_index.h"
#include "gif/gif_stream.h"
#include "support/gif_builder.h"
#include "gif/giflib_reference.h"

namespace vx::gif {
namespace {

using testing::Bytes;

class RealFiles : public ::testing::TestWithParam<const char*> {};

TEST_P(RealFiles, IndexAndPixelsMatchGiflib) {
    const Bytes bytes = testing::ReadTestFile(GetParam());
    ASSERT_FALSE(bytes.empty());
    const testing::ReferenceGif reference = testing::DecodeWithGiflib(bytes);
    ASSERT_EQ(reference.error, "");

    const GifIndex index = IndexGif(bytes);
    ASSERT_EQ(index.frames.size(), reference.frames.size());
    EXPECT_EQ(index.loopCount, static_cast<uint32_t>(reference.loopCount));
    EXPECT_EQ(index.backgroundIndex, reference.background);
    for (std::size_t i = 0; i < reference.globalColours.size(); ++i) {
        EXPECT_EQ(index.palettes[0][i], reference.globalColours[i]);
    }

    FrameStrip strip;
    ASSERT_EQ(DecodeFrameStrip(bytes, index, strip), StripStatus::Ok);
    int localTables = 0;
    for (std::size_t k = 0; k < index.frames.size(); ++k) {
        SCOPED_TRACE("frame " + std::to_string(k + 1));
        const FrameRecord& ours = index.frames[k];
        const testing::ReferenceFrame& theirs = reference.frames[k];
        EXPECT_EQ(ours.left, theirs.left);
        EXPECT_EQ(ours.top, theirs.top);
        EXPECT_EQ(ours.width, theirs.width);
        EXPECT_EQ(ours.height, theirs.height);
        EXPECT_EQ(ours.delay, theirs.delayCs * 10);
        EXPECT_EQ(static_cast<int>(ours.disposal), theirs.disposal);
        EXPECT_EQ(ours.transparent, theirs.transparent >= 0 ? 1 : 0);
        if (theirs.transparent >= 0) {
            EXPECT_EQ(ours.transparent_index, theirs.transparent);
        }
        if (theirs.localEntries > 0) {
            EXPECT_EQ(ours.palette, ++localTables);
            for (int i = 0; i < theirs.localEntries; ++i) {
                EXPECT_EQ(index.palettes[ours.palette][i], theirs.localColours[i]);
            }
        } else {
            EXPECT_EQ(ours.palette, 0);
        }
        EXPECT_EQ(strip.results[k], FrameDecode::Complete);
        int mismatches = 0;
        for (int y = 0; y < ours.height; ++y) {
            for (int x = 0; x < ours.width; ++x) {
                mismatches += strip.At(k, x, y) != theirs.pixels[std::size_t(y) * ours.width + x];
            }
        }
        EXPECT_EQ(mismatches, 0);
    }
}

INSTANTIATE_TEST_SUITE_P(Gif, RealFiles,
                         ::testing::Values("local_tables.gif", "interlaced.gif", "transparency_disposal.gif",
                                           "odd_sizes.gif", "full_table.gif", "code_sizes.gif", "small_animation.gif",
                                           "pillow_photo.gif", "pillow_icon.gif", "pillow_sprite.gif",
                                           "pillow_restore.gif"));

TEST(RealFiles, FramesDecodedAloneIntoTheirOwnRowsMatchGiflib) {
    for (const char* name : {"interlaced.gif", "odd_sizes.gif", "local_tables.gif"}) {
        const Bytes bytes = testing::ReadTestFile(name);
        const testing::ReferenceGif reference = testing::DecodeWithGiflib(bytes);
        const GifIndex index = IndexGif(bytes);
        ASSERT_EQ(index.frames.size(), reference.frames.size());
        FrameDecoder decoder;
        for (std::size_t k = 0; k < index.frames.size(); ++k) {
            const FrameRecord& frame = index.frames[k];
            std::vector<uint8_t> topDown(std::size_t(frame.width) * frame.height);
            EXPECT_EQ(decoder.Decode(bytes, index, k, topDown.data(), frame.width), FrameDecode::Complete);
            EXPECT_EQ(topDown, reference.frames[k].pixels) << name << " frame " << k + 1;

            // Bottom-up, as a device-independent bitmap keeps its rows.
            std::vector<uint8_t> bottomUp(topDown.size());
            decoder.Decode(bytes, index, k, bottomUp.data() + (frame.height - 1) * std::size_t(frame.width),
                           -frame.width);
            for (int y = 0; y < frame.height; ++y) {
                ASSERT_TRUE(std::equal(bottomUp.begin() + std::ptrdiff_t(frame.height - 1 - y) * frame.width,
                                       bottomUp.begin() + std::ptrdiff_t(frame.height - y) * frame.width,
                                       topDown.begin() + std::ptrdiff_t(y) * frame.width))
                    << name << " frame " << k + 1 << " row " << y;
            }
        }
    }
}

TEST(RealFiles, CoverTheKindsTheyAreMeantToCover) {
    std::set<int> localSizes;
    std::set<int> disposals;
    bool interlaced = false, transparent = false;
    for (const char* name : {"local_tables.gif", "interlaced.gif", "transparency_disposal.gif", "pillow_photo.gif"}) {
        for (const auto& frame : testing::DecodeWithGiflib(testing::ReadTestFile(name)).frames) {
            if (frame.localEntries) localSizes.insert(frame.localEntries);
            disposals.insert(static_cast<int>(frame.disposal));
            interlaced |= frame.interlaced;
            transparent |= frame.transparent >= 0;
        }
    }
    EXPECT_EQ(localSizes, (std::set<int>{2, 4, 8, 16, 32, 64, 128, 256}));
    EXPECT_TRUE(disposals.count(1) && disposals.count(2) && disposals.count(3));
    EXPECT_TRUE(interlaced);
    EXPECT_TRUE(transparent);
}

// Encodes `pixels` as a frame stream and decodes it with giflib and with ours.
void ExpectRoundTrip(const std::vector<uint8_t>& pixels, int width, int height) {
    Palette palette{};
    for (int i = 0; i < 256; ++i) palette[i] = Rgb{static_cast<uint32_t>(i * 0x010203)};
    const Bytes gif = EncodeFrameGif(pixels.data(), width, width, height, palette, std::nullopt);

    const testing::ReferenceGif reference = testing::DecodeWithGiflib(gif);
    ASSERT_EQ(reference.error, "");
    ASSERT_EQ(reference.frames.size(), 1u);
    EXPECT_EQ(reference.frames[0].pixels, pixels);
    EXPECT_EQ(reference.globalColours.size(), 256u);
    EXPECT_EQ(reference.globalColours[200], palette[200]);

    const GifIndex index = IndexGif(gif);
    FrameStrip strip;
    ASSERT_EQ(DecodeFrameStrip(gif, index, strip), StripStatus::Ok);
    EXPECT_EQ(strip.results[0], FrameDecode::Complete);
    EXPECT_EQ(testing::ToBytes(strip.Pixels()), pixels);
}

TEST(Encoder, OutputDecodesToTheSameIndicesWithGiflib) {
    std::mt19937 random(42);
    std::vector<uint8_t> noise(300 * 200);
    for (auto& p : noise) p = static_cast<uint8_t>(random());  // fills the table many times over
    ExpectRoundTrip(noise, 300, 200);

    std::vector<uint8_t> gradient(256 * 64);
    for (std::size_t i = 0; i < gradient.size(); ++i) gradient[i] = static_cast<uint8_t>(i % 256 / 4 + i / 4096);
    ExpectRoundTrip(gradient, 256, 64);

    ExpectRoundTrip(std::vector<uint8_t>(640 * 480, 9), 640, 480);  // very long strings
    ExpectRoundTrip({0}, 1, 1);
    ExpectRoundTrip({255, 0, 255}, 1, 3);

    std::vector<uint8_t> few(97 * 61);
    for (auto& p : few) p = static_cast<uint8_t>(random() % 3 == 0 ? random() % 4 : 0);
    ExpectRoundTrip(few, 97, 61);
}

TEST(Encoder, TransparentFramesKeepTheirIndexForGiflib) {
    std::vector<uint8_t> pixels = {1, 7, 7, 1};
    Palette palette{};
    const Bytes gif = EncodeFrameGif(pixels.data(), 2, 2, 2, palette, uint8_t{7});
    const testing::ReferenceGif reference = testing::DecodeWithGiflib(gif);
    ASSERT_EQ(reference.frames.size(), 1u);
    EXPECT_EQ(reference.frames[0].transparent, 7);
    EXPECT_EQ(reference.frames[0].pixels, pixels);
}

}  // namespace
}  // namespace vx::gif
