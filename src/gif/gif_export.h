// Planning a frame export (every frame of an animation written as its own
// 24-bit BMP file) before anything is written: the bytes it will take, the
// names of its files, and whether the file held more images than the
// engine keeps. Portable: no platform headers.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>

namespace vx::gif {

// Total output a single export may write unless the caller raises it.
inline constexpr std::uint64_t kDefaultMaxExportBytes = std::uint64_t{2} << 30;

// Bytes of one frame file of `width` x `height` pixels at 24 bits: the two
// headers, the one zero colour-table entry and rows padded to 4 bytes.
std::uint64_t FrameFileBytes(std::int64_t width, std::int64_t height);

// All frames together; saturates instead of wrapping.
std::uint64_t ExportBytes(std::int64_t frames, std::int64_t width, std::int64_t height);

// Digits in frame numbers: 4, or as many as `frames` needs, so that every
// name of one export has the same length and the names sort in order.
int FrameNumberDigits(std::int64_t frames);

// "frame-0001.bmp"; the number zero-padded to `digits`.
std::string FrameFileName(std::int64_t frame, int digits);

// "2 GB", "500 MB", "1234 bytes": the largest unit that divides evenly.
std::string DescribeBytes(std::uint64_t bytes);

// A size as given on the command line: digits, optionally followed by K, M
// or G (binary units, any case, an optional B). Nothing else is accepted.
std::optional<std::uint64_t> ParseByteSize(const std::string& text);

// True when the index pass stopped at its frame limit although the file
// holds another image after the last frame kept.
bool ImagesLeftOut(std::span<const std::uint8_t> file);

}  // namespace vx::gif
