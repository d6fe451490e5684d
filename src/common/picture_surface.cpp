#include "common/picture_surface.h"

#include <algorithm>
#include <cmath>
#include <stdexcept>

#include "common/window_object.h"

namespace vx {
namespace {

constexpr wchar_t kClassName[] = L"VexillorPictureSurface";

void RegisterSurfaceClass(WNDPROC proc) {
    static bool registered = false;
    if (registered) return;
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof(wc);
    wc.lpfnWndProc = proc;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    wc.lpszClassName = kClassName;
    if (!RegisterClassExW(&wc) && GetLastError() != ERROR_CLASS_ALREADY_EXISTS)
        throw std::runtime_error("cannot register the picture surface class");
    registered = true;
}

}  // namespace

COLORREF PictureSurface::ResolveColor(COLORREF color) {
    if (color & 0x80000000u) return GetSysColor(static_cast<int>(color & 0xFF));
    return color & 0x00FFFFFF;
}

PictureSurface::~PictureSurface() {
    Destroy();
    ReleaseImage();
}

void PictureSurface::ReleaseImage() {
    // The DC gives back what it held first, so the font and image it selected
    // can be deleted.
    imageDc_.reset();
    font_.reset();
    image_ = Bitmap32();
}

void PictureSurface::Create(HWND parent, const std::wstring& name, const Layout& layout) {
    RegisterSurfaceClass(&PictureSurface::WindowProc);
    // A surface made again starts afresh, as a new control would.
    Destroy();
    ReleaseImage();
    picture_.reset();
    name_ = name;
    x_ = layout.x;
    y_ = layout.y;
    width_ = std::max(layout.width, 1);
    height_ = std::max(layout.height, 1);
    fit_ = layout.fit;
    backColor_ = layout.backColor;

    if (!imageDc_.Create()) throw std::runtime_error("cannot create a memory DC");
    SetBkMode(imageDc_.get(), TRANSPARENT);
    SetTextColor(imageDc_.get(), foreColor_);
    EnsureImageSize(width_, height_);
    PaintBackground();

    DWORD style = WS_CHILD | WS_CLIPSIBLINGS | WS_CLIPCHILDREN | (layout.visible ? WS_VISIBLE : 0);
    hwnd_ = CreateWindowExW(0, kClassName, name.c_str(), style, x_ * scale_, y_ * scale_, width_ * scale_,
                            height_ * scale_, parent, nullptr, GetModuleHandleW(nullptr), this);
    if (!hwnd_) throw std::runtime_error("cannot create a picture surface");
}

void PictureSurface::Destroy() {
    if (hwnd_) {
        HWND hwnd = hwnd_;
        hwnd_ = nullptr;
        SetWindowLongPtrW(hwnd, GWLP_USERDATA, 0);
        DestroyWindow(hwnd);
    }
}

void PictureSurface::EnsureImageSize(int width, int height) {
    width = std::max(width, width_);
    height = std::max(height, height_);
    if (image_ && image_.width() >= width && image_.height() >= height) return;
    Bitmap32 grown(std::max(width, image_.width()), std::max(height, image_.height()));
    if (image_) {
        UniqueMemoryDc dc(CreateCompatibleDC(nullptr));
        SelectGuard select(dc.get(), grown.handle());
        BitBlt(dc.get(), 0, 0, image_.width(), image_.height(), imageDc_.get(), 0, 0, SRCCOPY);
    }
    imageDc_.SelectBitmap(grown.handle());
    image_ = std::move(grown);
}

void PictureSurface::PaintBackground() {
    UniqueBrush brush(CreateSolidBrush(ResolveColor(backColor_)));
    RECT all{0, 0, image_.width(), image_.height()};
    FillRect(imageDc_.get(), &all, brush.get());
    if (!picture_ || !*picture_) return;
    UniqueMemoryDc source(CreateCompatibleDC(nullptr));
    SelectGuard select(source.get(), picture_->handle());
    if (fit_ == PictureFit::Stretch) {
        SetStretchBltMode(imageDc_.get(), COLORONCOLOR);
        StretchBlt(imageDc_.get(), 0, 0, width_, height_, source.get(), 0, 0, picture_->width(), picture_->height(),
                   SRCCOPY);
    } else {
        BitBlt(imageDc_.get(), 0, 0, picture_->width(), picture_->height(), source.get(), 0, 0, SRCCOPY);
    }
}

void PictureSurface::SetPicture(SharedPicture picture) {
    picture_ = std::move(picture);
    // The persistent image is as large as the surface and its picture, and
    // no larger: a large picture once shown must not keep its memory after
    // a smaller one replaced it. Cls below redraws all of it.
    int width = width_, height = height_;
    if (picture_ && *picture_ && fit_ == PictureFit::Natural) {
        width = std::max(width, picture_->width());
        height = std::max(height, picture_->height());
    }
    ReplaceImage(width, height);
    Cls();
    Refresh();
}

void PictureSurface::ReplaceImage(int width, int height) {
    if (image_ && image_.width() == width && image_.height() == height) return;
    Bitmap32 fresh(width, height);
    imageDc_.SelectBitmap(fresh.handle());
    image_ = std::move(fresh);
}

SharedPicture PictureSurface::Image() const {
    GdiFlush();
    return std::make_shared<const Bitmap32>(Bitmap32::CopyFromDc(imageDc_.get(), 0, 0, width_, height_));
}

void PictureSurface::Cls() {
    PaintBackground();
    GdiFlush();
}

void PictureSurface::Refresh() {
    if (!hwnd_) return;
    InvalidateRect(hwnd_, nullptr, FALSE);
    UpdateWindow(hwnd_);
}

void PictureSurface::SetForeColor(COLORREF color) {
    foreColor_ = color;
    SetTextColor(imageDc_.get(), ResolveColor(color));
}

void PictureSurface::SetBackColor(COLORREF color) {
    backColor_ = color;
    Cls();
    Refresh();
}

void PictureSurface::SetFont(const std::wstring& face, double points, bool bold, int dpi) {
    // Point sizes are laid out at the screen's logical resolution, as text is.
    if (dpi <= 0) {
        dpi = 96;
        if (const ScreenDc screen; screen.get()) dpi = GetDeviceCaps(screen.get(), LOGPIXELSY);
    }
    LOGFONTW lf{};
    lf.lfHeight = -static_cast<LONG>(std::lround(points * dpi / 72.0));
    lf.lfWeight = bold ? FW_BOLD : FW_NORMAL;
    lf.lfCharSet = DEFAULT_CHARSET;
    lf.lfQuality = DEFAULT_QUALITY;
    face.copy(lf.lfFaceName, LF_FACESIZE - 1);
    UniqueFont font(CreateFontIndirectW(&lf));
    if (!font) return;
    imageDc_.SelectFont(font.get());
    font_ = std::move(font);
}

void PictureSurface::Move(int x, int y, int width, int height) {
    x_ = x;
    y_ = y;
    width_ = std::max(width, 1);
    height_ = std::max(height, 1);
    EnsureImageSize(width_, height_);
    if (hwnd_)
        SetWindowPos(hwnd_, nullptr, x_ * scale_, y_ * scale_, width_ * scale_, height_ * scale_,
                     SWP_NOZORDER | SWP_NOACTIVATE);
}

void PictureSurface::SetScale(int factor) {
    scale_ = std::max(factor, 1);
    if (!hwnd_) return;
    SetWindowPos(hwnd_, nullptr, x_ * scale_, y_ * scale_, width_ * scale_, height_ * scale_,
                 SWP_NOZORDER | SWP_NOACTIVATE);
    InvalidateRect(hwnd_, nullptr, FALSE);
}

namespace {
// A window coordinate in the surface's own pixels; a point left of or
// above the window stays outside it.
int Unscaled(int windowCoordinate, int scale) {
    return windowCoordinate >= 0 ? windowCoordinate / scale : -((-windowCoordinate + scale - 1) / scale);
}
}  // namespace

void PictureSurface::SetVisible(bool visible) {
    if (hwnd_) ShowWindow(hwnd_, visible ? SW_SHOWNA : SW_HIDE);
}

bool PictureSurface::Visible() const { return hwnd_ && (GetWindowLongPtrW(hwnd_, GWL_STYLE) & WS_VISIBLE); }

LRESULT CALLBACK PictureSurface::WindowProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    PictureSurface* self = AttachedObject(hwnd, msg, lParam, &PictureSurface::hwnd_);
    if (msg == WM_NCDESTROY) {
        SetWindowLongPtrW(hwnd, GWLP_USERDATA, 0);
        if (self && self->hwnd_ == hwnd) self->hwnd_ = nullptr;
        return DefWindowProcW(hwnd, msg, wParam, lParam);
    }
    if (!self) return DefWindowProcW(hwnd, msg, wParam, lParam);
    return self->HandleMessage(msg, wParam, lParam);
}

