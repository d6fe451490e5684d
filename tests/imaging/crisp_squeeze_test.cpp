// The crisp squeeze's two roads: enlarged pixel art comes back to its own
// pixels, everything else keeps its thin strokes.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <optional>
#include <stdexcept>
#include <vector>

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

double Bilinear(double t) { return std::max(0.0, 1 - std::abs(t)); }

// The cubic family of Mitchell and Netravali: (B, C) = (0, 0.5) is the
// common bicubic, (0, 0.75) a sharper one, (1/3, 1/3) Mitchell's filter.
double Cubic(double t, double b, double c) {
    t = std::abs(t);
    if (t < 1) return ((12 - 9 * b - 6 * c) * t * t * t + (-18 + 12 * b + 6 * c) * t * t + (6 - 2 * b)) / 6;
    if (t < 2)
        return ((-b - 6 * c) * t * t * t + (6 * b + 30 * c) * t * t + (-12 * b - 48 * c) * t + (8 * b + 24 * c)) / 6;
    return 0;
}

// `crest` enlarged by `factor` as resizers do: each picture pixel's centre
// mapped back into the crest, the cells within two of it mixed by
// `kernel` each way (edges repeated).
template <class Kernel>
BgraImage Resized(const BgraImage& crest, double factor, Kernel kernel) {
    BgraImage picture(static_cast<int>(std::ceil(crest.Width() * factor)),
                      static_cast<int>(std::ceil(crest.Height() * factor)));
    for (int y = 0; y < picture.Height(); ++y)
        for (int x = 0; x < picture.Width(); ++x) {
            const double u = (x + 0.5) / factor - 0.5, v = (y + 0.5) / factor - 0.5;
            double sum[3] = {0, 0, 0};
            for (int j = static_cast<int>(std::floor(v)) - 1; j <= static_cast<int>(std::floor(v)) + 2; ++j)
                for (int i = static_cast<int>(std::floor(u)) - 1; i <= static_cast<int>(std::floor(u)) + 2; ++i) {
                    const std::uint8_t* cell =
                        crest.Row(std::clamp(j, 0, crest.Height() - 1)) + 4 * std::clamp(i, 0, crest.Width() - 1);
                    for (int k = 0; k < 3; ++k) sum[k] += kernel(u - i) * kernel(v - j) * cell[k];
                }
            for (int k = 0; k < 3; ++k)
                picture.Row(y)[4 * x + k] = static_cast<std::uint8_t>(std::clamp(std::floor(sum[k] + 0.5), 0.0, 255.0));
        }
    return picture;
}

// The picture with its colour kept as JPEG keeps it by default: the blue
// and red differences averaged over blocks of 2 x 2 pixels and spread back
// by the triangle filter (3/4 of the nearest block, 1/4 of the next, each
// way); luma untouched.
BgraImage ColourHalved(const BgraImage& picture) {
    const int w = picture.Width(), h = picture.Height();
    auto difference = [&](int x, int y, int which) {
        const std::uint8_t* p = picture.Row(std::clamp(y, 0, h - 1)) + 4 * std::clamp(x, 0, w - 1);
        return which == 0 ? -0.168736 * p[2] - 0.331264 * p[1] + 0.5 * p[0]
                          : 0.5 * p[2] - 0.418688 * p[1] - 0.081312 * p[0];
    };
    auto block = [&](int bx, int by, int which) {
        bx = std::clamp(bx, 0, (w - 1) / 2);
        by = std::clamp(by, 0, (h - 1) / 2);
        return (difference(2 * bx, 2 * by, which) + difference(2 * bx + 1, 2 * by, which) +
                difference(2 * bx, 2 * by + 1, which) + difference(2 * bx + 1, 2 * by + 1, which)) /
               4;
    };
    BgraImage halved(w, h);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            const int bx = x / 2, by = y / 2, nx = x % 2 ? bx + 1 : bx - 1, ny = y % 2 ? by + 1 : by - 1;
            double d[2];
            for (int which = 0; which < 2; ++which)
                d[which] = (9 * block(bx, by, which) + 3 * block(nx, by, which) + 3 * block(bx, ny, which) +
                            block(nx, ny, which)) /
                           16;
            const std::uint8_t* p = picture.Row(y) + 4 * x;
            const double luma = 0.299 * p[2] + 0.587 * p[1] + 0.114 * p[0];
            const double bgr[3] = {luma + 1.772 * d[0], luma - 0.344136 * d[0] - 0.714136 * d[1], luma + 1.402 * d[1]};
            for (int k = 0; k < 3; ++k)
                halved.Row(y)[4 * x + k] = static_cast<std::uint8_t>(std::clamp(std::floor(bgr[k] + 0.5), 0.0, 255.0));
        }
    return halved;
}

