#include "imaging/picture_header.h"

#include <cstdlib>

#include "base/bounded_file_reader.h"
#include "base/run_time_error.h"

namespace vx {

namespace {

constexpr const char* kSource = "clsImage";

// Every reader reads each byte through the bounded reader, so a field that
// runs past the end raises the out-of-range error.
std::uint16_t LeWord(BoundedFileReader& b, std::int64_t p) {
    const unsigned low = b.At(p);
    const unsigned high = b.At(p + 1);
    return static_cast<std::uint16_t>(low | (high << 8));
}

std::uint16_t BeWord(BoundedFileReader& b, std::int64_t p) {
    const unsigned high = b.At(p);
    const unsigned low = b.At(p + 1);
    return static_cast<std::uint16_t>(low | (high << 8));
}

std::int32_t LeLong(BoundedFileReader& b, std::int64_t p) {
    std::uint32_t value = 0;
    for (int k = 3; k >= 0; --k) value = (value << 8) | b.At(p + k);
    return static_cast<std::int32_t>(value);
}

std::int32_t BeLong(BoundedFileReader& b, std::int64_t p) {
    std::uint32_t value = 0;
    for (int k = 0; k < 4; ++k) value = (value << 8) | b.At(p + k);
    return static_cast<std::int32_t>(value);
}

[[noreturn]] void RaiseOverflow() { throw MakeRunTimeError(kErrOverflow, kSource); }
[[noreturn]] void RaiseOutOfRange() { throw MakeRunTimeError(kErrSubscriptOutOfRange, kSource); }

// PNG sizes are unsigned 32-bit fields whose format allows at most 2^31 - 1.
std::int32_t PngDimension(BoundedFileReader& b, std::int64_t p) {
    const std::int32_t value = BeLong(b, p);
    if (value < 0) RaiseOverflow();
    return value;
}

// TIFF field types that carry a number the reader understands.
constexpr std::uint16_t kTiffByte = 1;
constexpr std::uint16_t kTiffShort = 3;
constexpr std::uint16_t kTiffLong = 4;

int TiffTypeSize(std::uint16_t type) {
    switch (type) {
        case kTiffByte:
            return 1;
        case kTiffShort:
            return 2;
        case kTiffLong:
            return 4;
        default:
            return 0;
    }
}

struct TiffReader {
    BoundedFileReader& bytes;
    bool bigEndian;

    std::uint16_t Word(std::int64_t p) const { return bigEndian ? BeWord(bytes, p) : LeWord(bytes, p); }
    std::int32_t Long(std::int64_t p) const { return bigEndian ? BeLong(bytes, p) : LeLong(bytes, p); }

