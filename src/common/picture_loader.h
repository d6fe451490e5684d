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
// meet. `number` follows the classic run-time numbering: 53 file not
// found, 75 file access error, 481 not a picture the loader understands.
class PictureLoadError : public std::runtime_error {
public:
    enum : long { kFileNotFound = 53, kFileAccess = 75, kInvalidPicture = 481 };
    PictureLoadError(long number, const std::string& description)
        : std::runtime_error(description), number_(number) {}
    long number() const { return number_; }

private:
    long number_;
};

// Transparent pixels are laid over `background` (0x00BBGGRR), so the
// result is opaque and looks as it would drawn on that colour.
Bitmap32 LoadPictureFile(const std::wstring& path, COLORREF background);
Bitmap32 LoadPictureBytes(std::span<const std::uint8_t> bytes, COLORREF background);

}  // namespace vx
