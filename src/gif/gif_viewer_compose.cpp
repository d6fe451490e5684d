// The viewer's composition: drawing a frame, scaled and with its
// transparency, through the animation buffer.
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
    std::optional<HalftoneStretch> halftone;
    if (!intoBuffer) halftone.emplace(target);
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
}

}  // namespace vx
