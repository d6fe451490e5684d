// Turning a picture before it is squeezed into a crest: a crest often needs
// its emblem facing the other way.
#pragma once
#include <windows.h>

#include <cstdint>
#include <string>

#include "common/bitmap32.h"
#include "imaging/picture_edits.h"

namespace vx {

// The degrees of a --rotate value: "90", "180" or "270" exactly; 0 for
// anything else.
std::int32_t ParseRotation(const std::wstring& text);

// The rectangle (0, 0, source.cx, source.cy) of `picture` turned in the
// order rotate, mirror, flip; an empty bitmap when there was not enough
// memory for it.
Bitmap32 TurnPicture(const Bitmap32& picture, SIZE source, const PictureTurn& turn);

}  // namespace vx
