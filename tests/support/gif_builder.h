// The one GIF builder of the tests. GifBuilder writes a file block by
// block for hand-made (often broken) files, with a code packer for
// hand-made LZW streams; fixtures::WriteGif writes whole animations from a
// plan (frames at any position with their own disposal, delay,
// transparency and optional local colour table) through GifBuilder,
// compressed with the product's LZW encoder. Header only, no platform code.
#pragma once

#include <algorithm>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <utility>
#include <vector>

#include "gif/gif_index.h"
#include "gif/gif_lzw.h"
#include "support/test_files.h"

namespace vx::gif::testing {

using Bytes = std::vector<uint8_t>;

inline Bytes ToBytes(std::span<const uint8_t> span) { return Bytes(span.begin(), span.end()); }

inline Bytes ReadTestFile(const std::string& name) {
#ifdef _WIN32
    const std::string root = std::string("Z:") + VX_TEST_DATA_DIR;  // the Unix tree as Wine shows it
#else
    const std::string root = VX_TEST_DATA_DIR;
#endif
    return test::ReadFileBytes(root + "/gif/" + name);
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
inline Bytes RootStream(int minimumCodeSize, const std::vector<int>& pixels) {
    const int clear = 1 << minimumCodeSize;
    const int width = minimumCodeSize + 1;
    const std::size_t perClear = static_cast<std::size_t>(clear - 2);
    std::vector<std::pair<int, int>> codes;
    for (std::size_t i = 0; i < pixels.size(); ++i) {
        if (i % perClear == 0) codes.push_back({clear, width});
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
    // Signature, screen descriptor and (when globalEntries > 0) a global
    // table whose entry i is (i, 255 - i, i * 3).
    explicit GifBuilder(int globalEntries = 4, uint16_t screenWidth = 10, uint16_t screenHeight = 10,
                        uint8_t background = 0, const char* signature = "GIF89a") {
        for (int i = 0; i < 6; ++i) bytes_.push_back(static_cast<uint8_t>(signature[i]));
        Word(screenWidth);
        Word(screenHeight);
        uint8_t packed = 0;
        if (globalEntries > 0) packed = static_cast<uint8_t>(0x80 | (Exponent(globalEntries) - 1));
        bytes_.push_back(packed);
        bytes_.push_back(background);
        bytes_.push_back(0);
        if (globalEntries > 0) Table(globalEntries);
    }

    // Signature and screen descriptor, with the given global table (256
    // entries 0x00RRGGBB, padded with black) unless it is empty.
    static GifBuilder WithPalette(uint16_t screenWidth, uint16_t screenHeight, uint8_t background,
                                  const std::vector<uint32_t>& palette) {
        GifBuilder gif(0, screenWidth, screenHeight, background);
        if (!palette.empty()) {
            gif.bytes_[10] = 0x87;
            gif.FullTable(palette);
        }
        return gif;
    }

    // Image descriptor with an optional local table (256 entries 0x00RRGGBB,
    // padded with black); the image data follows through Append.
    GifBuilder& Descriptor(uint16_t left, uint16_t top, uint16_t width, uint16_t height,
                           const std::vector<uint32_t>& localPalette) {
        bytes_.push_back(0x2C);
        Word(left);
        Word(top);
        Word(width);
        Word(height);
        bytes_.push_back(localPalette.empty() ? 0x00 : 0x87);
        if (!localPalette.empty()) FullTable(localPalette);
        return *this;
    }

    GifBuilder& Append(const Bytes& raw) {
        bytes_.insert(bytes_.end(), raw.begin(), raw.end());
        return *this;
    }

    // Graphic Control Extension with a raw packed byte.
    GifBuilder& Gce(uint8_t packed, uint16_t delay, uint8_t transparentIndex = 0) {
        Raw({0x21, 0xF9, 0x04, packed});
        Word(delay);
        Raw({transparentIndex, 0x00});
        return *this;
    }
    GifBuilder& Gce(Disposal disposal, uint16_t delay, bool transparent, uint8_t transparentIndex) {
        return Gce(static_cast<uint8_t>((static_cast<int>(disposal) << 2) | (transparent ? 1 : 0)), delay,
                   transparentIndex);
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
    GifBuilder& Image(uint16_t left, uint16_t top, uint16_t width, uint16_t height, int localEntries = 0,
                      bool interlaced = false, int minimumCodeSize = 2, const Bytes* codes = nullptr) {
        bytes_.push_back(0x2C);
        Word(left);
        Word(top);
        Word(width);
        Word(height);
        uint8_t packed = interlaced ? 0x40 : 0;
        if (localEntries > 0) packed |= static_cast<uint8_t>(0x80 | (Exponent(localEntries) - 1));
        bytes_.push_back(packed);
        if (localEntries > 0) Table(localEntries, 7);
        bytes_.push_back(static_cast<uint8_t>(minimumCodeSize));
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
    void FullTable(const std::vector<uint32_t>& palette) {
        for (std::size_t i = 0; i < 256; ++i) {
            const uint32_t c = i < palette.size() ? palette[i] : 0;
            Raw({static_cast<uint8_t>(c >> 16), static_cast<uint8_t>(c >> 8), static_cast<uint8_t>(c)});
        }
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

namespace vx::gif::fixtures {

struct FramePlan {
    std::uint16_t left = 0, top = 0, width = 1, height = 1;
    std::vector<std::uint8_t> pixels;  // width x height indices, rows top to bottom
    Disposal disposal = Disposal::Unspecified;
    std::uint16_t delay = 0;  // hundredths of a second
    std::optional<std::uint8_t> transparent;
    bool extension = true;                    // write a Graphic Control Extension
    std::vector<std::uint32_t> localPalette;  // 0x00RRGGBB; empty: the global table
};

struct GifPlan {
    std::vector<std::uint32_t> globalPalette;  // 0x00RRGGBB; empty: no global table
    std::uint8_t background = 0;
    std::optional<std::uint16_t> loops;  // NETSCAPE2.0 loop count
    std::vector<FramePlan> frames;
};

inline std::vector<std::uint8_t> WriteGif(const GifPlan& plan) {
    unsigned screenWidth = 0, screenHeight = 0;
    for (const FramePlan& f : plan.frames) {
        screenWidth = std::max<unsigned>(screenWidth, f.left + f.width);
        screenHeight = std::max<unsigned>(screenHeight, f.top + f.height);
    }
    testing::GifBuilder gif = testing::GifBuilder::WithPalette(static_cast<std::uint16_t>(screenWidth & 0xFFFF),
                                                               static_cast<std::uint16_t>(screenHeight & 0xFFFF),
                                                               plan.background, plan.globalPalette);
    if (plan.loops) gif.Netscape(*plan.loops);
    for (const FramePlan& f : plan.frames) {
        if (f.extension)
            gif.Gce(static_cast<std::uint8_t>((static_cast<int>(f.disposal) << 2) | (f.transparent ? 1 : 0)), f.delay,
                    f.transparent.value_or(0));
        gif.Descriptor(f.left, f.top, f.width, f.height, f.localPalette);
        std::vector<std::uint8_t> pixels = f.pixels;
        pixels.resize(static_cast<std::size_t>(f.width) * f.height, 0);
        std::vector<std::uint8_t> data = {8};
        LzwEncoder encoder;
        encoder.Encode(pixels.data(), f.width, f.width, f.height, data);
        data.push_back(0);
        gif.Append(data);
    }
    gif.Trailer();
    return gif.Get();
}

// A frame of the given indices, disposal and transparent index.
inline FramePlan Frame(std::uint16_t left, std::uint16_t top, std::uint16_t width, std::uint16_t height,
                       std::vector<std::uint8_t> pixels, Disposal disposal = Disposal::Unspecified,
                       std::optional<std::uint8_t> transparent = {}) {
    FramePlan f;
    f.left = left;
    f.top = top;
    f.width = width;
    f.height = height;
    f.pixels = std::move(pixels);
    f.disposal = disposal;
    f.transparent = transparent;
    return f;
}

// A frame of one colour index.
inline FramePlan SolidFrame(std::uint16_t left, std::uint16_t top, std::uint16_t width, std::uint16_t height,
                            std::uint8_t index) {
    FramePlan f;
    f.left = left;
    f.top = top;
    f.width = width;
    f.height = height;
    f.pixels.assign(static_cast<std::size_t>(width) * height, index);
    return f;
}

// `count` transparent frames on a 10 x 10 screen, palette grey, red,
// green, all with disposal `disposal`: frame 1 a red field, every later
// frame clear but for a green top-left pixel. From frame 2 on, all but that
// pixel shows the background after disposal 2, the red field after
// disposal 1.
inline GifPlan ClearFramesAfterARedOne(int count, Disposal disposal = Disposal::RestoreBackground) {
    GifPlan plan;
    plan.globalPalette = {0x0A0A0A, 0xFF0000, 0x00FF00};
    plan.frames.push_back(Frame(0, 0, 10, 10, std::vector<std::uint8_t>(100, 1), disposal, 0));
    std::vector<std::uint8_t> clear(100, 0);
    clear[0] = 2;
    for (int k = 2; k <= count; ++k) plan.frames.push_back(Frame(0, 0, 10, 10, clear, disposal, 0));
    return plan;
}

}  // namespace vx::gif::fixtures
