// The clipboard's bitmaps: what each depth and header gives, and hostile
// headers refused before a pixel is read.
#include "imaging/packed_dib.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <vector>

namespace vx {
namespace {

// A packed DIB: header of `headerSize` bytes, then `extra` (masks, colour
// table) and `rows` as given.
std::vector<std::uint8_t> Dib(std::uint32_t headerSize, std::int32_t width, std::int32_t height, int bitCount,
                              std::uint32_t compression, std::uint32_t coloursUsed,
                              const std::vector<std::uint8_t>& extra, const std::vector<std::uint8_t>& rows,
                              const std::vector<std::uint32_t>& headerMasks = {}) {
    std::vector<std::uint8_t> dib(std::max<std::uint32_t>(headerSize, 40), 0);
    auto put = [&](std::size_t at, std::uint32_t value) {
        for (int i = 0; i < 4; ++i) dib[at + i] = static_cast<std::uint8_t>(value >> (8 * i));
    };
    put(0, headerSize);
    put(4, static_cast<std::uint32_t>(width));
    put(8, static_cast<std::uint32_t>(height));
    dib[12] = 1;
    dib[14] = static_cast<std::uint8_t>(bitCount);
    put(16, compression);
    put(32, coloursUsed);
    for (std::size_t i = 0; i < headerMasks.size(); ++i) put(40 + 4 * i, headerMasks[i]);
    dib.insert(dib.end(), extra.begin(), extra.end());
    dib.insert(dib.end(), rows.begin(), rows.end());
    return dib;
}

TEST(PackedDib, EachDepthGivesItsColours) {
    BgraImage picture(3, 2);
    for (int y = 0; y < 2; ++y)
        for (int x = 0; x < 3; ++x) picture.SetColor(x, y, MakeColorref(x * 80, y * 90, 7));
    const DibPicture round = ReadPackedDib(PackDib24(picture.View()));
    ASSERT_EQ(round.status, DibStatus::Loaded) << round.problem;
    EXPECT_EQ(round.pixels.Bytes(), picture.Bytes());

    // 8-bit, top-down, two colours used; index 5 lies beyond the table.
    const DibPicture indexed = ReadPackedDib(Dib(40, 3, -1, 8, 0, 2, {10, 20, 30, 0, 40, 50, 60, 0}, {1, 0, 5, 0}));
    ASSERT_EQ(indexed.status, DibStatus::Loaded) << indexed.problem;
    EXPECT_EQ(indexed.pixels.ColorAt(0, 0), MakeColorref(60, 50, 40));
    EXPECT_EQ(indexed.pixels.ColorAt(1, 0), MakeColorref(30, 20, 10));
    EXPECT_EQ(indexed.pixels.ColorAt(2, 0), MakeColorref(0, 0, 0));

    // 1-bit: the leftmost pixel is the top bit.
    const DibPicture mono = ReadPackedDib(Dib(40, 2, 1, 1, 0, 0, {0, 0, 0, 0, 255, 255, 255, 0}, {0x40, 0, 0, 0}));
    ASSERT_EQ(mono.status, DibStatus::Loaded);
    EXPECT_EQ(mono.pixels.ColorAt(0, 0), MakeColorref(0, 0, 0));
    EXPECT_EQ(mono.pixels.ColorAt(1, 0), MakeColorref(255, 255, 255));

    // 16-bit 5-6-5 masks after a 40-byte header: pure red and full green.
    const DibPicture masked = ReadPackedDib(
        Dib(40, 2, 1, 16, 3, 0, {0x00, 0xF8, 0, 0, 0xE0, 0x07, 0, 0, 0x1F, 0, 0, 0}, {0x00, 0xF8, 0xE0, 0x07}));
    ASSERT_EQ(masked.status, DibStatus::Loaded) << masked.problem;
    EXPECT_EQ(masked.pixels.ColorAt(0, 0), MakeColorref(255, 0, 0));
    EXPECT_EQ(masked.pixels.ColorAt(1, 0), MakeColorref(0, 255, 0));
}

TEST(PackedDib, AlphaComesOnlyFromAHeaderWithAnAlphaMask) {
    const std::vector<std::uint32_t> v5Masks = {0x00FF0000, 0x0000FF00, 0x000000FF, 0xFF000000};
    const std::vector<std::uint8_t> rows = {1, 2, 3, 0, 4, 5, 6, 128};
    const DibPicture v5 = ReadPackedDib(Dib(124, 2, 1, 32, 3, 0, {}, rows, v5Masks));
    ASSERT_EQ(v5.status, DibStatus::Loaded) << v5.problem;
    EXPECT_EQ(v5.pixels.Row(0)[3], 0);
    EXPECT_EQ(v5.pixels.Row(0)[7], 128);
    EXPECT_EQ(v5.pixels.ColorAt(1, 0), MakeColorref(6, 5, 4));
    // A plain 32-bit bitmap's fourth byte is not alpha; nor is an alpha mask
    // over nothing but zeros.
    EXPECT_EQ(ReadPackedDib(Dib(40, 2, 1, 32, 0, 0, {}, rows)).pixels.Row(0)[3], 255);
    const DibPicture zero = ReadPackedDib(Dib(124, 1, 1, 32, 3, 0, {}, {1, 2, 3, 0}, v5Masks));
    EXPECT_EQ(zero.pixels.Row(0)[3], 255);
}

TEST(PackedDib, HostileHeadersAreRefusedBeforeAnyPixel) {
    const std::vector<std::uint8_t> valid = Dib(40, 3, 2, 8, 0, 1, {1, 2, 3, 0}, std::vector<std::uint8_t>(8, 0));
    ASSERT_EQ(ReadPackedDib(valid).status, DibStatus::Loaded);
    // Every cut of a valid bitmap is refused, never read past its end.
    for (std::size_t length = 0; length < valid.size(); ++length)
        EXPECT_NE(ReadPackedDib(std::span(valid).first(length)).status, DibStatus::Loaded) << length;

    const struct {
        std::vector<std::uint8_t> dib;
        DibStatus status;
    } cases[] = {
        {Dib(12, 1, 1, 24, 0, 0, {}, {0, 0, 0, 0}), DibStatus::Unsupported},
        {Dib(40, 0, 1, 24, 0, 0, {}, {0, 0, 0, 0}), DibStatus::Malformed},
        {Dib(40, 1, 1, 7, 0, 0, {}, {0, 0, 0, 0}), DibStatus::Unsupported},
        {Dib(40, 1, 1, 8, 1, 0, {}, {0, 0, 0, 0}), DibStatus::Unsupported},  // run-length compression
        {Dib(40, 1, 1, 4, 0, 17, {}, {0, 0, 0, 0}), DibStatus::Malformed},   // more colours than 4 bits hold
        {Dib(40, 1, 1, 8, 0, 0x40000000, {}, {0, 0, 0, 0}), DibStatus::Malformed},
        {Dib(40, 1, 1, 32, 3, 0, {0xFF, 0, 0xFF, 0, 0, 0xFF, 0, 0, 0, 0, 0, 0xFF}, {0, 0, 0, 0}),
         DibStatus::Malformed},  // a mask with a gap
        {Dib(40, 30000, -30000, 24, 0, 0, {}, {}), DibStatus::TooLarge},
    };
    for (const auto& c : cases) {
        const DibPicture picture = ReadPackedDib(c.dib);
        EXPECT_EQ(picture.status, c.status) << picture.problem;
        EXPECT_FALSE(picture.problem.empty());
        EXPECT_EQ(picture.pixels.Width(), 0);
    }
    EXPECT_NE(ReadPackedDib(Dib(40, 30000, -30000, 24, 0, 0, {}, {})).problem.find("30000 x 30000"), std::string::npos);
}

}  // namespace
}  // namespace vx
