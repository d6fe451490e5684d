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

bool ScaleToDestination(int32_t image_width, int32_t image_height, const FrameRecord* frame, int32_t mode,
                        Placement& placement) {
    const int32_t scaling = mode & ~kStretchCentre;
    int64_t x = placement.x;
    int64_t y = placement.y;
    int64_t cx = placement.cx;
    int64_t cy = placement.cy;
    float x_ratio = 1.0f;
    float y_ratio = 1.0f;

    if (scaling != kStretchNone) {
        if (image_width <= 0 || image_height <= 0) return false;
        x_ratio = static_cast<float>(static_cast<double>(cx) / image_width);
        y_ratio = static_cast<float>(static_cast<double>(cy) / image_height);
        if (scaling == kStretchFitNoEnlarge) {
            const float ratio = x_ratio > 1.0f && y_ratio > 1.0f ? 1.0f : std::min(x_ratio, y_ratio);
            x_ratio = y_ratio = ratio;
        } else if (scaling != kStretchFill) {
            x_ratio = y_ratio = std::min(x_ratio, y_ratio);
        }

        if (scaling != kStretchFill && (mode & kStretchCentre) != 0) {
            x += (cx - ScaledDown(x_ratio, image_width)) / 2;
            y += (cy - ScaledDown(y_ratio, image_height)) / 2;
        }
        if (frame == nullptr) {
            if (scaling != kStretchFill) {
                cx = static_cast<int64_t>(std::nearbyint(static_cast<double>(x_ratio) * image_width));
                cy = static_cast<int64_t>(std::nearbyint(static_cast<double>(y_ratio) * image_height));
            }
        } else {
            x += ScaledDown(x_ratio, frame->left);
            y += ScaledDown(y_ratio, frame->top);
            cx = ScaledDown(x_ratio, frame->width);
            cy = ScaledDown(y_ratio, frame->height);
        }
    } else {
        if (mode == kStretchCentre) {
            if (image_width < cx) {
                x += (cx - image_width) / 2;
                cx = image_width;
            }
            if (image_height < cy) {
                y += (cy - image_height) / 2;
                cy = image_height;
            }
        }
        if (frame != nullptr) {
            const int64_t frame_cx = frame->left + frame->width > cx ? cx - frame->left : frame->width;
            const int64_t frame_cy = frame->top + frame->height > cy ? cy - frame->top : frame->height;
            x += frame->left;
            y += frame->top;
            cx = frame_cx;
            cy = frame_cy;
        } else {
            cx = std::min<int64_t>(cx, image_width);
            cy = std::min<int64_t>(cy, image_height);
        }
    }

    if (!FitsInt32(x) || !FitsInt32(y) || !FitsInt32(cx) || !FitsInt32(cy)) return false;
    placement.x = static_cast<int32_t>(x);
    placement.y = static_cast<int32_t>(y);
    placement.cx = static_cast<int32_t>(cx);
    placement.cy = static_cast<int32_t>(cy);
    placement.x_ratio = x_ratio;
    placement.y_ratio = y_ratio;
    return true;
}

Rect FrameRectInBuffer(const FrameRecord& frame, int32_t mode, float x_ratio, float y_ratio, int32_t buffer_cx,
                       int32_t buffer_cy) {
    Rect rect;
    if (mode != kStretchNone && mode != kStretchCentre) {
        rect.x = Saturate(ScaledDown(x_ratio, frame.left));
        rect.y = Saturate(ScaledDown(y_ratio, frame.top));
        rect.cx = Saturate(ScaledDown(x_ratio, frame.width));
        rect.cy = Saturate(ScaledDown(y_ratio, frame.height));
        return rect;
    }
    rect.x = frame.left;
    rect.y = frame.top;
    rect.cx = frame.left + frame.width > buffer_cx ? Saturate(int64_t{buffer_cx} - frame.left) : frame.width;
    rect.cy = frame.top + frame.height > buffer_cy ? Saturate(int64_t{buffer_cy} - frame.top) : frame.height;
    return rect;
}

Rect DisposalFillRect(const FrameRecord& frame, const Rect& frame_rect, float x_ratio, float y_ratio) {
    Rect rect;
    rect.x = frame_rect.x;
    rect.y = frame_rect.y;
    rect.cx = Saturate(ScaledDown(x_ratio, int64_t{frame.left} + frame.width) - frame_rect.x);
    rect.cy = Saturate(ScaledDown(y_ratio, int64_t{frame.top} + frame.height) - frame_rect.y);
    return rect;
}

}  // namespace vx::gif
