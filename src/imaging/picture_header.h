// Size, colour depth and format of a picture file, read from its header
// bytes without decoding any pixels. Recognises GIF, JPEG, PNG, BMP, PCX and
// TIFF (both byte orders).
#pragma once

#include <cstdint>
#include <filesystem>
#include <span>

namespace vx {

// Format codes of clsImage::ImageType.
enum ImageFormat : std::int32_t {
    kImageUnknown = 0,
    kImageGif = 1,
    kImageJpeg = 2,
    kImagePng = 3,
    kImageBmp = 4,
    kImagePcx = 5,
    kImageTiff = 6,
};

class BoundedFileReader;

class clsImage {
public:
    // Resets all values to 0, then fills them from the file's header.
    //
    // Raises RunTimeError: 9 (out of range) when the header ends before a
    // field that has to be read, 6 (overflow) when a depth does not fit in 8
    // bits, and the file layer's error when the file cannot be opened or read.
    // Values already set when an error is raised stay as they are. A file of
    // no recognised format is not an error: ImageType, Width, Height and Depth
    // are then 0 and FileSize holds its length.
    void ReadImageInfo(const std::filesystem::path& sFileName);
    // The same for a file already in memory; FileSize is the length of `bytes`.
    void ReadImageInfoFromBytes(std::span<const std::uint8_t> bytes);

    std::int32_t Width() const noexcept { return width_; }
    std::int32_t Height() const noexcept { return height_; }
    std::uint8_t Depth() const noexcept { return depth_; }
    std::int32_t ImageType() const noexcept { return imageType_; }
    std::int64_t FileSize() const noexcept { return fileSize_; }

private:
    // Every property reads 0 (and the type unknown) until a header is read.
    void Clear();
    void ReadFrom(BoundedFileReader& bytes);
    void TestPng(BoundedFileReader& bytes);
    void TestGif(BoundedFileReader& bytes);
    void TestBmp(BoundedFileReader& bytes);
    void TestPcx(BoundedFileReader& bytes);
    void TestTiff(BoundedFileReader& bytes, bool bigEndian);
    void SearchJpeg(BoundedFileReader& bytes);
    void SetDepth(std::int64_t value);

    std::int32_t width_ = 0;
    std::int32_t height_ = 0;
    std::uint8_t depth_ = 0;
    std::int32_t imageType_ = kImageUnknown;
    std::int64_t fileSize_ = 0;
};

}  // namespace vx
