// A GIF file as a still picture: its first image composed on its logical
// screen, so the picture has the size the file's header gives. Portable.
#pragma once

#include <cstdint>
#include <span>

#include "gif/gif_limits.h"
#include "base/bgra_image.h"

namespace vx::gif {

struct GifPicture {
    GifReport report;  // Loaded, or why there is no picture
    BgraImage pixels;  // logical screen size; empty unless loaded
};

// True for bytes that start like a GIF file ("GIF8").
bool LooksLikeGif(std::span<const uint8_t> file);

// The first image of `file` at its position on the logical screen (the
// screen size from the Logical Screen Descriptor; where that is 0, the
// image's extent), over `background` (0x00BBGGRR), which also shows
// through transparent pixels and wherever the image does not reach.
// Undecodable parts of the image are colour index 0, as in animations.
// Sizes beyond the GIF limits are refused, never allocated.
GifPicture ComposeFirstImage(std::span<const uint8_t> file, Colorref background);

}  // namespace vx::gif
