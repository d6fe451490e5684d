// A 32-bit top-down DIB section: the one in-memory picture type of the
// Win32 layer. Pixels are `Bgra` words (blue in the lowest byte), the
// layout GDI reads and writes, so portable pixel code can work on them
// directly.
#pragma once
#include <windows.h>
#include <cstdint>
#include <span>
#include <utility>

#include "base/bgra_image.h"
#include "base/colour.h"
#include "common/win_handles.h"

namespace vx {

class Bitmap32 {
public:
    Bitmap32() = default;
    // Throws std::bad_alloc when the platform cannot make the bitmap.
    Bitmap32(int width, int height);

    Bitmap32(Bitmap32&& other) noexcept { *this = std::move(other); }
    Bitmap32& operator=(Bitmap32&& other) noexcept {
        if (this != &other) {
            bitmap_ = std::move(other.bitmap_);
            bits_ = std::exchange(other.bits_, nullptr);
            width_ = std::exchange(other.width_, 0);
            height_ = std::exchange(other.height_, 0);
        }
        return *this;
    }

    explicit operator bool() const { return static_cast<bool>(bitmap_); }
    HBITMAP handle() const { return bitmap_.get(); }
    int width() const { return width_; }
    int height() const { return height_; }
    std::size_t stride() const { return static_cast<std::size_t>(width_) * 4; }
    std::span<Bgra> pixels() { return {bits_, pixelCount()}; }
    std::span<const Bgra> pixels() const { return {bits_, pixelCount()}; }
    // The pixels as portable pixel code sees them (four bytes each, blue first).
    BgraView View() {
        return {reinterpret_cast<std::uint8_t*>(bits_), width_, height_, static_cast<std::ptrdiff_t>(stride())};
    }
    ConstBgraView View() const {
        return {reinterpret_cast<const std::uint8_t*>(bits_), width_, height_, static_cast<std::ptrdiff_t>(stride())};
    }
    Bgra pixel(int x, int y) const { return bits_[static_cast<std::size_t>(y) * width_ + x]; }
    // Loaded pictures carry 0 in the fourth byte, whatever their decoder left.
    void ClearFourthBytes();

    // Copies whatever `source` shows (any bitmap the DC can blit from).
    static Bitmap32 CopyFromDc(HDC source, int x, int y, int width, int height);
    Bitmap32 Clone() const;
    // Portable pixels in a bitmap, all four bytes as they are. Throws
    // std::bad_alloc as the constructor does.
    static Bitmap32 FromPixels(const BgraImage& pixels);

private:
    std::size_t pixelCount() const { return static_cast<std::size_t>(width_) * height_; }

    UniqueBitmap bitmap_;
    Bgra* bits_ = nullptr;
    int width_ = 0;
    int height_ = 0;
};

// The top-left `sourceWidth` x `sourceHeight` pixels of `picture` squeezed
// whole into a new `width` x `height` bitmap, every pixel the exact
// area-weighted average of what it covers (the fourth byte left 0, as in
// loaded pictures).
Bitmap32 SqueezeBitmap(const Bitmap32& picture, int sourceWidth, int sourceHeight, int width, int height);

// The platform's COLORREF is the vocabulary's Colorref.
inline Colorref ColorrefOf(COLORREF color) { return Colorref{static_cast<std::uint32_t>(color)}; }

}  // namespace vx
