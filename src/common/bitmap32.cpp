#include "common/bitmap32.h"

#include <algorithm>
#include <new>

#include "imaging/squeeze.h"

namespace vx {

Bitmap32::Bitmap32(int width, int height) {
    if (width <= 0 || height <= 0) throw std::bad_alloc();
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof(info.bmiHeader);
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height;  // top-down
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    UniqueBitmap bitmap(CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0));
    if (!bitmap || !bits) throw std::bad_alloc();
    bitmap_ = std::move(bitmap);
    bits_ = static_cast<Bgra*>(bits);
    width_ = width;
    height_ = height;
}

Bitmap32 Bitmap32::CopyFromDc(HDC source, int x, int y, int width, int height) {
    Bitmap32 copy(width, height);
    UniqueMemoryDc dc(CreateCompatibleDC(source));
    SelectGuard select(dc.get(), copy.handle());
    BitBlt(dc.get(), 0, 0, width, height, source, x, y, SRCCOPY);
    GdiFlush();
    return copy;
}

void Bitmap32::ClearFourthBytes() {
    for (Bgra& pixel : pixels()) pixel = PixelOf(RgbOf(pixel));
}

Bitmap32 Bitmap32::Clone() const {
    if (!*this) return {};
    Bitmap32 copy(width_, height_);
    GdiFlush();
    std::copy(pixels().begin(), pixels().end(), copy.pixels().begin());
    return copy;
}

Bitmap32 Bitmap32::FromPixels(const BgraImage& pixels) {
    Bitmap32 bitmap(pixels.Width(), pixels.Height());
    GdiFlush();
    std::copy(pixels.Bytes().begin(), pixels.Bytes().end(), reinterpret_cast<std::uint8_t*>(bitmap.pixels().data()));
    return bitmap;
}

Bitmap32 SqueezeBitmap(const Bitmap32& picture, int sourceWidth, int sourceHeight, int width, int height) {
    GdiFlush();
    const ConstBgraView from{reinterpret_cast<const std::uint8_t*>(picture.pixels().data()), sourceWidth, sourceHeight,
                             static_cast<std::ptrdiff_t>(picture.stride())};
    Bitmap32 squeezed(width, height);
    const BgraView into = squeezed.View();
    Squeeze(from, into);
    squeezed.ClearFourthBytes();
    return squeezed;
}

}  // namespace vx
