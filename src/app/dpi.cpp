// The window on high-DPI screens: the skin, the buttons, the previews and
// the banner's zoom are drawn a whole number of times larger, pixel for
// pixel, so the pixel art stays sharp; the window follows the DPI of the
// monitor it is on.
#include <windows.h>

#include "app/dpi_scale.h"
#include "app/main_window.h"

namespace vx {
namespace {

// The DPI the window is drawn for: its monitor's where the platform tells
// it (Windows 10 on), else the system's.
int WindowDpi(HWND window) {
    using GetDpiForWindowFunction = UINT(WINAPI*)(HWND);
    static const auto getDpiForWindow = reinterpret_cast<GetDpiForWindowFunction>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"user32.dll"), "GetDpiForWindow")));
    if (getDpiForWindow && window)
        if (const UINT dpi = getDpiForWindow(window); dpi > 0) return static_cast<int>(dpi);
    const ScreenDc screen;
    return screen.get() ? GetDeviceCaps(screen.get(), LOGPIXELSX) : kBaseDpi;
}

RECT WorkAreaOf(HMONITOR monitor) {
    MONITORINFO info{};
    info.cbSize = sizeof(info);
    if (monitor && GetMonitorInfoW(monitor, &info)) return info.rcWork;
    return RECT{0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
}

}  // namespace

int Main::TextDpi() const { return WindowDpi(hwnd_); }

void Main::FitToMonitor(int dpi, const RECT* suggested) {
    HMONITOR monitor = suggested ? MonitorFromRect(suggested, MONITOR_DEFAULTTONEAREST)
                                 : MonitorFromWindow(hwnd_, MONITOR_DEFAULTTONEAREST);
    const RECT work = WorkAreaOf(monitor);
    const int factor =
        WholeScaleFactor(dpi, kClientWidth, kClientHeight, work.right - work.left, work.bottom - work.top);
    if (factor == scale_ && !suggested) return;
    scale_ = factor;
    PictureSurface* skin[] = {&PicBarra,     &PicTaringa,     &PicRename, &PicFB,    &PicTypeCrest,
                              &PicSave,      &PicBrowseImage, &PicSalir,  &PicFondo, &ImgAllyCrest,
                              &ImgClanCrest, &ImgZoomCrest,   &ImgSwatch};
    for (PictureSurface* surface : skin) surface->SetScale(factor);

    const DWORD style = static_cast<DWORD>(GetWindowLongPtrW(hwnd_, GWL_STYLE));
    RECT frame{0, 0, kClientWidth * factor, kClientHeight * factor};
    AdjustWindowRectEx(&frame, style, FALSE, 0);
    const int width = frame.right - frame.left;
    const int height = frame.bottom - frame.top;
    int x, y;
    if (suggested) {
        x = suggested->left;
        y = suggested->top;
    } else {
        x = work.left + (work.right - work.left - width) / 2;
        y = work.top + (work.bottom - work.top - height) / 2;
    }
    SetWindowPos(hwnd_, nullptr, x, y, width, height, SWP_NOZORDER | SWP_NOACTIVATE);
    InvalidateRect(hwnd_, nullptr, TRUE);
}

bool Main::HandleDpiMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result) {
    if (msg != WM_DPICHANGED) return false;
    // The window moved to a monitor of another DPI.
    FitToMonitor(LOWORD(wParam), reinterpret_cast<const RECT*>(lParam));
    result = 0;
    return true;
}

}  // namespace vx
