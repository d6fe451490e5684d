// The About box, from F1 or the background's context menu: owned by the
// main window, closed by Esc or Enter.
#include <windows.h>

#include "app/about_text.h"
#include "app/main_window.h"
#include "app/resource_ids.h"
#include "app/settings.h"
#include "common/version_info.h"

namespace vx {
namespace {

constexpr wchar_t kAboutItem[] = L"Acerca de Vexillor / About Vexillor\tF1";

}  // namespace

std::wstring Main::AboutBoxText() {
    AboutFacts facts;
    facts.product = ProgramVersionString(L"ProductName");
    if (facts.product.empty()) facts.product = kAppTitle;
    facts.version = ProgramVersionString(L"ProductVersion");
    facts.description = ProgramVersionString(L"FileDescription");
    facts.settingsPlace = SettingsPlace(kAppTitle, kSettingsSection);
    return AboutText(facts);
}

void Main::ShowAboutBox() {
    const std::wstring text = AboutBoxText();
    MSGBOXPARAMSW box{};
    box.cbSize = sizeof(box);
    box.hwndOwner = hwnd_;
    box.hInstance = GetModuleHandleW(nullptr);
    box.lpszText = text.c_str();
    box.lpszCaption = L"Acerca de Vexillor / About Vexillor";
    box.dwStyle = MB_OK | MB_USERICON;
    box.lpszIcon = MAKEINTRESOURCEW(IDI_VEXILLOR);
    MessageBoxIndirectW(&box);
}

bool Main::HandleAboutMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result) {
    if (msg == WM_COMMAND && LOWORD(wParam) == IDM_ABOUT && HIWORD(wParam) <= 1) {
        ShowAboutBox();
        result = 0;
        return true;
    }
    if (msg != WM_CONTEXTMENU) return false;
    // Only the background: the buttons have their own meaning for a click.
    const HWND source = reinterpret_cast<HWND>(wParam);
    if (source != hwnd_ && source != PicFondo.hWnd()) return false;
    POINT at{static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam))};
    if (lParam == -1) {
        // From the keyboard (Shift+F10): at the window's top-left corner.
        at = POINT{0, 0};
        ClientToScreen(hwnd_, &at);
    }
    UniqueMenu menu(CreatePopupMenu());
    if (!menu) return false;
    AppendMenuW(menu.get(), MF_STRING, IDM_ABOUT, kAboutItem);
    SetForegroundWindow(hwnd_);
    const UINT chosen = TrackPopupMenu(menu.get(), TPM_RETURNCMD | TPM_NONOTIFY, at.x, at.y, 0, hwnd_, nullptr);
    PostMessageW(hwnd_, WM_NULL, 0, 0);
    if (chosen == IDM_ABOUT) ShowAboutBox();
    result = 0;
    return true;
}

}  // namespace vx
