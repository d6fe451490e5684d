#include "bmp/bmp_file.h"

#include <cstdlib>
#include <limits>
#include <new>
#include <stdexcept>
#include <system_error>

#include "bmp/atomic_file.h"
#include "base/run_time_error.h"

namespace vx::bmp {

namespace {

constexpr std::int64_t kHeadersBytes = 14 + 40;

void PutLe16(std::vector<std::uint8_t>& out, std::size_t at, std::uint32_t v) {
    out[at] = static_cast<std::uint8_t>(v);
    out[at + 1] = static_cast<std::uint8_t>(v >> 8);
}

void PutLe32(std::vector<std::uint8_t>& out, std::size_t at, std::uint32_t v) {
    PutLe16(out, at, v & 0xFFFF);
    PutLe16(out, at + 2, v >> 16);
}

std::vector<RgbQuad> TableFromPalette(std::span<const std::int32_t> palette) {
    std::vector<RgbQuad> table;
    for (std::int32_t color : palette) {
        const auto quad = static_cast<std::uint32_t>(ColorToRGBQuad(color));
        table.push_back(RgbQuad{static_cast<std::uint8_t>(quad), static_cast<std::uint8_t>(quad >> 8),
                                static_cast<std::uint8_t>(quad >> 16), 0});
    }
    return table;
}

void WriteIndexedRows(const IndexedPicture& indexed, int depth, std::int64_t stride, std::uint8_t* pixels) {
    for (int y = 0; y < indexed.height; ++y) {
        std::uint8_t* row = pixels + stride * (indexed.height - 1 - y);
        const std::uint8_t* index = indexed.indices.data() + static_cast<std::size_t>(y) * indexed.width;
        for (int x = 0; x < indexed.width; ++x) {
            // Pixels are packed from the most significant bits of each byte.
            const int bit = x * depth;
            const int shift = 8 - depth - bit % 8;
            row[bit / 8] = static_cast<std::uint8_t>(row[bit / 8] | (index[x] << shift));
        }
    }
}

void WriteTrueColourRows(const ConstBgraView& picture, int depth, std::int64_t stride, std::uint8_t* pixels) {
    for (int y = 0; y < picture.height; ++y) {
        const std::uint8_t* in = picture.Row(y);
        std::uint8_t* row = pixels + stride * (picture.height - 1 - y);
        for (int x = 0; x < picture.width; ++x) {
            const std::uint8_t blue = in[4 * x], green = in[4 * x + 1], red = in[4 * x + 2];
            switch (depth) {
                case 16: {
                    const unsigned value = ((red >> 3u) << 10) | ((green >> 3u) << 5) | (blue >> 3u);
                    row[2 * x] = static_cast<std::uint8_t>(value);
                    row[2 * x + 1] = static_cast<std::uint8_t>(value >> 8);
                    break;
                }
                case 24:
                    row[3 * x] = blue;
                    row[3 * x + 1] = green;
                    row[3 * x + 2] = red;
                    break;
                default:  // 32
                    row[4 * x] = blue;
                    row[4 * x + 1] = green;
                    row[4 * x + 2] = red;
                    row[4 * x + 3] = 0;
                    break;
            }
        }
    }
}

}  // namespace

int ColorTableEntries(int depth) {
    switch (depth) {
        case 1:
            return 2;
        case 4:
            return 16;
        case 8:
            return 256;
        default:
            return 1;
    }
}

std::int64_t RowStride(std::int64_t width, int depth) { return (width * depth + 31) / 32 * 4; }

std::int32_t ColorToRGBQuad(std::int32_t color) {
    return static_cast<std::int32_t>(ColorrefToRgb(Colorref{static_cast<std::uint32_t>(color)}));
}

std::vector<std::uint8_t> EncodeBmpFile(ConstBgraView picture, int depth, std::span<const std::int32_t> palette) {
    if (!IsAcceptedDepth(depth)) throw std::invalid_argument("bit depth not accepted");
    if (picture.top == nullptr || picture.width < 1 || picture.height < 1) throw std::invalid_argument("empty picture");
    if (std::abs(picture.stride) < 4 * static_cast<std::ptrdiff_t>(picture.width))
        throw std::invalid_argument("picture rows overlap");

    const int entries = ColorTableEntries(depth);
    const std::int64_t stride = RowStride(picture.width, depth);
    const std::int64_t imageSize = stride * picture.height;
    const std::int64_t pixelOffset = kHeadersBytes + 4 * entries;
    const std::int64_t fileSize = pixelOffset + imageSize;
    if (fileSize > std::numeric_limits<std::int32_t>::max()) throw MakeRunTimeError(kErrOverflow, kWriterSource);

    std::vector<std::uint8_t> out(static_cast<std::size_t>(fileSize), 0);
    out[0] = 'B';
    out[1] = 'M';
    PutLe32(out, 2, static_cast<std::uint32_t>(fileSize));
    PutLe32(out, 10, static_cast<std::uint32_t>(pixelOffset));
    PutLe32(out, 14, 40);
    PutLe32(out, 18, static_cast<std::uint32_t>(picture.width));
    PutLe32(out, 22, static_cast<std::uint32_t>(picture.height));
    PutLe16(out, 26, 1);
    PutLe16(out, 28, static_cast<std::uint32_t>(depth));
    PutLe32(out, 34, static_cast<std::uint32_t>(imageSize));
    const std::uint32_t colorsUsed = depth <= 8 ? static_cast<std::uint32_t>(entries) : 0;
    PutLe32(out, 46, colorsUsed);
    PutLe32(out, 50, colorsUsed);

    std::uint8_t* pixels = out.data() + pixelOffset;
    if (depth <= 8) {
        const IndexedPicture indexed = palette.size() == static_cast<std::size_t>(entries)
                                           ? MapToColorTable(picture, TableFromPalette(palette))
                                           : QuantizePicture(picture, entries);
        for (int i = 0; i < entries; ++i) {
            const RgbQuad& q = indexed.colorTable[static_cast<std::size_t>(i)];
            std::uint8_t* entry = out.data() + kHeadersBytes + 4 * i;
            entry[0] = q.blue;
            entry[1] = q.green;
            entry[2] = q.red;
            entry[3] = 0;
        }
        WriteIndexedRows(indexed, depth, stride, pixels);
    } else {
        WriteTrueColourRows(picture, depth, stride, pixels);
    }
    return out;
}

std::int64_t WriteBmpFile(const std::filesystem::path& sFileName, ConstBgraView picture, int depth,
                          std::span<const std::int32_t> palette) {
    const std::vector<std::uint8_t> bytes = EncodeBmpFile(picture, depth, palette);
    WriteFileAtomically(sFileName, bytes, kWriterSource);
    std::error_code error;
    const std::uintmax_t length = std::filesystem::file_size(sFileName, error);
    if (error) throw MakeRunTimeError(kErrDeviceIO, kWriterSource);
    return static_cast<std::int64_t>(length);
}

SaveOutcome SavePixelsAtDepth(const std::filesystem::path& sFileName, ConstBgraView pixels, int depth,
                              std::span<const std::int32_t> palette) {
    SaveOutcome outcome;
    if (!IsAcceptedDepth(depth)) {
        outcome.result = -1;
        outcome.failureText = kUnsupportedDepthText;
        return outcome;
    }
    auto fail = [&](const RunTimeError& error) {
        outcome.result = 0;
        if (error.Number() != 999) outcome.failureText = kFailureTextStart + error.Description();
    };
    try {
        outcome.result = static_cast<std::int32_t>(WriteBmpFile(sFileName, pixels, depth, palette));
    } catch (const RunTimeError& error) {
        fail(error);
    } catch (const std::bad_alloc&) {
        fail(MakeRunTimeError(kErrOutOfMemory, kWriterSource));
    } catch (const std::invalid_argument&) {
        fail(MakeRunTimeError(kErrInvalidArgument, kWriterSource));
    }
    return outcome;
}

}  // namespace vx::bmp
