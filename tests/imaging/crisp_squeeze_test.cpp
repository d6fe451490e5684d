// The crisp squeeze's two roads: enlarged pixel art comes back to its own
// pixels, everything else keeps its thin strokes.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <stdexcept>

#include "imaging/crisp_squeeze.h"
#include "imaging/detail_squeeze.h"
#include "imaging/linear_light.h"
#include "imaging/pixel_grid.h"
#include "imaging/squeeze.h"

namespace vx {
namespace {

// A 16 x 12 crest of random colours from a fixed linear congruential
// sequence, so every cell differs from its neighbours.
BgraImage Cells(std::uint32_t seed) {
    BgraImage crest(16, 12);
    for (int y = 0; y < 12; ++y)
        for (int x = 0; x < 16; ++x) {
            seed = seed * 1664525u + 1013904223u;
            crest.SetColor(x, y, Colorref{seed >> 8 & 0xFFFFFF});
        }
    return crest;
}

// `crest` enlarged `factor` times by repeating each cell, inside a margin
// of `margin` pixels of `marginColour`.
BgraImage Enlarged(const BgraImage& crest, int factor, int margin = 0, Colorref marginColour = Colorref{0}) {
    BgraImage picture(crest.Width() * factor + 2 * margin, crest.Height() * factor + 2 * margin);
    picture.Fill(marginColour);
    for (int y = 0; y < crest.Height() * factor; ++y)
        for (int x = 0; x < crest.Width() * factor; ++x)
            picture.SetColor(margin + x, margin + y, crest.ColorAt(x / factor, y / factor));
    return picture;
}

TEST(CrispSqueeze, AnExactNearestEnlargementComesBackExactly) {
    const BgraImage crest = Cells(7);
    const BgraImage crisp = CrispSqueeze(Enlarged(crest, 4).View(), 16, 12);
    EXPECT_EQ(crisp.Bytes(), crest.Bytes());
}

TEST(CrispSqueeze, AMarginOfAPixelOrTwoIsLeftOut) {
    const BgraImage crest = Cells(5);
    const BgraImage framed = Enlarged(crest, 5, 2, MakeColorref(255, 255, 255));
    EXPECT_EQ(CrispSqueeze(framed.View(), 16, 12).Bytes(), crest.Bytes());
}

TEST(CrispSqueeze, AnEnlargedSpriteTwiceTheCrestSizeSqueezesAsTheSpriteItself) {
    BgraImage sprite(32, 24);
    for (int y = 0; y < 24; ++y)
        for (int x = 0; x < 32; ++x) sprite.SetColor(x, y, Cells(3).ColorAt(x / 2, y / 2));
    const BgraImage detail = Cells(9);
    for (int y = 0; y < 24; y += 3)
        for (int x = 1; x < 32; x += 4) sprite.SetColor(x, y, detail.ColorAt(x / 2, y / 2));
    EXPECT_EQ(CrispSqueeze(Enlarged(sprite, 3).View(), 16, 12).Bytes(), CrispSqueeze(sprite.View(), 16, 12).Bytes());
}

TEST(CrispSqueeze, ABilinearEnlargementByAFractionComesBackWithinTolerance) {
    // Each picture pixel's centre mapped back into the crest, then the mix
    // of the four cells around it (edges repeated), as resizers enlarge.
    const BgraImage crest = Cells(11);
    constexpr double kFactor = 5.3;
    BgraImage picture(85, 64);
    for (int y = 0; y < picture.Height(); ++y)
        for (int x = 0; x < picture.Width(); ++x) {
            const double u = (x + 0.5) / kFactor - 0.5, v = (y + 0.5) / kFactor - 0.5;
            const int left = static_cast<int>(std::floor(u)), top = static_cast<int>(std::floor(v));
            const double tx = u - left, ty = v - top;
            for (int k = 0; k < 3; ++k) {
                auto at = [&](int cx, int cy) {
                    return double(crest.Row(std::clamp(cy, 0, 11))[4 * std::clamp(cx, 0, 15) + k]);
                };
                const double value = (1 - ty) * ((1 - tx) * at(left, top) + tx * at(left + 1, top)) +
                                     ty * ((1 - tx) * at(left, top + 1) + tx * at(left + 1, top + 1));
                picture.Row(y)[4 * x + k] = static_cast<std::uint8_t>(std::floor(value + 0.5));
            }
        }
    const BgraImage crisp = CrispSqueeze(picture.View(), 16, 12);
    for (int y = 0; y < 12; ++y)
        for (int x = 0; x < 16; ++x)
            for (int k = 0; k < 3; ++k)
                ASSERT_NEAR(crisp.Row(y)[4 * x + k], crest.Row(y)[4 * x + k], 12) << x << "," << y;
}

TEST(CrispSqueeze, APictureThatIsNotPixelArtTakesTheDetailRoadAndKeepsAThinStroke) {
    // A smooth ramp crossed by a light stroke a quarter of a crest pixel wide.
    BgraImage picture(320, 240);
    for (int y = 0; y < 240; ++y)
        for (int x = 0; x < 320; ++x) {
            const bool stroke = x >= 165 && x < 170;
            const unsigned ramp = static_cast<unsigned>(20 + y / 8);
            picture.SetColor(x, y, stroke ? MakeColorref(240, 240, 240) : MakeColorref(ramp, ramp, ramp));
        }
    EXPECT_FALSE(FindPixelGrid(picture.View(), 16, 12).has_value());
    BgraImage detail(16, 12);
    DetailSqueeze(picture.View(), detail.View());
    const BgraImage crisp = CrispSqueeze(picture.View(), 16, 12);
    EXPECT_EQ(crisp.Bytes(), detail.Bytes());
    // The stroke's column keeps most of its contrast where the exact average
    // leaves a quarter; nothing goes beyond the picture's own range.
    const BgraImage exact = Squeeze(picture.View(), 16, 12);
    const int ground = crisp.Row(6)[4 * 3];
    EXPECT_GE(crisp.Row(6)[4 * 8] - ground, 0.8 * (240 - ground));
    EXPECT_LE(exact.Row(6)[4 * 8] - ground, 0.4 * (240 - ground));
    for (int y = 0; y < 12; ++y)
        for (int x = 0; x < 16; ++x) {
            EXPECT_GE(crisp.Row(y)[4 * x], 20);
            EXPECT_LE(crisp.Row(y)[4 * x], 240);
        }
}

TEST(DetailSqueeze, ACrestSizedPictureComesBackUnchanged) {
    const BgraImage crest = Cells(13);
    BgraImage out(16, 12);
    DetailSqueeze(crest.View(), out.View());
    EXPECT_EQ(out.Bytes(), crest.Bytes());
    EXPECT_THROW(DetailSqueeze(ConstBgraView{}, out.View()), std::invalid_argument);
}

TEST(LinearLight, EveryByteComesBackFromItsLight) {
    for (int byte = 0; byte < 256; ++byte) {
        EXPECT_EQ(ByteOfLinear(kLinearOfByte[static_cast<std::size_t>(byte)]), byte);
        EXPECT_DOUBLE_EQ(ToneOfLinear(kLinearOfByte[static_cast<std::size_t>(byte)]), byte);
    }
    // Light adds up: black and white side by side look the grey of half the light.
    EXPECT_EQ(ByteOfLinear((kLinearOfByte[0] + kLinearOfByte[255]) / 2.0), 188);
}

}  // namespace
}  // namespace vx
