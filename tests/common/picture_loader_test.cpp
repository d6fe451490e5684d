// The picture loader: every supported format loads at its own pixel size;
// anything else fails with the loader's own error.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

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
    auto put16 = [&](size_t at, unsigned v) {
        file[at] = v & 0xFF;
        file[at + 1] = (v >> 8) & 0xFF;
    };
    put16(0, 0xCDD7);
    put16(2, 0x9AC6);
    put16(4, 0);
    put16(6, 0);
    put16(8, 0);
    put16(10, 1440);
    put16(12, 720);
    put16(14, 1440);
    put16(16, 0);
    put16(18, 0);
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

TEST(PictureLoader, AMetafileWithAHugeFrameIsDrawnAtABoundedSize) {
    test::TempFolder folder;
    const std::wstring path = folder.File(L"huge.emf");
    RECT frame{0, 0, 866960, 433480};  // 32767 x 16383 pixels at 96 dpi, in HIMETRIC
    HDC dc = CreateEnhMetaFileW(nullptr, path.c_str(), &frame, nullptr);
    HBRUSH red = CreateSolidBrush(RGB(255, 0, 0));
    RECT all{0, 0, 32767, 16383};
    FillRect(dc, &all, red);
    DeleteObject(red);
    DeleteEnhMetaFile(CloseEnhMetaFile(dc));
    Bitmap32 picture = LoadPictureFile(path, kWhite);
    EXPECT_EQ(std::max(picture.width(), picture.height()), 4096);
    EXPECT_NEAR(picture.height(), 2048, 1);
}

std::vector<unsigned char> PngHeader(unsigned width, unsigned height) {
    std::vector<unsigned char> b = {0x89, 'P', 'N', 'G', 0x0D, 0x0A, 0x1A, 0x0A, 0, 0, 0, 13, 'I', 'H', 'D', 'R'};
    for (unsigned v : {width, height})
        for (int shift = 24; shift >= 0; shift -= 8) b.push_back(static_cast<unsigned char>(v >> shift));
    b.insert(b.end(), {8, 2, 0, 0, 0, 0, 0, 0, 0});
    return b;
}

// A BMP header of 54 bytes with `pixelBytes` bytes after it.
std::vector<unsigned char> BmpHeader(unsigned width, unsigned height, int bits, int compression,
                                     std::size_t pixelBytes) {
    std::vector<unsigned char> b(54 + pixelBytes, 0);
    auto put32 = [&](std::size_t at, unsigned v) {
        for (int k = 0; k < 4; ++k) b[at + k] = static_cast<unsigned char>(v >> (8 * k));
    };
    b[0] = 'B';
    b[1] = 'M';
    put32(2, static_cast<unsigned>(b.size()));
    put32(10, 54);
    put32(14, 40);
    put32(18, width);
    put32(22, height);
    b[26] = 1;
    b[28] = static_cast<unsigned char>(bits);
    put32(30, static_cast<unsigned>(compression));
    return b;
}

long LoadErrorNumber(const std::wstring& path, std::string* description = nullptr, std::wstring* spanish = nullptr) {
    try {
        LoadPictureFile(path, kWhite);
    } catch (const PictureLoadError& error) {
        if (description) *description = error.what();
        if (spanish) *spanish = error.spanish();
        return error.number();
    }
    return 0;
}

TEST(PictureLoader, PicturesAboveTheBudgetAreRefusedBeforeDecoding) {
    test::TempFolder folder;
    test::WriteFileBytes(folder.File(L"big.png"), PngHeader(20000, 20000));
    std::string description;
    std::wstring spanish;
    EXPECT_EQ(LoadErrorNumber(folder.File(L"big.png"), &description, &spanish), PictureLoadError::kOutOfMemory);
    EXPECT_NE(description.find("20000 x 20000 pixels"), std::string::npos) << description;
    EXPECT_NE(description.find("100 megapixels"), std::string::npos) << description;
    // The window tells it in both languages.
    EXPECT_NE(spanish.find(L"La imagen tiene 20000 x 20000"), std::wstring::npos);
    EXPECT_NE(description.find("The picture is 20000 x 20000"), std::string::npos);
    // Run-length data ending at once, declaring 32767 x 32767.
    test::WriteFileBytes(folder.File(L"rle.bmp"), BmpHeader(32767, 32767, 8, 1, 1026));
    EXPECT_EQ(LoadErrorNumber(folder.File(L"rle.bmp"), &description), PictureLoadError::kOutOfMemory);
    EXPECT_NE(description.find("32767 x 32767"), std::string::npos) << description;
}

TEST(PictureLoader, AFileAboveTheSizeLimitNamesItsSizeAndTheLimit) {
    test::TempFolder folder;
    const std::wstring path = folder.File(L"huge.bmp");
    test::WriteFileBytes(path, BmpHeader(100, 100, 24, 0, 0));
    {
        // 600 MB without writing them: the end is set, the rest stays sparse.
        HANDLE file =
            CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
        ASSERT_NE(file, INVALID_HANDLE_VALUE);
        LARGE_INTEGER end{};
        end.QuadPart = 600ll << 20;
        SetFilePointerEx(file, end, nullptr, FILE_BEGIN);
        SetEndOfFile(file);
        CloseHandle(file);
    }
    std::string description;
    EXPECT_EQ(LoadErrorNumber(path, &description), PictureLoadError::kOutOfMemory);
    EXPECT_NE(description.find("600 MB"), std::string::npos) << description;
    EXPECT_NE(description.find("512 MB"), std::string::npos) << description;
}

TEST(PictureLoader, PixelDataTheHeaderProvesMissingIsAnInvalidPicture) {
    test::TempFolder folder;
    test::WriteFileBytes(folder.File(L"short.bmp"), BmpHeader(40, 30, 24, 0, 0));
    EXPECT_EQ(LoadErrorNumber(folder.File(L"short.bmp")), PictureLoadError::kInvalidPicture);
    auto wmf = test::ReadFileBytes(MakePlaceableWindowsMetafile(folder));
    wmf.resize(wmf.size() - 10);
    test::WriteFileBytes(folder.File(L"cut.wmf"), wmf);
    EXPECT_EQ(LoadErrorNumber(folder.File(L"cut.wmf")), PictureLoadError::kInvalidPicture);
}

TEST(PictureLoader, APictureOpenForWritingInAnotherProgramStillLoads) {
    test::TempFolder folder;
    const std::wstring path = folder.File(L"open.png");
    test::WriteFileBytes(path, test::ReadFileBytes(DataPath(L"pictures\\sample.png")));
    HANDLE other = CreateFileW(path.c_str(), GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                               OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(other, INVALID_HANDLE_VALUE);
    EXPECT_EQ(LoadErrorNumber(path), 0);
    CloseHandle(other);
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
