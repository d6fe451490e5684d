// The stand-alone GIF stream that hands one frame out as a picture with its
// own colours and transparent index. Portable: no platform headers.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <vector>

#include "gif/gif_index.h"

namespace vx::gif {

// Builds a GIF89a file of one width x height image (rows top to bottom,
// row r at topRow + r * rowStep): logical screen = the image, a global
// table of the 256 palette entries (packed 0x87), a Graphic Control
// Extension only when `transparentIndex` is given, an image descriptor at
// (0, 0) without local table and not interlaced, LZW minimum code size 8,
// the codes of LzwEncoder, the block terminator and the trailer.
// width and height are 0..65535.
std::vector<uint8_t> EncodeFrameGif(const uint8_t* topRow, std::ptrdiff_t rowStep, int32_t width, int32_t height,
                                    const Palette& palette, std::optional<uint8_t> transparentIndex);

}  // namespace vx::gif
