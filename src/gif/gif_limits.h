// What a GIF file may make the program allocate, and why a file was not
// loaded. The limits are the machine's, not properties of any file: a file
// refused by one says so in its sentence. Portable: no platform headers.
#pragma once

#include <cstdint>
#include <string>

#include "gif/gif_index.h"

namespace vx::gif {

// The file read into memory whole.
inline constexpr uint64_t kMaxFileBytes = uint64_t{1} << 28;
// The frame strip, rows padded to 4 bytes.
inline constexpr uint64_t kMaxStripBytes = uint64_t{1} << 28;
// The animation buffer, all its rows.
inline constexpr uint64_t kMaxBufferPixels = uint64_t{1} << 26;
// A strip up to this size is made for any file. Beyond it the file's
// compressed data must be able to fill the frames' own areas (the padding
// under shorter frames needs no data), so a tiny file cannot claim a huge
// allocation.
inline constexpr uint64_t kStripBytesWithoutData = uint64_t{1} << 24;

enum class GifStatus {
    Loaded,
    FileUnreadable,      // missing, a folder, no permission, read error
    FileTooLarge,        // beyond kMaxFileBytes
    TooShort,            // fewer than kMinFileSize bytes
    BadSignature,        // neither GIF87a nor GIF89a
    MissingColourTable,  // an image without any colour table
    NoFrames,            // no complete image
    StripTooLarge,       // the frames need more than kMaxStripBytes
    FramesBeyondData,    // beyond kStripBytesWithoutData, and the data cannot fill the frames
    OutOfMemory,         // the platform refused the strip's memory
    BufferTooLarge,      // the animation buffer would exceed kMaxBufferPixels
    Abandoned,           // the client unloaded the file while it was loading
};

// A status with the figures its sentence needs.
struct GifReport {
    GifStatus status = GifStatus::Loaded;
    uint64_t frames = 0;
    int32_t frameWidth = 0;  // every frame's size when they share one, else 0
    int32_t frameHeight = 0;
    int64_t width = 0;  // strip, buffer or nothing, as the status says
    int64_t height = 0;
    uint64_t needed = 0;  // bytes (file, strip) or pixels (buffer, frames' areas)
    uint64_t limit = 0;   // the same unit
};

// One sentence for the user, e.g. "GIF too large: 1100 frames of 500 x 500
// need 263 MB, the limit is 256 MB".
std::string Describe(const GifReport& report);

// Loaded when the index pass accepted at least one frame; otherwise why not.
GifReport CheckIndex(const GifIndex& index);

// Loaded when an animation buffer of `rows` rows of width x height fits
// kMaxBufferPixels.
GifReport CheckBuffer(int64_t width, int64_t height, int32_t rows);

}  // namespace vx::gif
