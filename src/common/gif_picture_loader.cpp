#include "common/gif_picture_loader.h"

#include <cstring>
#include <new>

#include "common/picture_loader.h"
#include "gif/gif_picture.h"

namespace vx {

Bitmap32 LoadGifPicture(std::span<const std::uint8_t> bytes, COLORREF background) {
    const gif::GifPicture picture = gif::ComposeFirstImage(bytes, ColorrefOf(background));
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
    return bitmap;
}

}  // namespace vx
