// Colour tables for indexed crest files: exact whenever the picture's
// colours fit, deterministic always, and close to the picture when they
// do not fit.
#include "bmp/color_quantizer.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <set>
#include <stdexcept>

namespace vx::bmp {
namespace {

Colorref ColorOfEntry(const RgbQuad& q) { return MakeColorref(q.red, q.green, q.blue); }

Colorref MappedColor(const IndexedPicture& indexed, int x, int y) {
    const std::uint8_t index = indexed.indices[static_cast<std::size_t>(y * indexed.width + x)];
    EXPECT_LT(index, indexed.colorTable.size());
    return ColorOfEntry(indexed.colorTable[index]);
}

int SquaredDistance(Colorref a, Colorref b) {
    const int dr = static_cast<int>(RedOf(a)) - static_cast<int>(RedOf(b));
    const int dg = static_cast<int>(GreenOf(a)) - static_cast<int>(GreenOf(b));
    const int db = static_cast<int>(BlueOf(a)) - static_cast<int>(BlueOf(b));
    return dr * dr + dg * dg + db * db;
}

BgraImage Distinct(int width, int height, int colors, std::uint32_t salt = 0) {
    BgraImage picture(width, height);
    for (int i = 0; i < width * height; ++i) {
        const std::uint32_t n = (static_cast<std::uint32_t>(i % colors) * 2654435761u + salt) >> 8;
        picture.SetColor(i % width, i / width, Colorref{n & 0xFFFFFF});
    }
    return picture;
}

TEST(ColorQuantizerTest, FewColoursAreKeptExactlyInAscendingOrder) {
    const BgraImage crest = Distinct(16, 12, 150);
    const IndexedPicture indexed = QuantizePicture(crest.View(), 256);
    EXPECT_TRUE(indexed.exact);
    ASSERT_EQ(indexed.colorTable.size(), 256u);
    std::set<std::uint32_t> colours;
    for (int y = 0; y < 12; ++y)
        for (int x = 0; x < 16; ++x) {
            ASSERT_EQ(MappedColor(indexed, x, y), crest.ColorAt(x, y));
            colours.insert(crest.ColorAt(x, y));
        }
    ASSERT_EQ(colours.size(), 150u);
    for (std::size_t k = 1; k < 150; ++k) {
        const auto& a = indexed.colorTable[k - 1];
        const auto& b = indexed.colorTable[k];
        EXPECT_LT((a.red << 16) | (a.green << 8) | a.blue, (b.red << 16) | (b.green << 8) | b.blue);
    }
    for (std::size_t k = 150; k < 256; ++k) EXPECT_EQ(indexed.colorTable[k], RgbQuad{}) << k;
}

TEST(ColorQuantizerTest, ExactAtEveryTableSizeWhenTheColoursFit) {
    for (int entries : {2, 16, 256}) {
        SCOPED_TRACE(entries);
        const BgraImage picture = Distinct(40, 30, entries);
        const IndexedPicture indexed = QuantizePicture(picture.View(), entries);
        EXPECT_TRUE(indexed.exact);
        for (int y = 0; y < 30; ++y)
            for (int x = 0; x < 40; ++x) ASSERT_EQ(MappedColor(indexed, x, y), picture.ColorAt(x, y));
    }
    EXPECT_FALSE(QuantizePicture(Distinct(40, 30, 257).View(), 256).exact);
    EXPECT_FALSE(QuantizePicture(Distinct(40, 30, 3).View(), 2).exact);
}

TEST(ColorQuantizerTest, IgnoresTheFourthByte) {
    BgraImage picture = Distinct(8, 8, 10);
    BgraImage noisy = picture;
    for (std::size_t i = 3; i < noisy.Bytes().size(); i += 4) noisy.Bytes()[i] = static_cast<std::uint8_t>(i);
    const IndexedPicture a = QuantizePicture(picture.View(), 16);
    const IndexedPicture b = QuantizePicture(noisy.View(), 16);
    EXPECT_EQ(a.colorTable, b.colorTable);
    EXPECT_EQ(a.indices, b.indices);
}

TEST(ColorQuantizerTest, SameColoursGiveTheSameTableWhateverTheirPlaces) {
    const BgraImage picture = Distinct(64, 48, 3000, 7);
    BgraImage reversed(64, 48);
    for (int y = 0; y < 48; ++y)
        for (int x = 0; x < 64; ++x) reversed.SetColor(63 - x, 47 - y, picture.ColorAt(x, y));
    const IndexedPicture a = QuantizePicture(picture.View(), 256);
    const IndexedPicture b = QuantizePicture(reversed.View(), 256);
    const IndexedPicture again = QuantizePicture(picture.View(), 256);
    EXPECT_EQ(a.colorTable, b.colorTable);
    EXPECT_EQ(a.colorTable, again.colorTable);
    EXPECT_EQ(a.indices, again.indices);
    for (int y = 0; y < 48; ++y)
        for (int x = 0; x < 64; ++x) ASSERT_EQ(MappedColor(a, x, y), MappedColor(b, 63 - x, 47 - y));
}

TEST(ColorQuantizerTest, TooManyColoursAreMappedToTheNearestEntry) {
    // Few colours (each tried against every entry) and many (looked up in
    // cells of the colour cube) must both find the true nearest entry, and
    // the first of several equally near ones.
    struct Case {
        int width, height, colors;
    };
    for (const Case c : {Case{64, 48, 3000}, Case{160, 128, 20480}}) {
        for (const int entries : {16, 256}) {
            SCOPED_TRACE(::testing::Message() << c.colors << " colours into " << entries);
            const BgraImage picture = Distinct(c.width, c.height, c.colors, 11);
            const IndexedPicture indexed = QuantizePicture(picture.View(), entries);
            ASSERT_EQ(indexed.colorTable.size(), static_cast<std::size_t>(entries));
            for (int y = 0; y < c.height; ++y)
                for (int x = 0; x < c.width; ++x) {
                    const Colorref pixel = picture.ColorAt(x, y);
                    std::size_t firstBest = 0;
                    for (std::size_t i = 1; i < indexed.colorTable.size(); ++i)
                        if (SquaredDistance(pixel, ColorOfEntry(indexed.colorTable[i])) <
                            SquaredDistance(pixel, ColorOfEntry(indexed.colorTable[firstBest])))
                            firstBest = i;
                    ASSERT_EQ(indexed.indices[static_cast<std::size_t>(y * c.width + x)], firstBest) << x << "," << y;
                }
        }
    }
}

TEST(ColorQuantizerTest, GivenTableOfEqualEntriesTakesTheFirst) {
    BgraImage many(160, 128);
    for (int y = 0; y < 128; ++y)
        for (int x = 0; x < 160; ++x) many.SetColor(x, y, MakeColorref(x, y, (x * y) & 0xFF));
    std::vector<RgbQuad> table(256, RgbQuad{100, 100, 100, 0});
    table[7] = RgbQuad{0, 0, 0, 0};
    table[9] = RgbQuad{0, 0, 0, 0};
    const IndexedPicture indexed = MapToColorTable(many.View(), table);
    for (const std::uint8_t index : indexed.indices) ASSERT_TRUE(index == 0 || index == 7) << int(index);
}

TEST(ColorQuantizerTest, SmoothGradientStaysClose) {
    // 4096 colours: red and green ramps, into 256 entries.
    BgraImage ramp(64, 64);
    for (int y = 0; y < 64; ++y)
        for (int x = 0; x < 64; ++x) ramp.SetColor(x, y, MakeColorref(4 * x, 4 * y, 128));
    const IndexedPicture indexed = QuantizePicture(ramp.View(), 256);
    EXPECT_FALSE(indexed.exact);
    int worst = 0;
    double total = 0;
    for (int y = 0; y < 64; ++y)
        for (int x = 0; x < 64; ++x) {
            const int d = SquaredDistance(ramp.ColorAt(x, y), MappedColor(indexed, x, y));
            worst = std::max(worst, d);
            total += d;
        }
    // The best possible table is the 16 x 16 grid of cell centres: every
    // pixel within 6 per channel, mean squared distance 40.
    EXPECT_LE(worst, 2 * 8 * 8);
    EXPECT_LE(total / 4096, 45.0);
}

TEST(ColorQuantizerTest, ClustersGetTheirOwnMeanColours) {
    // Two tight clusters of many shades each, into a two-entry table.
    BgraImage picture(40, 10);
    for (int y = 0; y < 10; ++y)
        for (int x = 0; x < 40; ++x) {
            const int shade = (x * 3 + y) % 9 - 4;  // -4 .. 4, symmetric
            picture.SetColor(x, y,
                             x < 20 ? MakeColorref(200 + shade, 30, 40 - shade) : MakeColorref(20, 90 + shade, 230));
        }
    const IndexedPicture indexed = QuantizePicture(picture.View(), 2);
    ASSERT_EQ(indexed.colorTable.size(), 2u);
    for (int y = 0; y < 10; ++y)
        for (int x = 0; x < 40; ++x) {
            const Colorref mapped = MappedColor(indexed, x, y);
            const Colorref centre = x < 20 ? MakeColorref(200, 30, 40) : MakeColorref(20, 90, 230);
            ASSERT_LE(SquaredDistance(mapped, centre), 3) << x << "," << y;
        }
}

TEST(ColorQuantizerTest, GivenTableMapsToNearestWithTheLowestIndexOnTies) {
    BgraImage picture(3, 1);
    picture.SetColor(0, 0, MakeColorref(10, 10, 10));  // equally far from entries 1 and 2
    picture.SetColor(1, 0, MakeColorref(250, 0, 0));
    picture.SetColor(2, 0, MakeColorref(0, 0, 0));
    const std::vector<RgbQuad> table{{0, 0, 255, 0}, {0, 0, 0, 0}, {20, 20, 20, 0}, {0, 0, 0, 0}};
    const IndexedPicture indexed = MapToColorTable(picture.View(), table);
    EXPECT_EQ(indexed.colorTable, table);
    EXPECT_EQ(indexed.indices, (std::vector<std::uint8_t>{1, 0, 1}));
    EXPECT_FALSE(indexed.exact);
}

TEST(ColorQuantizerTest, RejectsEmptyPicturesAndTableSizes) {
    BgraImage picture(2, 2);
    EXPECT_THROW(QuantizePicture(ConstBgraView{}, 256), std::invalid_argument);
    EXPECT_THROW(QuantizePicture(picture.View(), 0), std::invalid_argument);
    EXPECT_THROW(QuantizePicture(picture.View(), 257), std::invalid_argument);
    EXPECT_THROW(MapToColorTable(picture.View(), {}), std::invalid_argument);
}

}  // namespace
}  // namespace vx::bmp
