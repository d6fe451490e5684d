// The BMP files the crest workflow writes: exact layout at every depth,
// colour tables that keep the crest's colours, and files that another
// program decodes to the same pixels.
#include "bmp/bmp_file.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <stdexcept>
#include <vector>

#include "base/run_time_error.h"
#include "support/test_files.h"

namespace vx::bmp {
namespace {

using vx::test::ReadFileBytes;
using vx::test::TempFolder;

std::uint32_t Le32(const std::vector<std::uint8_t>& b, std::size_t at) {
    return b[at] | (b[at + 1] << 8) | (b[at + 2] << 16) | (static_cast<std::uint32_t>(b[at + 3]) << 24);
}
std::uint32_t Le16(const std::vector<std::uint8_t>& b, std::size_t at) { return b[at] | (b[at + 1] << 8); }

// A picture whose colours depend on the position, with `colors` distinct ones.
BgraImage Picture(int width, int height, int colors) {
    BgraImage picture(width, height);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            const unsigned n = static_cast<unsigned>((x * 7 + y * 13) % colors);
            picture.SetColor(x, y, MakeColorref(n * 37 % 256, n * 101 % 256, 255 - n));
        }
    return picture;
}

struct Layout {
    std::uint32_t fileSize, pixelOffset, width, height, planes, depth, compression, imageSize, colorsUsed,
        colorsImportant;
};

Layout LayoutOf(const std::vector<std::uint8_t>& b) {
    EXPECT_EQ(b[0], 'B');
    EXPECT_EQ(b[1], 'M');
    EXPECT_EQ(Le32(b, 6), 0u);    // reserved words
    EXPECT_EQ(Le32(b, 14), 40u);  // information header size
    EXPECT_EQ(Le32(b, 38), 0u);   // resolutions
    EXPECT_EQ(Le32(b, 42), 0u);
    return {Le32(b, 2),  Le32(b, 10), Le32(b, 18), Le32(b, 22), Le16(b, 26),
            Le16(b, 28), Le32(b, 30), Le32(b, 34), Le32(b, 46), Le32(b, 50)};
}

// Colour of pixel (x, y) (top row 0) of an indexed file, read through its table.
std::uint32_t IndexedColor(const std::vector<std::uint8_t>& b, int x, int y) {
    const Layout l = LayoutOf(b);
    const std::uint32_t stride = l.imageSize / l.height;
    const std::size_t row = l.pixelOffset + stride * (l.height - 1 - static_cast<std::uint32_t>(y));
    const int bit = x * static_cast<int>(l.depth);
    const unsigned index = (b[row + bit / 8] >> (8 - l.depth - bit % 8)) & ((1u << l.depth) - 1);
    const std::size_t entry = 54 + 4 * index;
    return MakeColorref(b[entry + 2], b[entry + 1], b[entry]);
}

void ExpectIndexedPicture(const std::vector<std::uint8_t>& b, const BgraImage& picture) {
    for (int y = 0; y < picture.Height(); ++y)
        for (int x = 0; x < picture.Width(); ++x)
            ASSERT_EQ(IndexedColor(b, x, y), picture.ColorAt(x, y)) << x << "," << y;
}

TEST(BmpFileTest, ClanCrestIs1270BytesWithItsOwnColours) {
    const BgraImage crest = Picture(16, 12, 192);
    const auto b = EncodeBmpFile(crest.View(), 8);
    ASSERT_EQ(b.size(), 1270u);
    const Layout l = LayoutOf(b);
    EXPECT_EQ(l.fileSize, 1270u);
    EXPECT_EQ(l.pixelOffset, 1078u);
    EXPECT_EQ(l.width, 16u);
    EXPECT_EQ(l.height, 12u);
    EXPECT_EQ(l.planes, 1u);
    EXPECT_EQ(l.depth, 8u);
    EXPECT_EQ(l.compression, 0u);
    EXPECT_EQ(l.imageSize, 192u);
    EXPECT_EQ(l.colorsUsed, 256u);
    EXPECT_EQ(l.colorsImportant, 256u);
    ExpectIndexedPicture(b, crest);
}

TEST(BmpFileTest, AllyCrestIs1174Bytes) {
    const BgraImage crest = Picture(8, 12, 96);
    const auto b = EncodeBmpFile(crest.View(), 8);
    ASSERT_EQ(b.size(), 1174u);
    EXPECT_EQ(LayoutOf(b).pixelOffset, 1078u);
    EXPECT_EQ(LayoutOf(b).imageSize, 96u);
    ExpectIndexedPicture(b, crest);
}

TEST(BmpFileTest, RowsArePaddedToFourBytes) {
    const BgraImage picture = Picture(5, 3, 15);
    const auto b = EncodeBmpFile(picture.View(), 8);
    ASSERT_EQ(b.size(), 1102u);
    EXPECT_EQ(LayoutOf(b).imageSize, 24u);
    ExpectIndexedPicture(b, picture);
    for (int row = 0; row < 3; ++row)
        for (int pad = 5; pad < 8; ++pad) EXPECT_EQ(b[1078 + 8 * row + pad], 0) << row;
}

TEST(BmpFileTest, TrueColourDepthsCarryOneZeroTableEntry) {
    const BgraImage crest = Picture(16, 12, 192);
    const auto b24 = EncodeBmpFile(crest.View(), 24);
    ASSERT_EQ(b24.size(), 634u);
    Layout l = LayoutOf(b24);
    EXPECT_EQ(l.pixelOffset, 58u);
    EXPECT_EQ(l.imageSize, 576u);
    EXPECT_EQ(l.colorsUsed, 0u);
    EXPECT_EQ(l.colorsImportant, 0u);
    EXPECT_EQ(Le32(b24, 54), 0u);
    // Bottom row first, blue green red.
    for (int y = 0; y < 12; ++y)
        for (int x = 0; x < 16; ++x) {
            const std::size_t at = 58 + 48 * (11 - y) + 3 * x;
            ASSERT_EQ(MakeColorref(b24[at + 2], b24[at + 1], b24[at]), crest.ColorAt(x, y));
        }

    const auto b32 = EncodeBmpFile(crest.View(), 32);
    ASSERT_EQ(b32.size(), 58u + 768u);
    l = LayoutOf(b32);
    EXPECT_EQ(l.depth, 32u);
    EXPECT_EQ(l.imageSize, 768u);
    for (int y = 0; y < 12; ++y)
        for (int x = 0; x < 16; ++x) {
            const std::size_t at = 58 + 64 * (11 - y) + 4 * x;
            ASSERT_EQ(MakeColorref(b32[at + 2], b32[at + 1], b32[at]), crest.ColorAt(x, y));
            ASSERT_EQ(b32[at + 3], 0);
        }
}

TEST(BmpFileTest, SixteenBitsKeepTheTopFiveBitsOfEachChannel) {
    BgraImage picture(5, 3);
    picture.Fill(MakeColorref(0xFF, 0x0F, 0x88));
    picture.SetColor(0, 0, MakeColorref(0x08, 0x10, 0x18));
    const auto b = EncodeBmpFile(picture.View(), 16);
    const Layout l = LayoutOf(b);
    EXPECT_EQ(l.pixelOffset, 58u);
    EXPECT_EQ(l.imageSize, 36u);  // 10 bytes of pixels padded to 12, three rows
    ASSERT_EQ(b.size(), 94u);
    EXPECT_EQ(Le16(b, 58 + 2 * 12), (1u << 10) | (2u << 5) | 3u);  // top-left pixel, last row in the file
    EXPECT_EQ(Le16(b, 58 + 2), (31u << 10) | (1u << 5) | 17u);
    EXPECT_EQ(Le16(b, 58 + 10), 0u);  // padding
}

TEST(BmpFileTest, FourAndOneBitPixelsArePackedFromTheHighBits) {
    const BgraImage sixteen = Picture(5, 3, 16);
    const auto b4 = EncodeBmpFile(sixteen.View(), 4);
    ASSERT_EQ(b4.size(), 54u + 64u + 12u);
    EXPECT_EQ(LayoutOf(b4).colorsUsed, 16u);
    EXPECT_EQ(LayoutOf(b4).imageSize, 12u);
    ExpectIndexedPicture(b4, sixteen);

    BgraImage two(9, 2);
    two.Fill(MakeColorref(0, 0, 0));
    two.SetColor(0, 0, MakeColorref(255, 255, 255));
    two.SetColor(8, 0, MakeColorref(255, 255, 255));
    two.SetColor(3, 1, MakeColorref(255, 255, 255));
    const auto b1 = EncodeBmpFile(two.View(), 1);
    ASSERT_EQ(b1.size(), 54u + 8u + 8u);
    EXPECT_EQ(LayoutOf(b1).colorsUsed, 2u);
    EXPECT_EQ(LayoutOf(b1).imageSize, 8u);
    ExpectIndexedPicture(b1, two);
    // Table black, white; top row is the file's last row: 1000 0000 1000 0000.
    EXPECT_EQ(b1[62 + 4], 0x80);
    EXPECT_EQ(b1[62 + 5], 0x80);
    EXPECT_EQ(b1[62 + 0], 0x10);
}

TEST(BmpFileTest, FullPaletteReplacesTheTableWithRedAndBlueSwapped) {
    std::vector<std::int32_t> palette(256);
    for (int i = 0; i < 256; ++i)
        palette[static_cast<std::size_t>(i)] = static_cast<std::int32_t>(MakeColorref(i, 255 - i, i / 2));
    palette[0] = 0x000000FF;  // pure red
    BgraImage picture(4, 1);
    picture.SetColor(0, 0, MakeColorref(255, 0, 0));
    picture.SetColor(1, 0, MakeColorref(10, 245, 5));
    picture.SetColor(2, 0, MakeColorref(11, 244, 6));  // not in the palette: nearest is entry 11
    picture.SetColor(3, 0, MakeColorref(200, 55, 100));
    const auto b = EncodeBmpFile(picture.View(), 8, palette);
    ASSERT_EQ(b.size(), 1078u + 4u);
    EXPECT_EQ(std::vector<std::uint8_t>(b.begin() + 54, b.begin() + 58), (std::vector<std::uint8_t>{0, 0, 255, 0}));
    for (int i = 1; i < 256; ++i) {
        const std::size_t at = 54 + 4 * static_cast<std::size_t>(i);
        ASSERT_EQ(MakeColorref(b[at + 2], b[at + 1], b[at]),
                  static_cast<std::uint32_t>(palette[static_cast<std::size_t>(i)]));
        ASSERT_EQ(b[at + 3], 0);
    }
    EXPECT_EQ(b[1078], 0);
    EXPECT_EQ(b[1079], 10);
    EXPECT_EQ(b[1080], 11);
    EXPECT_EQ(b[1081], 200);
}

TEST(BmpFileTest, PaletteOfAnotherSizeIsIgnored) {
    const BgraImage crest = Picture(16, 12, 192);
    const std::vector<std::int32_t> two{0, 1};  // what the crest workflow passes
    EXPECT_EQ(EncodeBmpFile(crest.View(), 8, two), EncodeBmpFile(crest.View(), 8));
    const std::vector<std::int32_t> twoColours{0x00FFFFFF, 0x000000FF};
    const auto b1 = EncodeBmpFile(Picture(3, 2, 5).View(), 1, twoColours);
    EXPECT_EQ(Le32(b1, 54), 0x00FFFFFFu);
    EXPECT_EQ(Le32(b1, 58), 0x00FF0000u);
}

TEST(BmpFileTest, ColorToRGBQuadSwapsRedAndBlueAndDropsTheTopByte) {
    EXPECT_EQ(ColorToRGBQuad(0x000000FF), 0x00FF0000);
    EXPECT_EQ(ColorToRGBQuad(0x00FF0000), 0x000000FF);
    EXPECT_EQ(ColorToRGBQuad(0x00123456), 0x00563412);
    EXPECT_EQ(ColorToRGBQuad(static_cast<std::int32_t>(0x80C0C000u)), 0x0000C0C0);
}

TEST(BmpFileTest, OnlyTheSixDepthsAreAccepted) {
    for (int depth : {1, 4, 8, 16, 24, 32}) EXPECT_TRUE(IsAcceptedDepth(depth)) << depth;
    const BgraImage picture = Picture(2, 2, 4);
    for (int depth : {0, 2, 3, 7, 15, 48, -8}) {
        EXPECT_FALSE(IsAcceptedDepth(depth)) << depth;
        EXPECT_THROW(EncodeBmpFile(picture.View(), depth), std::invalid_argument) << depth;
    }
}

TEST(BmpFileTest, FileTooLargeForItsSizeFieldsIsAnOverflow) {
    std::vector<std::uint8_t> row(4 * 50000);
    try {
        EncodeBmpFile(ConstBgraView{row.data(), 50000, 50000, 4 * 50000}, 24);
        FAIL() << "no error";
    } catch (const RunTimeError& e) {
        EXPECT_EQ(e.Number(), kErrOverflow);
        EXPECT_EQ(e.Source(), "ColorDepth");
    }
}

TEST(BmpFileTest, WriteBmpFileWritesTheBytesAndReportsTheLength) {
    TempFolder folder;
    const BgraImage crest = Picture(16, 12, 192);
    folder.Write("clan.bmp", std::vector<std::uint8_t>(4000, 0xEE));
    EXPECT_EQ(WriteBmpFile(folder / "clan.bmp", crest.View(), 8), 1270);
    EXPECT_EQ(ReadFileBytes(folder / "clan.bmp"), EncodeBmpFile(crest.View(), 8));
    EXPECT_EQ(folder.Entries(), std::vector<std::string>{"clan.bmp"});

    try {
        WriteBmpFile(folder / "missing" / "clan.bmp", crest.View(), 8);
        FAIL() << "no error";
    } catch (const RunTimeError& e) {
        EXPECT_EQ(e.Number(), kErrPathNotFound);
        EXPECT_EQ(e.Description(), "Path not found");
    }
}

TEST(BmpFileTest, SaveReportsTheLengthOrTheWritersMessage) {
    TempFolder folder;
    const BgraImage crest = Picture(16, 12, 192);
    SaveOutcome saved = SavePixelsAtDepth(folder / "clan.bmp", crest.View(), 8);
    EXPECT_EQ(saved.result, 1270);
    EXPECT_EQ(saved.failureText, "");

    saved = SavePixelsAtDepth(folder / "other.bmp", crest.View(), 2);
    EXPECT_EQ(saved.result, -1);
    EXPECT_EQ(saved.failureText, "Error!\r\nDieses Bildformat wird nicht unterst\u00fctzt!");

    saved = SavePixelsAtDepth(folder / "missing" / "clan.bmp", crest.View(), 8);
    EXPECT_EQ(saved.result, 0);
    EXPECT_EQ(saved.failureText, "Fehler!\r\nPath not found");

    EXPECT_EQ(folder.Entries(), std::vector<std::string>{"clan.bmp"});
}

#ifndef _WIN32
// Another program's decoder must see the same pixels.
TEST(BmpFileTest, AnIndependentDecoderReadsTheSamePixels) {
    if (std::system("/usr/bin/python3 -c 'import PIL' >/dev/null 2>&1") != 0)
        GTEST_SKIP() << "no Python imaging library";
    TempFolder folder;
    struct Case {
        int depth;
        int colors;
    };
    for (const Case c : {Case{1, 2}, Case{4, 16}, Case{8, 192}, Case{16, 192}, Case{24, 500}, Case{32, 500}}) {
        SCOPED_TRACE(c.depth);
        const BgraImage picture = Picture(23, 17, c.colors);
        const auto file = folder / ("d" + std::to_string(c.depth) + ".bmp");
        WriteBmpFile(file, picture.View(), c.depth);
        const auto dump = folder / "pixels.txt";
        const std::string command =
            "/usr/bin/python3 -c \"import sys; from PIL import Image; "
            "im = Image.open(sys.argv[1]).convert('RGB'); "
            "print(' '.join('%d,%d,%d' % p for p in im.getdata()))\" '" +
            file.string() + "' > '" + dump.string() + "'";
        ASSERT_EQ(std::system(command.c_str()), 0);
        std::ifstream in(dump);
        for (int y = 0; y < 17; ++y)
            for (int x = 0; x < 23; ++x) {
                std::string item;
                in >> item;
                unsigned r, g, b;
                ASSERT_EQ(std::sscanf(item.c_str(), "%u,%u,%u", &r, &g, &b), 3);
                const Colorref expected = picture.ColorAt(x, y);
                if (c.depth == 16) {
                    ASSERT_EQ(MakeColorref(r >> 3, g >> 3, b >> 3),
                              MakeColorref(RedOf(expected) >> 3, GreenOf(expected) >> 3, BlueOf(expected) >> 3));
                } else {
                    ASSERT_EQ(MakeColorref(r, g, b), expected) << x << "," << y;
                }
            }
    }
}
#endif

}  // namespace
}  // namespace vx::bmp
