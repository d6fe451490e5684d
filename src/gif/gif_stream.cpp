#include "gif/gif_stream.h"

#include "gif/gif_lzw.h"

namespace vx::gif {
namespace {

void PutWord(std::vector<uint8_t>& out, int32_t value) {
    out.push_back(static_cast<uint8_t>(value & 0xFF));
    out.push_back(static_cast<uint8_t>((value >> 8) & 0xFF));
}

}  // namespace

std::vector<uint8_t> EncodeFrameGif(const uint8_t* topRow, std::ptrdiff_t rowStep, int32_t width, int32_t height,
                                    const Palette& palette, std::optional<uint8_t> transparentIndex) {
    std::vector<uint8_t> out;
    const std::size_t pixels =
        width > 0 && height > 0 ? static_cast<std::size_t>(width) * static_cast<std::size_t>(height) : 0;
    out.reserve(pixels + 800);

    const uint8_t signature[] = {'G', 'I', 'F', '8', '9', 'a'};
    out.insert(out.end(), signature, signature + 6);
    PutWord(out, width);
    PutWord(out, height);
    out.push_back(0x87);  // global table of 256 entries
    out.push_back(0);     // background index
    out.push_back(0);     // aspect ratio
    for (const Rgb entry : palette) {
        out.push_back(static_cast<uint8_t>(RedOf(entry)));
        out.push_back(static_cast<uint8_t>(GreenOf(entry)));
        out.push_back(static_cast<uint8_t>(BlueOf(entry)));
    }

    if (transparentIndex) {
        const uint8_t extension[] = {0x21, 0xF9, 0x04, 0x01, 0x00, 0x00, *transparentIndex, 0x00};
        out.insert(out.end(), extension, extension + 8);
    }

    out.push_back(0x2C);
    PutWord(out, 0);
    PutWord(out, 0);
    PutWord(out, width);
    PutWord(out, height);
    out.push_back(0x00);  // no local table, not interlaced
    out.push_back(8);     // LZW minimum code size

    LzwEncoder encoder;
    encoder.Encode(topRow, rowStep, width, height, out);
    out.push_back(0x00);  // block terminator
    out.push_back(0x3B);  // trailer
    return out;
}

}  // namespace vx::gif
