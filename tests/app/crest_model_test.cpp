// The crest workflow's model as the window and the command line rely on it:
// what is squeezed, how the strip is cut, what each save writes and says.
#include "app/crest_workflow.h"

#include <gtest/gtest.h>

#include "painted_picture.h"

#include <cstdint>
#include <functional>
#include <stdexcept>

namespace vx {
namespace {

using test::Picture;

// A solid 40 x 40 block squeezes to exactly its colour.
Colorref BlockColour(int bx, int by) { return MakeColorref(bx * 16, by * 21, (bx + by) * 7); }

TEST(CrestModel, EachModeSqueezesTheWholeSourceIntoItsCrest) {
    const BgraImage blocks = Picture(640, 480, [](int x, int y) { return BlockColour(x / 40, y / 40); });
    const BgraImage clan = ComposeCrest(CrestMode::Clan, blocks.View(), {640, 480});
    ASSERT_EQ(clan.Width(), 16);
    ASSERT_EQ(clan.Height(), 12);
    for (int y = 0; y < 12; ++y)
        for (int x = 0; x < 16; ++x) ASSERT_EQ(clan.ColorAt(x, y), BlockColour(x, y)) << x << "," << y;

    // The strip takes the whole picture too: its alliance part is the left third.
    const BgraImage thirds =
        Picture(240, 60, [](int x, int) { return x < 80 ? MakeColorref(255, 0, 0) : MakeColorref(0, 0, 255); });
    const BgraImage strip = ComposeCrest(CrestMode::AllyClan, thirds.View(), {240, 60});
    ASSERT_EQ(strip.Width(), 24);
    for (int x = 0; x < 24; ++x)
        EXPECT_EQ(strip.ColorAt(x, 5), x < 8 ? MakeColorref(255, 0, 0) : MakeColorref(0, 0, 255)) << x;

    // Only the source rectangle counts: the top-left quarter of the blocks.
    const BgraImage quarter = ComposeCrest(CrestMode::Clan, blocks.View(), {320, 240});
    EXPECT_EQ(quarter.ColorAt(0, 0), BlockColour(0, 0));
    EXPECT_EQ(quarter.ColorAt(15, 11), BlockColour(7, 5));
    EXPECT_EQ(ComposeCrest(CrestMode::Clan, blocks.View(), {0, 0}).Width(), 0);
}

TEST(CrestModel, KeepingProportionsSqueezesOnlyTheCentredPartOfTheCrestsShape) {
    // A 1200 x 300 banner: red and blue ends around a green middle 400 wide,
    // which is exactly the 4 : 3 part of the banner.
    const BgraImage banner = Picture(1200, 300, [](int x, int) {
        return x < 400 ? MakeColorref(255, 0, 0) : x < 800 ? MakeColorref(0, 255, 0) : MakeColorref(0, 0, 255);
    });
    const BgraImage kept = ComposeCrest(CrestMode::Clan, banner.View(), {1200, 300}, true);
    for (int y = 0; y < 12; ++y)
        for (int x = 0; x < 16; ++x) ASSERT_EQ(kept.ColorAt(x, y), MakeColorref(0, 255, 0)) << x << "," << y;
    EXPECT_EQ(ComposeCrest(CrestMode::Clan, banner.View(), {1200, 300}).ColorAt(0, 0), MakeColorref(255, 0, 0));
    // The strip's 2 : 1 part of the banner is 600 wide: its ends are half red, half blue.
    const BgraImage strip = ComposeCrest(CrestMode::AllyClan, banner.View(), {1200, 300}, true);
    EXPECT_EQ(strip.ColorAt(0, 0), MakeColorref(255, 0, 0));
    EXPECT_EQ(strip.ColorAt(12, 6), MakeColorref(0, 255, 0));
    EXPECT_EQ(strip.ColorAt(23, 11), MakeColorref(0, 0, 255));
}

TEST(CrestModel, CrispComposesWithKeepingProportions) {
    // A 24 x 12 strip of distinct cells enlarged three times (72 x 36, its
    // own 2 : 1), between two plain bands that keeping proportions cuts off.
    auto cell = [](int x, int y) { return MakeColorref(x * 10, y * 20, (x * 7 + y * 13) % 256); };
    const BgraImage banner = Picture(108, 36, [&](int x, int y) {
        return x < 18 || x >= 90 ? MakeColorref(255, 255, 255) : cell((x - 18) / 3, y / 3);
    });
    const BgraImage crisp = ComposeCrest(CrestMode::AllyClan, banner.View(), {108, 36}, true, true);
    ASSERT_EQ(crisp.Width(), 24);
    for (int y = 0; y < 12; ++y)
        for (int x = 0; x < 24; ++x) ASSERT_EQ(crisp.ColorAt(x, y), cell(x, y)) << x << "," << y;
    // Without crisp the cells are the exact average of 4.5 x 3 pixels: mixed.
    EXPECT_NE(ComposeCrest(CrestMode::AllyClan, banner.View(), {108, 36}, false, false).ColorAt(1, 0), cell(1, 0));
}

TEST(CrestModel, TheSourceIsTheHeaderSizeWithinThePicture) {
    EXPECT_EQ(CrestSourceSize({0, 0}, {32, 24}).width, 32);  // no header size: the picture's own
    const PixelSize clipped = CrestSourceSize({100, 10}, {32, 24});
    EXPECT_EQ(clipped.width, 32);
    EXPECT_EQ(clipped.height, 10);
}

TEST(CrestModel, TheStripIsCutIntoAnAllyFileAndAClanFileAtDepthEight) {
    const BgraImage strip =
        Picture(24, 12, [](int x, int) { return x < 8 ? MakeColorref(255, 0, 0) : MakeColorref(0, 0, 255); });
    const std::vector<CrestFile> files = PlanCrestFiles(CrestMode::AllyClan, strip.View(), L"C:\\");
    ASSERT_EQ(files.size(), 2u);
    // The folder's text is kept as it stands, even when it ends in a backslash.
    EXPECT_EQ(files[0].path, L"C:\\\\ally.bmp");
    EXPECT_EQ(files[1].path, L"C:\\\\clan.bmp");
    EXPECT_EQ(files[0].role, CrestRole::Ally);
    EXPECT_EQ(files[0].pixels.Width(), 8);
    EXPECT_EQ(files[1].pixels.Width(), 16);
    for (int y = 0; y < 12; ++y) {
        for (int x = 0; x < 8; ++x) ASSERT_EQ(files[0].pixels.ColorAt(x, y), MakeColorref(255, 0, 0));
        for (int x = 0; x < 16; ++x) ASSERT_EQ(files[1].pixels.ColorAt(x, y), MakeColorref(0, 0, 255));
    }
    // 14 + 40 + 1024 bytes of headers and table, then 12 rows of 8 or 16 bytes.
    EXPECT_EQ(files[0].bytes.size(), 1174u);
    EXPECT_EQ(files[1].bytes.size(), 1270u);
    EXPECT_EQ(files[1].bytes[28], 8);

    const std::vector<CrestFile> clan = PlanCrestFiles(CrestMode::Clan, files[1].pixels.View(), L"D:\\crests");
    ASSERT_EQ(clan.size(), 1u);
    EXPECT_EQ(clan[0].path, L"D:\\crests\\clan.bmp");
    EXPECT_EQ(clan[0].bytes, files[1].bytes);

    EXPECT_THROW(PlanCrestFiles(CrestMode::AllyClan, files[1].pixels.View(), L"D:"), std::invalid_argument);
}

}  // namespace
}  // namespace vx
