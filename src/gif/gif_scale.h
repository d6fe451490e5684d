// Placement arithmetic of the animation: fitting the image or one frame into
// a destination rectangle, and the frame and disposal rectangles inside the
// animation buffer. Portable: no platform headers.
#pragma once

#include <cstdint>

#include "gif/gif_index.h"

namespace vx::gif {

// Stretch modes: the value without bit 3 selects the scaling, bit 3 asks
// for centring. Any other scaling value behaves as kStretchFit.
inline constexpr int32_t kStretchNone = 0;          // 1:1, frames clipped to the destination
inline constexpr int32_t kStretchFit = 1;           // keep proportions, may enlarge
inline constexpr int32_t kStretchFill = 2;          // fill both ways independently, never centred
inline constexpr int32_t kStretchFitNoEnlarge = 3;  // as kStretchFit but never above 1:1
inline constexpr int32_t kStretchCentre = 8;

// In/out rectangle of ScaleToDestination, with the scale factors from image
// pixels to destination pixels (single precision, as the viewer keeps them).
struct Placement {
    int32_t x = 0;
    int32_t y = 0;
    int32_t cx = 0;
    int32_t cy = 0;
    float xRatio = 1.0f;
    float yRatio = 1.0f;
};

// Fits the whole image (frame == nullptr) or yields that frame's rectangle
// inside the destination `placement` (x, y, cx, cy in; all six out).
// imageWidth/height are the animation's logical Width/Height. Products of
// a ratio and a size are computed in double precision; "Int" rounds down;
// the whole-image size rounds half to even.
// Returns false and leaves `placement` untouched when the arithmetic has no
// answer: a scaling mode on an image of zero width or height, or a result
// beyond 32 bits.
bool ScaleToDestination(int32_t imageWidth, int32_t imageHeight, const FrameRecord* frame, int32_t mode,
                        Placement& placement);

struct Rect {
    int32_t x = 0;
    int32_t y = 0;
    int32_t cx = 0;
    int32_t cy = 0;
};

// A frame's rectangle in animation-buffer coordinates (row 0). Scaled by
// the ratios unless the mode is exactly kStretchNone or kStretchCentre, in
// which case it is the frame's own rectangle cut at the buffer's right and
// bottom edges (bufferCx, bufferCy). Values saturate at 32 bits.
Rect FrameRectInBuffer(const FrameRecord& frame, int32_t mode, float xRatio, float yRatio, int32_t bufferCx,
                       int32_t bufferCy);

// The area that disposal method 2 fills with the background colour: from
// the frame rectangle's left and top to the scaled right and bottom edges of
// the frame (which, unlike frameRect, are not cut at the buffer's edges).
Rect DisposalFillRect(const FrameRecord& frame, const Rect& frameRect, float xRatio, float yRatio);

}  // namespace vx::gif
