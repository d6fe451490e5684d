// What any picture file may make the program allocate, and the checks that
// prove from a header alone that a file cannot be a whole picture. Both run
// before a decoder sees the file, so a few hundred hostile bytes never turn
// into gigabytes.
#pragma once

#include <cstdint>
#include <span>
#include <string>

namespace vx {

// A crest is 16 x 12 pixels; a picture above this is refused before
// anything is decoded. 100 megapixels are 400 MB as 32-bit pixels, and a
// decoder holds its own copy at the file's depth besides.
inline constexpr std::uint64_t kMaxPicturePixels = 100'000'000;

// Pictures deeper than this many bits a pixel (16-bit samples) make the
// decoder's copy larger: their limit shrinks in proportion.
inline constexpr int kBudgetDepth = 32;

// Metafiles are drawn at their own frame's size scaled down to this long
// side, keeping proportions.
inline constexpr int kMaxMetafileSide = 4096;

// The pixel limit for pictures of `bitsPerPixel` (0: unknown, counted as
// kBudgetDepth).
std::uint64_t PixelLimit(int bitsPerPixel = 0);
bool WithinPixelBudget(std::int64_t width, std::int64_t height, int bitsPerPixel = 0);

// "The picture is 30000 x 30000 pixels, more than the limit of 100
// megapixels." (and its Spanish counterpart for the window); a deep
// picture's sentence names its depth and its own limit.
std::string TooLargeSentence(std::int64_t width, std::int64_t height, int bitsPerPixel = 0);
std::wstring TooLargeSpanishSentence(std::int64_t width, std::int64_t height, int bitsPerPixel = 0);

struct RenderSize {
    int width = 0;
    int height = 0;
};

// The size to draw a metafile whose frame is `width` x `height` pixels at:
// unchanged when its long side fits, else scaled down to kMaxMetafileSide on
// the long side (the short side at least 1). Non-positive sizes give 0 x 0.
RenderSize MetafileRenderSize(std::int64_t width, std::int64_t height);

// True when the file's own header proves that its picture data is not all
// there: an uncompressed BMP whose pixel offset plus rows x stride lies
// beyond the file, a WMF or EMF whose declared length does. `header` is
// the start of the file (64 bytes are enough), `fileSize` its length.
// Other files, and headers too short to say, give false: their decoder
// decides.
bool PictureDataProvablyMissing(std::span<const std::uint8_t> header, std::uint64_t fileSize);
inline bool PictureDataProvablyMissing(std::span<const std::uint8_t> file) {
    return PictureDataProvablyMissing(file, file.size());
}

}  // namespace vx
