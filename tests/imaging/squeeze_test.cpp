// What the crest composition relies on from the squeeze: each crest pixel is
// the exact, rounded, area-weighted average of the source area under it, and
// the whole picture lands in the whole crest.
#include "imaging/squeeze.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <stdexcept>
#include <vector>

namespace vx {
namespace {

// Deterministic pseudo-random picture; the fourth byte is noise as well, so
// that a squeeze that looks at it shows up.
BgraImage NoisePicture(int width, int height, std::uint32_t seed) {
    BgraImage picture(width, height);
    std::uint32_t state = seed;
    for (std::uint8_t& byte : picture.Bytes()) {
        state = state * 1664525u + 1013904223u;
        byte = static_cast<std::uint8_t>(state >> 24);
    }
    return picture;
}

// The definition, pixel by pixel: overlap of source pixel [sx, sx+1) with
// crest pixel [cx * W / w, (cx + 1) * W / w), measured in units of 1/w.
std::uint8_t ReferenceValue(const BgraImage& source, int crestWidth, int crestHeight, int cx, int cy, int channel) {
    const std::int64_t W = source.Width(), H = source.Height(), w = crestWidth, h = crestHeight;
    auto overlap = [](std::int64_t a0, std::int64_t a1, std::int64_t b0, std::int64_t b1) {
        return std::max<std::int64_t>(0, std::min(a1, b1) - std::max(a0, b0));
    };
    std::uint64_t sum = 0;
    for (std::int64_t sy = cy * H / h; sy < H && sy * h < (cy + 1) * H; ++sy) {
        const std::int64_t oy = overlap(sy * h, (sy + 1) * h, cy * H, (cy + 1) * H);
        for (std::int64_t sx = cx * W / w; sx < W && sx * w < (cx + 1) * W; ++sx) {
            const std::int64_t ox = overlap(sx * w, (sx + 1) * w, cx * W, (cx + 1) * W);
            sum += static_cast<std::uint64_t>(ox * oy) * source.Row(static_cast<int>(sy))[4 * sx + channel];
        }
    }
    const std::uint64_t area = static_cast<std::uint64_t>(W * H);
    return static_cast<std::uint8_t>((2 * sum + area) / (2 * area));
}

void ExpectMatchesReference(const BgraImage& source, const BgraImage& crest) {
    for (int cy = 0; cy < crest.Height(); ++cy)
        for (int cx = 0; cx < crest.Width(); ++cx)
            for (int k = 0; k < 3; ++k)
                ASSERT_EQ(crest.Row(cy)[4 * cx + k], ReferenceValue(source, crest.Width(), crest.Height(), cx, cy, k))
                    << "crest pixel " << cx << "," << cy << " byte " << k;
}

BgraImage Row(std::vector<Colorref> colors) {
    BgraImage picture(static_cast<int>(colors.size()), 1);
    for (int x = 0; x < picture.Width(); ++x) picture.SetColor(x, 0, colors[static_cast<std::size_t>(x)]);
    return picture;
}

TEST(SqueezeTest, ClanCrestOf640x480AveragesEach40x40Block) {
    const BgraImage source = NoisePicture(640, 480, 1);
    const BgraImage crest = Squeeze(source.View(), 16, 12);
    for (int cy = 0; cy < 12; ++cy) {
        for (int cx = 0; cx < 16; ++cx) {
            for (int k = 0; k < 3; ++k) {
                unsigned sum = 0;
                for (int y = 40 * cy; y < 40 * cy + 40; ++y)
                    for (int x = 40 * cx; x < 40 * cx + 40; ++x) sum += source.Row(y)[4 * x + k];
                ASSERT_EQ(crest.Row(cy)[4 * cx + k], (sum + 800) / 1600) << cx << "," << cy << " byte " << k;
            }
            EXPECT_EQ(crest.Row(cy)[4 * cx + 3], 255);
        }
    }
}

TEST(SqueezeTest, AllyStripOf640x480CountsPartlyCoveredPixelsByTheirShare) {
    const BgraImage source = NoisePicture(640, 480, 2);
    ExpectMatchesReference(source, Squeeze(source.View(), 24, 12));
}

TEST(SqueezeTest, OddProportionsInBothDirections) {
    const BgraImage source = NoisePicture(97, 61, 3);
    ExpectMatchesReference(source, Squeeze(source.View(), 24, 12));
    ExpectMatchesReference(source, Squeeze(source.View(), 16, 12));
    ExpectMatchesReference(source, Squeeze(source.View(), 8, 12));  // taller than the source share
    const BgraImage small = NoisePicture(5, 7, 4);
    ExpectMatchesReference(small, Squeeze(small.View(), 16, 12));  // enlarged
    ExpectMatchesReference(small, Squeeze(small.View(), 3, 12));   // narrower, taller
}

TEST(SqueezeTest, HalfCoveredPixelCountsHalf) {
    // Three pixels into two: each crest pixel holds one whole pixel and half
    // of the middle one.
    const BgraImage crest =
        Squeeze(Row({MakeColorref(0, 255, 90), MakeColorref(255, 0, 30), MakeColorref(0, 255, 60)}).View(), 2, 1);
    EXPECT_EQ(crest.ColorAt(0, 0), MakeColorref(85, 170, 70));
    EXPECT_EQ(crest.ColorAt(1, 0), MakeColorref(85, 170, 50));
}

TEST(SqueezeTest, RoundsToNearestWithHalvesUp) {
    EXPECT_EQ(Squeeze(Row({MakeColorref(0, 0, 0), MakeColorref(1, 3, 255)}).View(), 1, 1).ColorAt(0, 0),
              MakeColorref(1, 2, 128));
    EXPECT_EQ(
        Squeeze(Row({MakeColorref(0, 0, 0), MakeColorref(0, 0, 0), MakeColorref(1, 2, 4)}).View(), 1, 1).ColorAt(0, 0),
        MakeColorref(0, 1, 1));
}

TEST(SqueezeTest, SameSizeCopiesPixelForPixel) {
    const BgraImage source = NoisePicture(16, 12, 5);
    const BgraImage crest = Squeeze(source.View(), 16, 12);
    for (int y = 0; y < 12; ++y)
        for (int x = 0; x < 16; ++x) ASSERT_EQ(crest.ColorAt(x, y), source.ColorAt(x, y)) << x << "," << y;
}

TEST(SqueezeTest, SinglePixelFillsTheCrest) {
    BgraImage source(1, 1);
    source.SetColor(0, 0, MakeColorref(12, 200, 7));
    for (int width : {16, 24, 8}) {
        const BgraImage crest = Squeeze(source.View(), width, 12);
        for (int y = 0; y < 12; ++y)
            for (int x = 0; x < width; ++x) ASSERT_EQ(crest.ColorAt(x, y), MakeColorref(12, 200, 7));
    }
}

TEST(SqueezeTest, EnlargingSharesPixelsThatStraddleTwoSourcePixels) {
    const BgraImage crest = Squeeze(Row({MakeColorref(0, 10, 0), MakeColorref(255, 20, 0)}).View(), 3, 1);
    EXPECT_EQ(crest.ColorAt(0, 0), MakeColorref(0, 10, 0));
    EXPECT_EQ(crest.ColorAt(1, 0), MakeColorref(128, 15, 0));
    EXPECT_EQ(crest.ColorAt(2, 0), MakeColorref(255, 20, 0));

    BgraImage quad(2, 2);
    quad.SetColor(0, 0, MakeColorref(1, 2, 3));
    quad.SetColor(1, 0, MakeColorref(4, 5, 6));
    quad.SetColor(0, 1, MakeColorref(7, 8, 9));
    quad.SetColor(1, 1, MakeColorref(10, 11, 12));
    const BgraImage big = Squeeze(quad.View(), 4, 4);
    for (int y = 0; y < 4; ++y)
        for (int x = 0; x < 4; ++x) EXPECT_EQ(big.ColorAt(x, y), quad.ColorAt(x / 2, y / 2));
}

TEST(SqueezeTest, WholePictureGoesInWhateverItsProportions) {
    // A wide strip: left half red, right half blue; every crest row is the same.
    BgraImage wide(1000, 1);
    for (int x = 0; x < 1000; ++x) wide.SetColor(x, 0, x < 500 ? MakeColorref(255, 0, 0) : MakeColorref(0, 0, 255));
    const BgraImage crest = Squeeze(wide.View(), 16, 12);
    for (int y = 0; y < 12; ++y)
        for (int x = 0; x < 16; ++x)
            ASSERT_EQ(crest.ColorAt(x, y), x < 8 ? MakeColorref(255, 0, 0) : MakeColorref(0, 0, 255));

    BgraImage tall(1, 999);
    for (int y = 0; y < 999; ++y) tall.SetColor(0, y, y < 333 ? MakeColorref(0, 255, 0) : MakeColorref(0, 0, 0));
    const BgraImage crest2 = Squeeze(tall.View(), 16, 12);
    for (int y = 0; y < 12; ++y)
        for (int x = 0; x < 16; ++x)
            ASSERT_EQ(crest2.ColorAt(x, y), y < 4 ? MakeColorref(0, 255, 0) : MakeColorref(0, 0, 0));
}

TEST(SqueezeTest, PlainColourStaysExactlyThatColour) {
    BgraImage source(1001, 777);
    source.Fill(MakeColorref(201, 17, 99));
    for (int width : {16, 24}) {
        const BgraImage crest = Squeeze(source.View(), width, 12);
        for (int y = 0; y < 12; ++y)
            for (int x = 0; x < width; ++x) ASSERT_EQ(crest.ColorAt(x, y), MakeColorref(201, 17, 99));
    }
}

TEST(SqueezeTest, BottomUpRowsAndPaddedStridesGiveTheSameCrest) {
    const BgraImage source = NoisePicture(50, 30, 6);
    const BgraImage expected = Squeeze(source.View(), 24, 12);

    // The same picture stored bottom-up with 8 pad bytes per row.
    const std::ptrdiff_t stride = 4 * 50 + 8;
    std::vector<std::uint8_t> stored(static_cast<std::size_t>(stride * 30), 0xAB);
    for (int y = 0; y < 30; ++y) std::copy_n(source.Row(y), 200, stored.data() + stride * (29 - y));
    const ConstBgraView bottomUp{stored.data() + stride * 29, 50, 30, -stride};

    std::vector<std::uint8_t> out(static_cast<std::size_t>(stride * 12), 0);
    Squeeze(bottomUp, BgraView{out.data(), 24, 12, stride});
    for (int y = 0; y < 12; ++y)
        ASSERT_TRUE(std::equal(expected.Row(y), expected.Row(y) + 96, out.data() + stride * y)) << y;
    EXPECT_EQ(out[96], 0) << "pad bytes of the crest are left alone";
}

TEST(SqueezeTest, RejectsEmptyOrOverlappingViews) {
    BgraImage source(4, 4), crest(2, 2);
    EXPECT_THROW(Squeeze(ConstBgraView{}, crest.View()), std::invalid_argument);
    EXPECT_THROW(Squeeze(source.View(), BgraView{}), std::invalid_argument);
    EXPECT_THROW(Squeeze(ConstBgraView{source.Row(0), 4, 4, 8}, crest.View()), std::invalid_argument);
    EXPECT_THROW(Squeeze(source.View(), 0, 12), std::invalid_argument);
}

}  // namespace
}  // namespace vx
