// The LZW decoder and the frame strip: raw colour indices for every frame,
// hostile code streams handled deterministically, no allocation beyond what
// a file can fill.
//
// Departures from the format the decoder tolerates, each with the test that
// pins it:
//   - no Clear code at the start: StreamsMayOmitTheLeadingClearCode
//   - no End code once the image is full: MissingEndCodeIsFineOnceTheImageIsFull
//   - an End code before the image is full: EarlyEndCodeLeavesTheRestAtZero
//   - a code beyond the table: CodeBeyondTheTableStopsAndKeepsWhatCameBefore
//   - data after the image's last pixel: DataBeyondTheImageIsIgnored
//   - a full table without a Clear code: FullTableWithoutClearKeepsTwelveBitCodes
//   - a frame larger than its data: FrameLargerThanItsDataDecodesWhatTheDataHolds
#include "gif/gif_decode.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <random>

#include "gif/gif_lzw.h"
#include "support/gif_builder.h"

namespace vx::gif {
namespace {

using testing::Bytes;
using testing::GifBuilder;
using testing::PackCodes;

std::vector<uint8_t> Decoded(LzwDecoder& decoder) {
    auto pixels = decoder.Pixels();
    return {pixels.begin(), pixels.end()};
}

// Minimum code size 2 throughout: Clear 4, End 5, first free code 6, 3 bits.
TEST(LzwDecoder, DecodesRootsStringsAndTheCodeBeingDefined) {
    LzwDecoder decoder;
    // 1, then 6 (not yet defined: the previous string plus its first pixel),
    // then 6 again (now in the table), then 2.
    // The fourth code is one bit wider: code 8 would no longer fit in 3 bits.
    const Bytes codes = PackCodes({{4, 3}, {1, 3}, {6, 3}, {6, 3}, {2, 4}, {5, 4}});
    const LzwResult result = decoder.Decode(codes, 2, 6);
    EXPECT_EQ(result.status, LzwStatus::Complete);
    EXPECT_EQ(Decoded(decoder), (std::vector<uint8_t>{1, 1, 1, 1, 1, 2}));
}

TEST(LzwDecoder, StreamsMayOmitTheLeadingClearCode) {
    LzwDecoder decoder;
    const Bytes codes = PackCodes({{3, 3}, {0, 3}, {6, 3}, {5, 3}});
    EXPECT_EQ(decoder.Decode(codes, 2, 4).status, LzwStatus::Complete);
    EXPECT_EQ(Decoded(decoder), (std::vector<uint8_t>{3, 0, 3, 0}));
}

TEST(LzwDecoder, CodeBeyondTheTableStopsAndKeepsWhatCameBefore) {
    LzwDecoder decoder;
    const LzwResult result = decoder.Decode(PackCodes({{4, 3}, {1, 3}, {7, 3}, {1, 3}}), 2, 5);
    EXPECT_EQ(result.status, LzwStatus::BadCode);
    EXPECT_EQ(result.produced, 1u);
    EXPECT_EQ(Decoded(decoder), (std::vector<uint8_t>{1, 0, 0, 0, 0}));
}

TEST(LzwDecoder, StringCodeRightAfterClearIsRejected) {
    LzwDecoder decoder;
    const LzwResult result = decoder.Decode(PackCodes({{4, 3}, {6, 3}, {1, 3}}), 2, 3);
    EXPECT_EQ(result.status, LzwStatus::BadCode);
    EXPECT_EQ(result.produced, 0u);
    EXPECT_EQ(Decoded(decoder), (std::vector<uint8_t>{0, 0, 0}));
}

TEST(LzwDecoder, MissingEndCodeIsFineOnceTheImageIsFull) {
    LzwDecoder decoder;
    // 8-bit codes, so that no padding bits follow the last one.
    const Bytes codes = PackCodes({{128, 8}, {1, 8}, {2, 8}});
    EXPECT_EQ(decoder.Decode(codes, 7, 2).status, LzwStatus::Complete);
    const LzwResult shortData = decoder.Decode(codes, 7, 4);
    EXPECT_EQ(shortData.status, LzwStatus::DataEnded);
    EXPECT_EQ(shortData.produced, 2u);
    EXPECT_EQ(Decoded(decoder), (std::vector<uint8_t>{1, 2, 0, 0}));
}

TEST(LzwDecoder, EarlyEndCodeLeavesTheRestAtZero) {
    LzwDecoder decoder;
    const LzwResult result = decoder.Decode(PackCodes({{4, 3}, {3, 3}, {5, 3}, {3, 3}}), 2, 3);
    EXPECT_EQ(result.status, LzwStatus::EndedEarly);
    EXPECT_EQ(Decoded(decoder), (std::vector<uint8_t>{3, 0, 0}));
}

TEST(LzwDecoder, DataBeyondTheImageIsIgnored) {
    LzwDecoder decoder;
    const LzwResult result = decoder.Decode(PackCodes({{4, 3}, {1, 3}, {2, 3}, {3, 3}, {7, 3}}), 2, 2);
    EXPECT_EQ(result.status, LzwStatus::Complete);
    EXPECT_EQ(Decoded(decoder), (std::vector<uint8_t>{1, 2}));
}

TEST(LzwDecoder, ZeroLengthDataDecodesNothing) {
    LzwDecoder decoder;
    const LzwResult result = decoder.Decode({}, 2, 4);
    EXPECT_EQ(result.status, LzwStatus::DataEnded);
    EXPECT_EQ(result.produced, 0u);
    EXPECT_EQ(Decoded(decoder), (std::vector<uint8_t>(4, 0)));

    LzwDecoder fresh;
    EXPECT_EQ(fresh.Decode({}, 2, 0).status, LzwStatus::Complete);
    EXPECT_EQ(fresh.Decode({}, 0, 0).status, LzwStatus::BadMinimumCodeSize);
    EXPECT_TRUE(fresh.Pixels().empty());
}

TEST(LzwDecoder, MinimumCodeSizeOutsideOneToEightDecodesNothing) {
    LzwDecoder decoder;
    const Bytes codes = PackCodes({{256, 9}, {1, 9}, {257, 9}});
    for (int size : {0, 9, 12, 255}) {
        const LzwResult result = decoder.Decode(codes, size, 1);
        EXPECT_EQ(result.status, LzwStatus::BadMinimumCodeSize) << size;
        EXPECT_EQ(Decoded(decoder), (std::vector<uint8_t>{0}));
    }
}

TEST(LzwDecoder, MinimumCodeSizeOneWidensAfterTheFirstCode) {
    LzwDecoder decoder;
    // Clear 2, End 3; the first code after a clear has 2 bits, the next 3.
    const LzwResult result = decoder.Decode(PackCodes({{2, 2}, {1, 2}, {0, 3}, {4, 3}, {3, 3}}), 1, 4);
    EXPECT_EQ(result.status, LzwStatus::Complete);
    EXPECT_EQ(Decoded(decoder), (std::vector<uint8_t>{1, 0, 1, 0}));
}

// Codes that fill the whole table: each new code repeats the previous string
// plus one pixel. Returns the packed stream and the widths used.
std::vector<std::pair<int, int>> FillTable(int* pixels) {
    std::vector<std::pair<int, int>> codes = {{4, 3}, {0, 3}};
    int width = 3;
    int running = 7;
    *pixels = 1;
    int length = 1;
    for (int next = 6; next < 4096; ++next) {
        codes.push_back({next, width});
        ++length;
        *pixels += length;
        if (++running > (1 << width) && width < 12) ++width;
    }
    return codes;
}

TEST(LzwDecoder, FullTableWithoutClearKeepsTwelveBitCodes) {
    int pixels = 0;
    auto codes = FillTable(&pixels);
    codes.push_back({3, 12});     // a root code after the table is full
    codes.push_back({4095, 12});  // the longest string, once more
    codes.push_back({5, 12});
    LzwDecoder decoder;
    const std::size_t total = static_cast<std::size_t>(pixels) + 1 + 4091;
    const LzwResult result = decoder.Decode(PackCodes(codes), 2, total);
    EXPECT_EQ(result.status, LzwStatus::Complete);
    const auto out = Decoded(decoder);
    EXPECT_EQ(out[static_cast<std::size_t>(pixels) - 1], 0);
    EXPECT_EQ(out[static_cast<std::size_t>(pixels)], 3);
    EXPECT_EQ(std::count(out.begin(), out.end(), 0), static_cast<long>(total - 1));
}

TEST(LzwDecoder, ClearCodeResetsTheWidth) {
    int pixels = 0;
    auto codes = FillTable(&pixels);
    codes.push_back({4, 12});
    codes.push_back({2, 3});
    codes.push_back({6, 3});
    codes.push_back({5, 3});
    LzwDecoder decoder;
    const LzwResult result = decoder.Decode(PackCodes(codes), 2, static_cast<std::size_t>(pixels) + 3);
    EXPECT_EQ(result.status, LzwStatus::Complete);
    const auto out = Decoded(decoder);
    EXPECT_EQ((std::vector<uint8_t>(out.end() - 3, out.end())), (std::vector<uint8_t>{2, 2, 2}));
}

TEST(LzwDecoder, WorstCaseExpansionStaysWithinTheDataBound) {
    int pixels = 0;
    const Bytes codes = PackCodes(FillTable(&pixels));
    EXPECT_LE(static_cast<uint64_t>(pixels), MaxPixelsFromData(codes.size()));
    EXPECT_LT(MaxPixelsFromData(100), 100'000u);
}

TEST(LzwDecoder, ReuseNeverLeaksAnEarlierImage) {
    LzwDecoder decoder;
    std::mt19937 random(7);
    std::vector<std::pair<int, int>> noise = {{256, 9}};
    for (int i = 0; i < 200; ++i) noise.push_back({static_cast<int>(random() % 256), 9});
    decoder.Decode(PackCodes(noise), 8, 200);
    const LzwResult result = decoder.Decode(PackCodes({{4, 3}, {1, 3}}), 2, 300);
    EXPECT_EQ(result.produced, 1u);
    const auto out = Decoded(decoder);
    EXPECT_EQ(out[0], 1);
    EXPECT_EQ(std::count(out.begin(), out.end(), 0), 299);
}

TEST(LzwDecoder, SubBlocksOfAnySizeReadLikeOneJoinedStream) {
    std::mt19937 random(5);
    std::vector<std::pair<int, int>> codes = {{256, 9}};
    for (int i = 0; i < 250; ++i) codes.push_back({static_cast<int>(random() % 256), 9});
    const Bytes joined = PackCodes(codes);
    LzwDecoder joinedDecoder;
    joinedDecoder.Decode(joined, 8, 250);

    // Sub-blocks of 1, 2, 3, ... bytes, then the terminator and trailing bytes
    // that must not be read as codes.
    Bytes chain;
    std::size_t pos = 0;
    for (std::size_t size = 1; pos < joined.size(); ++size) {
        const std::size_t n = std::min(size, joined.size() - pos);
        chain.push_back(static_cast<uint8_t>(n));
        chain.insert(chain.end(), joined.begin() + static_cast<std::ptrdiff_t>(pos),
                     joined.begin() + static_cast<std::ptrdiff_t>(pos + n));
        pos += n;
    }
    chain.insert(chain.end(), {0x00, 0x3B, 0xFF, 0xFF});
    LzwDecoder chainDecoder;
    const LzwResult result = chainDecoder.DecodeSubBlocks(chain, 8, 300);
    EXPECT_EQ(result.status, LzwStatus::DataEnded);
    EXPECT_EQ(result.produced, 250u);
    const auto out = Decoded(chainDecoder);
    EXPECT_TRUE(std::equal(joinedDecoder.Pixels().begin(), joinedDecoder.Pixels().end(), out.begin()));
    EXPECT_EQ(std::count(out.begin() + 250, out.end(), 0), 50);

    // A chain cut inside a sub-block decodes what is there.
    chain.resize(40);
    EXPECT_EQ(chainDecoder.DecodeSubBlocks(chain, 8, 300).status, LzwStatus::DataEnded);
}

TEST(LzwDecoder, RootsStayRightWhenTheCodeSizeChangesBetweenImages) {
    LzwDecoder decoder;
    EXPECT_EQ(decoder.Decode(testing::RootStream(8, {9, 8}), 8, 2).status, LzwStatus::Complete);
    // Size 2 defines entries 6, 7, ... as strings of this image.
    EXPECT_EQ(decoder.Decode(PackCodes({{4, 3}, {1, 3}, {6, 3}, {6, 3}, {2, 4}}), 2, 6).status, LzwStatus::Complete);
    // Size 8 reads codes 4 .. 255 as roots again, and 256 / 257 as Clear / End.
    std::vector<int> all(256);
    for (int i = 0; i < 256; ++i) all[static_cast<std::size_t>(i)] = 255 - i;
    ASSERT_EQ(decoder.Decode(testing::RootStream(8, all), 8, 257).status, LzwStatus::EndedEarly);
    const auto out = Decoded(decoder);
    EXPECT_TRUE(std::equal(all.begin(), all.end(), out.begin()));
    // Back to size 2: 4 and 5 are Clear and End once more.
    const LzwResult result = decoder.Decode(PackCodes({{4, 3}, {3, 3}, {4, 3}, {2, 3}, {5, 3}}), 2, 3);
    EXPECT_EQ(result.status, LzwStatus::EndedEarly);
    EXPECT_EQ(Decoded(decoder), (std::vector<uint8_t>{3, 2, 0}));
}

TEST(LzwDecoder, EveryImageLengthEndsOnItsLastPixel) {
    // Long strings (few colours) ending at, short of and across the image's
    // end, for every length up to a few copy chunks past the longest string.
    std::mt19937 random(11);
    LzwDecoder decoder;
    LzwEncoder encoder;
    for (int32_t length = 1; length <= 400; ++length) {
        std::vector<uint8_t> pixels(static_cast<std::size_t>(length));
        for (uint8_t& p : pixels) p = static_cast<uint8_t>(random() % 100 < 90 ? 7 : random() % 3);
        Bytes chain;
        encoder.Encode(pixels.data(), length, length, 1, chain);
        chain.push_back(0);
        ASSERT_EQ(decoder.DecodeSubBlocks(chain, 8, pixels.size()).status, LzwStatus::Complete) << length;
        ASSERT_EQ(Decoded(decoder), pixels) << length;
        for (std::size_t shorter : {std::size_t{1}, std::size_t{17}}) {
            if (shorter >= pixels.size()) continue;
            const std::size_t count = pixels.size() - shorter;
            ASSERT_EQ(decoder.DecodeSubBlocks(chain, 8, count).status, LzwStatus::Complete);
            ASSERT_TRUE(std::equal(pixels.begin(), pixels.begin() + static_cast<std::ptrdiff_t>(count),
                                   decoder.Pixels().begin()))
                << length << " cut by " << shorter;
        }
    }
}

// ------------------------------------------------------------ frame decoding

TEST(FrameDecoder, WritesTopDownOrBottomUpAndDeInterlaces) {
    // 1 x 8 interlaced column whose stream order is rows 0, 4, 2, 6, 1, 3, 5, 7.
    GifBuilder gif(8);
    const Bytes codes = PackCodes({{8, 4}, {0, 4}, {4, 4}, {2, 4}, {6, 4}, {1, 4}, {3, 4}, {5, 4}, {7, 5}});
    gif.Image(0, 0, 1, 8, 0, true, 3, &codes).Trailer();
    const Bytes& bytes = gif.Get();
    const GifIndex index = IndexGif(bytes);
    ASSERT_EQ(index.frames.size(), 1u);

    FrameDecoder decoder;
    uint8_t topDown[8];
    EXPECT_EQ(decoder.Decode(bytes, index, 0, topDown, 1), FrameDecode::Complete);
    EXPECT_EQ(std::vector<uint8_t>(topDown, topDown + 8), (std::vector<uint8_t>{0, 1, 2, 3, 4, 5, 6, 7}));

    uint8_t bottomUp[8];
    EXPECT_EQ(decoder.Decode(bytes, index, 0, bottomUp + 7, -1), FrameDecode::Complete);
    EXPECT_EQ(std::vector<uint8_t>(bottomUp, bottomUp + 8), (std::vector<uint8_t>{7, 6, 5, 4, 3, 2, 1, 0}));
}

TEST(FrameDecoder, InterlacedFrameCutShortKeepsTheRowsItReached) {
    GifBuilder gif(8);
    const Bytes codes = PackCodes({{8, 4}, {1, 4}, {2, 4}});
    gif.Image(0, 0, 1, 8, 0, true, 3, &codes).Trailer();
    const GifIndex index = IndexGif(gif.Get());
    FrameDecoder decoder;
    uint8_t rows[8];
    std::memset(rows, 0xAA, sizeof rows);
    EXPECT_EQ(decoder.Decode(gif.Get(), index, 0, rows, 1), FrameDecode::Partial);
    EXPECT_EQ(std::vector<uint8_t>(rows, rows + 8), (std::vector<uint8_t>{1, 0, 0, 0, 2, 0, 0, 0}));
}

TEST(FrameDecoder, UndecodableFrameIsAllZero) {
    GifBuilder gif(4);
    const Bytes codes = PackCodes({{4, 3}, {1, 3}, {5, 3}});
    gif.Image(0, 0, 2, 2, 0, false, 0, &codes).Trailer();
    const GifIndex index = IndexGif(gif.Get());
    FrameDecoder decoder;
    uint8_t area[4] = {9, 9, 9, 9};
    EXPECT_EQ(decoder.Decode(gif.Get(), index, 0, area, 2), FrameDecode::Undecodable);
    EXPECT_EQ(std::vector<uint8_t>(area, area + 4), (std::vector<uint8_t>(4, 0)));
}

TEST(FrameDecoder, TransparentPixelsKeepTheirIndex) {
    GifBuilder gif(4);
    const Bytes codes = PackCodes({{4, 3}, {3, 3}, {1, 3}, {5, 3}});
    gif.Gce(Disposal::Unspecified, 0, true, 3).Image(0, 0, 2, 1, 0, false, 2, &codes).Trailer();
    FrameStrip strip;
    ASSERT_EQ(DecodeFrameStrip(gif.Get(), IndexGif(gif.Get()), strip), StripStatus::Ok);
    EXPECT_EQ(testing::ToBytes(strip.Pixels()), (std::vector<uint8_t>{3, 1}));
}

// ------------------------------------------------------------ frame strip

TEST(FrameStrip, FramesSitSideBySideAndShorterFramesLeaveZeroBelow) {
    GifBuilder gif(4);
    const Bytes twoByTwo = PackCodes({{4, 3}, {1, 3}, {2, 3}, {3, 3}, {1, 4}, {5, 4}});
    const Bytes oneByThree = PackCodes({{4, 3}, {3, 3}, {3, 3}, {3, 3}, {5, 3}});
    gif.Image(5, 5, 2, 2, 0, false, 2, &twoByTwo)
        .Image(0, 0, 0, 9)  // zero width: takes no columns
        .Image(0, 0, 1, 3, 0, false, 2, &oneByThree)
        .Trailer();
    const GifIndex index = IndexGif(gif.Get());
    FrameStrip strip;
    ASSERT_EQ(DecodeFrameStrip(gif.Get(), index, strip), StripStatus::Ok);
    EXPECT_EQ(strip.layout.width, 3);
    EXPECT_EQ(strip.layout.height, 9);
    EXPECT_EQ(strip.layout.offsets, (std::vector<int64_t>{0, 2, 2}));
    const Bytes pixels = testing::ToBytes(strip.Pixels());
    EXPECT_EQ((std::vector<uint8_t>(pixels.begin(), pixels.begin() + 12)),
              (std::vector<uint8_t>{1, 2, 3, 3, 1, 3, 0, 0, 3, 0, 0, 0}));
    EXPECT_EQ(std::count(pixels.begin() + 12, pixels.end(), 0), 15);
    EXPECT_EQ(strip.results,
              (std::vector<FrameDecode>{FrameDecode::Complete, FrameDecode::Complete, FrameDecode::Complete}));
}

TEST(FrameStrip, EveryOrderOfFrameHeightsLeavesZeroBelowEachFrame) {
    // Heights up and down, equal neighbours, a zero-width frame between two
    // shorter ones; frame k's pixels are all k + 1.
    const int32_t widths[] = {2, 3, 0, 1, 2, 4, 1};
    const int32_t heights[] = {3, 1, 6, 4, 1, 7, 3};
    GifBuilder gif(16);
    std::vector<Bytes> streams;
    for (int k = 0; k < 7; ++k) {
        const std::size_t area = static_cast<std::size_t>(widths[k] * heights[k]);
        streams.push_back(testing::RootStream(4, std::vector<int>(area, k + 1)));
    }
    for (int k = 0; k < 7; ++k) {
        gif.Image(0, 0, static_cast<uint16_t>(widths[k]), static_cast<uint16_t>(heights[k]), 0, false, 4,
                  &streams[static_cast<std::size_t>(k)]);
    }
    gif.Trailer();
    const GifIndex index = IndexGif(gif.Get());
    FrameStrip strip;
    ASSERT_EQ(DecodeFrameStrip(gif.Get(), index, strip), StripStatus::Ok);
    ASSERT_EQ(strip.layout.width, 13);
    ASSERT_EQ(strip.layout.height, 7);
    std::vector<uint8_t> expected;
    for (int32_t y = 0; y < 7; ++y) {
        for (int k = 0; k < 7; ++k) {
            for (int32_t x = 0; x < widths[k]; ++x)
                expected.push_back(y < heights[k] ? static_cast<uint8_t>(k + 1) : 0);
        }
    }
    EXPECT_EQ(testing::ToBytes(strip.Pixels()), expected);
}

TEST(FrameStrip, FramesOfZeroSizeNeedNoPixels) {
    GifBuilder gif(4);
    gif.Image(3, 3, 0, 0).Image(0, 0, 7, 0).Trailer();
    const GifIndex index = IndexGif(gif.Get());
    ASSERT_EQ(index.frames.size(), 2u);
    FrameStrip strip;
    EXPECT_EQ(DecodeFrameStrip(gif.Get(), index, strip), StripStatus::Ok);
    EXPECT_EQ(strip.layout.Pixels(), 0u);
    EXPECT_TRUE(strip.Pixels().empty());
}

TEST(FrameStrip, HugeDeclaredSizesInATinyFileAreRefused) {
    GifBuilder gif(4);
    gif.Image(0, 0, 65535, 65535).Trailer();
    ASSERT_LT(gif.Size(), 100u);
    const GifIndex index = IndexGif(gif.Get());
    ASSERT_EQ(index.frames.size(), 1u);
    EXPECT_FALSE(StripIsPlausible(index, PlanFrameStrip(index)));
    FrameStrip strip;
    EXPECT_EQ(DecodeFrameStrip(gif.Get(), index, strip), StripStatus::TooLarge);
    EXPECT_TRUE(strip.Pixels().empty());

    // Many frames of the largest width add up past any plausible strip too.
    GifBuilder wide(4);
    for (int i = 0; i < 2000; ++i) wide.Image(0, 0, 65535, i == 0 ? 2 : 1);
    wide.Trailer();
    const GifIndex wideIndex = IndexGif(wide.Get());
    EXPECT_EQ(DecodeFrameStrip(wide.Get(), wideIndex, strip), StripStatus::TooLarge);
}

TEST(FrameStrip, FrameLargerThanItsDataDecodesWhatTheDataHolds) {
    // 300 x 300 with a single pixel of data: plausible thanks to the other
    // frame's data, the first frame is mostly zero.
    GifBuilder gif(4);
    const Bytes many = testing::RootStream(2, std::vector<int>(2000, 1));
    gif.Image(0, 0, 300, 300).Image(0, 0, 100, 20, 0, false, 2, &many).Trailer();
    const GifIndex index = IndexGif(gif.Get());
    FrameStrip strip;
    ASSERT_EQ(DecodeFrameStrip(gif.Get(), index, strip), StripStatus::Ok);
    EXPECT_EQ(strip.results[0], FrameDecode::Partial);
    EXPECT_EQ(strip.At(0, 0, 0), 1);
    EXPECT_EQ(strip.At(0, 1, 0), 0);
    EXPECT_EQ(strip.At(0, 299, 299), 0);
    EXPECT_EQ(strip.results[1], FrameDecode::Complete);
    EXPECT_EQ(strip.At(1, 99, 19), 1);
}

TEST(FrameStrip, FileWithoutFramesHasNoStrip) {
    GifBuilder gif(4);
    gif.Trailer();
    FrameStrip strip;
    EXPECT_EQ(DecodeFrameStrip(gif.Get(), IndexGif(gif.Get()), strip), StripStatus::NoFrames);
}

TEST(FrameStrip, TruncationAtEveryByteDecodesTheKeptFramesUnchanged) {
    const Bytes full = testing::ReadTestFile("small_animation.gif");
    const GifIndex wholeIndex = IndexGif(full);
    FrameStrip whole;
    ASSERT_EQ(DecodeFrameStrip(full, wholeIndex, whole), StripStatus::Ok);
    for (std::size_t cut = 0; cut <= full.size(); ++cut) {
        const Bytes part(full.begin(), full.begin() + static_cast<std::ptrdiff_t>(cut));
        const GifIndex index = IndexGif(part);
        FrameStrip strip;
        const StripStatus status = DecodeFrameStrip(part, index, strip);
        if (index.frames.empty()) {
            EXPECT_EQ(status, StripStatus::NoFrames);
            continue;
        }
        ASSERT_EQ(status, StripStatus::Ok) << cut;
        for (std::size_t k = 0; k < index.frames.size(); ++k) {
            for (int y = 0; y < index.frames[k].height; ++y) {
                for (int x = 0; x < index.frames[k].width; ++x) {
                    ASSERT_EQ(strip.At(k, x, y), whole.At(k, x, y)) << "cut " << cut << " frame " << k;
                }
            }
        }
    }
}

}  // namespace
}  // namespace vx::gif
