// Writes whole GIF files for tests that need real animations: frames at
// any position with their own disposal, delay, transparency and optional
// local colour table, compressed with the product's LZW encoder. Header
// only, no platform code.
#pragma once

#include <algorithm>
#include <cstdint>
#include <optional>
#include <utility>
#include <vector>

#include "gif/gif_index.h"
#include "gif/gif_lzw.h"

namespace vx::gif::fixtures {

struct FramePlan {
    std::uint16_t left = 0, top = 0, width = 1, height = 1;
    std::vector<std::uint8_t> pixels;  // width x height indices, rows top to bottom
    Disposal disposal = Disposal::Unspecified;
    std::uint16_t delay = 0;  // hundredths of a second
    std::optional<std::uint8_t> transparent;
    bool extension = true;                   // write a Graphic Control Extension
    std::vector<std::uint32_t> localPalette;  // 0x00RRGGBB; empty: the global table
};

struct GifPlan {
    std::vector<std::uint32_t> globalPalette;  // 0x00RRGGBB; empty: no global table
    std::uint8_t background = 0;
    std::optional<std::uint16_t> loops;  // NETSCAPE2.0 loop count
    std::vector<FramePlan> frames;
};

namespace detail {
inline void Word(std::vector<std::uint8_t>& out, unsigned value) {
    out.push_back(static_cast<std::uint8_t>(value & 0xFF));
    out.push_back(static_cast<std::uint8_t>((value >> 8) & 0xFF));
}
// Always 256 entries (size field 7), padded with black.
inline void Table(std::vector<std::uint8_t>& out, const std::vector<std::uint32_t>& palette) {
    for (std::size_t i = 0; i < 256; ++i) {
        const std::uint32_t c = i < palette.size() ? palette[i] : 0;
        out.push_back(static_cast<std::uint8_t>(c >> 16));
        out.push_back(static_cast<std::uint8_t>(c >> 8));
        out.push_back(static_cast<std::uint8_t>(c));
    }
}
}  // namespace detail

inline std::vector<std::uint8_t> WriteGif(const GifPlan& plan) {
    std::vector<std::uint8_t> out = {'G', 'I', 'F', '8', '9', 'a'};
    unsigned screenWidth = 0, screenHeight = 0;
    for (const FramePlan& f : plan.frames) {
        screenWidth = std::max<unsigned>(screenWidth, f.left + f.width);
        screenHeight = std::max<unsigned>(screenHeight, f.top + f.height);
    }
    detail::Word(out, screenWidth & 0xFFFF);
    detail::Word(out, screenHeight & 0xFFFF);
    out.push_back(plan.globalPalette.empty() ? 0x00 : 0x87);
    out.push_back(plan.background);
    out.push_back(0);
    if (!plan.globalPalette.empty()) detail::Table(out, plan.globalPalette);
    if (plan.loops) {
        const char id[] = "NETSCAPE2.0";
        out.insert(out.end(), {0x21, 0xFF, 0x0B});
        out.insert(out.end(), id, id + 11);
        out.insert(out.end(), {0x03, 0x01});
        detail::Word(out, *plan.loops);
        out.push_back(0);
    }
    for (const FramePlan& f : plan.frames) {
        if (f.extension) {
            out.insert(out.end(), {0x21, 0xF9, 0x04});
            out.push_back(static_cast<std::uint8_t>((static_cast<int>(f.disposal) << 2) | (f.transparent ? 1 : 0)));
            detail::Word(out, f.delay);
            out.push_back(f.transparent.value_or(0));
            out.push_back(0);
        }
        out.push_back(0x2C);
        detail::Word(out, f.left);
        detail::Word(out, f.top);
        detail::Word(out, f.width);
        detail::Word(out, f.height);
        out.push_back(f.localPalette.empty() ? 0x00 : 0x87);
        if (!f.localPalette.empty()) detail::Table(out, f.localPalette);
        out.push_back(8);
        std::vector<std::uint8_t> pixels = f.pixels;
        pixels.resize(static_cast<std::size_t>(f.width) * f.height, 0);
        LzwEncoder encoder;
        encoder.Encode(pixels.data(), f.width, f.width, f.height, out);
        out.push_back(0);
    }
    out.push_back(0x3B);
    return out;
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