// At least 95 % of the pixels have every channel within `tolerance`.
void ExpectNear(const BgraImage& crest, const BgraImage& original, int tolerance) {
    int near = 0;
    for (int y = 0; y < original.Height(); ++y)
        for (int x = 0; x < original.Width(); ++x) {
            bool all = true;
            for (int k = 0; k < 3; ++k)
                all = all && std::abs(crest.Row(y)[4 * x + k] - original.Row(y)[4 * x + k]) <= tolerance;
            near += all;
        }
    EXPECT_GE(near, 0.95 * original.Width() * original.Height());
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

TEST(CrispSqueeze, AStripOfMarginIsToldFromACutCellWhenFewEdgesPinTheGrid) {
    // Rows of two colours: nothing across marks where the cells begin, so
    // only the rows' edges, shared by square cells, tell the margin's strip
    // (2 pixels left and top) from a cell the crop cut (a pixel right and
    // bottom).
    BgraImage crest(16, 12);
    for (int y = 0; y < 12; ++y)
        for (int x = 0; x < 16; ++x)
            crest.SetColor(x, y, y % 2 ? MakeColorref(200, 16, 46) : MakeColorref(242, 193, 46));
    const double factor = 2.5, start = 2;
    BgraImage picture(static_cast<int>(start + 16 * factor) - 1, static_cast<int>(start + 12 * factor) - 1);
    picture.Fill(MakeColorref(20, 20, 20));
    for (int y = 2; y < picture.Height(); ++y)
        for (int x = 2; x < picture.Width(); ++x)
            picture.SetColor(x, y,
                             crest.ColorAt(static_cast<int>((x + 0.5 - start) / factor),
                                           static_cast<int>((y + 0.5 - start) / factor)));
    EXPECT_EQ(CrispSqueeze(picture.View(), 16, 12).Bytes(), crest.Bytes());
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
    const BgraImage crest = Cells(11);
    ExpectNear(CrispSqueeze(Resized(crest, 5.3, Bilinear).View(), 16, 12), crest, 12);
}

TEST(CrispSqueeze, BicubicAndMitchellEnlargementsComeBackWithinTolerance) {
    const BgraImage crest = Cells(17);
    ExpectNear(CrispSqueeze(Resized(crest, 4.6, [](double t) { return Cubic(t, 0, 0.5); }).View(), 16, 12), crest, 12);
    ExpectNear(CrispSqueeze(Resized(crest, 6.25, [](double t) { return Cubic(t, 0, 0.75); }).View(), 16, 12), crest,
               12);
    ExpectNear(CrispSqueeze(Resized(crest, 7, [](double t) { return Cubic(t, 1.0 / 3, 1.0 / 3); }).View(), 16, 12),
               crest, 12);
}

TEST(CrispSqueeze, ColourHalvedAsJpegDoesComesBackWithinTolerance) {
    const BgraImage crest = Cells(21);
    ExpectNear(CrispSqueeze(ColourHalved(Enlarged(crest, 5)).View(), 16, 12), crest, 12);
}

TEST(CrispSqueeze, AFewColouredCrestUnderColourNoiseComesBackInItsOwnColours) {
    // Per pale with a cross, three tinctures, its colour halved and then
    // shaken by up to 16 levels a pixel (as JPEG's coarse colour steps do):
    // one cell's pixels cannot settle its colour, all the cells of a
    // tincture together can.
    BgraImage crest(16, 12);
    for (int y = 0; y < 12; ++y)
        for (int x = 0; x < 16; ++x)
            crest.SetColor(x, y,
                           x == 7 || y == 5 ? MakeColorref(31, 79, 168)
                           : x < 8          ? MakeColorref(200, 16, 46)
                                            : MakeColorref(242, 193, 46));
    BgraImage picture = ColourHalved(Enlarged(crest, 3));
    std::uint32_t seed = 5;
    for (int y = 0; y < picture.Height(); ++y)
        for (int x = 0; x < picture.Width(); ++x) {
            seed = seed * 1664525u + 1013904223u;
            const int shake = static_cast<int>(seed >> 27) - 16;  // -16 .. 15, the same on the three channels' sum
            std::uint8_t* p = picture.Row(y) + 4 * x;
            p[0] = static_cast<std::uint8_t>(std::clamp(p[0] + shake, 0, 255));
            p[2] = static_cast<std::uint8_t>(std::clamp(p[2] - shake, 0, 255));
        }
    const BgraImage crisp = CrispSqueeze(picture.View(), 16, 12);
    for (int y = 0; y < 12; ++y)
        for (int x = 0; x < 16; ++x)
            for (int k = 0; k < 3; ++k)
                EXPECT_NEAR(crisp.Row(y)[4 * x + k], crest.Row(y)[4 * x + k], 12) << x << "," << y;
}

TEST(CrispSqueeze, PixelArtOfAnotherSizeIsFoundByItsPeriod) {
    BgraImage sprite(24, 18);
    for (int y = 0; y < 18; ++y)
        for (int x = 0; x < 24; ++x) sprite.SetColor(x, y, Cells(4).ColorAt(x % 16, y % 12));
    const BgraImage picture = Enlarged(sprite, 4);
    const std::optional<PixelGrid> grid = FindPixelGrid(picture.View(), 16, 12);
    ASSERT_TRUE(grid.has_value());
    EXPECT_EQ(grid->x.cells, 24);
    EXPECT_EQ(grid->y.cells, 18);
    EXPECT_EQ(RecoverCells(picture.View(), *grid).Bytes(), sprite.Bytes());
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

TEST(CrispSqueeze, ABottomUpPictureSqueezesAsItsTopDownCopy) {
    // Bitmaps from the platform often keep their last row first.
    const BgraImage picture = Resized(Cells(23), 3.4, Bilinear);
    std::vector<std::uint8_t> flipped(picture.Bytes().size());
    const std::ptrdiff_t stride = picture.Stride();
    for (int y = 0; y < picture.Height(); ++y)
        std::copy_n(picture.Row(y), stride, flipped.data() + (picture.Height() - 1 - y) * stride);
    const ConstBgraView bottomUp{flipped.data() + (picture.Height() - 1) * stride, picture.Width(), picture.Height(),
                                 -stride};
    EXPECT_EQ(CrispSqueeze(bottomUp, 16, 12).Bytes(), CrispSqueeze(picture.View(), 16, 12).Bytes());
}

TEST(CrispSqueeze, NoiseIsNotTakenForPixelArt) {
    BgraImage noise(160, 120);
    std::uint32_t seed = 99;
    for (std::uint8_t& byte : noise.Bytes()) {
        seed = seed * 1664525u + 1013904223u;
        byte = static_cast<std::uint8_t>(seed >> 24);
    }
    EXPECT_FALSE(FindPixelGrid(noise.View(), 16, 12).has_value());
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
