// The window from the keyboard: the accelerators of the command table,
// Tab and Shift+Tab through the seven buttons in bar order with a focus
// mark in the skin's gold, and Enter or Space pressing the focused button.
#include <windows.h>

#include "app/main_window.h"
#include "app/resource_ids.h"

namespace vx {
namespace {

// The skin's gold with a dark line inside it, so the mark reads on the
// light and the dark button pictures alike.
constexpr COLORREF kMarkGold = 0x0033CCFF;
constexpr COLORREF kMarkShade = 0x00202020;

void FrameRectangle(HDC dc, RECT rect, COLORREF colour) {
    UniqueBrush brush(CreateSolidBrush(colour));
    if (brush) FrameRect(dc, &rect, brush.get());
}

bool KeyDown(int key) { return (GetKeyState(key) & 0x8000) != 0; }

}  // namespace

bool Main::TranslateKeys(MSG& msg) {
    if (!hwnd_ || !accelerators_) return false;
    if (msg.hwnd != hwnd_ && !IsChild(hwnd_, msg.hwnd)) return false;
    return TranslateAcceleratorW(hwnd_, accelerators_, &msg) != 0;
}

bool Main::HandleKeyboardMessage(UINT msg, WPARAM wParam, LPARAM, LRESULT& result) {
    switch (msg) {
        case WM_COMMAND:
            if (HIWORD(wParam) > 1) return false;  // a control's notification
            switch (LOWORD(wParam)) {
                case IDM_OPEN_PICTURE:
                    PicBrowseImage_Click();
                    break;
                case IDM_SAVE_CRESTS:
                    PicSave_Click();
                    break;
                case IDM_RENAME:
                    PicRename_Click();
                    break;
                case IDM_CREST_MENU:
                    OpenCrestMenuAtButton();
                    break;
                case IDM_CLOSE:
                    Close();
                    break;
                default:
                    return false;
            }
            result = 0;
            return true;
        case WM_KEYDOWN:
            if (wParam == VK_TAB) {
                MoveButtonFocus(KeyDown(VK_SHIFT));
            } else if ((wParam == VK_RETURN || wParam == VK_SPACE) && buttonBar_.Focus()) {
                PressButton(*buttonBar_.Focus());
            } else {
                return false;
            }
            result = 0;
            return true;
        case WM_CHANGEUISTATE:
        case WM_UPDATEUISTATE: {
            const bool before = buttonBar_.FocusCuesShown();
            buttonBar_.ApplyUiState(static_cast<UiStateAction>(LOWORD(wParam)), HIWORD(wParam));
            if (buttonBar_.Focus() && before != buttonBar_.FocusCuesShown()) RepaintFocusMark(*buttonBar_.Focus());
            return false;  // the platform passes the state on to the children
        }
        default:
            return false;
    }
}

void Main::MoveButtonFocus(bool backwards) {
    const std::optional<BarButton> before = buttonBar_.Focus();
    const BarButton now = buttonBar_.MoveFocus(backwards);
    // The keyboard is in use: focus cues show from now on.
    SendMessageW(hwnd_, WM_CHANGEUISTATE, MAKEWPARAM(UIS_CLEAR, UISF_HIDEFOCUS), 0);
    if (before) RepaintFocusMark(*before);
    RepaintFocusMark(now);
    // Screen readers follow the focus from button to button.
    NotifyWinEvent(EVENT_OBJECT_FOCUS, SurfacesOf(now).button->hWnd(), OBJID_CLIENT, CHILDID_SELF);
}

void Main::PressButton(BarButton button) {
    if (button == BarButton::TypeCrest) {
        OpenCrestMenuAtButton();
        return;
    }
    PictureSurface& surface = *SurfacesOf(button).button;
    if (surface.onClick) surface.onClick();
}

void Main::OpenCrestMenuAtButton() {
    RECT button{};
    GetWindowRect(PicTypeCrest.hWnd(), &button);
    ShowCrestMenu(POINT{button.left, button.bottom}, true);
}

void Main::RepaintFocusMark(BarButton button) {
    PictureSurface& surface = *SurfacesOf(button).button;
    surface.Cls();
    if (buttonBar_.ShowsFocusMark(button)) {
        PaintFocusMark(button);
    } else {
        surface.Refresh();
    }
}

void Main::PaintFocusMark(BarButton button) {
    PictureSurface& surface = *SurfacesOf(button).button;
    RECT edge{0, 0, surface.Width(), surface.Height()};
    FrameRectangle(surface.hDC(), edge, kMarkGold);
    InflateRect(&edge, -1, -1);
    FrameRectangle(surface.hDC(), edge, kMarkShade);
    GdiFlush();
    surface.Refresh();
}

}  // namespace vx
