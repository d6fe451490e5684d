// GIF decode pass: turns the images recorded by the index pass into raw
// colour indices, laid out as a frame strip (all frames side by side, frame k
// in columns [offset_k, offset_k + width_k) and its top height_k rows).
// Colours are never applied here: a pixel is the index the file gives it,
// transparent pixels included. Portable: no platform headers.
//
// A platform viewer typically does:
//   GifIndex index = IndexGif(bytes);
//   StripLayout layout = PlanFrameStrip(index);
//   if (!StripIsPlausible(index, layout)) -> refuse the file;
//   create an 8-bit bitmap of layout.width x max(1, layout.height);
//   FrameDecoder decoder;
//   for each frame k: decoder.Decode(bytes, index, k, top_left_of_frame_k, rowStep);
// where a bottom-up bitmap passes its last memory row as topLeft plus the
// frame's offset, and a negative rowStep. Frames whose rows follow each
// other in memory (rowStep == width) are decoded in place; others pass
// through one reusable frame-sized buffer.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <span>
#include <vector>

#include "gif/gif_index.h"
#include "gif/gif_limits.h"
#include "gif/gif_lzw.h"

namespace vx::gif {

// Largest frame strip accepted from any file, in pixels (one byte each).
inline constexpr uint64_t kMaxStripPixels = uint64_t{1} << 29;

struct StripLayout {
    int64_t width = 0;             // sum of the frames' widths
    int32_t height = 0;            // largest frame height
    std::vector<int64_t> offsets;  // x offset of each frame (offsets[k - 1] for frame k)

    uint64_t Pixels() const { return static_cast<uint64_t>(width) * static_cast<uint64_t>(height); }
};

StripLayout PlanFrameStrip(const GifIndex& index);

// Bytes per strip row: one byte per pixel, padded to 4 bytes.
int64_t StripStride(int64_t width);

// Loaded when the strip of `layout` may be made: within kMaxStripBytes, and
// either within kStripBytesWithoutData or with frames the data can fill.
GifReport CheckStrip(const GifIndex& index, const StripLayout& layout);

// True when the strip may be made (CheckStrip): a strip
// within a fixed budget always; beyond it only when the compressed data
// could fill the frames' own areas; never beyond the strip limits. A tiny
// file declaring huge frames fails this test, so no large allocation ever
// follows from sizes that the file cannot hold.
bool StripIsPlausible(const GifIndex& index, const StripLayout& layout);

enum class FrameDecode {
    Complete,     // every pixel came from the file
    Partial,      // the code stream stopped early or was corrupt: the rest is 0
    Undecodable,  // nothing could be decoded (bad code size, broken block): all 0
};

// Decodes single frames. Reuses its buffers across frames and files.
class FrameDecoder {
public:
    // Writes frame `frame` (0-based: frames[frame]) of `index`, which must come
    // from IndexGif(file), as width x height indices: the frame's row r
    // (top to bottom, de-interlaced) goes to topLeft + r * rowStep. Every
    // pixel of the area is written; what could not be decoded is 0. Never
    // reads outside `file`; allocates no more than the frame's data can fill.
    FrameDecode Decode(std::span<const uint8_t> file, const GifIndex& index, std::size_t frame, uint8_t* topLeft,
                       std::ptrdiff_t rowStep);

    // The outcome of the last Decode in LZW terms (for diagnostics and tests).
    const LzwResult& LastLzwResult() const { return last_; }

private:
    // Puts the rows of an interlaced frame decoded in stream order where
    // they belong.
    void MoveInterlacedRows(uint8_t* rows, int32_t width, int32_t height);

    LzwDecoder lzw_;
    LzwResult last_;
    std::vector<uint32_t> sourceOf_;
    std::vector<uint8_t> placed_;
    std::vector<uint8_t> spareRow_;
};

// A frame strip in ordinary memory, rows top to bottom.
struct FrameStrip {
    StripLayout layout;
    std::unique_ptr<uint8_t[]> data;   // layout.width * layout.height bytes
    std::vector<FrameDecode> results;  // one per frame

    std::span<const uint8_t> Pixels() const {
        if (!data) return {};
        return {data.get(), static_cast<std::size_t>(layout.Pixels())};
    }

    // Index at (x, y) of frame k's own area (0-based frame); caller keeps
    // x < width_k and y < height_k.
    uint8_t At(std::size_t frame, int32_t x, int32_t y) const {
        return data[static_cast<std::size_t>(y) * static_cast<std::size_t>(layout.width) +
                    static_cast<std::size_t>(layout.offsets[frame] + x)];
    }
};

enum class StripStatus { Ok, NoFrames, TooLarge };

// Decodes every frame of an indexed file into `strip`.
StripStatus DecodeFrameStrip(std::span<const uint8_t> file, const GifIndex& index, FrameStrip& strip);

}  // namespace vx::gif
