#include "common/gif_picture_loader.h"

#include <cstring>
#include <new>

#include "common/picture_loader.h"
#include "gif/gif_picture.h"

namespace vx {

Bitmap32 LoadGifPicture(std::span<const std::uint8_t> bytes, COLORREF background) {
    const bool keepAlpha = background == kKeepAlpha;
    const gif::GifPicture picture = gif::ComposeFirstImage(bytes, ColorrefOf(keepAlpha ? RGB(0, 0, 0) : background));
    if (picture.report.status != gif::GifStatus::Loaded)
        throw PictureLoadError(PictureLoadError::kInvalidPicture, gif::Describe(picture.report));
    const BgraImage& pixels = picture.pixels;
    Bitmap32 bitmap;
    try {
        bitmap = Bitmap32(pixels.Width(), pixels.Height());
    } catch (const std::bad_alloc&) {
        throw PictureLoadError(7, "Out of memory");
    }
    GdiFlush();
    std::memcpy(bitmap.pixels().data(), pixels.Bytes().data(), pixels.Bytes().size());
    bitmap.ClearFourthBytes();
    if (keepAlpha) {
        // GIF transparency is all or nothing: a pixel is transparent exactly
        // when it takes the background's colour over black and over white.
        const gif::GifPicture overWhite = gif::ComposeFirstImage(bytes, MakeColorref(255, 255, 255));
        if (overWhite.pixels.Bytes().size() != pixels.Bytes().size()) throw PictureLoadError(7, "Out of memory");
        const std::uint8_t* white = overWhite.pixels.Bytes().data();
        for (Bgra& pixel : bitmap.pixels()) {
            const bool transparent = (pixel & 0x00FFFFFF) == 0 && white[0] == 255 && white[1] == 255 && white[2] == 255;
            pixel = transparent ? Bgra{0} : OpaquePixel(RgbOf(pixel));
            white += 4;
        }
    }
    return bitmap;
}

}  // namespace vx
