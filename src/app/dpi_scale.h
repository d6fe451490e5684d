// How large the pixel-art window is drawn on a screen of a given DPI: by a
// whole factor, so every skin pixel becomes a sharp square of pixels.
#pragma once

namespace vx {

inline constexpr int kBaseDpi = 96;

// The whole factor nearest to dpi / 96 (halves round up), lowered until a
// client area of `width` x `height` times the factor fits the work area;
// never below 1.
int WholeScaleFactor(int dpi, int width, int height, int workWidth, int workHeight);

}  // namespace vx
