// The tooltip window: measurement, creation, placement beside the pointer,
// the balloon's region and the off-screen buffer the picture is made in.
#include <windows.h>

#include <stdexcept>

#include "tooltip/ex_tooltip.h"

namespace vx {
namespace {

// Two classes that differ only by the drop shadow: a class style is shared
// by every window of its class, so the platform's dialog class must not
// carry the tooltip's shadow setting over to the program's dialogs.
constexpr wchar_t kPlainClass[] = L"VexillorToolTip";
constexpr wchar_t kShadowClass[] = L"VexillorToolTipShadow";

// The work area of the monitor that holds a screen point (the nearest one
// when the point lies between monitors).
tooltip::Rect WorkAreaAt(tooltip::Point at) {
    MONITORINFO info{};
    info.cbSize = sizeof(info);
    if (!GetMonitorInfoW(MonitorFromPoint(POINT{at.x, at.y}, MONITOR_DEFAULTTONEAREST), &info))
        return {0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
    const RECT& r = info.rcWork;
    return {r.left, r.top, r.right, r.bottom};
}

// Paints the tooltip's window from the picture composed for it, so anything
// that passes over the tooltip leaves no trace.
LRESULT CALLBACK TipWindowProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    switch (msg) {
        case WM_ERASEBKGND:
            return 1;
        case WM_PAINT: {
            PAINTSTRUCT paint{};
            HDC dc = BeginPaint(hwnd, &paint);
            auto* picture = reinterpret_cast<const BitmapDc*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
            RECT client{};
            GetClientRect(hwnd, &client);
            if (dc && picture && picture->get())
                BitBlt(dc, 0, 0, client.right, client.bottom, picture->get(), 0, 0, SRCCOPY);
            EndPaint(hwnd, &paint);
            return 0;
        }
        default:
            return DefWindowProcW(hwnd, msg, wParam, lParam);
    }
}

const wchar_t* TipClass(bool shadow) {
    static bool registered = false;
    if (!registered) {
        for (const bool withShadow : {false, true}) {
            WNDCLASSEXW wc{};
            wc.cbSize = sizeof(wc);
            wc.style = withShadow ? CS_DROPSHADOW : 0;
            wc.lpfnWndProc = TipWindowProc;
            wc.hInstance = GetModuleHandleW(nullptr);
            wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
            wc.lpszClassName = withShadow ? kShadowClass : kPlainClass;
            if (!RegisterClassExW(&wc) && GetLastError() != ERROR_CLASS_ALREADY_EXISTS) return nullptr;
        }
        registered = true;
    }
    return shadow ? kShadowClass : kPlainClass;
}

// A device context for the whole display, deleted at the end of the scope.
UniqueMemoryDc DisplayDc() { return UniqueMemoryDc(CreateDCW(L"DISPLAY", nullptr, nullptr, nullptr)); }

}  // namespace

tooltip::Size ExToolTip::MeasureBlock(bool bTitle) {
    if (bTitle && title_.empty()) title_ = L" ";
    UniqueMemoryDc dc = DisplayDc();
    if (!dc) return {};
    font_->SetBold(bTitle);
    SelectGuard font(dc.get(), font_->hFont());
    const std::wstring& block = bTitle ? title_ : text_;
    RECT rect{0, 0, 0, 0};
    DrawTextW(dc.get(), block.c_str(), static_cast<int>(block.size()), &rect, DT_CALCRECT);
    return {rect.right, rect.bottom};
}

bool ExToolTip::CreateTipWindow() {
    const wchar_t* windowClass = TipClass(shadow_);
    if (!windowClass) return false;
    const tooltip::Point at = tracker_.CursorPos();
    // Made as a pop-up so the platform never adds the caption that an
    // overlapped window gets; PlaceWindow then clears every style. Under
    // Wine a window that once had a caption is left to a window manager,
    // and hiding it waits for one.
    tipWindow_ = CreateWindowExW(WS_EX_TOOLWINDOW, windowClass, kWindowTitle, WS_POPUP, at.x, at.y, content_.width,
                                 content_.height, nullptr, nullptr, GetModuleHandleW(nullptr), nullptr);
    if (!tipWindow_) return false;
    // The window repaints from the back buffer, kept while the window lives.
    SetWindowLongPtrW(tipWindow_, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(&backBuffer_.dc));
    return true;
}

bool ExToolTip::PlaceWindow() {
    const tooltip::Point at = tracker_.CursorPos();
    placement_ = tooltip::PlaceTip(at, content_, WorkAreaAt(at), tooltip::IsBalloon(toolTipStyle_));
    SetWindowLongPtrW(tipWindow_, GWL_STYLE, 0);
    SetWindowLongPtrW(tipWindow_, GWL_EXSTYLE, GetWindowLongPtrW(tipWindow_, GWL_EXSTYLE) & ~WS_EX_CLIENTEDGE);
    const tooltip::Rect& r = placement_.window;
    return SetWindowPos(tipWindow_, nullptr, r.left, r.top, r.Width(), r.Height(),
                        SWP_NOZORDER | SWP_NOACTIVATE | SWP_FRAMECHANGED) != FALSE;
}

UniqueRegion ExToolTip::BuildShape() {
    const int w = content_.width;
    const int t = tooltip::WindowHeight(content_, placement_.stemY);
    if (!tooltip::IsBalloon(toolTipStyle_)) return UniqueRegion(CreateRectRgn(0, 0, w, t));

    // The removals alternate between the two regions, so the frame keeps
    // the shape as it was before the last one.
    UniqueRegion shape(CreateRectRgn(0, 0, w, t));
    UniqueRegion frame(CreateRectRgn(0, 0, 0, 0));
    if (!shape || !frame) return UniqueRegion();
    const auto cuts = tooltip::BalloonRemovals(w, t, placement_.stemX, placement_.stemY);
    for (std::size_t i = 0; i < cuts.size(); ++i) {
        const tooltip::Rect& c = cuts[i];
        UniqueRegion cut(CreateRectRgn(c.left, c.top, c.right, c.bottom));
        if (i % 2 == 0) {
            CombineRgn(frame.get(), shape.get(), cut.get(), RGN_DIFF);
        } else {
            CombineRgn(shape.get(), frame.get(), cut.get(), RGN_DIFF);
        }
    }
    // The window owns its region from here on.
    if (SetWindowRgn(tipWindow_, shape.get(), TRUE)) shape.release();
    return frame;
}

HDC ExToolTip::EnsureBackBuffer(int w, int h) {
    if (backBuffer_.dc && backBuffer_.width >= w && backBuffer_.height >= h) return backBuffer_.dc.get();
    if (!backBuffer_.dc && (w <= 0 || h <= 0)) return nullptr;
    ReleaseBackBuffer();
    UniqueMemoryDc display = DisplayDc();
    if (!display) return nullptr;
    BackBuffer made;
    made.bitmap.reset(CreateCompatibleBitmap(display.get(), w, h));
    made.dc = BitmapDc(UniqueMemoryDc(CreateCompatibleDC(display.get())));
    if (!made.bitmap || !made.dc || !made.dc.SelectBitmap(made.bitmap.get())) return nullptr;
    made.width = w;
    made.height = h;
    backBuffer_ = std::move(made);
    return backBuffer_.dc.get();
}

void ExToolTip::ReleaseBackBuffer() {
    backBuffer_.dc.reset();
    backBuffer_.bitmap.reset();
    backBuffer_.width = backBuffer_.height = 0;
}

}  // namespace vx
