// 32-bit pixel buffers: four bytes per pixel in the order blue, green, red
// and a fourth byte (alpha, or unused), as device-independent bitmaps and
// the platform's 32-bit surfaces lay them out.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "base/colour.h"

namespace vx {

// A read-only view of pixel rows. `top` points at the first byte of the top
// row; `stride` is the distance in bytes from one row to the next one down
// (negative for bottom-up buffers whose last row comes first in memory).
struct ConstBgraView {
    const std::uint8_t* top = nullptr;
    int width = 0;
    int height = 0;
    std::ptrdiff_t stride = 0;

    const std::uint8_t* Row(int y) const { return top + stride * static_cast<std::ptrdiff_t>(y); }
};

struct BgraView {
    std::uint8_t* top = nullptr;
    int width = 0;
    int height = 0;
    std::ptrdiff_t stride = 0;

    std::uint8_t* Row(int y) const { return top + stride * static_cast<std::ptrdiff_t>(y); }
    operator ConstBgraView() const { return {top, width, height, stride}; }
};

// A top-down picture that owns its pixels; rows are packed (stride = 4 x
// width).
class BgraImage {
public:
    BgraImage() = default;
    BgraImage(int width, int height);  // filled with 0

    int Width() const noexcept { return width_; }
    int Height() const noexcept { return height_; }
    std::ptrdiff_t Stride() const noexcept { return 4 * static_cast<std::ptrdiff_t>(width_); }

    std::uint8_t* Row(int y) { return pixels_.data() + Stride() * y; }
    const std::uint8_t* Row(int y) const { return pixels_.data() + Stride() * y; }

    // Colour value 0x00BBGGRR of a pixel, and setting one (the fourth byte is
    // written as 255).
    Colorref ColorAt(int x, int y) const;
    void SetColor(int x, int y, Colorref color);
    void Fill(Colorref color);

    BgraView View() { return {pixels_.data(), width_, height_, Stride()}; }
    ConstBgraView View() const { return {pixels_.data(), width_, height_, Stride()}; }

    std::vector<std::uint8_t>& Bytes() noexcept { return pixels_; }
    const std::vector<std::uint8_t>& Bytes() const noexcept { return pixels_; }

private:
    int width_ = 0;
    int height_ = 0;
    std::vector<std::uint8_t> pixels_;
};

}  // namespace vx
