// Helpers for the GIF tests: a byte-level GIF builder for hand-made (often
// broken) files, a code packer for hand-made LZW streams, file loading.
#pragma once

#include <cstdint>
#include <fstream>
#include <iterator>
#include <span>
#include <string>
#include <utility>
#include <vector>

namespace vx::gif::testing {

using Bytes = std::vector<uint8_t>;

inline Bytes ToBytes(std::span<const uint8_t> span) { return Bytes(span.begin(), span.end()); }

inline Bytes ReadTestFile(const std::string& name) {
#ifdef _WIN32
  const std::string root = std::string("Z:") + VX_TEST_DATA_DIR;  // the Unix tree as Wine shows it
#else
  const std::string root = VX_TEST_DATA_DIR;
#endif
  std::ifstream in(root + "/gif/" + name, std::ios::binary);
  return Bytes(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// Packs (code, width) pairs least significant bit first, as GIF does.
inline Bytes PackCodes(const std::vector<std::pair<int, int>>& codes) {
  Bytes out;
  uint32_t accumulator = 0;
  int bits = 0;
  for (auto [code, width] : codes) {
    accumulator |= static_cast<uint32_t>(code) << bits;
    bits += width;
    while (bits >= 8) {
      out.push_back(static_cast<uint8_t>(accumulator));
      accumulator >>= 8;
      bits -= 8;
    }
  }
  if (bits > 0) out.push_back(static_cast<uint8_t>(accumulator));
  return out;
}

// A valid stream that writes every pixel as a root code, with a Clear code
// whenever the code width would grow, so all codes keep the first width.
inline Bytes RootStream(int minimum_code_size, const std::vector<int>& pixels) {
  const int clear = 1 << minimum_code_size;
  const int width = minimum_code_size + 1;
  const std::size_t per_clear = static_cast<std::size_t>(clear - 2);
  std::vector<std::pair<int, int>> codes;
  for (std::size_t i = 0; i < pixels.size(); ++i) {
    if (i % per_clear == 0) codes.push_back({clear, width});
    codes.push_back({pixels[i], width});
  }
  codes.push_back({clear + 1, width});
  return PackCodes(codes);
}

// Splits data into sub-blocks of up to 255 bytes plus the terminator.
inline Bytes SubBlocks(const Bytes& data) {
  Bytes out;
  for (std::size_t i = 0; i < data.size(); i += 255) {
    std::size_t n = std::min<std::size_t>(255, data.size() - i);
    out.push_back(static_cast<uint8_t>(n));
    out.insert(out.end(), data.begin() + static_cast<std::ptrdiff_t>(i),
               data.begin() + static_cast<std::ptrdiff_t>(i + n));
  }
  out.push_back(0);
  return out;
}

class GifBuilder {
 public:
  // Signature, screen descriptor and (when global_entries > 0) a global
  // table whose entry i is (i, 255 - i, i * 3).
  explicit GifBuilder(int global_entries = 4, uint16_t screen_width = 10, uint16_t screen_height = 10,
                      uint8_t background = 0, const char* signature = "GIF89a") {
    for (int i = 0; i < 6; ++i) bytes_.push_back(static_cast<uint8_t>(signature[i]));
    Word(screen_width);
    Word(screen_height);
    uint8_t packed = 0;
    if (global_entries > 0) packed = static_cast<uint8_t>(0x80 | (Exponent(global_entries) - 1));
    bytes_.push_back(packed);
    bytes_.push_back(background);
    bytes_.push_back(0);
    if (global_entries > 0) Table(global_entries);
  }

  // Graphic Control Extension with a raw packed byte.
  GifBuilder& Gce(uint8_t packed, uint16_t delay, uint8_t transparent_index = 0) {
    Raw({0x21, 0xF9, 0x04, packed});
    Word(delay);
    Raw({transparent_index, 0x00});
    return *this;
  }
  GifBuilder& Gce(Disposal disposal, uint16_t delay, bool transparent, uint8_t transparent_index) {
    return Gce(static_cast<uint8_t>((static_cast<int>(disposal) << 2) | (transparent ? 1 : 0)), delay, transparent_index);
  }

  GifBuilder& Netscape(uint16_t loops, const char* id = "NETSCAPE2.0") {
    Raw({0x21, 0xFF, 0x0B});
    for (int i = 0; i < 11; ++i) bytes_.push_back(static_cast<uint8_t>(id[i]));
    Raw({0x03, 0x01});
    Word(loops);
    bytes_.push_back(0);
    return *this;
  }

  GifBuilder& Comment(const std::string& text) {
    Raw({0x21, 0xFE});
    bytes_.push_back(static_cast<uint8_t>(text.size()));
    bytes_.insert(bytes_.end(), text.begin(), text.end());
    bytes_.push_back(0);
    return *this;
  }

  // Image descriptor, optional local table, minimum code size and the given
  // code bytes as sub-blocks. Without codes, a 1-pixel stream is written.
  GifBuilder& Image(uint16_t left, uint16_t top, uint16_t width, uint16_t height, int local_entries = 0,
                    bool interlaced = false, int minimum_code_size = 2, const Bytes* codes = nullptr) {
    bytes_.push_back(0x2C);
    Word(left);
    Word(top);
    Word(width);
    Word(height);
    uint8_t packed = interlaced ? 0x40 : 0;
    if (local_entries > 0) packed |= static_cast<uint8_t>(0x80 | (Exponent(local_entries) - 1));
    bytes_.push_back(packed);
    if (local_entries > 0) Table(local_entries, 7);
    bytes_.push_back(static_cast<uint8_t>(minimum_code_size));
    const Bytes fallback = PackCodes({{4, 3}, {1, 3}, {5, 3}});
    const Bytes blocks = SubBlocks(codes ? *codes : fallback);
    bytes_.insert(bytes_.end(), blocks.begin(), blocks.end());
    return *this;
  }

  GifBuilder& Raw(std::initializer_list<uint8_t> raw) {
    bytes_.insert(bytes_.end(), raw.begin(), raw.end());
    return *this;
  }
  GifBuilder& Trailer() { return Raw({0x3B}); }

  std::size_t Size() const { return bytes_.size(); }
  const Bytes& Get() const { return bytes_; }

  // Colour of entry i of a table written with `seed`.
  static uint32_t TableColour(int i, int seed = 0) {
    const uint32_t r = static_cast<uint8_t>(i + seed), g = static_cast<uint8_t>(255 - i),
                   b = static_cast<uint8_t>(i * 3);
    return (r << 16) | (g << 8) | b;
  }

 private:
  static int Exponent(int entries) {
    int e = 1;
    while ((1 << e) < entries) ++e;
    return e;
  }
  void Word(uint16_t v) {
    bytes_.push_back(static_cast<uint8_t>(v));
    bytes_.push_back(static_cast<uint8_t>(v >> 8));
  }
  void Table(int entries, int seed = 0) {
    const int size = 1 << Exponent(entries);
    for (int i = 0; i < size; ++i) {
      const uint32_t c = TableColour(i, seed);
      Raw({static_cast<uint8_t>(c >> 16), static_cast<uint8_t>(c >> 8), static_cast<uint8_t>(c)});
    }
  }

  Bytes bytes_;
};

}  // namespace vx::gif::testing
