#include "imaging/picture_limits.h"

#include <algorithm>

namespace vx {

namespace {

std::uint32_t Le16(std::span<const std::uint8_t> b, std::size_t p) {
    return b[p] | (static_cast<std::uint32_t>(b[p + 1]) << 8);
}

std::uint32_t Le32(std::span<const std::uint8_t> b, std::size_t p) { return Le16(b, p) | (Le16(b, p + 2) << 16); }

// BMP compression codes whose pixel data has a fixed size.
constexpr std::uint32_t kBmpRgb = 0;
constexpr std::uint32_t kBmpBitfields = 3;
constexpr std::uint32_t kBmpAlphaBitfields = 6;

// +0 "BM", +2 file size, +10 pixel offset, +14 info header size; then
// either the core header (+18 width, +20 height as words, +24 bits) or the
// info header (+18 width, +22 height, +28 bits, +30 compression).
bool BmpPixelsMissing(std::span<const std::uint8_t> b, std::uint64_t fileSize) {
    if (b.size() < 26) return false;
    const std::uint64_t offset = Le32(b, 10);
    const std::uint32_t header = Le32(b, 14);
    std::uint64_t width = 0, rows = 0;
    std::uint32_t bits = 0, compression = kBmpRgb;
    if (header == 12) {
        width = Le16(b, 18);
        rows = Le16(b, 20);
        bits = Le16(b, 24);
    } else if (header >= 40 && b.size() >= 34) {
        width = Le32(b, 18);
        const auto height = static_cast<std::int32_t>(Le32(b, 22));
        rows = static_cast<std::uint64_t>(height < 0 ? -static_cast<std::int64_t>(height) : height);
        bits = Le16(b, 28);
        compression = Le32(b, 30);
    } else {
        return false;
    }
    if (compression != kBmpRgb && compression != kBmpBitfields && compression != kBmpAlphaBitfields) return false;
    if (bits == 0 || bits > 64 || width > 0x7FFFFFFF) return false;
    const std::uint64_t stride = (width * bits + 31) / 32 * 4;
    if (rows != 0 && stride > fileSize / rows) return true;  // also keeps the product in range
    return offset + stride * rows > fileSize;
}

constexpr std::uint32_t kPlaceableKey = 0x9AC6CDD7;
constexpr std::size_t kPlaceableHeaderBytes = 22;

// The metafile header: +0 type (1 memory, 2 disk), +2 header words (9),
// +4 version, +6 the whole metafile's length in 16-bit words.
bool WmfRecordsMissing(std::span<const std::uint8_t> b, std::uint64_t fileSize) {
    std::size_t at = 0;
    if (b.size() >= 4 && Le32(b, 0) == kPlaceableKey) at = kPlaceableHeaderBytes;
    if (b.size() < at + 10) return false;
    const std::uint32_t type = Le16(b, at), headerWords = Le16(b, at + 2);
    if ((type != 1 && type != 2) || headerWords != 9) return false;
    return at + 2ull * Le32(b, at + 6) > fileSize;
}

// The enhanced header record: +0 type 1, +40 " EMF", +48 the file's length.
bool EmfRecordsMissing(std::span<const std::uint8_t> b, std::uint64_t fileSize) {
    constexpr std::uint32_t kEmfSignature = 0x464D4520;
    if (b.size() < 52 || Le32(b, 0) != 1 || Le32(b, 40) != kEmfSignature) return false;
    return Le32(b, 48) > fileSize;
}

}  // namespace

std::uint64_t PixelLimit(int bitsPerPixel) {
    if (bitsPerPixel <= kBudgetDepth) return kMaxPicturePixels;
    return kMaxPicturePixels * kBudgetDepth / static_cast<std::uint64_t>(bitsPerPixel);
}

bool WithinPixelBudget(std::int64_t width, std::int64_t height, int bitsPerPixel) {
    if (width < 0 || height < 0) return false;
    if (width == 0 || height == 0) return true;
    return static_cast<std::uint64_t>(width) <= PixelLimit(bitsPerPixel) / static_cast<std::uint64_t>(height);
}

std::string TooLargeSentence(std::int64_t width, std::int64_t height, int bitsPerPixel) {
    const std::string limit = std::to_string(PixelLimit(bitsPerPixel) / 1'000'000);
    const std::string size = std::to_string(width) + " x " + std::to_string(height);
    if (bitsPerPixel <= kBudgetDepth)
        return "The picture is " + size + " pixels, more than the limit of " + limit + " megapixels.";
    return "The picture is " + size + " pixels at " + std::to_string(bitsPerPixel) +
           " bits each, more than the limit of " + limit + " megapixels at that depth.";
}

std::wstring TooLargeSpanishSentence(std::int64_t width, std::int64_t height, int bitsPerPixel) {
    const std::wstring limit = std::to_wstring(PixelLimit(bitsPerPixel) / 1'000'000);
    const std::wstring size = std::to_wstring(width) + L" x " + std::to_wstring(height);
    if (bitsPerPixel <= kBudgetDepth)
        return L"La imagen tiene " + size + L" p\u00EDxeles, m\u00E1s que el l\u00EDmite de " + limit +
               L" megap\u00EDxeles.";
    return L"La imagen tiene " + size + L" p\u00EDxeles de " + std::to_wstring(bitsPerPixel) +
           L" bits, m\u00E1s que el l\u00EDmite de " + limit + L" megap\u00EDxeles a esa profundidad.";
}

RenderSize MetafileRenderSize(std::int64_t width, std::int64_t height) {
    if (width <= 0 || height <= 0) return {};
    const std::int64_t longSide = std::max(width, height);
    if (longSide <= kMaxMetafileSide) return {static_cast<int>(width), static_cast<int>(height)};
    auto scaled = [longSide](std::int64_t side) {
        const std::int64_t value = (side * kMaxMetafileSide + longSide / 2) / longSide;
        return static_cast<int>(std::clamp<std::int64_t>(value, 1, kMaxMetafileSide));
    };
    return {scaled(width), scaled(height)};
}

bool PictureDataProvablyMissing(std::span<const std::uint8_t> header, std::uint64_t fileSize) {
    if (header.size() >= 2 && header[0] == 'B' && header[1] == 'M') return BmpPixelsMissing(header, fileSize);
    return WmfRecordsMissing(header, fileSize) || EmfRecordsMissing(header, fileSize);
}

}  // namespace vx
