// The limits every picture meets before a decoder sees it: the pixel
// budget, the size metafiles are drawn at, and headers that prove their
// own data missing.
#include "imaging/picture_limits.h"

#include <gtest/gtest.h>

#include "support/test_files.h"

namespace vx {
namespace {

using test::Bytes;

bool Missing(const Bytes& file) { return PictureDataProvablyMissing(file.Data()); }

TEST(PixelBudget, HundredMegapixelsPassAndOneRowMoreDoesNot) {
    EXPECT_TRUE(WithinPixelBudget(10000, 10000));
    EXPECT_FALSE(WithinPixelBudget(10000, 10001));
    EXPECT_FALSE(WithinPixelBudget(32767, 32767));
    // A product that would wrap 64 bits must not slip through.
    EXPECT_FALSE(WithinPixelBudget(0x7FFFFFFF, 0x7FFFFFFF));
    EXPECT_FALSE(WithinPixelBudget(-1, 5));
    EXPECT_EQ(TooLargeSentence(30000, 20000),
              "The picture is 30000 x 20000 pixels, more than the limit of 100 megapixels.");
}

TEST(PixelBudget, DeepPicturesCountTheirExtraBytes) {
    // 16 bits a sample in four channels: half the pixels.
    EXPECT_TRUE(WithinPixelBudget(10000, 5000, 64));
    EXPECT_FALSE(WithinPixelBudget(10000, 5001, 64));
    EXPECT_TRUE(WithinPixelBudget(10000, 10000, 24));
    EXPECT_NE(TooLargeSentence(10000, 10000, 64).find("limit of 50 megapixels"), std::string::npos);
}

TEST(MetafileSize, LongSideIsBoundedAndProportionsKept) {
    EXPECT_EQ(MetafileRenderSize(640, 480).width, 640);
    const RenderSize wide = MetafileRenderSize(32767, 16384);
    EXPECT_EQ(wide.width, 4096);
    EXPECT_EQ(wide.height, 2048);
    const RenderSize tall = MetafileRenderSize(3, 32767);
    EXPECT_EQ(tall.height, 4096);
    EXPECT_EQ(tall.width, 1);  // never scaled away to nothing
    EXPECT_EQ(MetafileRenderSize(0, 100).width, 0);
}

Bytes Bmp(std::uint32_t width, std::int32_t height, int bits, std::uint32_t compression, std::size_t pixelBytes) {
    Bytes b;
    b.Resize(54 + pixelBytes)
        .Put(0, 'B')
        .Put(1, 'M')
        .PutLe32(10, 54)
        .PutLe32(14, 40)
        .PutLe32(18, width)
        .PutLe32(22, static_cast<std::uint32_t>(height));
    b.PutLe16(26, 1).PutLe16(28, bits).PutLe32(30, compression);
    return b;
}

TEST(MissingPictureData, UncompressedBmpMustHoldEveryRow) {
    // 40 x 30 at 24 bits: rows of 120 bytes.
    EXPECT_TRUE(Missing(Bmp(40, 30, 24, 0, 0)));
    EXPECT_FALSE(Missing(Bmp(40, 30, 24, 0, 120 * 30)));
    EXPECT_TRUE(Missing(Bmp(40, -30, 24, 0, 120 * 29)));  // top-down
    // 5 pixels at 8 bits pad to 8 bytes a row.
    EXPECT_TRUE(Missing(Bmp(5, 3, 8, 0, 23)));
    // Run-length data has no size the header can prove.
    EXPECT_FALSE(Missing(Bmp(32767, 32767, 8, 1, 1026)));
    // Rows x stride beyond 64 bits is missing, not a wrapped small number.
    EXPECT_TRUE(Missing(Bmp(0x7FFFFFFF, 0x7FFFFFFF, 32, 0, 10)));
}

TEST(MissingPictureData, MetafilesMustHoldTheirDeclaredLength) {
    // Placeable header (22 bytes), then the metafile header: disk type, 9
    // header words, version 0x300, total length in words.
    Bytes wmf;
    wmf.PutLe32(0, 0x9AC6CDD7).PutLe16(22, 2).PutLe16(24, 9).PutLe16(26, 0x300).PutLe32(28, 40);
    wmf.Resize(22 + 80);
    EXPECT_FALSE(Missing(wmf));
    wmf.Resize(22 + 79);
    EXPECT_TRUE(Missing(wmf));

    Bytes emf;
    emf.PutLe32(0, 1).PutLe32(4, 108).PutLe32(40, 0x464D4520).PutLe32(48, 108).Resize(108);
    EXPECT_FALSE(Missing(emf));
    emf.Resize(100);
    EXPECT_TRUE(Missing(emf));

    EXPECT_FALSE(Missing(Bytes{0x89, 'P', 'N', 'G'}));
}

TEST(MissingPictureData, TheHeaderAloneAndTheFileSizeAreEnough) {
    const Bytes header = Bmp(40, 30, 24, 0, 0);
    EXPECT_FALSE(PictureDataProvablyMissing(header.Data(), 54 + 120 * 30));
    EXPECT_TRUE(PictureDataProvablyMissing(header.Data(), 54 + 120 * 30 - 1));
}

}  // namespace
}  // namespace vx
