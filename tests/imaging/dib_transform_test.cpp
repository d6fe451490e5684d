// What the DIB image relies on from its pixel code: row sizes, exact turns
// at every depth, grey conversion and area resampling. Expected bytes come
// from a model kept here: pictures are grids of values packed by the test
// itself, and turns follow the corner points of the drawing transform
// (where the source's top-left, top-right and bottom-left corners land).
#include "imaging/dib_transform.h"

#include <gtest/gtest.h>

#include <climits>
#include <cstdint>
#include <stdexcept>
#include <vector>

namespace vx::dib {
namespace {

// A picture as the test sees it: one value per pixel, rows from the top
// (a palette index, or 0x00RRGGBB at 24 bits).
struct Grid {
    int width = 0, height = 0;
    std::vector<std::uint32_t> values;
    std::uint32_t& at(int x, int y) { return values[static_cast<std::size_t>(y * width + x)]; }
    std::uint32_t at(int x, int y) const { return values[static_cast<std::size_t>(y * width + x)]; }
};

Grid Noise(int width, int height, int bitCount, std::uint32_t seed) {
    Grid grid{width, height, std::vector<std::uint32_t>(static_cast<std::size_t>(width * height))};
    const std::uint32_t mask = bitCount == 24 ? 0xFFFFFFu : (1u << bitCount) - 1;
    for (std::uint32_t& v : grid.values) {
        seed = seed * 1664525u + 1013904223u;
        v = (seed >> 5) & mask;
    }
    return grid;
}

// Packed rows: bottom row first, each padded with zeros to whole 32-bit
// words, pixels from the most significant bit down.
struct Packed {
    int width = 0, height = 0, bitCount = 0, stride = 0;
    std::vector<std::uint8_t> bytes;
    DibView View() { return {bytes.data(), width, height, bitCount, stride}; }
};

Packed Pack(const Grid& grid, int bitCount) {
    Packed p{grid.width, grid.height, bitCount, (grid.width * bitCount + 31) / 32 * 4, {}};
    p.bytes.assign(static_cast<std::size_t>(p.stride * p.height), 0);
    for (int y = 0; y < grid.height; ++y)
        for (int x = 0; x < grid.width; ++x) {
            const std::uint32_t v = grid.at(x, y);
            for (int bit = 0; bit < bitCount; ++bit) {
                // Bit `bit` of the value, counted from its most significant end;
                // 24-bit pixels are stored blue, green, red.
                const int valueBit = bitCount == 24 ? (bit / 8) * 8 + (7 - bit % 8) : bitCount - 1 - bit;
                if ((v >> valueBit) & 1u) {
                    const int at = x * bitCount + bit;
                    p.bytes[static_cast<std::size_t>((grid.height - 1 - y) * p.stride + at / 8)] |=
                        static_cast<std::uint8_t>(0x80 >> (at % 8));
                }
            }
        }
    return p;
}

Packed Blank(int width, int height, int bitCount) {
    return Pack(Grid{width, height, std::vector<std::uint32_t>(static_cast<std::size_t>(width * height))}, bitCount);
}

// Turns as a drawing transform describes them: the source's top-left,
// top-right and bottom-left corners go to P0, P1 and P2 of a w x h target,
// and a pixel lands where its centre is carried.
struct Corners {
    int p0x, p0y, p1x, p1y, p2x, p2y;
};

Corners CornersFor(Turn turn, int W, int H) {
    switch (turn) {
        case Turn::MirrorUpsideDown:
            return {0, H, W, H, 0, 0};
        case Turn::MirrorLeftRight:
            return {W, 0, 0, 0, W, H};
        case Turn::QuarterAnticlockwise:
            return {0, W, 0, 0, H, W};
        case Turn::Half:
            return {W, H, 0, H, W, 0};
        case Turn::QuarterClockwise:
            return {H, 0, H, W, 0, 0};
    }
    return {};
}

Grid ModelTurn(const Grid& source, Turn turn) {
    const int W = source.width, H = source.height;
    const Corners c = CornersFor(turn, W, H);
    const bool quarter = turn == Turn::QuarterAnticlockwise || turn == Turn::QuarterClockwise;
    Grid target{quarter ? H : W, quarter ? W : H, std::vector<std::uint32_t>(source.values.size(), 0xDEAD)};
    for (int y = 0; y < H; ++y)
        for (int x = 0; x < W; ++x) {
            // Centre (x + 1/2, y + 1/2) in units of 1/2 pixel, carried along the two edges.
            const long u2 = 2L * x + 1, v2 = 2L * y + 1;
            const long tx2 = 2L * c.p0x * W * H + u2 * (c.p1x - c.p0x) * H + v2 * (c.p2x - c.p0x) * W;
            const long ty2 = 2L * c.p0y * W * H + u2 * (c.p1y - c.p0y) * H + v2 * (c.p2y - c.p0y) * W;
            target.at(static_cast<int>(tx2 / (2L * W * H)), static_cast<int>(ty2 / (2L * W * H))) = source.at(x, y);
        }
    return target;
}

const Turn kTurns[] = {Turn::MirrorLeftRight, Turn::MirrorUpsideDown, Turn::QuarterAnticlockwise, Turn::Half,
                       Turn::QuarterClockwise};

TEST(DibRows, ScanLineBytesFollowsTheRowPaddingAndRefusesOverflow) {
    EXPECT_EQ(ScanLineBytes(1, 1), 4);
    EXPECT_EQ(ScanLineBytes(31, 1), 4);
    EXPECT_EQ(ScanLineBytes(32, 1), 4);
    EXPECT_EQ(ScanLineBytes(33, 1), 8);
    EXPECT_EQ(ScanLineBytes(8, 4), 4);
    EXPECT_EQ(ScanLineBytes(9, 4), 8);
    EXPECT_EQ(ScanLineBytes(5, 8), 8);
    EXPECT_EQ(ScanLineBytes(5, 24), 16);
    for (int bits : {1, 4, 8, 24})
        for (int w = 1; w < 70; ++w) ASSERT_EQ(ScanLineBytes(w, bits), (w * bits + 31) / 32 * 4) << w << " at " << bits;

    // Beyond 32 bits: nothing, never a wrapped size.
    EXPECT_EQ(ScanLineBytes(INT_MAX, 24), std::nullopt);
    EXPECT_EQ(ScanLineBytes(INT_MAX / 3 + 1, 24), std::nullopt);
    EXPECT_EQ(ScanLineBytes(INT_MAX - 2, 8), std::nullopt);
    EXPECT_EQ(ScanLineBytes(INT_MIN, 1), std::nullopt);
    EXPECT_EQ(ScanLineBytes(INT_MAX, 1), 268435456);
    EXPECT_EQ(ScanLineBytes(0, 24), 0);
    EXPECT_EQ(ImageBytes(30000, 30000, 24), std::nullopt);
    EXPECT_EQ(ImageBytes(46341, 46341, 8), std::nullopt);
    EXPECT_EQ(ImageBytes(1000, 1000, 24), 3000000);
}

TEST(DibTurns, EveryTurnAtEveryDepthMovesPixelsAsTheCornersSay) {
    const struct { int width, height; } sizes[] = {{3, 2}, {9, 5}, {33, 3}, {1, 7}};
    for (int bits : {1, 4, 8, 24})
        for (const auto size : sizes)
            for (Turn turn : kTurns) {
                const Grid grid =
                    Noise(size.width, size.height, bits, static_cast<std::uint32_t>(bits * 100 + size.width));
                Packed source = Pack(grid, bits);
                const Grid expected = ModelTurn(grid, turn);
                Packed target = Blank(expected.width, expected.height, bits);
                std::fill(target.bytes.begin(), target.bytes.end(), 0xA5);  // padding must be cleared
                TurnPixels(source.View(), target.View(), turn);
                ASSERT_EQ(target.bytes, Pack(expected, bits).bytes)
                    << size.width << " x " << size.height << " at " << bits << " bits, turn " << static_cast<int>(turn);
            }
}

TEST(DibTurns, AnglesReduceToQuarterTurns) {
    Turn turn{};
    ASSERT_TRUE(TurnForDegrees(-90, turn));
    EXPECT_EQ(turn, Turn::QuarterClockwise);
    ASSERT_TRUE(TurnForDegrees(450, turn));
    EXPECT_EQ(turn, Turn::QuarterAnticlockwise);
    ASSERT_TRUE(TurnForDegrees(-180, turn));
    EXPECT_EQ(turn, Turn::Half);
    for (int none : {0, 45, 360, -360, 91, INT_MIN, INT_MAX}) EXPECT_FALSE(TurnForDegrees(none, turn)) << none;
    EXPECT_EQ(TurnedSize(Turn::QuarterAnticlockwise, 3, 2).width, 2);
    EXPECT_EQ(TurnedSize(Turn::QuarterAnticlockwise, 3, 2).height, 3);
}

TEST(DibTurns, FourQuarterTurnsAndTwoMirrorsGiveBackTheOriginalBytes) {
    for (int bits : {1, 4, 24}) {
        Packed original = Pack(Noise(33, 3, bits, 7), bits);
        Packed a = original, b = Blank(3, 33, bits);
        TurnPixels(a.View(), b.View(), Turn::QuarterAnticlockwise);
        TurnPixels(b.View(), a.View(), Turn::QuarterAnticlockwise);
        TurnPixels(a.View(), b.View(), Turn::QuarterAnticlockwise);
        TurnPixels(b.View(), a.View(), Turn::QuarterAnticlockwise);
        EXPECT_EQ(a.bytes, original.bytes) << bits;
        Packed m = Blank(33, 3, bits);
        TurnPixels(original.View(), m.View(), Turn::MirrorLeftRight);
        EXPECT_NE(m.bytes, original.bytes);
        TurnPixels(m.View(), a.View(), Turn::MirrorLeftRight);
        EXPECT_EQ(a.bytes, original.bytes) << bits;
    }
}

TEST(DibTurns, MismatchedTargetsAreRefused) {
    Packed source = Pack(Noise(3, 2, 8, 1), 8);
    Packed sameSize = Blank(3, 2, 8), otherDepth = Blank(2, 3, 24);
    EXPECT_THROW(TurnPixels(source.View(), sameSize.View(), Turn::QuarterClockwise), std::invalid_argument);
    EXPECT_THROW(TurnPixels(source.View(), otherDepth.View(), Turn::QuarterClockwise), std::invalid_argument);
    DibView shortRows = sameSize.View();
    shortRows.stride = 2;
    EXPECT_THROW(TurnPixels(source.View(), shortRows, Turn::Half), std::invalid_argument);
}

TEST(DibGrey, EachColourTakesTheNearestGrey) {
    Grid colours = Noise(9, 5, 24, 3);
    colours.at(0, 0) = 0x010000;  // mean 1/3: black
    colours.at(1, 0) = 0x010100;  // mean 2/3: 1
    Packed source = Pack(colours, 24);
    Packed grey = Blank(9, 5, 8);
    GreyPixels(source.View(), {}, grey.View());
    Grid expected{9, 5, std::vector<std::uint32_t>(45)};
    for (int y = 0; y < 5; ++y)
        for (int x = 0; x < 9; ++x) {
            const std::uint32_t c = colours.at(x, y);
            long best = -1, bestDistance = LONG_MAX;
            for (long v = 0; v < 256; ++v) {
                long d = 0;
                for (int shift : {0, 8, 16}) d += (long((c >> shift) & 0xFF) - v) * (long((c >> shift) & 0xFF) - v);
                if (d < bestDistance) bestDistance = d, best = v;
            }
            expected.at(x, y) = static_cast<std::uint32_t>(best);
        }
    EXPECT_EQ(grey.bytes, Pack(expected, 8).bytes);

    // A palette picture is seen through its colours.
    Grid indices{2, 1, {0, 1}};
    Packed twoColour = Pack(indices, 1);
    const Bgrx palette[2] = {{0, 0, 255, 0}, {90, 30, 0, 0}};  // red; dark blue-green
    Packed greyTwo = Blank(2, 1, 8);
    GreyPixels(twoColour.View(), palette, greyTwo.View());
    EXPECT_EQ(greyTwo.bytes[0], 85);
    EXPECT_EQ(greyTwo.bytes[1], 40);
}

TEST(DibResample, UniformStaysUniformAndEnlargingThenShrinkingRestores) {
    const ColorTable ramp = GreyRamp(4);
    for (int bits : {1, 4, 8, 24}) {
        const ColorTable table = GreyRamp(bits);
        const std::span<const Bgrx> palette = bits == 24 ? std::span<const Bgrx>{} : std::span<const Bgrx>(table);
        Grid uniform{9, 5, std::vector<std::uint32_t>(45, bits == 24 ? 0x336699u : 1u)};
        Packed source = Pack(uniform, bits);
        Packed smaller = Blank(4, 3, bits);
        ResamplePixels(source.View(), palette, smaller.View(), palette);
        EXPECT_EQ(smaller.bytes, Pack(Grid{4, 3, std::vector<std::uint32_t>(12, uniform.values[0])}, bits).bytes)
            << bits;

        const Grid original = Noise(9, 5, bits, 11);
        Packed from = Pack(original, bits), large = Blank(27, 15, bits), back = Blank(9, 5, bits);
        ResamplePixels(from.View(), palette, large.View(), palette);
        ResamplePixels(large.View(), palette, back.View(), palette);
        EXPECT_EQ(back.bytes, from.bytes) << bits;
    }
    // Black and white averaged to 128 take the nearest grey of a 16-step
    // ramp: 136 (8 away) rather than 119 (9 away).
    Packed pair = Pack(Grid{2, 1, {0, 15}}, 4), one = Blank(1, 1, 4);
    ResamplePixels(pair.View(), ramp, one.View(), ramp);
    EXPECT_EQ(one.bytes[0], 8 << 4);
}

}  // namespace
}  // namespace vx::dib
