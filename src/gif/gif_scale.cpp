#include "gif/gif_scale.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace vx::gif {
namespace {

constexpr int64_t kInt32Min = std::numeric_limits<int32_t>::min();
constexpr int64_t kInt32Max = std::numeric_limits<int32_t>::max();

bool FitsInt32(int64_t value) { return value >= kInt32Min && value <= kInt32Max; }

// Int(ratio x size): the product in double precision, rounded down, kept
// in 64 bits so that callers can test the range. Ratios are finite and
// sizes 32-bit, so the product never leaves the int64 range.
int64_t ScaledDown(float ratio, int64_t size) {
    return static_cast<int64_t>(std::floor(static_cast<double>(ratio) * static_cast<double>(size)));
}

int32_t Saturate(int64_t value) { return static_cast<int32_t>(std::clamp(value, kInt32Min, kInt32Max)); }

}  // namespace

bool ScaleToDestination(int32_t imageWidth, int32_t imageHeight, const FrameRecord* frame, int32_t mode,
                        Placement& placement) {
    const int32_t scaling = mode & ~kStretchCentre;
    int64_t x = placement.x;
    int64_t y = placement.y;
    int64_t cx = placement.cx;
    int64_t cy = placement.cy;
    float xRatio = 1.0f;
    float yRatio = 1.0f;

    if (scaling != kStretchNone) {
        if (imageWidth <= 0 || imageHeight <= 0) return false;
        xRatio = static_cast<float>(static_cast<double>(cx) / imageWidth);
        yRatio = static_cast<float>(static_cast<double>(cy) / imageHeight);
        if (scaling == kStretchFitNoEnlarge) {
            const float ratio = xRatio > 1.0f && yRatio > 1.0f ? 1.0f : std::min(xRatio, yRatio);
            xRatio = yRatio = ratio;
        } else if (scaling != kStretchFill) {
            xRatio = yRatio = std::min(xRatio, yRatio);
        }

        if (scaling != kStretchFill && (mode & kStretchCentre) != 0) {
            x += (cx - ScaledDown(xRatio, imageWidth)) / 2;
            y += (cy - ScaledDown(yRatio, imageHeight)) / 2;
        }
        if (frame == nullptr) {
            if (scaling != kStretchFill) {
                cx = static_cast<int64_t>(std::nearbyint(static_cast<double>(xRatio) * imageWidth));
                cy = static_cast<int64_t>(std::nearbyint(static_cast<double>(yRatio) * imageHeight));
            }
        } else {
            x += ScaledDown(xRatio, frame->left);
            y += ScaledDown(yRatio, frame->top);
            cx = ScaledDown(xRatio, frame->width);
            cy = ScaledDown(yRatio, frame->height);
        }
    } else {
        if (mode == kStretchCentre) {
            if (imageWidth < cx) {
                x += (cx - imageWidth) / 2;
                cx = imageWidth;
            }
            if (imageHeight < cy) {
                y += (cy - imageHeight) / 2;
                cy = imageHeight;
            }
        }
        if (frame != nullptr) {
            const int64_t frameCx = frame->left + frame->width > cx ? cx - frame->left : frame->width;
            const int64_t frameCy = frame->top + frame->height > cy ? cy - frame->top : frame->height;
            x += frame->left;
            y += frame->top;
            cx = frameCx;
            cy = frameCy;
        } else {
            cx = std::min<int64_t>(cx, imageWidth);
            cy = std::min<int64_t>(cy, imageHeight);
        }
    }

    if (!FitsInt32(x) || !FitsInt32(y) || !FitsInt32(cx) || !FitsInt32(cy)) return false;
    placement.x = static_cast<int32_t>(x);
    placement.y = static_cast<int32_t>(y);
    placement.cx = static_cast<int32_t>(cx);
    placement.cy = static_cast<int32_t>(cy);
    placement.xRatio = xRatio;
    placement.yRatio = yRatio;
    return true;
}

Rect FrameRectInBuffer(const FrameRecord& frame, int32_t mode, float xRatio, float yRatio, int32_t bufferCx,
                       int32_t bufferCy) {
    Rect rect;
    if (mode != kStretchNone && mode != kStretchCentre) {
        rect.x = Saturate(ScaledDown(xRatio, frame.left));
        rect.y = Saturate(ScaledDown(yRatio, frame.top));
        rect.cx = Saturate(ScaledDown(xRatio, frame.width));
        rect.cy = Saturate(ScaledDown(yRatio, frame.height));
        return rect;
    }
    rect.x = frame.left;
    rect.y = frame.top;
    rect.cx = frame.left + frame.width > bufferCx ? Saturate(int64_t{bufferCx} - frame.left) : frame.width;
    rect.cy = frame.top + frame.height > bufferCy ? Saturate(int64_t{bufferCy} - frame.top) : frame.height;
    return rect;
}

Rect DisposalFillRect(const FrameRecord& frame, const Rect& frameRect, float xRatio, float yRatio) {
    Rect rect;
    rect.x = frameRect.x;
    rect.y = frameRect.y;
    rect.cx = Saturate(ScaledDown(xRatio, int64_t{frame.left} + frame.width) - frameRect.x);
    rect.cy = Saturate(ScaledDown(yRatio, int64_t{frame.top} + frame.height) - frameRect.y);
    return rect;
}

}  // namespace vx::gif
