#include "imaging/dib_transform.h"

#include <algorithm>
#include <cstring>
#include <limits>
#include <stdexcept>
#include <string>

#include "base/bgra_image.h"
#include "base/nearest_entry.h"
#include "imaging/squeeze.h"

namespace vx::dib {

namespace {

constexpr std::int64_t kInt32Min = std::numeric_limits<std::int32_t>::min();
constexpr std::int64_t kInt32Max = std::numeric_limits<std::int32_t>::max();

bool Fits(std::int64_t value) { return value >= kInt32Min && value <= kInt32Max; }

void CheckView(const ConstDibView& view, const char* what) {
    if (view.bits == nullptr || view.width < 1 || view.height < 1)
        throw std::invalid_argument(std::string(what) + " is empty");
    if (!IsSupportedBitCount(view.bitCount))
        throw std::invalid_argument(std::string(what) + " has an unsupported depth");
    const std::optional<std::int32_t> needed = ScanLineBytes(view.width, view.bitCount);
    if (!needed || view.stride < *needed) throw std::invalid_argument(std::string(what) + " rows overlap");
}

// Palette index of pixel x in a row of 1, 4 or 8 bits.
inline unsigned IndexAt(const std::uint8_t* row, std::int32_t x, int bitCount) {
    switch (bitCount) {
        case 1:
            return (row[x >> 3] >> (7 - (x & 7))) & 1u;
        case 4:
            return (row[x >> 1] >> ((x & 1) ? 0 : 4)) & 15u;
        default:
            return row[x];
    }
}

// Sets pixel x of a row of 1, 4 or 8 bits whose bits there are still 0.
inline void OrIndex(std::uint8_t* row, std::int32_t x, int bitCount, unsigned index) {
    switch (bitCount) {
        case 1:
            row[x >> 3] |= static_cast<std::uint8_t>(index << (7 - (x & 7)));
            break;
        case 4:
            row[x >> 1] |= static_cast<std::uint8_t>(index << ((x & 1) ? 0 : 4));
            break;
        default:
            row[x] = static_cast<std::uint8_t>(index);
            break;
    }
}

Bgrx ColorAt(const ConstDibView& view, std::span<const Bgrx> palette, const std::uint8_t* row, std::int32_t x) {
    if (view.bitCount == 24) return {row[3 * x], row[3 * x + 1], row[3 * x + 2], 0};
    const unsigned index = IndexAt(row, x, view.bitCount);
    return index < palette.size() ? palette[index] : Bgrx{};
}

// Bytes of a row that hold pixels; the rest of the stride is padding.
std::size_t PixelBytes(std::int32_t width, int bitCount) {
    return (static_cast<std::size_t>(width) * static_cast<std::size_t>(bitCount) + 7) / 8;
}

// Where a target pixel comes from: source column = x0 + xx * tx + xy * ty,
// source row = y0 + yx * tx + yy * ty (rows counted from the top).
struct Mapping {
    std::int64_t x0, xx, xy, y0, yx, yy;
};

Mapping MappingFor(Turn turn, std::int64_t w, std::int64_t h) {
    switch (turn) {
        case Turn::MirrorLeftRight:
            return {w - 1, -1, 0, 0, 0, 1};
        case Turn::MirrorUpsideDown:
            return {0, 1, 0, h - 1, 0, -1};
        case Turn::QuarterAnticlockwise:
            return {w - 1, 0, -1, 0, 1, 0};
        case Turn::Half:
            return {w - 1, -1, 0, h - 1, 0, -1};
        case Turn::QuarterClockwise:
            return {0, 0, 1, h - 1, -1, 0};
    }
    return {0, 1, 0, 0, 0, 1};
}

// Whole-byte pixels (8 and 24 bits). Quarter turns read down the source's
// columns, so they go in tiles: a tile's source rows stay in the cache while
// each target row is written in long runs. (Measured best on 4000 x 3000:
// 512 target pixels wide, 32 rows high.)
template <int kBytes>
void TurnBytes(const ConstDibView& source, const DibView& target, const Mapping& m) {
    const std::ptrdiff_t stride = source.stride;
    // Address of source pixel (column c, row r from the top).
    auto address = [&](std::int64_t c, std::int64_t r) {
        return source.bits + static_cast<std::ptrdiff_t>(source.height - 1 - r) * stride +
               static_cast<std::ptrdiff_t>(c) * kBytes;
    };
    const std::ptrdiff_t stepX =
        static_cast<std::ptrdiff_t>(m.xx) * kBytes - static_cast<std::ptrdiff_t>(m.yx) * stride;
    const bool alongRows = m.yx == 0;
    const std::int32_t tileWidth = alongRows ? target.width : 512;
    const std::int32_t tileHeight = alongRows ? target.height : 32;
    for (std::int32_t ty0 = 0; ty0 < target.height; ty0 += tileHeight) {
        const std::int32_t tyEnd = std::min<std::int64_t>(target.height, std::int64_t{ty0} + tileHeight);
        for (std::int32_t tx0 = 0; tx0 < target.width; tx0 += tileWidth) {
            const std::int32_t txEnd = std::min<std::int64_t>(target.width, std::int64_t{tx0} + tileWidth);
            for (std::int32_t ty = ty0; ty < tyEnd; ++ty) {
                std::uint8_t* out = target.Row(ty) + static_cast<std::ptrdiff_t>(tx0) * kBytes;
                const std::uint8_t* in = address(m.x0 + m.xx * tx0 + m.xy * ty, m.y0 + m.yx * tx0 + m.yy * ty);
                for (std::int32_t tx = tx0; tx < txEnd; ++tx) {
                    std::memcpy(out, in, kBytes);
                    out += kBytes;
                    in += stepX;
                }
            }
        }
    }
}

void TurnPacked(const ConstDibView& source, const DibView& target, const Mapping& m) {
    for (std::int32_t ty = 0; ty < target.height; ++ty) {
        std::uint8_t* out = target.Row(ty);
        for (std::int32_t tx = 0; tx < target.width; ++tx) {
            const std::int64_t sx = m.x0 + m.xx * tx + m.xy * ty;
            const std::int64_t sy = m.y0 + m.yx * tx + m.yy * ty;
            OrIndex(out, tx, target.bitCount,
                    IndexAt(source.Row(static_cast<std::int32_t>(sy)), static_cast<std::int32_t>(sx), source.bitCount));
        }
    }
}

void ClearRows(const DibView& target) {
    std::memset(target.bits, 0, static_cast<std::size_t>(target.stride) * static_cast<std::size_t>(target.height));
}

}  // namespace

bool IsSupportedBitCount(int bitCount) { return bitCount == 1 || bitCount == 4 || bitCount == 8 || bitCount == 24; }

std::optional<std::int32_t> ScanLineBytes(std::int32_t width, int bitCount) {
    const std::int64_t w = width;
    std::int64_t bytes = 0;
    switch (bitCount) {
        case 1:
            if (!Fits(w - 1)) return std::nullopt;
            bytes = (w - 1) / 8 + 4;
            break;
        case 4:
            if (!Fits(w - 1)) return std::nullopt;
            bytes = (w - 1) / 2 + 4;
            break;
        case 8:
            bytes = w + 3;
            break;
        default:
            if (!Fits(3 * w)) return std::nullopt;
            bytes = 3 * w + 3;
            break;
    }
    if (!Fits(bytes)) return std::nullopt;
    return static_cast<std::int32_t>(bytes & ~std::int64_t{3});
}

std::optional<std::int32_t> ImageBytes(std::int32_t width, std::int32_t height, int bitCount) {
    const std::optional<std::int32_t> stride = ScanLineBytes(width, bitCount);
    if (!stride) return std::nullopt;
    const std::int64_t bytes = std::int64_t{*stride} * height;
    if (!Fits(bytes)) return std::nullopt;
    return static_cast<std::int32_t>(bytes);
}

ColorTable GreyRamp(int bitCount) {
    ColorTable table{};
    if (bitCount < 1 || bitCount > 8) return table;
    const int last = (1 << bitCount) - 1;
    for (int i = 0; i <= last; ++i) {
        const auto grey = static_cast<std::uint8_t>((i * 255 + last / 2) / last);
        table[static_cast<std::size_t>(i)] = {grey, grey, grey, 0};
    }
    return table;
}

Size TurnedSize(Turn turn, std::int32_t width, std::int32_t height) {
    if (turn == Turn::QuarterAnticlockwise || turn == Turn::QuarterClockwise) return {height, width};
    return {width, height};
}

bool TurnForDegrees(std::int32_t degrees, Turn& turn) {
    std::int32_t reduced = degrees % 360;
    if (reduced < 0) reduced += 360;
    switch (reduced) {
        case 90:
            turn = Turn::QuarterAnticlockwise;
            return true;
        case 180:
            turn = Turn::Half;
            return true;
        case 270:
            turn = Turn::QuarterClockwise;
            return true;
        default:
            return false;
    }
}

void TurnPixels(const ConstDibView& source, const DibView& target, Turn turn) {
    CheckView(source, "source picture");
    CheckView(target, "turned picture");
    const Size size = TurnedSize(turn, source.width, source.height);
    if (target.bitCount != source.bitCount || target.width != size.width || target.height != size.height)
        throw std::invalid_argument("turned picture has the wrong size or depth");
    const Mapping mapping = MappingFor(turn, source.width, source.height);
    const std::size_t used = PixelBytes(target.width, target.bitCount);
    if (turn == Turn::MirrorUpsideDown) {
        // Whole rows at every depth; the bits of a last byte past the row's
        // pixels are padding and are cleared.
        const unsigned spareBits =
            static_cast<unsigned>(used * 8 - static_cast<std::size_t>(target.width) * target.bitCount);
        for (std::int32_t y = 0; y < target.height; ++y) {
            std::uint8_t* out = target.Row(y);
            std::memcpy(out, source.Row(source.height - 1 - y), used);
            out[used - 1] = static_cast<std::uint8_t>(out[used - 1] & (0xFFu << spareBits));
            std::memset(out + used, 0, target.stride - used);
        }
        return;
    }
    switch (source.bitCount) {
        case 24:
            TurnBytes<3>(source, target, mapping);
            for (std::int32_t y = 0; y < target.height; ++y) std::memset(target.Row(y) + used, 0, target.stride - used);
            break;
        case 8:
            TurnBytes<1>(source, target, mapping);
            for (std::int32_t y = 0; y < target.height; ++y) std::memset(target.Row(y) + used, 0, target.stride - used);
            break;
        default:
            ClearRows(target);
            TurnPacked(source, target, mapping);
            break;
    }
}

void GreyPixels(const ConstDibView& source, std::span<const Bgrx> palette, const DibView& target) {
    CheckView(source, "source picture");
    CheckView(target, "grey picture");
    if (target.bitCount != 8 || target.width != source.width || target.height != source.height)
        throw std::invalid_argument("grey picture has the wrong size or depth");
    ClearRows(target);
    for (std::int32_t y = 0; y < source.height; ++y) {
        const std::uint8_t* in = source.Row(y);
        std::uint8_t* out = target.Row(y);
        for (std::int32_t x = 0; x < source.width; ++x) {
            // The grey entry nearest to (r, g, b) is the one at their mean: the
            // squared distance to (v, v, v) is smallest there. No luminance
            // weights: the mapping is the nearest colour, not the perceived
            // brightness, and a mean of three whole numbers never falls on a half.
            const Bgrx c = ColorAt(source, palette, in, x);
            out[x] = static_cast<std::uint8_t>((c.blue + c.green + c.red + 1) / 3);
        }
    }
}

void ResamplePixels(const ConstDibView& source, std::span<const Bgrx> sourcePalette, const DibView& target,
                    std::span<const Bgrx> targetPalette) {
    CheckView(source, "source picture");
    CheckView(target, "resampled picture");
    if (target.bitCount != source.bitCount) throw std::invalid_argument("resampled picture has another depth");
    if (target.bitCount != 24 && targetPalette.empty())
        throw std::invalid_argument("resampled picture has no colour table");

    // The crest squeeze already gives the exact area average on 32-bit
    // pixels; colours go through it and come back to the target's depth.
    BgraImage wide(source.width, source.height);
    for (std::int32_t y = 0; y < source.height; ++y) {
        const std::uint8_t* in = source.Row(y);
        std::uint8_t* out = wide.Row(y);
        for (std::int32_t x = 0; x < source.width; ++x) {
            const Bgrx c = ColorAt(source, sourcePalette, in, x);
            out[4 * x] = c.blue;
            out[4 * x + 1] = c.green;
            out[4 * x + 2] = c.red;
            out[4 * x + 3] = 255;
        }
    }
    const BgraImage averaged = Squeeze(wide.View(), target.width, target.height);

    ClearRows(target);
    NearestEntry nearest(targetPalette,
                         static_cast<std::size_t>(target.width) * static_cast<std::size_t>(target.height));
    for (std::int32_t y = 0; y < target.height; ++y) {
        const std::uint8_t* in = averaged.Row(y);
        std::uint8_t* out = target.Row(y);
        for (std::int32_t x = 0; x < target.width; ++x) {
            const Bgrx c{in[4 * x], in[4 * x + 1], in[4 * x + 2], 0};
            if (target.bitCount == 24) {
                out[3 * x] = c.blue;
                out[3 * x + 1] = c.green;
                out[3 * x + 2] = c.red;
            } else {
                OrIndex(out, x, target.bitCount, nearest.Find(c));
            }
        }
    }
}

}  // namespace vx::dib
