// Device-independent bitmaps in their packed form (header, colour masks,
// colour table and pixel rows in one block), as the clipboard carries them
// under CF_DIB and CF_DIBV5. Any program can put any bytes there, so the
// reader checks the header against the block's length before a pixel is
// read. Portable.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "base/bgra_image.h"

namespace vx {

enum class DibStatus {
    Loaded,
    Malformed,    // sizes, offsets or counts that cannot be, or data cut short
    Unsupported,  // a depth or compression the reader does not take
    TooLarge,     // above the picture budget (the size fields say how large)
};

struct DibPicture {
    DibStatus status = DibStatus::Malformed;
    std::string problem;  // what is wrong, in a sentence; empty when loaded
    std::int64_t width = 0;
    std::int64_t height = 0;
    int bitCount = 0;
    // Top-down, straight alpha in the fourth byte: 255 unless a header with
    // an alpha mask gave the pixels alpha (a mask over all-zero alpha counts
    // as none, as programs that copy opaque pictures leave it).
    BgraImage pixels;
};

// Reads 1, 4, 8, 16, 24 and 32-bit pictures, uncompressed or with colour
// masks (BI_BITFIELDS), with any of the 40, 52, 56, 108 and 124-byte
// headers; bottom-up or top-down. An index beyond the colour table is
// black.
DibPicture ReadPackedDib(std::span<const std::uint8_t> data);

// `picture` as a packed 24-bit bottom-up DIB with a 40-byte header.
std::vector<std::uint8_t> PackDib24(ConstBgraView picture);

}  // namespace vx
