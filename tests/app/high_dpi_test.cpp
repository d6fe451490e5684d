// The window on a 192-dpi screen is the 96-dpi window with every skin
// pixel doubled. The screen's DPI is read when a program starts, so the
// 192-dpi window is made by a second run of this test program, started
// with the prefix's LogPixels at 192 and put back to 96 however it ends.
#include <windows.h>
#include <gtest/gtest.h>

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "app/main_window.h"
#include "support/win_test_support.h"

namespace vx {
namespace {

constexpr wchar_t kCaptureVariable[] = L"VX_DPI_CAPTURE";

struct Capture {
    int width = 0, height = 0;
    std::vector<std::uint32_t> pixels;  // 0x00RRGGBB, top row first
    std::uint32_t At(int x, int y) const { return pixels[static_cast<std::size_t>(y) * width + x]; }
};

// The window's client area as it is on screen.
Capture CaptureClient(HWND window) {
    RECT client{};
    GetClientRect(window, &client);
    POINT origin{0, 0};
    ClientToScreen(window, &origin);
    Capture capture;
    capture.width = client.right;
    capture.height = client.bottom;
    capture.pixels.resize(static_cast<std::size_t>(capture.width) * capture.height);
    HDC screen = GetDC(nullptr);
    HDC memory = CreateCompatibleDC(screen);
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof(info.bmiHeader);
    info.bmiHeader.biWidth = capture.width;
    info.bmiHeader.biHeight = -capture.height;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    void* bits = nullptr;
    HBITMAP bitmap = CreateDIBSection(screen, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    HGDIOBJ old = SelectObject(memory, bitmap);
    BitBlt(memory, 0, 0, capture.width, capture.height, screen, origin.x, origin.y, SRCCOPY | CAPTUREBLT);
    GdiFlush();
    const auto* source = static_cast<const std::uint32_t*>(bits);
    for (std::size_t i = 0; i < capture.pixels.size(); ++i) capture.pixels[i] = source[i] & 0x00FFFFFF;
    SelectObject(memory, old);
    DeleteObject(bitmap);
    DeleteDC(memory);
    ReleaseDC(nullptr, screen);
    return capture;
}

// The real window, up and painted, captured.
Capture CaptureMainWindow() {
    Main main;
    Main::Options options;
    options.quitOnDestroy = false;
    options.characterFile = test::AssetPath(L"char0.dat");
    if (!main.Start(options)) return {};
    SetWindowPos(main.hWnd(), HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
    SetCursorPos(0, 0);
    test::PumpFor(300);
    return CaptureClient(main.hWnd());
}

// A 32-bit BMP of a capture, for a person to look at.
void SaveBmp(const Capture& capture, const std::wstring& path) {
    std::ofstream out(std::filesystem::path(path), std::ios::binary);
    const std::uint32_t imageBytes = static_cast<std::uint32_t>(capture.pixels.size() * 4);
    BITMAPFILEHEADER file{};
    file.bfType = 0x4D42;
    file.bfOffBits = sizeof(BITMAPFILEHEADER) + sizeof(BITMAPINFOHEADER);
    file.bfSize = file.bfOffBits + imageBytes;
    BITMAPINFOHEADER header{};
    header.biSize = sizeof(header);
    header.biWidth = capture.width;
    header.biHeight = -capture.height;
    header.biPlanes = 1;
    header.biBitCount = 32;
    out.write(reinterpret_cast<const char*>(&file), sizeof(file));
    out.write(reinterpret_cast<const char*>(&header), sizeof(header));
    out.write(reinterpret_cast<const char*>(capture.pixels.data()), imageBytes);
}

Capture LoadCapture(const std::wstring& path) {
    std::ifstream in(std::filesystem::path(path), std::ios::binary);
    Capture capture;
    in.read(reinterpret_cast<char*>(&capture.width), sizeof(int));
    in.read(reinterpret_cast<char*>(&capture.height), sizeof(int));
    if (!in || capture.width <= 0 || capture.height <= 0 || capture.width > 8192 || capture.height > 8192) return {};
    capture.pixels.resize(static_cast<std::size_t>(capture.width) * capture.height);
    in.read(reinterpret_cast<char*>(capture.pixels.data()), static_cast<std::streamsize>(capture.pixels.size() * 4));
    return in ? capture : Capture{};
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
    const Capture capture = CaptureMainWindow();
    std::ofstream out(std::filesystem::path(path), std::ios::binary);
    out.write(reinterpret_cast<const char*>(&capture.width), sizeof(int));
    out.write(reinterpret_cast<const char*>(&capture.height), sizeof(int));
    out.write(reinterpret_cast<const char*>(capture.pixels.data()),
              static_cast<std::streamsize>(capture.pixels.size() * 4));
}

TEST(HighDpi, AtTwiceTheDpiTheWindowIsTheSkinWithEveryPixelDoubled) {
    const Capture base = CaptureMainWindow();
    ASSERT_EQ(base.width, Main::kClientWidth);
    ASSERT_EQ(base.height, Main::kClientHeight);

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
    const Capture doubled = LoadCapture(file);
    ASSERT_EQ(doubled.width, 2 * Main::kClientWidth);
    ASSERT_EQ(doubled.height, 2 * Main::kClientHeight);
    if (const char* keep = std::getenv("VX_DPI_SCREENSHOT"))
        SaveBmp(doubled, std::wstring(keep, keep + std::strlen(keep)));

    // Every pixel but the character's square, which animates on its own.
    const RECT character{Main::kCharacterX, Main::kCharacterY, Main::kCharacterX + Main::kCharacterSize,
                         Main::kCharacterY + Main::kCharacterSize};
    int mismatches = 0;
    for (int y = 0; y < doubled.height; ++y)
        for (int x = 0; x < doubled.width; ++x) {
            const POINT skin{x / 2, y / 2};
            if (PtInRect(&character, skin)) continue;
            if (doubled.At(x, y) != base.At(skin.x, skin.y) && ++mismatches <= 5)
                ADD_FAILURE() << "at " << x << "," << y;
        }
    EXPECT_EQ(mismatches, 0);
}

}  // namespace
}  // namespace vx
