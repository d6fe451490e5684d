// Uncompressed BMP files of 1, 4, 8, 16, 24 or 32 bits per pixel, built
// from true-colour pixels.
//
// File layout, little-endian, no gaps: a 14-byte file header ("BM", file
// size, two reserved words, offset of the pixel data), the 40-byte
// information header (width, positive height, 1 plane, depth, no
// compression, image size, resolutions 0, colours used and important), the
// colour table (2, 16 or 256 entries for depths 1, 4 and 8; one zero entry
// for 16, 24 and 32) and the rows from the bottom row up, each padded with
// zeros to a multiple of 4 bytes. A 16 x 12 crest at depth 8 is 1270 bytes.
//
// The platform layer's writer (SaveBitmapAtDepth) reads a device bitmap's
// true colours as 32-bit top-down rows and leaves the rest to
// SavePixelsAtDepth: it shows kUnsupportedDepthText and returns -1 when
// !IsAcceptedDepth(depth), returns -2 / -3 when reading the bitmap's size /
// pixels fails, and otherwise returns SavePixelsAtDepth's result after
// showing its failure text, if any.
#pragma once

#include <cstdint>
#include <filesystem>
#include <span>
#include <vector>

#include <string>

#include "bmp/color_quantizer.h"
#include "base/bgra_image.h"

namespace vx::bmp {

inline constexpr const char* kWriterSource = "ColorDepth";

constexpr bool IsAcceptedDepth(int depth) {
    return depth == 1 || depth == 4 || depth == 8 || depth == 16 || depth == 24 || depth == 32;
}

// Colour-table entries written for a depth: 2, 16, 256, or 1 (a single zero
// entry) for 16, 24 and 32.
int ColorTableEntries(int depth);

// Bytes per pixel row: width x depth bits rounded up to whole 32-bit words.
std::int64_t RowStride(std::int64_t width, int depth);

// 0x00BBGGRR colour value -> blue + 256 x green + 65536 x red, whose four
// little-endian bytes are a colour-table entry (blue, green, red, 0).
std::int32_t ColorToRGBQuad(std::int32_t color);

// The whole file for `picture` at `depth`. For 1, 4 and 8 bits the colour
// table is `palette` (0x00BBGGRR values, through ColorToRGBQuad) when it has
// exactly as many elements as the table has entries, with every pixel
// mapped to its nearest colour; otherwise it is built from the picture
// (QuantizePicture). 16 bits are 5-5-5 (each channel's top five bits); 24
// bits blue, green, red; 32 bits blue, green, red, 0.
//
// Throws std::invalid_argument for a depth that is not accepted or an empty
// picture, and RunTimeError 6 (overflow) when the file would not fit the
// 32-bit size fields.
std::vector<std::uint8_t> EncodeBmpFile(ConstBgraView picture, int depth, std::span<const std::int32_t> palette = {});

// Encodes and writes the file in one step (WriteFileAtomically) and returns
// its length as the file system reports it. Failures raise RunTimeError with
// the file layer's number (76 path not found, 70 permission denied, 61 disk
// full, ...); the old file then stays as it was.
std::int64_t WriteBmpFile(const std::filesystem::path& sFileName, ConstBgraView picture, int depth,
                          std::span<const std::int32_t> palette = {});

// Texts of the writer's message boxes (UTF-8; title "Vexillor", OK button
// only, no icon).
inline constexpr const char* kUnsupportedDepthText = "Error!\r\nDieses Bildformat wird nicht unterst\xC3\xBCtzt!";
inline constexpr const char* kFailureTextStart = "Fehler!\r\n";  // + the error's description

struct SaveOutcome {
    std::int32_t result = 0;  // file length; -1 depth not accepted; 0 after a failure
    std::string failureText;  // what to show the user; empty for nothing
};

// Writes the file (WriteBmpFile) and turns every failure into the writer's
// result and message: -1 with kUnsupportedDepthText for a depth that is not
// accepted; 0 with "Fehler!" and the error's description for any error
// while building or writing the file (no text for error number 999).
SaveOutcome SavePixelsAtDepth(const std::filesystem::path& sFileName, ConstBgraView pixels, int depth,
                              std::span<const std::int32_t> palette = {});

}  // namespace vx::bmp
