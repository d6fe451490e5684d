#include "gif/gif_decode.h"

#include <algorithm>
#include <cstring>

namespace vx::gif {
namespace {

// Stream row order of an interlaced image: rows 0, 8, 16, ...; then 4, 12,
// ...; then 2, 6, ...; then 1, 3, ...
struct InterlacePass {
  int32_t first;
  int32_t step;
};
constexpr InterlacePass kInterlacePasses[] = {{0, 8}, {4, 8}, {2, 4}, {1, 2}};

void ZeroArea(uint8_t* top_left, std::ptrdiff_t row_step, int32_t width, int32_t height) {
  for (int32_t y = 0; y < height; ++y) {
    std::memset(top_left + y * row_step, 0, static_cast<std::size_t>(width));
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

bool StripIsPlausible(const GifIndex& index, const StripLayout& layout) {
  const uint64_t pixels = layout.Pixels();
  if (pixels > kMaxStripPixels) return false;
  uint64_t reachable = 0;
  for (const ImageBlock& block : index.blocks) {
    reachable += MaxPixelsFromData(block.data_bytes);
    if (reachable >= pixels) return true;
  }
  return pixels <= reachable;
}

FrameDecode FrameDecoder::Decode(std::span<const uint8_t> file, const GifIndex& index,
                                 std::size_t frame, uint8_t* top_left, std::ptrdiff_t row_step) {
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
    ZeroArea(top_left, row_step, width, height);
    last_.status = LzwStatus::BadMinimumCodeSize;
    return FrameDecode::Undecodable;
  }
  const uint8_t packed = file[pos + 9];
  const bool interlaced = (packed & 0x40) != 0;
  pos += 10;
  if (packed & 0x80) pos += std::size_t{3} << ((packed & 7) + 1);
  if (pos >= size) {
    ZeroArea(top_left, row_step, width, height);
    last_.status = LzwStatus::BadMinimumCodeSize;
    return FrameDecode::Undecodable;
  }
  const int minimum_code_size = file[pos++];
  codes_.clear();
  while (pos < size) {
    const std::size_t length = file[pos++];
    if (length == 0) break;
    const std::size_t available = std::min(length, size - pos);
    codes_.insert(codes_.end(), file.begin() + static_cast<std::ptrdiff_t>(pos),
                  file.begin() + static_cast<std::ptrdiff_t>(pos + available));
    pos += available;
  }

  const uint64_t area = uint64_t{static_cast<uint32_t>(width)} * static_cast<uint32_t>(height);
  const uint64_t decodable =
      std::min({area, MaxPixelsFromData(codes_.size()), uint64_t{LzwDecoder::kMaxPixels}});
  last_ = lzw_.Decode(codes_, minimum_code_size, static_cast<std::size_t>(decodable));
  const uint8_t* pixels = lzw_.Pixels().data();

  // Stream row r lands on frame row `row`; what the stream could not reach is 0.
  auto place_row = [&](int32_t stream_row, int32_t row) {
    uint8_t* dest = top_left + row * row_step;
    const uint64_t start = uint64_t{static_cast<uint32_t>(stream_row)} * static_cast<uint32_t>(width);
    const uint64_t available =
        decodable > start ? std::min<uint64_t>(static_cast<uint32_t>(width), decodable - start) : 0;
    if (available > 0) std::memcpy(dest, pixels + start, static_cast<std::size_t>(available));
    std::memset(dest + available, 0, static_cast<std::size_t>(static_cast<uint32_t>(width) - available));
  };
  if (interlaced) {
    int32_t stream_row = 0;
    for (const InterlacePass& pass : kInterlacePasses) {
      for (int32_t row = pass.first; row < height; row += pass.step) place_row(stream_row++, row);
    }
  } else {
    for (int32_t row = 0; row < height; ++row) place_row(row, row);
  }

  if (last_.status == LzwStatus::BadMinimumCodeSize || last_.produced == 0) {
    return FrameDecode::Undecodable;
  }
  return last_.produced == area ? FrameDecode::Complete : FrameDecode::Partial;
}

StripStatus DecodeFrameStrip(std::span<const uint8_t> file, const GifIndex& index, FrameStrip& strip) {
  strip = FrameStrip{};
  if (index.frames.empty()) return StripStatus::NoFrames;
  strip.layout = PlanFrameStrip(index);
  if (!StripIsPlausible(index, strip.layout)) return StripStatus::TooLarge;

  strip.pixels.assign(static_cast<std::size_t>(strip.layout.Pixels()), 0);
  strip.results.reserve(index.frames.size());
  FrameDecoder decoder;
  for (std::size_t k = 0; k < index.frames.size(); ++k) {
    const FrameRecord& frame = index.frames[k];
    uint8_t* top_left = frame.width > 0 && frame.height > 0
                            ? strip.pixels.data() + strip.layout.offsets[k]
                            : nullptr;
    strip.results.push_back(decoder.Decode(file, index, k, top_left, strip.layout.width));
  }
  return StripStatus::Ok;
}

}  // namespace vx::gif
