// cImage against the platform: what Create, the copies and PaintHDC make,
// how failures leave the object, and that nothing made is left behind.
// The pixel transforms themselves are checked natively
// (dib_transform_test.cpp); here only that the class wires them up.
#include <windows.h>
#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "common/bitmap32.h"
#include "common/win_handles.h"
#include "imaging/dib_image.h"
#include "base/run_time_error.h"
#include "support/win_test_support.h"

namespace vx {
namespace {

using test::LiveGdiObjects;

void ExpectEmpty(const cImage& image) {
    EXPECT_EQ(image.hdc(), nullptr);
    EXPECT_EQ(image.DIBitsPtr(), nullptr);
    EXPECT_EQ(image.Width(), 0);
    EXPECT_EQ(image.Height(), 0);
    EXPECT_EQ(image.BitCount(), 0);
}

std::vector<RGBQUAD> ColorTableOf(HDC dc, UINT entries) {
    std::vector<RGBQUAD> table(entries);
    table.resize(GetDIBColorTable(dc, 0, entries, table.data()));
    return table;
}

// A bottom-up DIB section of any depth selected into its own memory DC,
// with `colors` as its colour table.
class TestDib {
public:
    TestDib(int width, int height, int bitCount, const std::vector<RGBQUAD>& colors = {}) {
        struct {
            BITMAPINFOHEADER header;
            RGBQUAD colors[256];
        } info{};
        info.header = {
            sizeof(BITMAPINFOHEADER),          width, height, 1, static_cast<WORD>(bitCount), BI_RGB, 0, 0, 0,
            static_cast<DWORD>(colors.size()), 0};
        if (!colors.empty()) std::memcpy(info.colors, colors.data(), colors.size() * sizeof(RGBQUAD));
        bitmap_.reset(
            CreateDIBSection(nullptr, reinterpret_cast<BITMAPINFO*>(&info), DIB_RGB_COLORS, &bits_, nullptr, 0));
        dc_.SelectBitmap(bitmap_.get());
    }
    // Out of its DC, for calls that want a bare picture.
    HBITMAP Picture() {
        dc_.reset();
        return bitmap_.get();
    }
    HDC dc() const { return dc_.get(); }
    std::uint8_t* bits() const { return static_cast<std::uint8_t*>(bits_); }

private:
    void* bits_ = nullptr;
    UniqueBitmap bitmap_;
    BitmapDc dc_;  // after the bitmap: gives it back before it goes
};

std::vector<RGBQUAD> SixteenColours() {
    std::vector<RGBQUAD> table(16);
    for (int i = 0; i < 16; ++i)
        table[i] = {static_cast<BYTE>(i * 16), static_cast<BYTE>(255 - i * 8), static_cast<BYTE>(i * 5), 0};
    return table;
}

TEST(DibImage, CreateMakesTheDescribedBitmapWithAGreyRamp) {
    cImage image;
    ASSERT_TRUE(image.Create(9, 5, 4));
    EXPECT_EQ(image.Width(), 9);
    EXPECT_EQ(image.Height(), 5);
    EXPECT_EQ(image.BitCount(), 4);
    EXPECT_EQ(image.BytesPerScanLine(), 8);
    EXPECT_NE(image.DIBitsPtr(), nullptr);
    const std::vector<RGBQUAD> ramp = ColorTableOf(image.hdc(), 16);
    ASSERT_EQ(ramp.size(), 16u);
    for (int i = 0; i < 16; ++i) {
        EXPECT_EQ(ramp[i].rgbRed, 17 * i);
        EXPECT_EQ(ramp[i].rgbGreen, 17 * i);
        EXPECT_EQ(ramp[i].rgbBlue, 17 * i);
    }
}

TEST(DibImage, RefusedSizesAndDepthsLeaveTheObjectEmpty) {
    cImage image;
    for (std::int16_t depth : {16, 32, 0, 2}) {
        ASSERT_TRUE(image.Create(4, 4, 8));
        EXPECT_FALSE(image.Create(4, 4, depth)) << depth;
        ExpectEmpty(image);
    }
    // Zero or negative sides, and rows or images beyond 32 bits.
    const struct {
        std::int32_t width, height;
        std::int16_t depth;
    } refused[] = {{0, 5, 24},         {5, 0, 8},           {5, -3, 24},       {-5, 3, 1},
                   {0x7FFFFFFF, 1, 8}, {0x30000000, 1, 24}, {30000, 30000, 24}};
    for (const auto& r : refused) {
        ASSERT_TRUE(image.Create(4, 4, 24));
        EXPECT_FALSE(image.Create(r.width, r.height, r.depth)) << r.width << " x " << r.height;
        ExpectEmpty(image);
        EXPECT_EQ(image.BytesPerScanLine(), 0);
    }
    TestDib source(4, 4, 24);
    ASSERT_TRUE(image.Create(4, 4, 24));
    EXPECT_FALSE(image.CopyHDC(source.dc(), 0, 4, 24));
    ExpectEmpty(image);
    std::int16_t depth = 0;
    EXPECT_FALSE(image.CopyStdPicture(static_cast<HBITMAP>(nullptr), depth));
    ExpectEmpty(image);
    // A picture of a depth Create refuses: 32 bits taken from the picture.
    Bitmap32 picture(3, 3);
    EXPECT_FALSE(image.CopyStdPicture(picture, depth));
    EXPECT_EQ(depth, 32);
    ExpectEmpty(image);
}

TEST(DibImage, CopyHdcTakesItsDepthFromTheColourTable) {
    TestDib trueColour(5, 3, 24);
    std::memset(trueColour.bits(), 0x40, 16 * 3);
    cImage image;
    ASSERT_TRUE(image.CopyHDC(trueColour.dc(), 5, 3));
    EXPECT_EQ(image.BitCount(), 24);
    GdiFlush();
    EXPECT_EQ(static_cast<std::uint8_t*>(image.DIBitsPtr())[14], 0x40);

    const std::vector<RGBQUAD> colours = SixteenColours();
    TestDib indexed(6, 2, 4, colours);
    for (int i = 0; i < 8; ++i) indexed.bits()[i] = static_cast<std::uint8_t>(0x10 * i + (15 - i));
    ASSERT_TRUE(image.CopyHDC(indexed.dc(), 6, 2, 0, 0, 0));
    EXPECT_EQ(image.BitCount(), 4);
    const std::vector<RGBQUAD> copied = ColorTableOf(image.hdc(), 16);
    ASSERT_EQ(copied.size(), 16u);
    EXPECT_EQ(std::memcmp(copied.data(), colours.data(), 16 * sizeof(RGBQUAD)), 0);
    GdiFlush();
    // Same table, so the very same indices: the first three bytes of each row.
    EXPECT_EQ(std::memcmp(image.DIBitsPtr(), indexed.bits(), 3), 0);
    EXPECT_EQ(std::memcmp(static_cast<std::uint8_t*>(image.DIBitsPtr()) + 4, indexed.bits() + 4, 3), 0);

    // A part of the source, from a corner of it.
    ASSERT_TRUE(image.CopyHDC(indexed.dc(), 2, 1, 0, 4, 1));
    EXPECT_EQ(image.Width(), 2);
    GdiFlush();
    // The source's second row from the top is its first in memory; pixels 4 and 5 are its byte 2.
    EXPECT_EQ(static_cast<std::uint8_t*>(image.DIBitsPtr())[0], indexed.bits()[2]);
}

TEST(DibImage, CopyStdPictureKeepsThePicturesColoursAtEveryDepth) {
    // A 16-bit picture gives 24 bits. 5-5-5: red, green, blue in the bottom
    // row; black above.
    TestDib picture(3, 2, 16);
    const std::uint16_t bottom[] = {0x7C00, 0x03E0, 0x001F};
    std::memcpy(picture.bits(), bottom, sizeof bottom);
    GdiFlush();
    const HBITMAP handle = picture.Picture();
    cImage image;
    std::int16_t depth = 0;
    ASSERT_TRUE(image.CopyStdPicture(handle, depth));
    EXPECT_EQ(depth, 24);
    EXPECT_EQ(image.BitCount(), 24);
    EXPECT_EQ(image.Width(), 3);
    GdiFlush();
    const auto* bgr = static_cast<const std::uint8_t*>(image.DIBitsPtr());
    EXPECT_EQ(bgr[2], 255);  // red
    EXPECT_EQ(bgr[4], 255);  // green
    EXPECT_EQ(bgr[6], 255);  // blue
    EXPECT_EQ(bgr[0] + bgr[1] + bgr[3] + bgr[5] + bgr[7] + bgr[8], 0);

    // A palette picture at its own depth keeps its table and indices.
    TestDib indexed(4, 1, 4, SixteenColours());
    indexed.bits()[0] = 0x3C;
    indexed.bits()[1] = 0x0F;
    GdiFlush();
    const HBITMAP indexedHandle = indexed.Picture();
    depth = 0;
    ASSERT_TRUE(image.CopyStdPicture(indexedHandle, depth));
    EXPECT_EQ(depth, 4);
    GdiFlush();
    EXPECT_EQ(static_cast<std::uint8_t*>(image.DIBitsPtr())[0], 0x3C);
    EXPECT_EQ(static_cast<std::uint8_t*>(image.DIBitsPtr())[1], 0x0F);
    EXPECT_EQ(ColorTableOf(image.hdc(), 16)[12].rgbBlue, 12 * 16);

    // A depth chosen by the caller: the indices read come with their own
    // table, and the image keeps that table, so red stays red.
    TestDib colour(2, 1, 24);
    const std::uint8_t redThenBlue[] = {0, 0, 255, 255, 0, 0};
    std::memcpy(colour.bits(), redThenBlue, sizeof redThenBlue);
    GdiFlush();
    const HBITMAP colourHandle = colour.Picture();
    depth = 8;
    ASSERT_TRUE(image.CopyStdPicture(colourHandle, depth));
    EXPECT_EQ(image.BitCount(), 8);
    GdiFlush();
    const std::vector<RGBQUAD> table = ColorTableOf(image.hdc(), 256);
    const auto* indices = static_cast<const std::uint8_t*>(image.DIBitsPtr());
    EXPECT_EQ(RGB(table[indices[0]].rgbRed, table[indices[0]].rgbGreen, table[indices[0]].rgbBlue), RGB(255, 0, 0));
    EXPECT_EQ(RGB(table[indices[1]].rgbRed, table[indices[1]].rgbGreen, table[indices[1]].rgbBlue), RGB(0, 0, 255));
}

TEST(DibImage, PaintHdcDrawsTheWholeBitmapAtThePoint) {
    cImage image;
    ASSERT_TRUE(image.Create(2, 2, 24));
    auto* bgr = static_cast<std::uint8_t*>(image.DIBitsPtr());
    // Bottom row: blue, green; top row (second in memory): red, white.
    const std::uint8_t rows[16] = {255, 0, 0, 0, 255, 0, 0, 0, 0, 0, 255, 255, 255, 255, 0, 0};
    std::memcpy(bgr, rows, sizeof rows);
    Bitmap32 canvas(5, 4);
    BitmapDc dc;
    ASSERT_TRUE(dc.SelectBitmap(canvas.handle()));
    image.PaintHDC(dc.get(), 2, 1, SRCCOPY);
    GdiFlush();
    EXPECT_EQ(canvas.pixel(2, 1) & 0xFFFFFF, 0xFF0000u);
    EXPECT_EQ(canvas.pixel(3, 1) & 0xFFFFFF, 0xFFFFFFu);
    EXPECT_EQ(canvas.pixel(2, 2) & 0xFFFFFF, 0x0000FFu);
    EXPECT_EQ(canvas.pixel(3, 2) & 0xFFFFFF, 0x00FF00u);
    EXPECT_EQ(canvas.pixel(1, 1) & 0xFFFFFF, 0u);
    EXPECT_EQ(canvas.pixel(4, 3) & 0xFFFFFF, 0u);
}

TEST(DibImage, TransformsReturnNewImagesOfTheRightShape) {
    cImage image;
    ASSERT_TRUE(image.CopyHDC(TestDib(3, 2, 4, SixteenColours()).dc(), 3, 2));
    auto* bits = static_cast<std::uint8_t*>(image.DIBitsPtr());
    bits[4] = 0x70;  // top-left pixel: index 7
    const auto turned = image.Rotate(90);
    ASSERT_NE(turned, nullptr);
    EXPECT_EQ(turned->Width(), 2);
    EXPECT_EQ(turned->Height(), 3);
    EXPECT_EQ(turned->BitCount(), 4);
    // Anticlockwise: the top-left corner goes to the bottom-left, the first row in memory.
    EXPECT_EQ(static_cast<std::uint8_t*>(turned->DIBitsPtr())[0], 0x70);
    EXPECT_EQ(ColorTableOf(turned->hdc(), 16)[7].rgbBlue, 7 * 16);
    EXPECT_EQ(image.Rotate(45), nullptr);
    EXPECT_EQ(image.Rotate(0), nullptr);
    ASSERT_NE(image.Rotate(-90), nullptr);

    const auto grey = image.Greyscale();
    EXPECT_EQ(grey->BitCount(), 8);
    const RGBQUAD seven = SixteenColours()[7];
    EXPECT_EQ(static_cast<std::uint8_t*>(grey->DIBitsPtr())[4],
              (seven.rgbRed + seven.rgbGreen + seven.rgbBlue + 1) / 3);
    const auto same = image.Resample(3, 2);
    EXPECT_EQ(std::memcmp(same->DIBitsPtr(), image.DIBitsPtr(), 8), 0);
    // A 24-bit image asks for a whole table of a palette context and is refused it.
    cImage trueColour;
    ASSERT_TRUE(trueColour.Create(2, 2, 24));
    EXPECT_FALSE(trueColour.CopyPalletHDC(image.hdc()));

    // An empty image still gives images, empty ones.
    cImage empty;
    const auto nothing = empty.Mirror(false);
    ASSERT_NE(nothing, nullptr);
    ExpectEmpty(*nothing);
    ExpectEmpty(*empty.Greyscale());
    ExpectEmpty(*empty.Resample(4, 4));
    EXPECT_FALSE(empty.CopyPalletHDC(image.hdc()));
}

TEST(DibImage, TenThousandCyclesLeaveNoGraphicsObjectBehind) {
    TestDib source(7, 5, 8, std::vector<RGBQUAD>(256));
    Bitmap32 picture(7, 5);
    const DWORD before = LiveGdiObjects();
    for (int i = 0; i < 10000; ++i) {
        cImage image;
        std::int16_t depth = 24;
        switch (i % 5) {
            case 0:
                ASSERT_TRUE(image.Create(7, 5, 8));
                break;
            case 1:
                ASSERT_TRUE(image.CopyHDC(source.dc(), 7, 5));
                break;
            case 2:
                ASSERT_TRUE(image.CopyStdPicture(picture, depth));
                break;
            case 3:
                ASSERT_TRUE(image.Create(7, 5, 1));
                ASSERT_FALSE(image.Create(7, -5, 4));
                break;
            case 4:
                ASSERT_TRUE(image.Create(7, 5, 4));
                ASSERT_NE(image.Rotate(270), nullptr);
                break;
        }
    }
    EXPECT_EQ(LiveGdiObjects(), before);
}

}  // namespace
}  // namespace vx
