// The frame stream writer: a frame handed out as a GIF file keeps its
// colours and transparent index, and the same frame always gives the same
// bytes.
#include "gif/gif_stream.h"

#include <gtest/gtest.h>

#include <random>

#include "gif/gif_decode.h"
#include "gif/gif_lzw.h"
#include "support/gif_builder.h"

namespace vx::gif {
namespace {

using testing::Bytes;
using testing::PackCodes;

Palette Ramp() {
    Palette palette{};
    for (int i = 0; i < 256; ++i) palette[i] = MakeRgb(i, 255 - i, i / 2);
    return palette;
}

TEST(FrameGif, OneColourTwoByTwoFrame) {
    const uint8_t pixels[4] = {5, 5, 5, 5};
    const Bytes gif = EncodeFrameGif(pixels, 2, 2, 2, Ramp(), std::nullopt);

    const Bytes header = {'G', 'I', 'F', '8', '9', 'a', 2, 0, 2, 0, 0x87, 0, 0};
    EXPECT_EQ(Bytes(gif.begin(), gif.begin() + 13), header);
    EXPECT_EQ(Bytes(gif.begin() + 13, gif.begin() + 16), (Bytes{0, 255, 0}));      // entry 0
    EXPECT_EQ(Bytes(gif.begin() + 778, gif.begin() + 781), (Bytes{255, 0, 127}));  // entry 255
    const Bytes descriptor = {0x2C, 0, 0, 0, 0, 2, 0, 2, 0, 0x00, 8};
    EXPECT_EQ(Bytes(gif.begin() + 781, gif.begin() + 792), descriptor);

    // Clear 256 first at 9 bits, then 5, 258 (5 5), 5 and End 257.
    EXPECT_EQ(gif[793], 0x00);
    EXPECT_EQ(gif[794] & 1, 1);
    Bytes data = PackCodes({{256, 9}, {5, 9}, {258, 9}, {5, 9}, {257, 9}});
    Bytes tail = {static_cast<uint8_t>(data.size())};
    tail.insert(tail.end(), data.begin(), data.end());
    tail.push_back(0x00);
    tail.push_back(0x3B);
    EXPECT_EQ(Bytes(gif.begin() + 792, gif.end()), tail);
}

TEST(FrameGif, TransparentFrameGetsAGraphicControlExtension) {
    const uint8_t pixels[1] = {0};
    const Bytes gif = EncodeFrameGif(pixels, 1, 1, 1, Ramp(), uint8_t{42});
    EXPECT_EQ(Bytes(gif.begin() + 781, gif.begin() + 789), (Bytes{0x21, 0xF9, 0x04, 0x01, 0, 0, 42, 0}));
    EXPECT_EQ(gif[789], 0x2C);

    const GifIndex index = IndexGif(gif);
    ASSERT_EQ(index.frames.size(), 1u);
    EXPECT_EQ(index.frames[0].transparent, 1);
    EXPECT_EQ(index.frames[0].transparent_index, 42);
    EXPECT_EQ(index.frames[0].delay, 0);
}

TEST(FrameGif, RowsAreTakenTopToBottomFromAnyRowStep) {
    // A bottom-up source: memory row 0 is the frame's bottom row.
    const uint8_t memory[6] = {4, 5, 6, 1, 2, 3};
    const Bytes gif = EncodeFrameGif(memory + 3, -3, 3, 2, Ramp(), std::nullopt);
    FrameStrip strip;
    ASSERT_EQ(DecodeFrameStrip(gif, IndexGif(gif), strip), StripStatus::Ok);
    EXPECT_EQ(testing::ToBytes(strip.Pixels()), (std::vector<uint8_t>{1, 2, 3, 4, 5, 6}));
}

TEST(FrameGif, DataComesIn254ByteSubBlocks) {
    std::mt19937 random(3);
    std::vector<uint8_t> pixels(200 * 200);
    for (auto& p : pixels) p = static_cast<uint8_t>(random());
    const Bytes gif = EncodeFrameGif(pixels.data(), 200, 200, 200, Ramp(), std::nullopt);
    std::size_t pos = 792;
    int blocks = 0;
    while (gif[pos] != 0) {
        const std::size_t length = gif[pos];
        const bool last = gif[pos + 1 + length] == 0;
        if (!last) {
            ASSERT_EQ(length, 254u) << "block " << blocks;
        }
        pos += 1 + length;
        ++blocks;
    }
    EXPECT_GT(blocks, 100);
    EXPECT_EQ(pos + 2, gif.size());
    EXPECT_EQ(gif.back(), 0x3B);
}

TEST(FrameGif, SameFrameGivesTheSameBytesEveryTime) {
    std::mt19937 random(9);
    std::vector<uint8_t> a(120 * 90), b(64 * 64);
    for (auto& p : a) p = static_cast<uint8_t>(random() % 200);
    for (auto& p : b) p = static_cast<uint8_t>(random() % 3);
    const Bytes first = EncodeFrameGif(a.data(), 120, 120, 90, Ramp(), std::nullopt);
    EncodeFrameGif(b.data(), 64, 64, 64, Ramp(), uint8_t{1});
    EXPECT_EQ(EncodeFrameGif(a.data(), 120, 120, 90, Ramp(), std::nullopt), first);

    // One encoder used for several frames gives each frame its own bytes.
    LzwEncoder encoder;
    Bytes once, reused;
    encoder.Encode(b.data(), 64, 64, 64, once);
    encoder.Encode(a.data(), 120, 120, 90, reused);
    reused.clear();
    encoder.Encode(b.data(), 64, 64, 64, reused);
    EXPECT_EQ(reused, once);
}

TEST(FrameGif, EmptyFrameIsAClearAndAnEnd) {
    const Bytes gif = EncodeFrameGif(nullptr, 0, 0, 0, Ramp(), std::nullopt);
    Bytes data = PackCodes({{256, 9}, {257, 9}});
    EXPECT_EQ(Bytes(gif.begin() + 792, gif.begin() + 793), Bytes{static_cast<uint8_t>(data.size())});
    EXPECT_EQ(gif.size(), 792 + 1 + data.size() + 2);
}

TEST(FrameGif, RoundTripThroughOurDecoderAcrossTableResets) {
    std::mt19937 random(11);
    std::vector<uint8_t> pixels(333 * 77);
    for (std::size_t i = 0; i < pixels.size(); ++i) {
        pixels[i] = static_cast<uint8_t>(i % 1000 < 500 ? random() : i / 333);
    }
    const Bytes gif = EncodeFrameGif(pixels.data(), 333, 333, 77, Ramp(), std::nullopt);
    FrameStrip strip;
    ASSERT_EQ(DecodeFrameStrip(gif, IndexGif(gif), strip), StripStatus::Ok);
    EXPECT_EQ(strip.results[0], FrameDecode::Complete);
    EXPECT_EQ(testing::ToBytes(strip.Pixels()), pixels);
}

}  // namespace
}  // namespace vx::gif