    // One value of `type` at p; 0 for types that carry no plain number.
    std::int64_t Value(std::uint16_t type, std::int64_t p) const {
        switch (type) {
            case kTiffByte:
                return bytes.At(p);
            case kTiffShort:
                return Word(p);
            case kTiffLong:
                return Long(p);
            default:
                return 0;
        }
    }
};

}  // namespace

void clsImage::SetDepth(std::int64_t value) {
    if (value < 0 || value > 255) RaiseOverflow();
    depth_ = static_cast<std::uint8_t>(value);
}

void clsImage::ReadImageInfo(const std::filesystem::path& sFileName) {
    Clear();
    BoundedFileReader bytes(sFileName, kSource);
    ReadFrom(bytes);
}

void clsImage::ReadImageInfoFromBytes(std::span<const std::uint8_t> file) {
    Clear();
    BoundedFileReader bytes(file, kSource);
    ReadFrom(bytes);
}

void clsImage::Clear() {
    width_ = 0;
    height_ = 0;
    depth_ = 0;
    imageType_ = kImageUnknown;
    fileSize_ = 0;
}

void clsImage::ReadFrom(BoundedFileReader& bytes) {
    fileSize_ = bytes.Size();

    // Each test runs on its own, in this order; they look at different first
    // bytes, so at most one matches.
    TestPng(bytes);
    TestGif(bytes);
    TestBmp(bytes);
    TestPcx(bytes);
    TestTiff(bytes, /*bigEndian=*/false);
    TestTiff(bytes, /*bigEndian=*/true);
    if (imageType_ != kImageUnknown) return;

    SearchJpeg(bytes);
}

void clsImage::TestPng(BoundedFileReader& b) {
    const std::uint8_t s0 = b.At(0), s1 = b.At(1), s2 = b.At(2);
    if (s0 != 0x89 || s1 != 0x50 || s2 != 0x4E) return;
    imageType_ = kImagePng;
    const std::uint8_t colorType = b.At(25);
    const std::int64_t bitDepth = b.At(24);
    switch (colorType) {
        case 0:
            SetDepth(bitDepth);
            break;
        case 2:
            SetDepth(3 * bitDepth);
            break;
        case 3:
            SetDepth(8);
            break;
        case 4:
            SetDepth(2 * bitDepth);
            break;
        case 6:
            SetDepth(4 * bitDepth);
            break;
        default:
            imageType_ = kImageUnknown;
            break;
    }
    if (imageType_ == kImagePng) {
        const std::int32_t width = PngDimension(b, 16);
        const std::int32_t height = PngDimension(b, 20);
        width_ = width;
        height_ = height;
    }
}

void clsImage::TestGif(BoundedFileReader& b) {
    const std::uint8_t s0 = b.At(0), s1 = b.At(1), s2 = b.At(2);
    if (s0 != 0x47 || s1 != 0x49 || s2 != 0x46) return;
    imageType_ = kImageGif;
    width_ = LeWord(b, 6);
    height_ = LeWord(b, 8);
    depth_ = static_cast<std::uint8_t>((b.At(10) & 7) + 1);
}

void clsImage::TestBmp(BoundedFileReader& b) {
    const std::uint8_t s0 = b.At(0), s1 = b.At(1);
    if (s0 != 0x42 || s1 != 0x4D) return;
    imageType_ = kImageBmp;
    width_ = LeLong(b, 18);
    // Top-down bitmaps store their height negative.
    const std::int32_t height = LeLong(b, 22);
    if (height == INT32_MIN) RaiseOverflow();
    height_ = std::abs(height);
    depth_ = b.At(28);
}

void clsImage::TestPcx(BoundedFileReader& b) {
    if (b.At(0) != 0x0A) return;
    imageType_ = kImagePcx;
    const std::int32_t xMin = LeWord(b, 4);
    const std::int32_t yMin = LeWord(b, 6);
    const std::int32_t xMax = LeWord(b, 8);
    const std::int32_t yMax = LeWord(b, 10);
    width_ = xMax - xMin + 1;
    height_ = yMax - yMin + 1;
    const unsigned planesTimesBits = static_cast<unsigned>(b.At(3)) * b.At(65);
    depth_ = static_cast<std::uint8_t>(planesTimesBits & 0xFF);
}

void clsImage::TestTiff(BoundedFileReader& b, bool bigEndian) {
    const std::uint8_t s0 = b.At(0), s1 = b.At(1);
    if (bigEndian) {
        const std::uint8_t s3 = b.At(3);
        if (s0 != 0x4D || s1 != 0x4D || s3 != 0x2A) return;
    } else {
        const std::uint8_t s2 = b.At(2);
        if (s0 != 0x49 || s1 != 0x49 || s2 != 0x2A) return;
    }

    const TiffReader tiff{b, bigEndian};
    const std::int64_t directory = tiff.Long(4);
    const std::int64_t entries = tiff.Word(directory);
    for (std::int64_t k = 0; k < entries; ++k) {
        const std::int64_t e = directory + 2 + 12 * k;
        const std::uint16_t tag = tiff.Word(e);
        const std::uint16_t type = tiff.Word(e + 2);
        const std::int64_t value = tiff.Value(type, e + 8);
        switch (tag) {
            case 256:
                width_ = static_cast<std::int32_t>(value);
                break;
            case 257:
                height_ = static_cast<std::int32_t>(value);
                break;
            case 258: {
                // Bits per sample: one value per sample (8, 8, 8 for RGB); the depth
                // is their sum. Several values stand in the value field when they fit
                // in its 4 bytes, otherwise at the offset stored there.
                const std::uint32_t count = static_cast<std::uint32_t>(tiff.Long(e + 4));
                const int size = TiffTypeSize(type);
                if (count <= 1 || size == 0) {
                    SetDepth(value);
                    break;
                }
                const std::int64_t bytesNeeded = static_cast<std::int64_t>(count) * size;
                const std::int64_t valuesAt = bytesNeeded <= 4 ? e + 8 : tiff.Long(e + 8);
                // A count that cannot fit in the file is refused before reading any
                // value, so a huge declared count costs nothing.
                if (valuesAt < 0 || valuesAt > fileSize_ || bytesNeeded > fileSize_ - valuesAt) RaiseOutOfRange();
                std::int64_t sum = 0;
                for (std::int64_t i = 0; i < count; ++i) {
                    sum += tiff.Value(type, valuesAt + i * size);
                    if (sum < 0 || sum > 255) RaiseOverflow();
                }
                SetDepth(sum);
                break;
            }
            default:
                break;
        }
    }
    if (depth_ != 0 && width_ > 0 && height_ > 0) {
        imageType_ = kImageTiff;
    } else {
        imageType_ = kImageUnknown;
        width_ = 0;
        height_ = 0;
        depth_ = 0;
    }
}

void clsImage::SearchJpeg(BoundedFileReader& b) {
    const std::int64_t end = fileSize_ - 10;

    // Start-of-image marker FF D8 followed by the FF of the next marker.
    std::int64_t i = 0;
    while (i < end) {
        i = b.FindByte(i, end, 0xFF);
        if (i >= end) break;
        if (b.At(i + 1) == 0xD8 && b.At(i + 2) == 0xFF) break;
        ++i;
    }
    i += 2;
    if (i >= end) return;

    for (;;) {
        if (b.At(i) == 0xFF && b.At(i + 1) != 0xFF) {
            const std::uint8_t marker = b.At(i + 1);
            if (marker >= 0xC0 && marker <= 0xC3) {
                // Baseline, extended, progressive or lossless Huffman frame header.
                imageType_ = kImageJpeg;
                height_ = BeWord(b, i + 5);
                width_ = BeWord(b, i + 7);
                SetDepth(static_cast<std::int64_t>(b.At(i + 9)) * 8);
                return;
            }
            // Skip the segment; this lands on its last byte and the walk goes on.
            const std::int64_t length = BeWord(b, i + 2);
            i = i + 1 + length;
        } else {
            // No marker here: move on to the next FF byte.
            i = b.FindByte(i + 1, end, 0xFF);
        }
        if (i >= end) return;
    }
}

}  // namespace vx
