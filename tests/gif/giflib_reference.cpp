#include "gif/giflib_reference.h"

#include <gif_lib.h>

#include <cstring>

namespace vx::gif::testing {
namespace {

struct MemoryInput {
    std::span<const uint8_t> bytes;
    std::size_t pos = 0;
};

int ReadFromMemory(GifFileType* file, GifByteType* out, int count) {
    auto* input = static_cast<MemoryInput*>(file->UserData);
    const std::size_t n = std::min<std::size_t>(static_cast<std::size_t>(count), input->bytes.size() - input->pos);
    std::memcpy(out, input->bytes.data() + input->pos, n);
    input->pos += n;
    return static_cast<int>(n);
}

std::vector<uint32_t> Colours(const ColorMapObject* map) {
    std::vector<uint32_t> out;
    if (!map) return out;
    for (int i = 0; i < map->ColorCount; ++i) {
        const GifColorType& c = map->Colors[i];
        out.push_back((uint32_t{c.Red} << 16) | (uint32_t{c.Green} << 8) | c.Blue);
    }
    return out;
}

}  // namespace

ReferenceGif DecodeWithGiflib(std::span<const uint8_t> bytes) {
    ReferenceGif result;
    MemoryInput input{bytes};
    int error = 0;
    GifFileType* file = DGifOpen(&input, ReadFromMemory, &error);
    if (!file) {
        result.error = GifErrorString(error);
        return result;
    }
    if (DGifSlurp(file) != GIF_OK) {
        result.error = GifErrorString(file->Error);
        DGifCloseFile(file, &error);
        return result;
    }
    result.globalColours = Colours(file->SColorMap);
    result.background = file->SBackGroundColor;
    for (int i = 0; i < file->ImageCount; ++i) {
        const SavedImage& image = file->SavedImages[i];
        ReferenceFrame frame;
        frame.left = image.ImageDesc.Left;
        frame.top = image.ImageDesc.Top;
        frame.width = image.ImageDesc.Width;
        frame.height = image.ImageDesc.Height;
        frame.interlaced = image.ImageDesc.Interlace;
        if (image.ImageDesc.ColorMap) {
            frame.localEntries = image.ImageDesc.ColorMap->ColorCount;
            frame.localColours = Colours(image.ImageDesc.ColorMap);
        }
        GraphicsControlBlock gcb;
        if (DGifSavedExtensionToGCB(file, i, &gcb) == GIF_OK) {
            for (int e = 0; e < image.ExtensionBlockCount; ++e) {
                frame.hasGce |= image.ExtensionBlocks[e].Function == GRAPHICS_EXT_FUNC_CODE;
            }
            frame.delayCs = gcb.DelayTime;
            frame.disposal = gcb.DisposalMode;
            frame.transparent = gcb.TransparentColor;
        }
        frame.pixels.assign(image.RasterBits, image.RasterBits + std::size_t(frame.width) * frame.height);
        for (int e = 0; e + 1 < image.ExtensionBlockCount; ++e) {
            const ExtensionBlock& app = image.ExtensionBlocks[e];
            const ExtensionBlock& data = image.ExtensionBlocks[e + 1];
            if (app.Function == APPLICATION_EXT_FUNC_CODE && app.ByteCount == 11 &&
                std::memcmp(app.Bytes, "NETSCAPE2.0", 11) == 0 && data.Function == CONTINUE_EXT_FUNC_CODE &&
                data.ByteCount == 3) {
                result.loopCount = data.Bytes[1] | (data.Bytes[2] << 8);
            }
        }
        result.frames.push_back(std::move(frame));
    }
    DGifCloseFile(file, &error);
    return result;
}

}  // namespace vx::gif::testing
