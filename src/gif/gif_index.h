// GIF index pass: walks the block structure of a GIF87a/GIF89a file held in
// memory and records, for every complete image, its frame record, its colour
// table and where its compressed data lies. No pixel data is decompressed
// here (see gif_decode.h). Portable: no platform headers.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

#include "base/colour.h"

namespace vx::gif {

// One palette: 256 entries laid out 0x00RRGGBB, which in memory is the
// blue, green, red, zero order of a DIB colour table, so a palette can be
// handed to the platform as a colour table unchanged. Entries beyond the
// file's table size are 0.
using Palette = std::array<Rgb, 256>;

// What a frame leaves behind before the next one is drawn: the Graphic
// Control Extension's disposal method, bits 2..4 of its packed byte, & 3.
// Written `Disposal::Keep`; unscoped so that readers of the frame records
// that take the method as the file's number still can.
enum Disposal : uint8_t {
    Unspecified = 0,        // drawn over, as Keep
    Keep = 1,               // the frame stays
    RestoreBackground = 2,  // its rectangle returns to the background
    RestorePrevious = 3,    // its rectangle returns to what was there before
};

// The frame record of one accepted image (32 bytes, copied as a whole).
struct FrameRecord {
    int32_t left = 0;  // image descriptor position, unsigned 16-bit in the file
    int32_t top = 0;
    int32_t width = 0;  // image size, 0..65535
    int32_t height = 0;
    int32_t delay = 0;    // Graphic Control Extension delay x 10, in ms; 0 without one
    int32_t palette = 0;  // 0 = global colour table, k >= 1 = the k-th local table
    // 1-based file position of the 0x21 that opens the image's Graphic Control
    // Extension, or of the image separator 0x2C when it has none. A viewer may
    // reuse the field for the frame's x offset in its frame strip.
    int32_t position = 0;
    // Valid when transparent == 1. Named apart from the house style because
    // tools outside this tree read the record by this name.
    uint8_t transparent_index = 0;
    uint8_t transparent = 0;                    // 1 when the extension's transparency bit is set
    Disposal disposal = Disposal::Unspecified;  // (packed / 4) & 3
    uint8_t spare = 0;
};
static_assert(sizeof(FrameRecord) == 32);

// Where an accepted image's bytes lie in the file.
struct ImageBlock {
    uint32_t position = 0;   // 1-based file position of the image separator 0x2C
    uint32_t length = 0;     // bytes from the separator through the zero-length terminator
    uint32_t dataBytes = 0;  // LZW payload bytes (sub-block contents, without length bytes)
};

// Why the index pass stopped walking the file.
enum class IndexEnd {
    Trailer,             // a trailer 0x3B or any other unknown block byte
    EndOfFile,           // the file ended inside a block (truncated file)
    FrameLimit,          // kMaxFrames frames were accepted
    TooShort,            // fewer than kMinFileSize bytes: rejected
    BadSignature,        // neither "GIF87a" nor "GIF89a" (any letter case): rejected
    MissingColourTable,  // an image without local table in a file without global table: rejected
};

inline constexpr std::size_t kMinFileSize = 20;
inline constexpr int kMaxFrames = 32765;

// Everything the index pass learns about a file. A file is usable when
// frames is not empty; a rejected file has no frames.
struct GifIndex {
    int32_t width = 0;                // largest left + width of the frames (the stored screen size is not used)
    int32_t height = 0;               // largest top + height of the frames
    uint32_t loopCount = 0;           // NETSCAPE2.0 value, 0 when absent (0 = loop for ever)
    bool hasRestorePrevious = false;  // some Graphic Control Extension asks for disposal 3
    uint8_t backgroundIndex = 0;      // Logical Screen Descriptor background colour index
    bool hasGlobalTable = false;
    // Palette numbers 0..p. Palette 0 is the global colour table (all zero when
    // the file has none but has local tables); empty when the file has no table.
    std::vector<Palette> palettes;
    int32_t lastPalette = 0;          // number given to the latest local table
    std::vector<FrameRecord> frames;  // frame k (1-based) is frames[k - 1]
    std::vector<ImageBlock> blocks;   // parallel to frames
    IndexEnd end = IndexEnd::Trailer;
};

// Runs the index pass over a whole file. Never throws for bad input, never
// reads outside `file`: a truncated file keeps every frame whose data was
// complete before the break; a rejected file gives no frames (see `end`).
GifIndex IndexGif(std::span<const uint8_t> file);

}  // namespace vx::gif
