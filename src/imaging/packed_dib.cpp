#include "imaging/packed_dib.h"

#include <bit>
#include <new>

#include "imaging/picture_limits.h"

namespace vx {
namespace {

constexpr std::uint32_t kBiRgb = 0;
constexpr std::uint32_t kBiBitfields = 3;
constexpr std::size_t kInfoHeaderSize = 40;

std::uint32_t U32(std::span<const std::uint8_t> data, std::size_t at) {
    return data[at] | data[at + 1] << 8 | data[at + 2] << 16 | static_cast<std::uint32_t>(data[at + 3]) << 24;
}
std::uint16_t U16(std::span<const std::uint8_t> data, std::size_t at) {
    return static_cast<std::uint16_t>(data[at] | data[at + 1] << 8);
}

DibPicture Failure(DibStatus status, std::string problem) {
    DibPicture picture;
    picture.status = status;
    picture.problem = std::move(problem);
    return picture;
}

// One channel of a masked pixel, scaled to 0..255.
struct Channel {
    std::uint32_t mask = 0;
    int shift = 0;
    std::uint32_t top = 0;  // the largest value under the mask

    explicit Channel(std::uint32_t m) : mask(m) {
        if (m == 0) return;
        shift = std::countr_zero(m);
        top = m >> shift;
    }
    // A mask of one run of bits, or none.
    bool Valid() const { return mask == 0 || (top & (top + 1)) == 0; }
    std::uint8_t Of(std::uint32_t pixel) const {
        if (top == 0) return 0;
        const std::uint64_t value = (pixel & mask) >> shift;
        return static_cast<std::uint8_t>((value * 255 + top / 2) / top);
    }
};

}  // namespace

DibPicture ReadPackedDib(std::span<const std::uint8_t> data) {
    if (data.size() < 4) return Failure(DibStatus::Malformed, "the bitmap is too short for its header");
    const std::uint32_t headerSize = U32(data, 0);
    if (headerSize != 40 && headerSize != 52 && headerSize != 56 && headerSize != 108 && headerSize != 124)
        return Failure(DibStatus::Unsupported,
                       "the bitmap header of " + std::to_string(headerSize) + " bytes is not one the reader takes");
    if (data.size() < headerSize) return Failure(DibStatus::Malformed, "the bitmap is too short for its header");

    const std::int32_t width = static_cast<std::int32_t>(U32(data, 4));
    const std::int32_t rawHeight = static_cast<std::int32_t>(U32(data, 8));
    const std::uint16_t planes = U16(data, 12);
    const int bitCount = U16(data, 14);
    const std::uint32_t compression = U32(data, 16);
    const std::uint32_t coloursUsed = U32(data, 32);
    const bool topDown = rawHeight < 0;
    const std::int64_t height = topDown ? -static_cast<std::int64_t>(rawHeight) : rawHeight;
    if (width <= 0 || height <= 0 || planes != 1)
        return Failure(DibStatus::Malformed, "the bitmap's size or planes cannot be");
    const bool palette = bitCount == 1 || bitCount == 4 || bitCount == 8;
    if (!palette && bitCount != 16 && bitCount != 24 && bitCount != 32)
        return Failure(DibStatus::Unsupported, "a bitmap of " + std::to_string(bitCount) + " bits a pixel");
    if (compression != kBiRgb && !(compression == kBiBitfields && (bitCount == 16 || bitCount == 32)))
        return Failure(DibStatus::Unsupported, "a compressed bitmap");

    DibPicture picture;
    picture.width = width;
    picture.height = height;
    picture.bitCount = bitCount;
    if (!WithinPixelBudget(width, height, bitCount)) {
        picture.status = DibStatus::TooLarge;
        picture.problem = TooLargeSentence(width, height, bitCount);
        return picture;
    }

    // The masks: after a 40-byte header for BI_BITFIELDS, else in the header.
    std::size_t at = headerSize;
    std::uint32_t masks[4] = {0x00FF0000, 0x0000FF00, 0x000000FF, 0};
    if (bitCount == 16) masks[0] = 0x7C00, masks[1] = 0x03E0, masks[2] = 0x001F;
    if (compression == kBiBitfields) {
        const std::size_t from = headerSize == kInfoHeaderSize ? at : 40;
        if (headerSize == kInfoHeaderSize) at += 12;
        if (data.size() < at) return Failure(DibStatus::Malformed, "the bitmap is too short for its colour masks");
        for (int i = 0; i < 3; ++i) masks[i] = U32(data, from + 4 * i);
    }
    if (headerSize >= 56) masks[3] = U32(data, 52);
    const Channel red(masks[0]), green(masks[1]), blue(masks[2]), alpha(bitCount == 32 ? masks[3] : 0);
    if (!red.Valid() || !green.Valid() || !blue.Valid() || !alpha.Valid())
        return Failure(DibStatus::Malformed, "the bitmap's colour masks are not runs of bits");

    // The colour table: 2^depth entries unless fewer are used.
    const std::uint64_t maxColours = palette ? (1u << bitCount) : 0;
    if (palette && coloursUsed > maxColours)
        return Failure(DibStatus::Malformed, "the bitmap names more colours than its depth holds");
    const std::uint64_t tableEntries = palette ? (coloursUsed ? coloursUsed : maxColours) : coloursUsed;
    if (tableEntries > (data.size() - at) / 4)
        return Failure(DibStatus::Malformed, "the bitmap is too short for its colour table");
    const std::size_t table = at;
    at += static_cast<std::size_t>(tableEntries) * 4;

    const std::uint64_t stride = (static_cast<std::uint64_t>(width) * bitCount + 31) / 32 * 4;
    if (stride * static_cast<std::uint64_t>(height) > data.size() - at)
        return Failure(DibStatus::Malformed, "the bitmap is too short for its pixels");

    try {
        picture.pixels = BgraImage(width, static_cast<int>(height));
    } catch (const std::bad_alloc&) {
        picture.status = DibStatus::TooLarge;
        picture.problem = TooLargeSentence(width, height, bitCount);
        return picture;
    }
    bool anyAlpha = false;
    for (std::int64_t y = 0; y < height; ++y) {
        const std::int64_t fileRow = topDown ? y : height - 1 - y;
        const std::span<const std::uint8_t> row =
            data.subspan(at + static_cast<std::size_t>(fileRow * stride), static_cast<std::size_t>(stride));
        std::uint8_t* out = picture.pixels.Row(static_cast<int>(y));
        for (std::int32_t x = 0; x < width; ++x, out += 4) {
            if (palette) {
                const std::size_t bit = static_cast<std::size_t>(x) * bitCount;
                const unsigned index = (row[bit / 8] >> (8 - bitCount - bit % 8)) & ((1u << bitCount) - 1);
                if (index < tableEntries) {
                    const std::size_t entry = table + 4 * std::size_t{index};
                    out[0] = data[entry];
                    out[1] = data[entry + 1];
                    out[2] = data[entry + 2];
                } else {
                    out[0] = out[1] = out[2] = 0;
                }
                out[3] = 255;
                continue;
            }
            if (bitCount == 24) {
                out[0] = row[3 * x];
                out[1] = row[3 * x + 1];
                out[2] = row[3 * x + 2];
                out[3] = 255;
                continue;
            }
            const std::uint32_t pixel =
                bitCount == 16 ? U16(row, 2 * static_cast<std::size_t>(x)) : U32(row, 4 * static_cast<std::size_t>(x));
            out[0] = blue.Of(pixel);
            out[1] = green.Of(pixel);
            out[2] = red.Of(pixel);
            out[3] = alpha.mask ? alpha.Of(pixel) : 255;
            anyAlpha = anyAlpha || (alpha.mask && out[3] != 0);
        }
    }
    if (alpha.mask && !anyAlpha)
        for (int y = 0; y < picture.pixels.Height(); ++y)
            for (int x = 0; x < picture.pixels.Width(); ++x) picture.pixels.Row(y)[4 * x + 3] = 255;
    picture.status = DibStatus::Loaded;
    return picture;
}

std::vector<std::uint8_t> PackDib24(ConstBgraView picture) {
    const std::size_t stride = (static_cast<std::size_t>(picture.width) * 3 + 3) / 4 * 4;
    std::vector<std::uint8_t> dib(kInfoHeaderSize + stride * picture.height, 0);
    auto put32 = [&](std::size_t at, std::uint32_t value) {
        for (int i = 0; i < 4; ++i) dib[at + i] = static_cast<std::uint8_t>(value >> (8 * i));
    };
    put32(0, kInfoHeaderSize);
    put32(4, static_cast<std::uint32_t>(picture.width));
    put32(8, static_cast<std::uint32_t>(picture.height));
    dib[12] = 1;   // planes
    dib[14] = 24;  // bits a pixel
    put32(20, static_cast<std::uint32_t>(stride * picture.height));
    for (int y = 0; y < picture.height; ++y) {
        std::uint8_t* out = dib.data() + kInfoHeaderSize + stride * (picture.height - 1 - y);
        const std::uint8_t* in = picture.Row(y);
        for (int x = 0; x < picture.width; ++x)
            for (int c = 0; c < 3; ++c) out[3 * x + c] = in[4 * x + c];
    }
    return dib;
}

}  // namespace vx
