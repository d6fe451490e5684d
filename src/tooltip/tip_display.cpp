// The tooltip's display: content drawn off screen, blended with what lies
// behind the window at the requested opacity, then shown without taking
// the focus; the composed picture stays for every later repaint.
#include <windows.h>

#include <vector>

#include "tooltip/ex_tooltip.h"
#include "tooltip/message_table.h"
#include "tooltip/tip_icons.h"
#include "tooltip/tip_paint.h"

namespace vx {
namespace {

// Large stock icons are taken from this edge on.
constexpr std::int32_t kLargeIconFrom = 25;

BITMAPINFOHEADER Dib32(int w, int h) {
    BITMAPINFOHEADER header{};
    header.biSize = sizeof(header);
    header.biWidth = w;
    header.biHeight = h;  // bottom-up
    header.biPlanes = 1;
    header.biBitCount = 32;
    header.biCompression = BI_RGB;
    return header;
}

// The w x h pixels at the top-left of `source`, read through a fresh
// compatible bitmap (a bitmap selected into a DC cannot be read directly).
std::vector<Bgra> ReadPixels(HDC source, int x, int y, int w, int h, DWORD rop) {
    std::vector<Bgra> pixels(static_cast<std::size_t>(w) * static_cast<std::size_t>(h));
    UniqueMemoryDc dc(CreateCompatibleDC(source));
    UniqueBitmap bitmap(CreateCompatibleBitmap(source, w, h));
    if (!dc || !bitmap) return pixels;
    {
        SelectGuard select(dc.get(), bitmap.get());
        BitBlt(dc.get(), 0, 0, w, h, source, x, y, rop);
    }
    BITMAPINFOHEADER header = Dib32(w, h);
    GetDIBits(dc.get(), bitmap.get(), 0, static_cast<UINT>(h), pixels.data(), reinterpret_cast<BITMAPINFO*>(&header),
              DIB_RGB_COLORS);
    return pixels;
}

void FillSolid(HDC dc, const RECT& rect, COLORREF colour) {
    UniqueBrush brush(CreateSolidBrush(colour));
    if (brush) FillRect(dc, &rect, brush.get());
}

}  // namespace

bool ExToolTip::CreateAndShow() {
    if (!CreateTipWindow()) return false;
    if (!PlaceWindow()) return false;
    // The shadow came with the window's class (CreateTipWindow).
    RECT rect{};
    GetWindowRect(tipWindow_, &rect);
    const int w = rect.right - rect.left;
    const int h = rect.bottom - rect.top;
    HDC buffer = EnsureBackBuffer(w, h);
    ComposeAlpha(buffer, w, h);
    ShowWindow(tipWindow_, SW_SHOWNOACTIVATE);
    if (buffer) {
        WindowDc window(tipWindow_);
        if (window.get()) BitBlt(window.get(), 0, 0, w, h, buffer, 0, 0, SRCCOPY);
    }
    hooks_.Subclass(tipWindow_);
    hooks_.AddMsg(tipWindow_, WM_DESTROY, tooltip::MSG_AFTER);
    return true;
}

void ExToolTip::ComposeAlpha(HDC dc, int w, int h) {
    const tooltip::BlendTables tables;
    UniqueRegion frame = BuildShape();
    if (!dc || w <= 0 || h <= 0) return;
    DrawContent(dc, std::move(frame));

    RECT rect{};
    GetWindowRect(tipWindow_, &rect);
    std::vector<Bgra> screen;
    {
        WindowDc desktop(nullptr);
        if (!desktop.get()) return;
        screen = ReadPixels(desktop.get(), rect.left, rect.top, w, h, SRCCOPY | CAPTUREBLT);
    }
    const std::vector<Bgra> tip = ReadPixels(dc, 0, 0, w, h, SRCCOPY);
    tooltip::BlendOver(tables, tip, screen, transparentAlpha_);
    BITMAPINFOHEADER header = Dib32(w, h);
    SetDIBitsToDevice(dc, 0, 0, static_cast<DWORD>(w), static_cast<DWORD>(h), 0, 0, 0, static_cast<UINT>(h),
                      screen.data(), reinterpret_cast<BITMAPINFO*>(&header), DIB_RGB_COLORS);
}

void ExToolTip::DrawContent(HDC dc, UniqueRegion frameRegion) {
    const int w = content_.width;
    const int t = tooltip::WindowHeight(content_, placement_.stemY);
    const RECT client{0, 0, w, t};
    switch (backStyle_) {
        case kBackSolid:
            FillSolid(dc, client, ResolveColor(backColor_));
            break;
        case kBackTiledPicture:
            if (picture_ && *picture_) {
                UniqueBrush brush(CreatePatternBrush(picture_->handle()));
                if (brush) {
                    SelectGuard select(dc, brush.get());
                    PatBlt(dc, 0, 0, w, t, PATCOPY);
                }
            }
            break;
        default:
            FillGradient(dc);
            break;
    }
    if (frameRegion) {
        UniqueBrush border(CreateSolidBrush(ResolveColor(textColor_)));
        if (border) FrameRgn(dc, frameRegion.get(), border.get(), 1, 1);
    }
    frameRegion.reset();
    SetBkMode(dc, TRANSPARENT);
    DrawTipIcon(dc);
    DrawBlock(dc, title_, true);
    DrawBlock(dc, text_, false);
}

void ExToolTip::FillGradient(HDC dc) {
    gradientStart_ = ResolveColor(gradientStart_);
    gradientEnd_ = ResolveColor(gradientEnd_);
    const int w = content_.width;
    const int t = tooltip::WindowHeight(content_, placement_.stemY);
    const bool vertical = backStyle_ == kBackGradientLeftToRight;
    const std::vector<tooltip::Colorref> lines =
        tooltip::GradientLines(Colorref{gradientStart_}, Colorref{gradientEnd_}, vertical ? w : t);
    for (std::size_t i = 0; i < lines.size(); ++i) {
        const int at = static_cast<int>(i);
        const RECT line = vertical ? RECT{at, 0, at + 1, t} : RECT{0, at, w, at + 1};
        FillSolid(dc, line, lines[i]);
    }
}

void ExToolTip::DrawTipIcon(HDC dc) {
    if (cIcon_ == kNoIcon) return;
    const tooltip::Point at = tooltip::IconOrigin(tooltip::BodyTop(placement_.stemY));
    if (cIcon_ >= kIconInformation && cIcon_ <= kIconWarning) {
        const int edge = iconSize_ >= kLargeIconFrom ? 32 : 16;
        UniqueIcon icon(
            static_cast<HICON>(LoadImageW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDI_TIP_INFORMATION + cIcon_ - 1),
                                          IMAGE_ICON, edge, edge, LR_DEFAULTCOLOR)));
        if (icon) DrawIconEx(dc, at.x, at.y, icon.get(), iconSize_, iconSize_, 0, nullptr, DI_NORMAL);
        return;
    }
    // The caller's icon: drawn, never destroyed.
    HICON icon = reinterpret_cast<HICON>(static_cast<std::intptr_t>(cIcon_));
    DrawIconEx(dc, at.x, at.y, icon, iconSize_, iconSize_, 0, nullptr, DI_NORMAL);
}

