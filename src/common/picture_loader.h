// Loads a picture file into a 32-bit bitmap at its own pixel size:
// BMP, JPEG, PNG, TIFF and icons through the imaging component, WMF and EMF
// through the OLE picture loader, GIF (its first image on its logical
// screen) through the program's own GIF engine.
#pragma once
#include <windows.h>
#include <cstdint>
#include <span>
#include <stdexcept>
#include <string>

#include "common/bitmap32.h"

namespace vx {

// The loader's own failure, distinct from every other error a caller may
// meet. `number` follows the classic run-time numbering: 7 out of memory
// (also a picture or file above the loader's limits, which the description
// names with the figures), 53 file not found, 75 file access error, 481 not
// a picture the loader understands (including a file whose header proves
// its pixel data missing).
class PictureLoadError : public std::runtime_error {
public:
    enum : long { kOutOfMemory = 7, kFileNotFound = 53, kFileAccess = 75, kInvalidPicture = 481 };
    PictureLoadError(long number, const std::string& description, std::wstring spanish = {})
        : std::runtime_error(description), number_(number), spanish_(std::move(spanish)) {}
    long number() const { return number_; }
    // The same fact in Spanish when the loader has one of its own to tell
    // (a size above the limits), else empty.
    const std::wstring& spanish() const { return spanish_; }

private:
    long number_;
    std::wstring spanish_;
};

// Transparent pixels are laid over `background` (0x00BBGGRR), so the
// result is opaque and looks as it would drawn on that colour; with
// kKeepAlpha they are not, and the fourth byte holds straight alpha (255
// where the picture is opaque), for a crest to lay them over a colour of
// its own choosing later.
inline constexpr COLORREF kKeepAlpha = 0xFFFFFFFF;
Bitmap32 LoadPictureFile(const std::wstring& path, COLORREF background);
Bitmap32 LoadPictureBytes(std::span<const std::uint8_t> bytes, COLORREF background);

}  // namespace vx
