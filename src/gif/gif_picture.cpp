#include "gif/gif_picture.h"

#include <algorithm>
#include <vector>

#include "gif/gif_decode.h"
#include "gif/gif_index.h"

namespace vx::gif {
namespace {

// +6 screen width, +8 screen height, little-endian.
int32_t ScreenField(std::span<const uint8_t> file, std::size_t at) {
    return file.size() >= at + 2 ? file[at] | (file[at + 1] << 8) : 0;
}

}  // namespace

bool LooksLikeGif(std::span<const uint8_t> file) {
    return file.size() >= 4 && file[0] == 'G' && file[1] == 'I' && file[2] == 'F' && file[3] == '8';
}

GifPicture ComposeFirstImage(std::span<const uint8_t> file, Colorref background) {
    GifPicture picture;
    GifIndex index = IndexGif(file);
    picture.report = CheckIndex(index);
    if (picture.report.status != GifStatus::Loaded) return picture;
    index.frames.resize(1);
    index.blocks.resize(1);
    const FrameRecord frame = index.frames.front();
    picture.report = CheckStrip(index, PlanFrameStrip(index));
    if (picture.report.status != GifStatus::Loaded) return picture;

    int32_t width = ScreenField(file, 6), height = ScreenField(file, 8);
    if (width == 0 || height == 0) {
        width = frame.left + frame.width;
        height = frame.top + frame.height;
    }
    picture.report = CheckBuffer(width, height, 1);
    if (picture.report.status != GifStatus::Loaded) return picture;
    if (width <= 0 || height <= 0) {
        picture.report.status = GifStatus::NoFrames;
        return picture;
    }

    BgraImage canvas(width, height);
    canvas.Fill(background);
    if (frame.width > 0 && frame.height > 0) {
        std::vector<uint8_t> indices(static_cast<std::size_t>(frame.width) * static_cast<std::size_t>(frame.height));
        FrameDecoder decoder;
        decoder.Decode(file, index, 0, indices.data(), frame.width);
        Palette palette{};
        if (frame.palette >= 0 && static_cast<std::size_t>(frame.palette) < index.palettes.size())
            palette = index.palettes[static_cast<std::size_t>(frame.palette)];
        const int32_t right = std::min(width, frame.left + frame.width);
        const int32_t bottom = std::min(height, frame.top + frame.height);
        for (int32_t y = frame.top; y < bottom; ++y) {
            const uint8_t* row = indices.data() + static_cast<std::size_t>(y - frame.top) * frame.width;
            uint8_t* out = canvas.Row(y);
            for (int32_t x = frame.left; x < right; ++x) {
                const uint8_t i = row[x - frame.left];
                if (frame.transparent && i == frame.transparent_index) continue;
                const Rgb colour = palette[i];
                uint8_t* p = out + 4 * static_cast<std::size_t>(x);
                p[0] = static_cast<uint8_t>(BlueOf(colour));
                p[1] = static_cast<uint8_t>(GreenOf(colour));
                p[2] = static_cast<uint8_t>(RedOf(colour));
                p[3] = 255;
            }
        }
    }
    picture.pixels = std::move(canvas);
    return picture;
}

}  // namespace vx::gif
