// SaveBitmapAtDepth on real device bitmaps: exact file sizes at every
// depth, the true colours kept, and the user told of what went wrong.
#include <windows.h>
#include <gtest/gtest.h>

#include <vector>

#include "bmp/color_depth.h"
#include "common/picture_loader.h"
#include "common/win_handles.h"
#include "support/win_test_support.h"

namespace vx {
namespace {

// A screen-compatible device bitmap painted with four colour bands.
class DeviceBitmap {
public:
    DeviceBitmap(int width, int height)
        : bitmap_(CreateCompatibleBitmap(screen_.get(), width, height)),
          dc_(UniqueMemoryDc(CreateCompatibleDC(screen_.get()))) {
        dc_.SelectBitmap(bitmap_.get());
        const COLORREF bands[] = {RGB(255, 0, 0), RGB(0, 255, 0), RGB(0, 0, 255), RGB(255, 128, 0)};
        for (int y = 0; y < height; ++y)
            for (int x = 0; x < width; ++x) SetPixel(dc_.get(), x, y, bands[(x * 4) / width]);
    }
    HDC dc() const { return dc_.get(); }
    HBITMAP bitmap() const { return bitmap_.get(); }

private:
    ScreenDc screen_;
    UniqueBitmap bitmap_;
    BitmapDc dc_;  // after the bitmap: gives it back before it goes
};

std::uint32_t Le32(const std::vector<unsigned char>& b, size_t at) {
    return b[at] | (b[at + 1] << 8) | (b[at + 2] << 16) | (static_cast<std::uint32_t>(b[at + 3]) << 24);
}

TEST(SaveBitmapAtDepth, WritesEveryDepthWithItsExactLayout) {
    test::TempFolder folder;
    DeviceBitmap crest(16, 12);
    struct Case {
        int depth;
        std::uint32_t size, offset;
    };
    for (const Case& c : {Case{1, 54 + 8 + 48, 62}, Case{4, 54 + 64 + 96, 118}, Case{8, 1270, 1078},
                          Case{16, 54 + 4 + 384, 58}, Case{24, 634, 58}, Case{32, 54 + 4 + 768, 58}}) {
        const std::wstring path = folder.File(L"d" + std::to_wstring(c.depth) + L".bmp");
        EXPECT_EQ(SaveBitmapAtDepth(crest.dc(), crest.bitmap(), c.depth, path), static_cast<std::int32_t>(c.size));
        const auto bytes = test::ReadFileBytes(path);
        ASSERT_EQ(bytes.size(), c.size) << c.depth;
        EXPECT_EQ(Le32(bytes, 2), c.size);
        EXPECT_EQ(Le32(bytes, 10), c.offset);
        EXPECT_EQ(bytes[28], c.depth);
    }
    // An ally crest and an odd width.
    DeviceBitmap ally(8, 12), odd(5, 3);
    EXPECT_EQ(SaveBitmapAtDepth(ally.dc(), ally.bitmap(), 8, folder.File(L"ally.bmp")), 1174);
    EXPECT_EQ(SaveBitmapAtDepth(odd.dc(), odd.bitmap(), 8, folder.File(L"odd.bmp")), 1102);
}

TEST(SaveBitmapAtDepth, EightBitFilesKeepTheBitmapsTrueColours) {
    test::TempFolder folder;
    DeviceBitmap crest(16, 12);
    const std::wstring path = folder.File(L"clan.bmp");
    const std::int32_t palette[2] = {0, 1};
    ASSERT_EQ(SaveBitmapAtDepth(crest.dc(), crest.bitmap(), 8, path, palette), 1270);
    Bitmap32 decoded = LoadPictureFile(path, 0);
    EXPECT_EQ(decoded.pixel(0, 0), 0xFF0000u);
    EXPECT_EQ(decoded.pixel(5, 5), 0x00FF00u);
    EXPECT_EQ(decoded.pixel(9, 5), 0x0000FFu);
    // Orange, which a fixed 256-colour table would shift.
    EXPECT_EQ(decoded.pixel(15, 11), 0xFF8000u);
}

TEST(SaveBitmapAtDepth, RefusesUnsupportedDepthsWithTheGermanMessage) {
    test::TempFolder folder;
    DeviceBitmap crest(16, 12);
    for (int depth : {2, 0}) {
        std::wstring text;
        test::ModalDriver driver({test::AnswerMessageBox(L"Vexillor", text)});
        EXPECT_EQ(SaveBitmapAtDepth(crest.dc(), crest.bitmap(), depth, folder.File(L"x.bmp")), -1);
        EXPECT_EQ(text, L"Error!\r\nDieses Bildformat wird nicht unterst\u00FCtzt!");
        EXPECT_EQ(GetFileAttributesW(folder.File(L"x.bmp").c_str()), INVALID_FILE_ATTRIBUTES);
    }
}

TEST(SaveBitmapAtDepth, TheMessageBelongsToTheWindowSavingSoItStaysDisabled) {
    HWND window = CreateWindowExW(0, L"STATIC", L"saving", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0, 200, 100, nullptr,
                                  nullptr, nullptr, nullptr);
    ASSERT_TRUE(window);
    SetActiveWindow(window);
    test::TempFolder folder;
    DeviceBitmap crest(16, 12);
    HWND owner = nullptr;
    bool enabled = true;
    std::wstring text;
    test::ModalDriver driver({[&] {
                                  const std::vector<HWND> boxes = test::ThreadDialogs();
                                  if (boxes.empty()) return false;
                                  owner = GetWindow(boxes.front(), GW_OWNER);
                                  enabled = IsWindowEnabled(window) != FALSE;
                                  return true;
                              },
                              test::AnswerMessageBox(L"Vexillor", text)});
    EXPECT_EQ(SaveBitmapAtDepth(crest.dc(), crest.bitmap(), 8, folder.File(L"missing\\clan.bmp")), 0);
    EXPECT_EQ(owner, window);
    EXPECT_FALSE(enabled);
    DestroyWindow(window);
}

TEST(SaveBitmapAtDepth, AMissingFolderIsReportedAndNothingIsWritten) {
    test::TempFolder folder;
    DeviceBitmap crest(16, 12);
    std::wstring text;
    test::ModalDriver driver({test::AnswerMessageBox(L"Vexillor", text)});
    EXPECT_EQ(SaveBitmapAtDepth(crest.dc(), crest.bitmap(), 8, folder.File(L"missing\\clan.bmp")), 0);
    EXPECT_EQ(text, L"Fehler!\r\nPath not found");
}

TEST(SaveBitmapAtDepth, ReplacingAFileLeavesNoStaleTail) {
    test::TempFolder folder;
    const std::wstring path = folder.File(L"clan.bmp");
    test::WriteFileBytes(path, std::vector<unsigned char>(5000, 0xAB));
    DeviceBitmap crest(16, 12);
    EXPECT_EQ(SaveBitmapAtDepth(crest.dc(), crest.bitmap(), 8, path), 1270);
    EXPECT_EQ(test::ReadFileBytes(path).size(), 1270u);
}

TEST(SaveBitmapAtDepth, AFailingReadOfTheBitmapGivesMinusTwo) {
    HDC screen = GetDC(nullptr);
    EXPECT_EQ(SaveBitmapAtDepth(screen, nullptr, 8, L"C:\\never.bmp"), -2);
    ReleaseDC(nullptr, screen);
}

}  // namespace
}  // namespace vx
