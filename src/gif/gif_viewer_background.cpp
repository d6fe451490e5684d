// The background the viewer composes frames over: a colour, a copy of a
// device context's picture, or nothing, and the animation buffer it fills.
#include <optional>

#include "gif/gif_animation.h"
#include "gif/gif_limits.h"
#include "gif/gif_scale.h"
#include "gif/gif_viewer.h"
#include "gif/gif_viewer_detail.h"

namespace vx {

using viewer_detail::IsDeviceContext;
using viewer_detail::ResolveColour;

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
