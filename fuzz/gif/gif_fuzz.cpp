// Fuzz target over the GIF core: the index pass, the frame strip decoder,
// a raw LZW decode, an encode/decode round trip of every decoded frame and
// of raw pixels, and the placement arithmetic. Any crash, sanitizer report
// or broken invariant is a finding.
#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <optional>
#include <span>
#include <vector>

#include "gif/gif_animation.h"
#include "gif/gif_decode.h"
#include "gif/gif_index.h"
#include "gif/gif_lzw.h"
#include "gif/gif_scale.h"
#include "gif/gif_stream.h"

namespace {

using namespace vx::gif;

// Keeps each run fast: larger strips are still indexed and checked for
// plausibility, but not decoded.
constexpr uint64_t kFuzzStripPixels = uint64_t{1} << 18;

void Check(bool condition) {
    if (!condition) std::abort();
}

void CheckIndexInvariants(const GifIndex& index) {
    Check(index.frames.size() == index.blocks.size());
    Check(index.frames.size() <= static_cast<std::size_t>(kMaxFrames));
    int32_t width = 0, height = 0;
    for (const FrameRecord& frame : index.frames) {
        Check(frame.palette >= 0 && static_cast<std::size_t>(frame.palette) < index.palettes.size());
        Check(static_cast<int>(frame.disposal) <= 3 && frame.transparent <= 1 && frame.spare == 0);
        Check(frame.width >= 0 && frame.width <= 65535 && frame.height >= 0 && frame.height <= 65535);
        width = std::max(width, frame.left + frame.width);
        height = std::max(height, frame.top + frame.height);
    }
    Check(width == index.width && height == index.height);
}

// A decoded frame written out with the frame stream writer must decode to
// the same indices and colours.
void RoundTripFrame(const GifIndex& index, const FrameStrip& strip, std::size_t k) {
    const FrameRecord& frame = index.frames[k];
    if (frame.width == 0 || frame.height == 0) return;
    const uint8_t* topLeft = strip.Pixels().data() + strip.layout.offsets[k];
    const Palette& palette = index.palettes[static_cast<std::size_t>(frame.palette)];
    std::optional<uint8_t> transparent;
    if (frame.transparent) transparent = frame.transparent_index;
    const std::vector<uint8_t> gif =
        EncodeFrameGif(topLeft, strip.layout.width, frame.width, frame.height, palette, transparent);

    const GifIndex again = IndexGif(gif);
    Check(again.frames.size() == 1);
    Check(again.frames[0].width == frame.width && again.frames[0].height == frame.height);
    Check(again.frames[0].transparent == frame.transparent);
    Check(again.palettes.size() == 1 && again.palettes[0] == palette);
    FrameStrip decoded;
    Check(DecodeFrameStrip(gif, again, decoded) == StripStatus::Ok);
    Check(decoded.results[0] == FrameDecode::Complete);
    for (int32_t y = 0; y < frame.height; ++y) {
        Check(std::memcmp(decoded.Pixels().data() + static_cast<std::size_t>(y) * frame.width,
                          topLeft + static_cast<std::size_t>(y) * static_cast<std::size_t>(strip.layout.width),
                          static_cast<std::size_t>(frame.width)) == 0);
    }
}

// Reading the sub-blocks in place and reading them joined must agree.
void CompareBitSources(std::span<const uint8_t> file, const GifIndex& index, std::size_t k) {
    std::size_t pos = index.blocks[k].position - 1;
    const uint8_t packed = file[pos + 9];
    pos += 10;
    if (packed & 0x80) pos += std::size_t{3} << ((packed & 7) + 1);
    const int minimumCodeSize = file[pos++];
    std::vector<uint8_t> joined;
    for (std::size_t length = file[pos++]; length != 0; length = file[pos++]) {
        joined.insert(joined.end(), file.begin() + static_cast<std::ptrdiff_t>(pos),
                      file.begin() + static_cast<std::ptrdiff_t>(pos + length));
        pos += length;
    }
    const std::size_t pixels = std::min<std::size_t>(
        {static_cast<std::size_t>(index.frames[k].width) * static_cast<std::size_t>(index.frames[k].height),
         std::size_t{1} << 18});
    LzwDecoder in_place, fromJoined;
    const LzwResult a =
        in_place.DecodeSubBlocks(file.subspan(index.blocks[k].position - 1 + 10 +
                                              (packed & 0x80 ? std::size_t{3} << ((packed & 7) + 1) : 0) + 1),
                                 minimumCodeSize, pixels);
    const LzwResult b = fromJoined.Decode(joined, minimumCodeSize, pixels);
    Check(a.status == b.status && a.produced == b.produced);
    Check(std::equal(in_place.Pixels().begin(), in_place.Pixels().end(), fromJoined.Pixels().begin()));
}

void FuzzFile(std::span<const uint8_t> file) {
    const GifIndex index = IndexGif(file);
    CheckIndexInvariants(index);
    if (index.frames.empty()) return;

    const StripLayout layout = PlanFrameStrip(index);
    if (!StripIsPlausible(index, layout) || layout.Pixels() > kFuzzStripPixels) return;
    FrameStrip strip;
    Check(DecodeFrameStrip(file, index, strip) == StripStatus::Ok);
    Check(strip.Pixels().size() == layout.Pixels());
    for (std::size_t k = 0; k < index.frames.size() && k < 4; ++k) {
        RoundTripFrame(index, strip, k);
        CompareBitSources(file, index, k);
    }

    // The viewer's arithmetic on whatever the file declared.
    for (std::size_t k = 0; k < index.frames.size() && k < 4; ++k) {
        for (int32_t mode : {0, 1, 2, 3, 8, 9, 11, -1}) {
            Placement placement{270, 123, 300, 300};
            ScaleToDestination(index.width, index.height, &index.frames[k], mode, placement);
            const Rect rect = FrameRectInBuffer(index.frames[k], mode, placement.xRatio, placement.yRatio, 300, 300);
            DisposalFillRect(index.frames[k], rect, placement.xRatio, placement.yRatio);
            FrameProperty(index, static_cast<int32_t>(k + 1), kPropDelay, kDefaultMinimumDelay);
        }
    }
    NeedsAnimationBuffer(index);
    WindowBkgColor(index);
}

// The bytes as a bare code stream: first byte the minimum code size, next
// two the pixel count.
void FuzzCodeStream(std::span<const uint8_t> data) {
    if (data.size() < 3) return;
    const int minimumCodeSize = data[0] % 10;
    const std::size_t pixels = data[1] | (data[2] << 8);
    LzwDecoder decoder;
    const LzwResult first = decoder.Decode(data.subspan(3), minimumCodeSize, pixels);
    Check(first.produced <= pixels && decoder.Pixels().size() == pixels);
    const std::vector<uint8_t> out(decoder.Pixels().begin(), decoder.Pixels().end());
    const LzwResult second = decoder.Decode(data.subspan(3), minimumCodeSize, pixels);
    Check(second.status == first.status && second.produced == first.produced);
    Check(std::equal(out.begin(), out.end(), decoder.Pixels().begin()));
    for (std::size_t i = first.produced; i < pixels; ++i) Check(out[i] == 0);
}

// The bytes as raw pixels: first byte the width.
void FuzzPixels(std::span<const uint8_t> data) {
    if (data.size() < 2) return;
    const int32_t width = data[0] + 1;
    const std::span<const uint8_t> pixels = data.subspan(1);
    const int32_t height = static_cast<int32_t>(pixels.size() / static_cast<std::size_t>(width));
    if (height == 0) return;
    Palette palette{};
    const std::vector<uint8_t> gif = EncodeFrameGif(pixels.data(), width, width, height, palette, std::nullopt);
    const GifIndex index = IndexGif(gif);
    FrameStrip strip;
    Check(DecodeFrameStrip(gif, index, strip) == StripStatus::Ok);
    Check(strip.results[0] == FrameDecode::Complete);
    Check(std::equal(strip.Pixels().begin(), strip.Pixels().end(), pixels.begin()));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
    const std::span<const uint8_t> bytes(data, size);
    FuzzFile(bytes);
    FuzzCodeStream(bytes);
    FuzzPixels(bytes);
    return 0;
}
