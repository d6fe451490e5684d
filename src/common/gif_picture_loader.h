// GIF pictures through the program's own GIF engine, so the picture loader
// and the header reader agree on a GIF's size (its logical screen).
#pragma once
#include <windows.h>

#include <cstdint>
#include <span>

#include "common/bitmap32.h"

namespace vx {

// The first image on its logical screen over `background` (0x00BBGGRR).
// Throws PictureLoadError 481 (with the engine's sentence) for a file the
// engine refuses, 7 when the bitmap cannot be made.
Bitmap32 LoadGifPicture(std::span<const std::uint8_t> bytes, COLORREF background);

}  // namespace vx
