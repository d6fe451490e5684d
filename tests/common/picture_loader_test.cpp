// The picture loader: every supported format loads at its own pixel size;
// anything else fails with the loader's own error.
#include <gtest/gtest.h>

#include <algorithm>

#include "common/picture_loader.h"
#include "support/win_test_support.h"

namespace vx {
namespace {

using test::DataPath;

constexpr COLORREF kWhite = RGB(255, 255, 255);

struct Case {
    const wchar_t* file;
    int width, height;
    bool exactColours;
};

class LoaderFormats : public testing::TestWithParam<Case> {};

TEST_P(LoaderFormats, LoadsAtItsPixelSizeWithItsColours) {
    const Case& c = GetParam();
    Bitmap32 picture = LoadPictureFile(DataPath(std::wstring(L"pictures\\") + c.file), kWhite);
    ASSERT_EQ(picture.width(), c.width);
    ASSERT_EQ(picture.height(), c.height);
    // Quadrants: red top-left, green top-right, blue bottom-left, yellow bottom-right.
    auto similar = [&](int x, int y, std::uint32_t want) {
        const std::uint32_t got = picture.pixel(x, y);
        const int tolerance = c.exactColours ? 0 : 24;
        for (int shift : {0, 8, 16}) {
            const int a = (got >> shift) & 0xFF, b = (want >> shift) & 0xFF;
            if (std::abs(a - b) > tolerance) return false;
        }
        return true;
    };
    EXPECT_TRUE(similar(c.width / 4, c.height / 4, 0xFF0000));
    EXPECT_TRUE(similar(3 * c.width / 4, c.height / 4, 0x00FF00));
    EXPECT_TRUE(similar(c.width / 4, 3 * c.height / 4, 0x0000FF));
    EXPECT_TRUE(similar(3 * c.width / 4, 3 * c.height / 4, 0xFFFF00));
}

INSTANTIATE_TEST_SUITE_P(Pictures, LoaderFormats,
                         testing::Values(Case{L"sample.bmp", 120, 80, true}, Case{L"sample.jpg", 120, 80, false},
                                         Case{L"sample.gif", 120, 80, true}, Case{L"sample.png", 120, 80, true},
                                         Case{L"sample.tif", 120, 80, true},
                                         // Icons: the largest image of the file.
                                         Case{L"sample.ico", 48, 48, true}));

TEST(PictureLoader, TransparentPixelsTakeTheBackgroundColour) {
    Bitmap32 picture = LoadPictureFile(DataPath(L"pictures\\alpha.png"), RGB(10, 20, 30));
    EXPECT_EQ(picture.pixel(2, 2), 0x0A141Eu);
    EXPECT_EQ(picture.pixel(15, 5), 0x008000u);
}

// Metafiles are made here, so both kinds exist without shipping samples.
std::wstring MakeEnhancedMetafile(const test::TempFolder& folder) {
    const std::wstring path = folder.File(L"drawing.emf");
    RECT frame{0, 0, 2540, 1270};  // 1 x 0.5 inch in HIMETRIC
    HDC dc = CreateEnhMetaFileW(nullptr, path.c_str(), &frame, nullptr);
    HBRUSH red = CreateSolidBrush(RGB(255, 0, 0));
    RECT all{0, 0, 96, 48};
    SetMapMode(dc, MM_TEXT);
    FillRect(dc, &all, red);
    DeleteObject(red);
    DeleteEnhMetaFile(CloseEnhMetaFile(dc));
    return path;
}

std::wstring MakePlaceableWindowsMetafile(const test::TempFolder& folder) {
    HDC dc = CreateMetaFileW(nullptr);
    HBRUSH blue = CreateSolidBrush(RGB(0, 0, 255));
    SelectObject(dc, blue);
    SetWindowExtEx(dc, 1440, 720, nullptr);
    Rectangle(dc, 0, 0, 1440, 720);
    HMETAFILE metafile = CloseMetaFile(dc);
    DeleteObject(blue);
    const UINT size = GetMetaFileBitsEx(metafile, 0, nullptr);
    std::vector<unsigned char> body(size);
    GetMetaFileBitsEx(metafile, size, body.data());
    DeleteMetaFile(metafile);

    // The placeable header: key, handle, bounds, units per inch, checksum.
    std::vector<unsigned char> file(22 + body.size());
    auto put16 = [&](size_t at, unsigned v) { file[at] = v & 0xFF; file[at + 1] = (v >> 8) & 0xFF; };
    put16(0, 0xCDD7); put16(2, 0x9AC6);
    put16(4, 0); put16(6, 0); put16(8, 0); put16(10, 1440); put16(12, 720); put16(14, 1440);
    put16(16, 0); put16(18, 0);
    unsigned checksum = 0;
    for (size_t i = 0; i < 20; i += 2) checksum ^= file[i] | (file[i + 1] << 8);
    put16(20, checksum);
    std::copy(body.begin(), body.end(), file.begin() + 22);
    const std::wstring path = folder.File(L"drawing.wmf");
    test::WriteFileBytes(path, file);
    return path;
}

TEST(PictureLoader, MetafilesLoadAtTheirSizeAtNinetySixDotsPerInch) {
    test::TempFolder folder;
    Bitmap32 emf = LoadPictureFile(MakeEnhancedMetafile(folder), kWhite);
    EXPECT_NEAR(emf.width(), 96, 1);
    EXPECT_NEAR(emf.height(), 48, 1);
    Bitmap32 wmf = LoadPictureFile(MakePlaceableWindowsMetafile(folder), kWhite);
    EXPECT_NEAR(wmf.width(), 96, 1);
    EXPECT_NEAR(wmf.height(), 48, 1);
    EXPECT_EQ(wmf.pixel(48, 24), 0x0000FFu);
}

TEST(PictureLoader, RejectsWhatIsNotAPictureWithItsOwnError) {
    for (const wchar_t* name : {L"pictures\\damaged.jpg", L"pictures\\notapicture.txt"}) {
        try {
            LoadPictureFile(DataPath(name), kWhite);
            ADD_FAILURE() << "loaded a file that is no picture";
        } catch (const PictureLoadError& error) {
            EXPECT_EQ(error.number(), PictureLoadError::kInvalidPicture);
        }
    }
}

TEST(PictureLoader, MissingFilesAndFoldersFail) {
    try {
        LoadPictureFile(DataPath(L"pictures\\no-such-file.png"), kWhite);
        ADD_FAILURE();
    } catch (const PictureLoadError& error) {
        EXPECT_EQ(error.number(), PictureLoadError::kFileNotFound);
    }
    EXPECT_THROW(LoadPictureFile(DataPath(L"pictures"), kWhite), PictureLoadError);
}

TEST(PictureLoader, ReadsPathsWithCharactersOutsideAnyCodePage) {
    test::TempFolder folder;
    const std::wstring path = folder.File(L"escudo-\u00F1\u6F22\u0416.png");
    test::WriteFileBytes(path, test::ReadFileBytes(DataPath(L"pictures\\sample.png")));
    EXPECT_EQ(LoadPictureFile(path, kWhite).width(), 120);
}

}  // namespace
}  // namespace vx