LRESULT PictureSurface::HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam) {
    switch (msg) {
        case WM_ERASEBKGND:
            return 1;
        case WM_PAINT: {
            const PaintScope paint(hwnd_);
            GdiFlush();
            if (scale_ == 1) {
                BitBlt(paint.dc(), 0, 0, width_, height_, imageDc_.get(), 0, 0, SRCCOPY);
            } else {
                // Whole-factor enlargement: every pixel a sharp square.
                SetStretchBltMode(paint.dc(), COLORONCOLOR);
                StretchBlt(paint.dc(), 0, 0, width_ * scale_, height_ * scale_, imageDc_.get(), 0, 0, width_, height_,
                           SRCCOPY);
            }
            return 0;
        }
        case WM_MOUSEMOVE:
            if (onMouseMove)
                onMouseMove(Unscaled(static_cast<short>(LOWORD(lParam)), scale_),
                            Unscaled(static_cast<short>(HIWORD(lParam)), scale_), wParam);
            return 0;
        case WM_RBUTTONDOWN:
        case WM_RBUTTONUP:
            if (onMouseButton)
                onMouseButton(msg, Unscaled(static_cast<short>(LOWORD(lParam)), scale_),
                              Unscaled(static_cast<short>(HIWORD(lParam)), scale_));
            return 0;
        case WM_LBUTTONDOWN:
            if (onMouseButton)
                onMouseButton(msg, Unscaled(static_cast<short>(LOWORD(lParam)), scale_),
                              Unscaled(static_cast<short>(HIWORD(lParam)), scale_));
            pressed_ = true;
            SetCapture(hwnd_);
            return 0;
        case WM_LBUTTONUP: {
            if (onMouseButton)
                onMouseButton(msg, Unscaled(static_cast<short>(LOWORD(lParam)), scale_),
                              Unscaled(static_cast<short>(HIWORD(lParam)), scale_));
            const bool wasPressed = pressed_;
            pressed_ = false;
            if (GetCapture() == hwnd_) ReleaseCapture();
            POINT pt{Unscaled(static_cast<short>(LOWORD(lParam)), scale_),
                     Unscaled(static_cast<short>(HIWORD(lParam)), scale_)};
            RECT rc{0, 0, width_, height_};
            if (wasPressed && PtInRect(&rc, pt) && onClick) onClick();
            return 0;
        }
        case WM_CAPTURECHANGED:
            pressed_ = false;
            return 0;
        default:
            return DefWindowProcW(hwnd_, msg, wParam, lParam);
    }
}

}  // namespace vx
