// Exact pixel work on the rows of a device-independent bitmap: stride
// arithmetic, mirrors, quarter turns, grey conversion and area resampling
// at 1, 4, 8 and 24 bits per pixel. No platform calls: a DIB is a block of
// bytes here, so every operation moves pixels the same way on every machine.
//
// Layout of the rows (the platform's own):
//   - rows are stored bottom-up: the first row in memory is the bottom one;
//   - each row is padded to a multiple of 4 bytes;
//   - 24 bits: blue, green, red per pixel;
//   - 1 and 4 bits: pixels packed from the most significant bit down, so
//     pixel 0 of a 4-bit row is the high nibble of its first byte.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>

#include "base/colour.h"

namespace vx::dib {

inline constexpr int kMaxColors = 256;

// A colour table entry as it lies in a DIB: blue, green, red, reserved.
using vx::Bgrx;

using ColorTable = std::array<Bgrx, kMaxColors>;

// Whether a DIB of this depth can be made here: 1, 4, 8 or 24.
bool IsSupportedBitCount(int bitCount);

// Bytes per pixel row, padded to 4 bytes; any depth other than 1, 4 and 8
// counts as 24. Widths are taken as they come (integer division rounding
// toward zero, as the header arithmetic always did); nothing when an
// intermediate result leaves the signed 32-bit range.
std::optional<std::int32_t> ScanLineBytes(std::int32_t width, int bitCount);

// Height x ScanLineBytes, or nothing when that leaves the signed 32-bit range.
std::optional<std::int32_t> ImageBytes(std::int32_t width, std::int32_t height, int bitCount);

// The grey ramp of a palette depth: entry i has every part i x 255 / (2^bitCount - 1),
// rounded; entries past the ramp are black.
ColorTable GreyRamp(int bitCount);

// The rows of one DIB. `bits` is the first byte in memory (the bottom row).
struct ConstDibView {
    const std::uint8_t* bits = nullptr;
    std::int32_t width = 0;
    std::int32_t height = 0;
    int bitCount = 0;
    std::int32_t stride = 0;  // ScanLineBytes(width, bitCount)

    // Row `y` counted from the top, as the picture is seen.
    const std::uint8_t* Row(std::int32_t y) const {
        return bits + static_cast<std::ptrdiff_t>(height - 1 - y) * stride;
    }
};

struct DibView {
    std::uint8_t* bits = nullptr;
    std::int32_t width = 0;
    std::int32_t height = 0;
    int bitCount = 0;
    std::int32_t stride = 0;

    std::uint8_t* Row(std::int32_t y) const { return bits + static_cast<std::ptrdiff_t>(height - 1 - y) * stride; }
    operator ConstDibView() const { return {bits, width, height, bitCount, stride}; }
};

// The four ways a picture can be turned or turned over. The names say
// where the picture's top edge goes.
enum class Turn {
    MirrorLeftRight,       // columns reversed
    MirrorUpsideDown,      // rows reversed
    QuarterAnticlockwise,  // 90 degrees: the top edge becomes the left edge
    Half,                  // 180 degrees
    QuarterClockwise,      // 270 degrees: the top edge becomes the right edge
};

// Size of the result of `turn` on a width x height picture.
struct Size {
    std::int32_t width = 0;
    std::int32_t height = 0;
};
Size TurnedSize(Turn turn, std::int32_t width, std::int32_t height);

// The turn for a rotation by `degrees` (any value, reduced modulo 360 with
// a negative remainder taken up by 360): 90, 180 or 270 give a turn; any
// other angle, 0 included, gives false.
bool TurnForDegrees(std::int32_t degrees, Turn& turn);

// Writes `turn` of `source` into `target`, which has the same depth and
// the size TurnedSize gives. Every pixel of the target row is written;
// padding bits and bytes are set to 0. Throws std::invalid_argument when
// the views do not fit together.
void TurnPixels(const ConstDibView& source, const DibView& target, Turn turn);

// The 8-bit grey picture whose index is the grey nearest to each colour.
// `palette` gives the colours of a 1, 4 or 8-bit source.
void GreyPixels(const ConstDibView& source, std::span<const Bgrx> palette, const DibView& target);

// Lays the whole source over the whole target (any two sizes, same depth)
// and gives every target pixel the exact area-weighted average of what it
// covers. At palette depths the colours are averaged and each result takes
// the nearest entry of `targetPalette` (the lowest index on a tie).
void ResamplePixels(const ConstDibView& source, std::span<const Bgrx> sourcePalette, const DibView& target,
                    std::span<const Bgrx> targetPalette);

}  // namespace vx::dib
