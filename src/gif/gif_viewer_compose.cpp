// The viewer's composition: drawing a frame, scaled and with its
// transparency, through the animation buffer, and the background behind it.
#include "gif/gif_viewer.h"

#include <algorithm>
#include <optional>

#include "gif/gif_animation.h"
#include "gif/gif_scale.h"
#include "gif/gif_viewer_detail.h"

namespace vx {
namespace {

constexpr DWORD kRedrawAndValidate = RDW_UPDATENOW | RDW_VALIDATE;

}  // namespace

using viewer_detail::IsDeviceContext;
using viewer_detail::ResolveColour;

// ---------------------------------------------------------------- drawing

void cGIFViewer::ScaleToDestination(std::int32_t Index, std::int32_t& X, std::int32_t& Y, std::int32_t& cx,
                                    std::int32_t& cy, std::int32_t Mode, double& xRatio, double& yRatio) const {
    if (FrameCount() == 0) return;
    gif::Placement placement{X, Y, cx, cy};
    if (!gif::ScaleToDestination(Width(), Height(), Frame(Index), Mode, placement)) return;
    X = placement.x;
    Y = placement.y;
    cx = placement.cx;
    cy = placement.cy;
    xRatio = placement.xRatio;
    yRatio = placement.yRatio;
}

bool cGIFViewer::RenderFrame(std::int32_t Index, HDC hdc, HWND hWnd2Refresh, bool AutoRedraw, std::int32_t destX,
                             std::int32_t destY, std::int32_t destCx, std::int32_t destCY, std::int32_t StretchMode) {
    const gif::FrameRecord* frame = Frame(Index);
    if (!frame) return false;
    if (destCx < 1) destCx = frame->width;
    if (destCY < 1) destCY = frame->height;
    return DrawFrame(Index, hdc, hWnd2Refresh, AutoRedraw, false, false, destX, destY, destCx, destCY, StretchMode);
}

bool cGIFViewer::DrawFrame(std::int32_t k, HDC dest, HWND refresh, bool autoRedraw, bool postNotify, bool useBuffer,
                           std::int32_t x, std::int32_t y, std::int32_t cx, std::int32_t cy, std::int32_t mode) {
    const gif::FrameRecord* found = Frame(k);
    if (!found || !stripDc_) return false;
    const gif::FrameRecord frame = *found;  // a client callback may unload the file

    HDC dc = dest;
    std::optional<WindowDc> windowDc;
    if (!IsDeviceContext(dest)) {
        HWND window = reinterpret_cast<HWND>(dest);
        if (!IsWindow(window)) return false;
        windowDc.emplace(window);
        dc = windowDc->get();
        if (!dc) return false;
    }

    if (useBuffer && !bufferDc_) {
        useBuffer = false;
        x = dest_.x;
        y = dest_.y;
        cx = dest_.cx;
        cy = dest_.cy;
        mode = stretchMode_;
    }

    const bool colourBackground = static_cast<bool>(bkgBrush_);
    const std::int32_t saveTop = gif::SaveAreaRow(colourBackground) * dest_.cy;
    gif::Rect rect;
    HDC target = dc;
    if (useBuffer) {
        mode = stretchMode_;
        target = bufferDc_.get();
        rect = gif::FrameRectInBuffer(frame, mode, xRatio_, yRatio_, dest_.cx, dest_.cy);
        if (frame.disposal == gif::Disposal::RestorePrevious && rect.cx > 0 && rect.cy > 0)
            BitBlt(target, 0, saveTop, rect.cx, rect.cy, target, rect.x, rect.y, SRCCOPY);
    } else {
        gif::Placement placement{x, y, cx, cy};
        if (gif::ScaleToDestination(Width(), Height(), &frame, mode, placement))
            rect = {placement.x, placement.y, placement.cx, placement.cy};
    }

    TransparentBlt(frame, target, useBuffer, (mode & ~gif::kStretchCentre) != 0, rect.x, rect.y, rect.cx, rect.cy);

    if (useBuffer) BitBlt(dc, dest_.x, dest_.y, dest_.cx, dest_.cy, bufferDc_.get(), 0, 0, SRCCOPY);
    windowDc.reset();

    // Prepare row 0 for the next frame.
    if (useBuffer && rect.cx > 0 && rect.cy > 0) {
        HDC buffer = bufferDc_.get();
        if (frame.disposal == gif::Disposal::RestoreBackground && colourBackground) {
            const gif::Rect fill = gif::DisposalFillRect(frame, rect, xRatio_, yRatio_);
            if (fill.cx > 0 && fill.cy > 0) {
                const RECT area{fill.x, fill.y, fill.x + fill.cx, fill.y + fill.cy};
                FillRect(buffer, &area, bkgBrush_.get());
            }
        } else if (frame.disposal == gif::Disposal::RestoreBackground) {
            BitBlt(buffer, rect.x, rect.y, rect.cx, rect.cy, buffer, rect.x, dest_.cy + rect.y, SRCCOPY);
        } else if (frame.disposal == gif::Disposal::RestorePrevious) {
            BitBlt(buffer, rect.x, rect.y, rect.cx, rect.cy, buffer, 0, saveTop, SRCCOPY);
        }
    }

    if (refresh) {
        const RECT area = useBuffer ? RECT{dest_.x, dest_.y, dest_.x + dest_.cx, dest_.y + dest_.cy}
                                    : RECT{rect.x, rect.y, rect.x + rect.cx, rect.y + rect.cy};
        if (autoRedraw)
            InvalidateRect(refresh, &area, FALSE);
        else
            RedrawWindow(refresh, &area, nullptr, kRedrawAndValidate);
    }

    if (postNotify && client_) {
        try {
            client_->Rendered(viewerId_, k, kMsgFrameDrawn, reinterpret_cast<std::intptr_t>(dc));
        } catch (...) {
            return false;
        }
    }
    return true;
}

void cGIFViewer::TransparentBlt(const gif::FrameRecord& frame, HDC target, bool intoBuffer, bool stretched,
                                std::int32_t x, std::int32_t y, std::int32_t cx, std::int32_t cy) {
    if (cx <= 0 || cy <= 0) return;
    int oldMode = 0;
    POINT oldOrigin{};
    if (!intoBuffer) {
        oldMode = SetStretchBltMode(target, HALFTONE);
        SetBrushOrgEx(target, 0, 0, &oldOrigin);
    }
    HDC strip = stripDc_.get();
    auto transfer = [&](DWORD rop) {
        if (stretched)
            StretchBlt(target, x, y, cx, cy, strip, frame.position, 0, frame.width, frame.height, rop);
        else
            BitBlt(target, x, y, cx, cy, strip, frame.position, 0, rop);
    };

    const bool transparent = frame.transparent != 0 && hasMaskPalette_;
    const std::uint8_t t = frame.transparent_index;
    DWORD rop = SRCCOPY;
    if (transparent) {
        // Mask pass: black where the frame paints, white where it is clear.
        maskPalette_[t] = RGBQUAD{0xFF, 0xFF, 0xFF, 0};
        InstallColourTable(maskPalette_);
        maskPalette_[t] = RGBQUAD{};
        transfer(SRCAND);
        rop = SRCPAINT;
    }
    if (transparent || frame.palette != installedPalette_) {
        ColourTable table = PaletteTable(frame.palette);
        if (transparent) table[t] = RGBQUAD{};
        InstallColourTable(table);
        // With its transparent entry blackened the table is not the file's
        // palette, so a later opaque frame must install the palette again.
        installedPalette_ = transparent ? -1 : frame.palette;
    }
    transfer(rop);

    if (!intoBuffer) {
        SetStretchBltMode(target, oldMode);
        SetBrushOrgEx(target, oldOrigin.x, oldOrigin.y, nullptr);
    }
}

// ---------------------------------------------------------------- background

bool cGIFViewer::SetAnimationBkg(std::int32_t bkgMethod, std::uintptr_t bkgDC_Color, std::int32_t destX,
                                 std::int32_t destY, std::int32_t destCx, std::int32_t destCY, std::int32_t StretchMode,
                                 std::int32_t bkgDC_X, std::int32_t bkgDC_Y) {
    if (!timerReady_) return false;
    const PlaybackPause pause(*this);
    bool done = false;
    try {
        done = BuildBackground(bkgMethod, bkgDC_Color, destX, destY, destCx, destCY, StretchMode, bkgDC_X, bkgDC_Y);
    } catch (...) {
        ReleaseBuffer();
        done = false;
    }
    return done;
}

bool cGIFViewer::BuildBackground(std::int32_t bkgMethod, std::uintptr_t bkgDC_Color, std::int32_t destX,
                                 std::int32_t destY, std::int32_t destCx, std::int32_t destCY, std::int32_t StretchMode,
                                 std::int32_t bkgDC_X, std::int32_t bkgDC_Y) {
    if (destCx < 1) destCx = Width();
    if (destCY < 1) destCY = Height();

    if (!gif::NeedsAnimationBuffer(index_)) {
        bkgBrush_.reset();
        ReleaseBuffer();
        dest_ = {destX, destY, destCx, destCY};
        stretchMode_ = StretchMode;
        return true;
    }

    // A copied background must come from a live device context or window;
    // otherwise nothing changes.
    const bool copied = bkgMethod == kBkgCopied;
    HDC source = nullptr;
    std::optional<WindowDc> windowDc;
    if (copied) {
        source = reinterpret_cast<HDC>(bkgDC_Color);
        if (!IsDeviceContext(source)) {
            HWND window = reinterpret_cast<HWND>(bkgDC_Color);
            if (!window || !IsWindow(window)) return false;
            windowDc.emplace(window);
            source = windowDc->get();
            if (!source) return false;
        }
    }

    bkgBrush_.reset();
    dest_ = {destX, destY, destCx, destCY};
    stretchMode_ = StretchMode;
    const std::int32_t rows = gif::AnimationBufferRows(index_.hasRestorePrevious, !copied);
    gif::Placement placement{destX, destY, destCx, destCY};
    UniqueBitmap bitmap;
    bool placed = gif::ScaleToDestination(Width(), Height(), nullptr, StretchMode, placement) && placement.cx > 0 &&
                  placement.cy > 0;
    if (placed) {
        const gif::GifReport buffer = gif::CheckBuffer(placement.cx, placement.cy, rows);
        if (buffer.status != gif::GifStatus::Loaded) {
            report_ = buffer;
            placed = false;
        }
    }
    if (placed) {
        if (!bufferDc_ && bufferDc_.Create()) SetStretchBltMode(bufferDc_.get(), HALFTONE);
        if (bufferDc_) bitmap.reset(CreateCompatibleBitmap(ScreenDc().get(), placement.cx, placement.cy * rows));
    }
    if (!bufferDc_.SelectBitmap(bitmap.get())) {
        bitmap.reset();
        ReleaseBuffer();
        return false;  // frames then go straight to the unscaled destination
    }
    bufferBitmap_ = std::move(bitmap);  // the buffer of an earlier call, just selected out, goes
    dest_ = {placement.x, placement.y, placement.cx, placement.cy};
    xRatio_ = placement.xRatio;
    yRatio_ = placement.yRatio;

    HDC buffer = bufferDc_.get();
    if (copied) {
        if (bkgDC_X < 0) bkgDC_X = placement.x;
        if (bkgDC_Y < 0) bkgDC_Y = placement.y;
        BitBlt(buffer, 0, placement.cy, placement.cx, placement.cy, source, bkgDC_X, bkgDC_Y, SRCCOPY);
        BitBlt(buffer, 0, 0, placement.cx, placement.cy, buffer, 0, placement.cy, SRCCOPY);
    } else {
        bkgBrush_.reset(CreateSolidBrush(ResolveColour(static_cast<std::uint32_t>(bkgDC_Color))));
        const RECT row0{0, 0, placement.cx, placement.cy};
        if (bkgBrush_) FillRect(buffer, &row0, bkgBrush_.get());
    }
    return true;
}

bool cGIFViewer::SetAnimationBkgColor(COLORREF bkgColor) {
    if (!bkgBrush_) return false;
    const PlaybackPause pause(*this);
    bkgBrush_.reset(CreateSolidBrush(ResolveColour(bkgColor)));
    const bool done = static_cast<bool>(bkgBrush_);
    if (done && bufferDc_) {
        const RECT row0{0, 0, dest_.cx, dest_.cy};
        FillRect(bufferDc_.get(), &row0, bkgBrush_.get());
    }
    return done;
}

}  // namespace vx
