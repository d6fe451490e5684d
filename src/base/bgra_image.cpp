#include "base/bgra_image.h"

#include <stdexcept>

namespace vx {

BgraImage::BgraImage(int width, int height) {
    if (width < 0 || height < 0) throw std::invalid_argument("negative picture size");
    width_ = width;
    height_ = height;
    pixels_.assign(static_cast<std::size_t>(width) * static_cast<std::size_t>(height) * 4, 0);
}

Colorref BgraImage::ColorAt(int x, int y) const {
    const std::uint8_t* p = Row(y) + 4 * x;
    return MakeColorref(p[2], p[1], p[0]);
}

void BgraImage::SetColor(int x, int y, Colorref color) {
    std::uint8_t* p = Row(y) + 4 * x;
    p[0] = static_cast<std::uint8_t>(BlueOf(color));
    p[1] = static_cast<std::uint8_t>(GreenOf(color));
    p[2] = static_cast<std::uint8_t>(RedOf(color));
    p[3] = 255;
}

void BgraImage::Fill(Colorref color) {
    for (int y = 0; y < height_; ++y)
        for (int x = 0; x < width_; ++x) SetColor(x, y, color);
}

}  // namespace vx
