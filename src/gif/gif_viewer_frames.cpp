// The viewer's frames one by one: their properties, palettes and pictures
// made from the frame strip.
#include <algorithm>
#include <cstring>
#include <optional>

#include "base/run_time_error.h"
#include "common/picture_loader.h"
#include "gif/gif_animation.h"
#include "gif/gif_stream.h"
#include "gif/gif_viewer.h"
#include "gif/gif_viewer_detail.h"

namespace vx {

const gif::FrameRecord* cGIFViewer::Frame(std::int32_t index) const {
    if (index < 1 || index > FrameCount()) return nullptr;
    return &index_.frames[static_cast<std::size_t>(index) - 1];
}

std::int32_t cGIFViewer::FrameProperty(std::int32_t Index, std::int32_t propID) const {
    return gif::FrameProperty(index_, Index, propID, minimumDelay_);
}

void cGIFViewer::SetLoopCount(std::int32_t newCount) { loopCount_ = gif::LoopCountFromWrite(newCount); }

void cGIFViewer::SetMinimumDelay(std::int32_t newMinimum) {
    const std::optional<std::int16_t> value = gif::MinimumDelayFromWrite(newMinimum);
    if (!value) throw MakeRunTimeError(kErrOverflow, "cGIFViewer");
    minimumDelay_ = *value;
}

COLORREF cGIFViewer::WindowBkgColor() const { return gif::WindowBkgColor(index_); }

cGIFViewer::ColourTable cGIFViewer::PaletteTable(std::int32_t paletteNumber) const {
    ColourTable table{};
    if (paletteNumber >= 0 && static_cast<std::size_t>(paletteNumber) < index_.palettes.size())
        std::memcpy(table.data(), index_.palettes[static_cast<std::size_t>(paletteNumber)].data(), sizeof(table));
    return table;
}

void cGIFViewer::InstallColourTable(const ColourTable& table) {
    SetDIBColorTable(stripDc_.get(), 0, static_cast<UINT>(table.size()), table.data());
}

const std::uint8_t* cGIFViewer::StripFrameTopRow(const gif::FrameRecord& frame) const {
    return stripBits_ + (static_cast<std::int64_t>(stripHeight_) - 1) * stripStride_ + frame.position;
}

bool cGIFViewer::FramePalette(std::int32_t Index, std::vector<std::uint32_t>& Palette) {
    Palette.assign(256, 0);
    const gif::FrameRecord* frame = Frame(Index);
    if (!frame || frame->palette < 0 || static_cast<std::size_t>(frame->palette) >= index_.palettes.size())
        return false;
    const gif::Palette& palette = index_.palettes[static_cast<std::size_t>(frame->palette)];
    std::copy(palette.begin(), palette.end(), Palette.begin());
    return true;
}

SharedPicture cGIFViewer::FrameImage(std::int32_t Index, std::int32_t PicType) {
    const gif::FrameRecord* frame = Frame(Index);
    if (!frame || !stripBits_ || frame->width <= 0 || frame->height <= 0) return nullptr;
    const PlaybackPause pause(*this);
    SharedPicture result;
    try {
        GdiFlush();
        const int width = frame->width, height = frame->height;
        const std::uint8_t* top = StripFrameTopRow(*frame);
        const std::ptrdiff_t step = -static_cast<std::ptrdiff_t>(stripStride_);
        gif::Palette palette{};
        if (frame->palette >= 0 && static_cast<std::size_t>(frame->palette) < index_.palettes.size())
            palette = index_.palettes[static_cast<std::size_t>(frame->palette)];
        const bool transparent = frame->transparent != 0;
        const std::uint8_t t = frame->transparent_index;

        if (PicType == kPicBitmap) {
            auto bitmap = std::make_shared<Bitmap32>(width, height);
            Bgra* out = bitmap->pixels().data();
            for (int y = 0; y < height; ++y) {
                const std::uint8_t* row = top + step * y;
                for (int x = 0; x < width; ++x) *out++ = OpaquePixel(palette[row[x]]);
            }
            result = std::move(bitmap);
        } else {
            const std::vector<std::uint8_t> stream = gif::EncodeFrameGif(
                top, step, width, height, palette, transparent ? std::optional<std::uint8_t>(t) : std::nullopt);
            Bitmap32 loaded = LoadPictureBytes(stream, RGB(0, 0, 0));
            if (loaded.width() == width && loaded.height() == height) {
                // The loader lays transparent pixels over black; the strip
                // still knows which they were.
                Bgra* out = loaded.pixels().data();
                for (int y = 0; y < height; ++y) {
                    const std::uint8_t* row = top + step * y;
                    for (int x = 0; x < width; ++x, ++out)
                        *out = transparent && row[x] == t ? Bgra{} : OpaquePixel(RgbOf(*out));
                }
                result = std::make_shared<const Bitmap32>(std::move(loaded));
            }
        }
    } catch (...) {
        result = nullptr;
    }
    return result;
}

}  // namespace vx
