#include "gif/gif_decode.h"

#include <algorithm>
#include <cstring>

#include "gif/gif_limits.h"

namespace vx::gif {
namespace {

// Stream row order of an interlaced image: rows 0, 8, 16, ...; then 4, 12,
// ...; then 2, 6, ...; then 1, 3, ...
struct InterlacePass {
    int32_t first;
    int32_t step;
};
constexpr InterlacePass kInterlacePasses[] = {{0, 8}, {4, 8}, {2, 4}, {1, 2}};

void ZeroArea(uint8_t* topLeft, std::ptrdiff_t rowStep, int32_t width, int32_t height) {
    for (int32_t y = 0; y < height; ++y) {
        std::memset(topLeft + y * rowStep, 0, static_cast<std::size_t>(width));
    }
}

// Asks for the cache lines of dest[0 .. bytes) ahead of writing them. Rows
// of a frame in the strip lie a whole strip width apart, a stride that the
// hardware does not follow by itself.
void PrefetchRow(const uint8_t* dest, int32_t bytes) {
    constexpr int32_t kCacheLine = 64;
    for (int32_t x = 0; x < bytes; x += kCacheLine) __builtin_prefetch(dest + x, 1);
    __builtin_prefetch(dest + bytes - 1, 1);
}

// Clears the strip under every frame shorter than it. Going down the rows,
// the frames that end above a row form runs of adjacent columns; clearing
// those runs row after row keeps the writes in address order, where clearing
// frame by frame would touch a few bytes of each row at the strip's whole
// stride, a cache line at a time.
void ClearBelowFrames(const GifIndex& index, const StripLayout& layout, uint8_t* data) {
    const std::vector<FrameRecord>& frames = index.frames;
    const std::size_t count = frames.size();
    std::vector<uint32_t> byHeight;
    for (std::size_t k = 0; k < count; ++k) {
        if (frames[k].width > 0 && frames[k].height < layout.height) byHeight.push_back(static_cast<uint32_t>(k));
    }
    if (byHeight.empty()) return;
    std::sort(byHeight.begin(), byHeight.end(),
              [&](uint32_t a, uint32_t b) { return frames[a].height < frames[b].height; });

    struct Run {
        int64_t start;
        int64_t length;
    };
    std::vector<Run> runs;
    std::vector<uint8_t> ended(count, 0);
    std::size_t next = 0;
    const std::size_t rowBytes = static_cast<std::size_t>(layout.width);
    for (int32_t y = 0; y < layout.height; ++y) {
        if (next < byHeight.size() && frames[byHeight[next]].height <= y) {
            while (next < byHeight.size() && frames[byHeight[next]].height <= y) ended[byHeight[next++]] = 1;
            runs.clear();
            for (std::size_t k = 0; k < count; ++k) {
                if (!ended[k]) continue;
                const int64_t start = layout.offsets[k];
                if (!runs.empty() && runs.back().start + runs.back().length == start) {
                    runs.back().length += frames[k].width;
                } else {
                    runs.push_back({start, frames[k].width});
                }
            }
        }
        uint8_t* row = data + static_cast<std::size_t>(y) * rowBytes;
        for (const Run& run : runs) std::memset(row + run.start, 0, static_cast<std::size_t>(run.length));
    }
}

}  // namespace

StripLayout PlanFrameStrip(const GifIndex& index) {
    StripLayout layout;
    layout.offsets.reserve(index.frames.size());
    for (const FrameRecord& frame : index.frames) {
        layout.offsets.push_back(layout.width);
        layout.width += frame.width;
        layout.height = std::max(layout.height, frame.height);
    }
    return layout;
}

int64_t StripStride(int64_t width) { return ((width * 8 + 31) & ~int64_t{31}) / 8; }

GifReport CheckStrip(const GifIndex& index, const StripLayout& layout) {
    GifReport report;
    report.frames = index.frames.size();
    if (!index.frames.empty()) {
        const FrameRecord& first = index.frames.front();
        const bool same = std::all_of(index.frames.begin(), index.frames.end(), [&](const FrameRecord& f) {
            return f.width == first.width && f.height == first.height;
        });
        if (same) {
            report.frameWidth = first.width;
            report.frameHeight = first.height;
        }
    }
    report.width = layout.width;
    report.height = layout.height;
    const uint64_t bytes = static_cast<uint64_t>(StripStride(std::max<int64_t>(1, layout.width))) *
                           static_cast<uint64_t>(std::max<int32_t>(1, layout.height));
    if (bytes > kMaxStripBytes || layout.Pixels() > kMaxStripPixels) {
        report.status = GifStatus::StripTooLarge;
        report.needed = bytes;
        report.limit = kMaxStripBytes;
        return report;
    }
    if (bytes <= kStripBytesWithoutData) return report;
    uint64_t areas = 0, reachable = 0;
    for (const FrameRecord& frame : index.frames)
        areas += static_cast<uint64_t>(frame.width) * static_cast<uint64_t>(frame.height);
    for (const ImageBlock& block : index.blocks) {
        reachable += MaxPixelsFromData(block.dataBytes);
        if (reachable >= areas) return report;
    }
    if (areas <= reachable) return report;
    report.status = GifStatus::FramesBeyondData;
    report.needed = areas;
    report.limit = reachable;
    return report;
}

bool StripIsPlausible(const GifIndex& index, const StripLayout& layout) {
    return CheckStrip(index, layout).status == GifStatus::Loaded;
}

FrameDecode FrameDecoder::Decode(std::span<const uint8_t> file, const GifIndex& index, std::size_t frame,
                                 uint8_t* topLeft, std::ptrdiff_t rowStep) {
    last_ = LzwResult{};
    const FrameRecord& record = index.frames[frame];
    const ImageBlock& block = index.blocks[frame];
    const int32_t width = record.width;
    const int32_t height = record.height;
    if (width <= 0 || height <= 0) return FrameDecode::Complete;

    // Find the code stream again: descriptor, optional local table, minimum
    // code size, then the data sub-blocks.
    const std::size_t size = file.size();
    std::size_t pos = block.position == 0 ? size : block.position - 1;
    if (pos >= size || size - pos < 11 || file[pos] != 0x2C) {
        ZeroArea(topLeft, rowStep, width, height);
        last_.status = LzwStatus::BadMinimumCodeSize;
        return FrameDecode::Undecodable;
    }
    const uint8_t packed = file[pos + 9];
    const bool interlaced = (packed & 0x40) != 0;
    pos += 10;
    if (packed & 0x80) pos += std::size_t{3} << ((packed & 7) + 1);
    if (pos >= size) {
        ZeroArea(topLeft, rowStep, width, height);
        last_.status = LzwStatus::BadMinimumCodeSize;
        return FrameDecode::Undecodable;
    }
    const int minimumCodeSize = file[pos++];

    const uint64_t area = uint64_t{static_cast<uint32_t>(width)} * static_cast<uint32_t>(height);
    const uint64_t decodable = std::min({area, MaxPixelsFromData(block.dataBytes), uint64_t{LzwDecoder::kMaxPixels}});
    const std::span<const uint8_t> chain = file.subspan(pos);

    if (rowStep == width) {
        // Rows follow each other in memory: decode in place, in stream order.
        last_ = lzw_.DecodeSubBlocksInto(chain, minimumCodeSize, topLeft, static_cast<std::size_t>(decodable));
        if (decodable < area) std::memset(topLeft + decodable, 0, static_cast<std::size_t>(area - decodable));
        if (interlaced) MoveInterlacedRows(topLeft, width, height);
    } else {
        last_ = lzw_.DecodeSubBlocks(chain, minimumCodeSize, static_cast<std::size_t>(decodable));
        const uint8_t* pixels = lzw_.Pixels().data();
        // Stream row r lands on frame row `row`, and the row `ahead` places later
        // is fetched meanwhile; what the stream could not reach is 0.
        constexpr int32_t kRowsAhead = 8;
        auto placeRow = [&](int32_t streamRow, int32_t row, int32_t step) {
            uint8_t* dest = topLeft + row * rowStep;
            if (row + kRowsAhead * step < height) PrefetchRow(dest + kRowsAhead * step * rowStep, width);
            const uint64_t start = uint64_t{static_cast<uint32_t>(streamRow)} * static_cast<uint32_t>(width);
            const uint64_t available =
                decodable > start ? std::min<uint64_t>(static_cast<uint32_t>(width), decodable - start) : 0;
            if (available > 0) std::memcpy(dest, pixels + start, static_cast<std::size_t>(available));
            if (available < static_cast<uint32_t>(width)) {
                std::memset(dest + available, 0, static_cast<std::size_t>(static_cast<uint32_t>(width) - available));
            }
        };
        if (interlaced) {
            int32_t streamRow = 0;
            for (const InterlacePass& pass : kInterlacePasses) {
                for (int32_t row = pass.first; row < height; row += pass.step) placeRow(streamRow++, row, pass.step);
            }
        } else {
            for (int32_t row = 0; row < height; ++row) placeRow(row, row, 1);
        }
    }

    if (last_.status == LzwStatus::BadMinimumCodeSize || last_.produced == 0) {
        return FrameDecode::Undecodable;
    }
    return last_.produced == area ? FrameDecode::Complete : FrameDecode::Partial;
}

void FrameDecoder::MoveInterlacedRows(uint8_t* rows, int32_t width, int32_t height) {
    // Stream row r belongs at frame row target[r]; follow each cycle of that
    // permutation with one spare row.
    const std::size_t count = static_cast<std::size_t>(height);
    const std::size_t rowBytes = static_cast<std::size_t>(width);
    sourceOf_.resize(count);
    std::size_t streamRow = 0;
    for (const InterlacePass& pass : kInterlacePasses) {
        for (int32_t row = pass.first; row < height; row += pass.step) {
            sourceOf_[static_cast<std::size_t>(row)] = static_cast<uint32_t>(streamRow++);
        }
    }
    placed_.assign(count, 0);
    spareRow_.resize(rowBytes);
    for (std::size_t start = 0; start < count; ++start) {
        if (placed_[start] || sourceOf_[start] == start) continue;
        std::memcpy(spareRow_.data(), rows + start * rowBytes, rowBytes);
        std::size_t row = start;
        for (;;) {
            placed_[row] = 1;
            const std::size_t source = sourceOf_[row];
            if (source == start) {
                std::memcpy(rows + row * rowBytes, spareRow_.data(), rowBytes);
                break;
            }
            std::memcpy(rows + row * rowBytes, rows + source * rowBytes, rowBytes);
            row = source;
        }
    }
}

StripStatus DecodeFrameStrip(std::span<const uint8_t> file, const GifIndex& index, FrameStrip& strip) {
    strip = FrameStrip{};
    if (index.frames.empty()) return StripStatus::NoFrames;
    strip.layout = PlanFrameStrip(index);
    if (!StripIsPlausible(index, strip.layout)) return StripStatus::TooLarge;

    // Not zero-filled: each frame writes its whole area, and only the rows
    // below a frame shorter than the strip are cleared.
    const std::size_t stripHeight = static_cast<std::size_t>(strip.layout.height);
    if (strip.layout.Pixels() > 0) {
        strip.data.reset(new uint8_t[strip.layout.Pixels()]);
        ClearBelowFrames(index, strip.layout, strip.data.get());
    }
    strip.results.reserve(index.frames.size());
    FrameDecoder decoder;
    for (std::size_t k = 0; k < index.frames.size(); ++k) {
        const FrameRecord& frame = index.frames[k];
        if (frame.width <= 0 || stripHeight == 0) {
            strip.results.push_back(FrameDecode::Complete);
            continue;
        }
        uint8_t* topLeft = strip.data.get() + strip.layout.offsets[k];
        strip.results.push_back(decoder.Decode(file, index, k, topLeft, strip.layout.width));
    }
    return StripStatus::Ok;
}

}  // namespace vx::gif
