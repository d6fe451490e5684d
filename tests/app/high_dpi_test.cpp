// The window on a 192-dpi screen is the 96-dpi window with every skin
// pixel doubled. The screen's DPI is read when a program starts, so the
// 192-dpi window is made by a second run of this test program, started
// with the prefix's LogPixels at 192 and put back to 96 however it ends.
#include <windows.h>
#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <vector>

#include "app/main_window.h"
#include "support/win_test_support.h"
#include "test_window.h"

namespace vx {
namespace {

constexpr wchar_t kCaptureVariable[] = L"VX_DPI_CAPTURE";

// The real window, up and painted, as it is on screen: its client area's
// width, height and pixels (the fourth byte cleared).
std::vector<std::uint32_t> CaptureMainWindow() {
    Main main;
    if (!test::StartTestWindow(main)) return {};
    SetCursorPos(0, 0);
    test::PumpFor(300);
    RECT client{};
    GetClientRect(main.hWnd(), &client);
    POINT origin{0, 0};
    ClientToScreen(main.hWnd(), &origin);
    const ScreenDc screen;
    const Bitmap32 shot = Bitmap32::CopyFromDc(screen.get(), origin.x, origin.y, client.right, client.bottom);
    std::vector<std::uint32_t> capture{static_cast<std::uint32_t>(client.right),
                                       static_cast<std::uint32_t>(client.bottom)};
    for (const Bgra pixel : shot.pixels()) capture.push_back(static_cast<std::uint32_t>(pixel) & 0x00FFFFFF);
    return capture;
}

// The prefix's screen DPI, for programs started from now on; back to 96
// when it goes.
class LogPixels {
public:
    explicit LogPixels(DWORD dpi) { Set(dpi); }
    ~LogPixels() { Set(96); }
    LogPixels(const LogPixels&) = delete;
    LogPixels& operator=(const LogPixels&) = delete;

private:
    static void Set(DWORD dpi) {
        RegSetKeyValueW(HKEY_CURRENT_USER, L"Control Panel\\Desktop", L"LogPixels", REG_DWORD, &dpi, sizeof(dpi));
    }
};

// Run by the test below in a program of its own: the window at the
// screen's DPI, written where the variable says.
TEST(HighDpi, DISABLED_CaptureForParent) {
    wchar_t path[MAX_PATH] = {};
    if (!GetEnvironmentVariableW(kCaptureVariable, path, MAX_PATH)) GTEST_SKIP();
    const std::vector<std::uint32_t> capture = CaptureMainWindow();
    std::ofstream(std::filesystem::path(path), std::ios::binary)
        .write(reinterpret_cast<const char*>(capture.data()), static_cast<std::streamsize>(capture.size() * 4));
}

TEST(HighDpi, AtTwiceTheDpiTheWindowIsTheSkinWithEveryPixelDoubled) {
    const std::vector<std::uint32_t> base = CaptureMainWindow();
    ASSERT_GE(base.size(), 2u);
    ASSERT_EQ(base[0], static_cast<std::uint32_t>(Main::kClientWidth));
    ASSERT_EQ(base[1], static_cast<std::uint32_t>(Main::kClientHeight));

    const test::TempFolder folder;
    const std::wstring file = folder.File(L"capture.raw");
    wchar_t self[MAX_PATH] = {};
    GetModuleFileNameW(nullptr, self, MAX_PATH);
    SetEnvironmentVariableW(kCaptureVariable, file.c_str());
    {
        const LogPixels highDpi(192);
        test::RunProcess(test::Quoted(self) +
                         L" --gtest_filter=HighDpi.DISABLED_CaptureForParent --gtest_also_run_disabled_tests");
    }
    SetEnvironmentVariableW(kCaptureVariable, nullptr);
    const std::vector<std::uint8_t> bytes = test::ReadFileBytes(folder / L"capture.raw");
    std::vector<std::uint32_t> doubled(bytes.size() / 4);
    std::memcpy(doubled.data(), bytes.data(), doubled.size() * 4);
    const int w = 2 * Main::kClientWidth, h = 2 * Main::kClientHeight;
    ASSERT_EQ(doubled.size(), 2u + static_cast<std::size_t>(w) * h);
    ASSERT_EQ(doubled[0], static_cast<std::uint32_t>(w));

    // Every pixel but the character's square, which animates on its own.
    const RECT character{Main::kCharacterX, Main::kCharacterY, Main::kCharacterX + Main::kCharacterSize,
                         Main::kCharacterY + Main::kCharacterSize};
    int mismatches = 0;
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            const POINT skin{x / 2, y / 2};
            if (PtInRect(&character, skin)) continue;
            mismatches += doubled[2 + y * w + x] != base[2 + skin.y * Main::kClientWidth + skin.x];
        }
    EXPECT_EQ(mismatches, 0);
}

TEST(HighDpi, MovingToAMonitorOfAnotherDpiRescalesTheSkinAndItsHitAreas) {
    Main main;
    ASSERT_TRUE(test::StartTestWindow(main));
    const auto clientWidth = [&] {
        RECT client{};
        GetClientRect(main.hWnd(), &client);
        return client.right;
    };
    RECT suggested{0, 0, 1280, 1000};
    SendMessageW(main.hWnd(), WM_DPICHANGED, MAKEWPARAM(192, 192), reinterpret_cast<LPARAM>(&suggested));
    EXPECT_EQ(main.Scale(), 2);
    EXPECT_EQ(clientWidth(), 2 * Main::kClientWidth);
    RECT save{};
    GetWindowRect(main.PicSave.hWnd(), &save);
    EXPECT_EQ(save.right - save.left, 64);
    SendMessageW(main.hWnd(), WM_DPICHANGED, MAKEWPARAM(96, 96), reinterpret_cast<LPARAM>(&suggested));
    EXPECT_EQ(main.Scale(), 1);
    EXPECT_EQ(clientWidth(), Main::kClientWidth);
}

}  // namespace
}  // namespace vx