void ExToolTip::DrawBlock(HDC dc, const std::wstring& block, bool bTitle) {
    const bool hasIcon = cIcon_ != kNoIcon;
    const int off = tooltip::BodyTop(placement_.stemY);
    tooltip::Point at;
    if (bTitle) {
        at = tooltip::TitleOrigin(hasIcon, iconSize_, off);
    } else {
        // The text sits below the title's line measured in the regular weight.
        font_->SetBold(false);
        SelectGuard font(dc, font_->hFont());
        RECT title{0, 0, 0, 0};
        DrawTextW(dc, title_.c_str(), static_cast<int>(title_.size()), &title, DT_CALCRECT);
        at = tooltip::TextOrigin(hasIcon, iconSize_, off, tooltip::IsBlankTitle(title_), title.bottom);
    }
    font_->SetBold(bTitle);
    SelectGuard font(dc, font_->hFont());
    RECT measured{0, 0, 0, 0};
    DrawTextW(dc, block.c_str(), static_cast<int>(block.size()), &measured, DT_CALCRECT);
    ::SetTextColor(dc, ResolveColor(textColor_));
    RECT place{at.x, at.y, at.x + measured.right, at.y + measured.bottom};
    DrawTextW(dc, block.c_str(), static_cast<int>(block.size()), &place, DT_NOCLIP);
}

}  // namespace vx
