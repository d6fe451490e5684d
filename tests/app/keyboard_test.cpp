// The real window from the keyboard: each accelerator, Tab and Shift+Tab
// through the bar with its focus mark, Enter, the crest menu at its button
// and the About box. One window serves every case; Alt+F4 ends it last.
#include <windows.h>
#include <gtest/gtest.h>

#include <cstring>
#include <initializer_list>
#include <vector>

#include <commctrl.h>

#include "app/main_window.h"
#include "app/resource_ids.h"
#include "support/win_test_support.h"
#include "test_window.h"

namespace vx {
namespace {

constexpr COLORREF kMarkGold = 0x0033CCFF;
constexpr wchar_t kAboutTitle[] = L"Acerca de Vexillor / About Vexillor";

// A key through the message loop's path, with `held` down in the thread's
// key state: accelerators first, then the window itself. Returns whether it
// was an accelerator.
bool Press(Main& main, UINT key, std::initializer_list<int> held = {}) {
    BYTE saved[256], now[256];
    GetKeyboardState(saved);
    std::memcpy(now, saved, sizeof(now));
    for (const int k : held) now[k] = 0x80;
    SetKeyboardState(now);
    const bool alt = now[VK_MENU] & 0x80;
    MSG msg{main.hWnd(), alt ? WM_SYSKEYDOWN : WM_KEYDOWN, key, alt ? (1 << 29) : 0, 0, {}};
    const bool translated = main.TranslateKeys(msg);
    if (!translated) SendMessageW(msg.hwnd, msg.message, msg.wParam, msg.lParam);
    SetKeyboardState(saved);
    return translated;
}

HWND ShownMenu() {
    for (HWND menu = FindWindowExW(nullptr, nullptr, L"#32768", nullptr); menu;
         menu = FindWindowExW(nullptr, menu, L"#32768", nullptr))
        if (IsWindowVisible(menu)) return menu;
    return nullptr;
}

// A step that waits for the popup menu, reads where it is and whether its
// first item is lit, and closes it.
test::ModalDriver::Step CloseMenu(HMENU menu, RECT& at, bool& firstLit) {
    return [menu, &at, &firstLit] {
        HWND shown = ShownMenu();
        if (!shown) return false;
        GetWindowRect(shown, &at);
        firstLit = menu && (GetMenuState(menu, 0, MF_BYPOSITION) & MF_HILITE) != 0;
        EndMenu();
        return true;
    };
}

// A step that reads the About box and closes it with Esc.
test::ModalDriver::Step CloseAboutWithEscape(std::wstring& text, HWND& owner) {
    return [&text, &owner] {
        HWND box = nullptr;
        for (HWND dialog : test::ThreadDialogs())
            if (test::WindowText(dialog) == kAboutTitle) box = dialog;
        if (!box) return false;
        text = test::MessageBoxText(box);
        owner = GetWindow(box, GW_OWNER);
        PostMessageW(GetFocus(), WM_KEYDOWN, VK_ESCAPE, 0);
        return true;
    };
}

LRESULT CALLBACK CatchCommands(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam, UINT_PTR, DWORD_PTR data) {
    if (msg == WM_COMMAND) {
        reinterpret_cast<std::vector<WPARAM>*>(data)->push_back(wParam);
        return 0;
    }
    return DefSubclassProc(hwnd, msg, wParam, lParam);
}

bool MarkShown(const PictureSurface& button) { return GetPixel(button.hDC(), 0, 0) == kMarkGold; }

TEST(Keyboard, AcceleratorsTabOrderFocusMarkAndTheAboutBox) {
    Main main;
    ASSERT_TRUE(test::StartTestWindow(main));

    // Tab goes through the seven in bar order; the mark shows once the
    // keyboard is in use, and follows the window's UI state.
    const PictureSurface* order[] = {&main.PicBrowseImage, &main.PicSave,    &main.PicTypeCrest, &main.PicRename,
                                     &main.PicFB,          &main.PicTaringa, &main.PicSalir};
    for (const PictureSurface* button : order) EXPECT_FALSE(MarkShown(*button));
    for (const PictureSurface* button : order) {
        EXPECT_FALSE(Press(main, VK_TAB));
        EXPECT_TRUE(MarkShown(*button));
    }
    EXPECT_FALSE(MarkShown(main.PicTaringa));
    Press(main, VK_TAB);
    EXPECT_TRUE(MarkShown(main.PicBrowseImage));
    EXPECT_FALSE(MarkShown(main.PicSalir));
    Press(main, VK_TAB, {VK_SHIFT});
    EXPECT_TRUE(MarkShown(main.PicSalir));
    for (int i = 0; i < 5; ++i) Press(main, VK_TAB, {VK_SHIFT});
    EXPECT_TRUE(MarkShown(main.PicSave));
    // Hover pictures keep the mark on the focused button.
    SendMessageW(main.PicSave.hWnd(), WM_MOUSEMOVE, 0, MAKELPARAM(10, 10));
    EXPECT_TRUE(MarkShown(main.PicSave));
    SendMessageW(main.hWnd(), WM_CHANGEUISTATE, MAKEWPARAM(UIS_SET, UISF_HIDEFOCUS), 0);
    EXPECT_FALSE(MarkShown(main.PicSave));
    SendMessageW(main.hWnd(), WM_CHANGEUISTATE, MAKEWPARAM(UIS_CLEAR, UISF_HIDEFOCUS), 0);
    EXPECT_TRUE(MarkShown(main.PicSave));

    // Each accelerator gives its command to the window, caught on its way
    // in so that no dialog has to come up.
    std::vector<WPARAM> commands;
    SetWindowSubclass(main.hWnd(), &CatchCommands, 1, reinterpret_cast<DWORD_PTR>(&commands));
    EXPECT_TRUE(Press(main, 'O', {VK_CONTROL}));
    EXPECT_TRUE(Press(main, 'S', {VK_CONTROL}));
    EXPECT_TRUE(Press(main, VK_F2));
    EXPECT_TRUE(Press(main, VK_F1));
    EXPECT_FALSE(Press(main, 'S'));
    EXPECT_FALSE(Press(main, 'O', {VK_SHIFT}));
    RemoveWindowSubclass(main.hWnd(), &CatchCommands, 1);
    const std::vector<WPARAM> expected = {MAKEWPARAM(IDM_OPEN_PICTURE, 1), MAKEWPARAM(IDM_SAVE_CRESTS, 1),
                                          MAKEWPARAM(IDM_RENAME, 1), MAKEWPARAM(IDM_ABOUT, 1)};
    EXPECT_EQ(commands, expected);
    // Enter on the focused save button asks for a folder.
    {
        test::ModalDriver driver({test::ChooseFolder(L"")});
        EXPECT_FALSE(Press(main, VK_RETURN));
        EXPECT_TRUE(driver.Finished());
    }
    // Ctrl+M opens the crest menu at its button with the first item lit
    // for the arrow keys.
    RECT button{};
    GetWindowRect(main.PicTypeCrest.hWnd(), &button);
    {
        RECT menu{};
        bool firstLit = false;
        test::ModalDriver driver({CloseMenu(main.MnuTypeCrest(), menu, firstLit)});
        EXPECT_TRUE(Press(main, 'M', {VK_CONTROL}));
        EXPECT_TRUE(driver.Finished());
        EXPECT_EQ(menu.left, button.left);
        EXPECT_TRUE(menu.top == button.bottom || menu.bottom == button.bottom) << menu.top;
        EXPECT_TRUE(firstLit);
    }
    // F1: the About box, owned by the window, closed by Esc.
    {
        std::wstring text;
        HWND owner = nullptr;
        test::ModalDriver driver({CloseAboutWithEscape(text, owner)});
        EXPECT_TRUE(Press(main, VK_F1));
        EXPECT_TRUE(driver.Finished());
        EXPECT_EQ(owner, main.hWnd());
        EXPECT_NE(text.find(L"Vexillor 1.0.0\r\n"), std::wstring::npos) << std::string(text.begin(), text.end());
        EXPECT_NE(text.find(L"crest maker for Aldmoor"), std::wstring::npos);
        EXPECT_NE(text.find(L"HKEY_CURRENT_USER\\Software\\Vexillor\\Options"), std::wstring::npos);
    }
    // Alt+F4 ends the program's window.
    EXPECT_TRUE(Press(main, VK_F4, {VK_MENU}));
    test::PumpFor(50);
    EXPECT_EQ(main.hWnd(), nullptr);
}

}  // namespace
}  // namespace vx
