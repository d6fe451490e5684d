#include "gif/gif_lzw.h"

#include <algorithm>
#include <cstring>

namespace vx::gif {
namespace {

constexpr int kMaxCodeWidth = 12;
constexpr uint32_t kTableSize = 1u << kMaxCodeWidth;
// No string is longer than the table (each entry adds one pixel to an
// earlier one); the decoder may write a whole string past the image's end
// plus one 16-byte copy chunk.
constexpr std::size_t kOutputSlack = kTableSize + 64;

// Copies `length` bytes from earlier output at `from` to `to` (> from) with
// the semantics of a byte-by-byte forward copy, so that a string that
// overlaps its own source repeats it. May write up to 15 bytes past the end;
// the output buffer's slack absorbs that.
inline void CopyString(uint8_t* base, std::size_t from, std::size_t to, std::size_t length) {
  const uint8_t* src = base + from;
  uint8_t* dst = base + to;
  if (to - from >= 16) {
    for (std::size_t done = 0; done < length; done += 16) {
      std::memcpy(dst + done, src + done, 16);
    }
  } else if (to - from >= 8 && length <= 8) {
    std::memcpy(dst, src, 8);
  } else {
    for (std::size_t i = 0; i < length; ++i) dst[i] = src[i];
  }
}

}  // namespace

uint64_t MaxPixelsFromData(uint64_t data_bytes) {
  if (data_bytes > (uint64_t{1} << 40)) return UINT64_MAX;
  const uint64_t codes = data_bytes * 4;  // codes are at least 2 bits wide
  if (codes >= 2 * kTableSize) return codes * kTableSize;
  return codes * (codes + 1) / 2;
}

LzwResult LzwDecoder::Decode(std::span<const uint8_t> codes, int minimum_code_size,
                             std::size_t pixel_count) {
  pixel_count = std::min(pixel_count, kMaxPixels);
  pixel_count_ = pixel_count;
  if (output_.size() < pixel_count + kOutputSlack) output_.resize(pixel_count + kOutputSlack);
  uint8_t* out = output_.data();

  LzwResult result;
  if (minimum_code_size < 1 || minimum_code_size > 8) {
    std::memset(out, 0, pixel_count);
    result.status = LzwStatus::BadMinimumCodeSize;
    return result;
  }

  const uint32_t clear = 1u << minimum_code_size;
  const uint32_t end = clear + 1;
  const int first_width = minimum_code_size + 1;
  const uint8_t* data = codes.data();
  const std::size_t data_size = codes.size();
  const uint64_t total_bits = uint64_t{data_size} * 8;

  uint64_t bit_pos = 0;
  int width = first_width;
  uint32_t mask = (1u << width) - 1;
  uint32_t next_free = end + 1;
  uint32_t running_code = end + 1;
  bool have_previous = false;
  std::size_t previous_pos = 0;
  std::size_t previous_length = 0;
  std::size_t pos = 0;

  result.status = LzwStatus::Complete;
  while (pos < pixel_count) {
    if (bit_pos + width > total_bits) {
      result.status = LzwStatus::DataEnded;
      break;
    }
    const std::size_t byte = bit_pos >> 3;
    uint64_t window = 0;
    if (byte + 8 <= data_size) {
      std::memcpy(&window, data + byte, 8);  // little-endian hosts only (x86-64)
    } else {
      for (std::size_t i = 0; byte + i < data_size; ++i) window |= uint64_t{data[byte + i]} << (8 * i);
    }
    const uint32_t code = static_cast<uint32_t>(window >> (bit_pos & 7)) & mask;
    bit_pos += width;

    if (code == clear) {
      width = first_width;
      mask = (1u << width) - 1;
      next_free = end + 1;
      running_code = end + 1;
      have_previous = false;
      continue;
    }
    if (code == end) {
      result.status = LzwStatus::EndedEarly;
      break;
    }

    std::size_t length;
    if (code < clear) {
      out[pos] = static_cast<uint8_t>(code);
      length = 1;
    } else if (!have_previous) {
      result.status = LzwStatus::BadCode;
      break;
    } else if (code < next_free) {
      length = string_length_[code];
      CopyString(out, string_offset_[code], pos, length);
    } else if (code == next_free && next_free < kTableSize) {
      // The string being defined right now: the previous one plus its own
      // first pixel, which the overlapping copy produces.
      length = previous_length + 1;
      CopyString(out, previous_pos, pos, length);
    } else {
      result.status = LzwStatus::BadCode;
      break;
    }

    if (have_previous && next_free < kTableSize) {
      string_offset_[next_free] = static_cast<uint32_t>(previous_pos);
      string_length_[next_free] = static_cast<uint16_t>(previous_length + 1);
      ++next_free;
    }
    // The code after this one is one bit wider once the code number this one
    // stands for no longer fits. Counting codes rather than table entries
    // gives the same widths for every minimum code size from 2 up, and for
    // size 1 the widths that common decoders and encoders use.
    if (running_code <= kTableSize) {
      ++running_code;
      if (running_code > (1u << width) && width < kMaxCodeWidth) {
        ++width;
        mask = (1u << width) - 1;
      }
    }
    have_previous = true;
    previous_pos = pos;
    previous_length = length;
    pos += length;
  }

  result.produced = std::min(pos, pixel_count);
  if (result.produced >= pixel_count) result.status = LzwStatus::Complete;
  // Whatever was not decoded reads as index 0, including bytes that string
  // copies wrote ahead of a stream that then stopped.
  std::memset(out + result.produced, 0, pixel_count - result.produced);
  return result;
}

void LzwEncoder::ClearHash() { std::fill(std::begin(hash_), std::end(hash_), -1); }

void LzwEncoder::WritePacket() {
  out_->push_back(static_cast<uint8_t>(packet_bytes_));
  out_->insert(out_->end(), packet_, packet_ + packet_bytes_);
  packet_bytes_ = 0;
}

void LzwEncoder::Emit(int code) {
  accumulator_ |= static_cast<uint32_t>(code) << bits_held_;
  bits_held_ += width_;
  while (bits_held_ >= 8) {
    packet_[packet_bytes_++] = static_cast<uint8_t>(accumulator_ & 0xFF);
    accumulator_ >>= 8;
    bits_held_ -= 8;
    if (packet_bytes_ == 254) WritePacket();
  }
}

void LzwEncoder::Flush() {
  if (bits_held_ > 0) {
    packet_[packet_bytes_++] = static_cast<uint8_t>(accumulator_ & 0xFF);
    accumulator_ = 0;
    bits_held_ = 0;
  }
  if (packet_bytes_ > 0) WritePacket();
}

void LzwEncoder::Encode(const uint8_t* top_row, std::ptrdiff_t row_step, int32_t width,
                        int32_t height, std::vector<uint8_t>& out) {
  constexpr int kClear = 256;
  constexpr int kEnd = 257;
  out_ = &out;
  packet_bytes_ = 0;
  accumulator_ = 0;
  bits_held_ = 0;
  width_ = 9;
  int max_code = (1 << width_) - 1;
  int free_code = 258;

  ClearHash();
  Emit(kClear);
  if (width <= 0 || height <= 0) {
    Emit(kEnd);
    Flush();
    return;
  }

  int prefix = top_row[0];
  for (int32_t y = 0; y < height; ++y) {
    const uint8_t* row = top_row + y * row_step;
    for (int32_t x = (y == 0 ? 1 : 0); x < width; ++x) {
      const int pixel = row[x];
      const int32_t fcode = (pixel << 12) + prefix;
      int slot = (pixel << 4) ^ prefix;
      if (slot > kHashSize - 1) slot = 0;

      if (hash_[slot] == fcode) {
        prefix = codes_[slot];
        continue;
      }
      bool found = false;
      if (hash_[slot] >= 0) {
        const int displacement = slot == 0 ? 1 : kHashSize - slot;
        do {
          slot -= displacement;
          if (slot < 0) slot += kHashSize;
          if (hash_[slot] == fcode) {
            prefix = codes_[slot];
            found = true;
            break;
          }
        } while (hash_[slot] > 0);
      }
      if (found) continue;

      Emit(prefix);
      prefix = pixel;
      codes_[slot] = free_code;
      hash_[slot] = fcode;
      if (free_code > max_code) {
        if (free_code == 4096) {
          Emit(kClear);
          ClearHash();
          free_code = 257;
          width_ = 9;
        } else {
          ++width_;
        }
        max_code = (1 << width_) - 1;
      }
      ++free_code;
    }
  }
  Emit(prefix);
  Emit(kEnd);
  Flush();
  out_ = nullptr;
}

}  // namespace vx::gif
