#include "gif/gif_animation.h"

#include <algorithm>

namespace vx::gif {

int32_t FrameProperty(const GifIndex& index, int32_t frameNumber, int32_t propId, int16_t minimumDelay) {
    if (frameNumber < 1 || static_cast<std::size_t>(frameNumber) > index.frames.size()) return 0;
    const FrameRecord& frame = index.frames[static_cast<std::size_t>(frameNumber) - 1];
    switch (propId) {
        case kPropDelay:
            return std::max<int32_t>(frame.delay, minimumDelay);
        case kPropLeft:
            return frame.left;
        case kPropTop:
            return frame.top;
        case kPropWidth:
            return frame.width;
        case kPropHeight:
            return frame.height;
        case kPropDisposal:
            return static_cast<int32_t>(frame.disposal);
        case kPropFrameCount:
            return static_cast<int32_t>(index.frames.size());
        default:
            return 0;
    }
}

uint32_t LoopCountFromWrite(int32_t newCount) {
    if (newCount == -1) newCount = 0;
    return static_cast<uint32_t>(newCount) & 0xFFFF;
}

std::optional<int16_t> MinimumDelayFromWrite(int32_t newMinimum) {
    const uint32_t low = static_cast<uint32_t>(newMinimum) & 0xFFFF;
    if (low > 32767) return std::nullopt;
    return static_cast<int16_t>(std::max<uint32_t>(low, kLowestMinimumDelay));
}

int32_t LoadProgress(int32_t frameNumber, int32_t frameCount) {
    if (frameCount <= 0) return 0;
    return static_cast<int32_t>(int64_t{100} * frameNumber / frameCount);
}

bool NeedsAnimationBuffer(const GifIndex& index) {
    if (index.frames.empty()) return false;
    if (index.frames.size() == 1) return index.frames[0].transparent != 0;
    return std::any_of(index.frames.begin(), index.frames.end(), [&](const FrameRecord& frame) {
        return frame.transparent != 0 || frame.disposal == Disposal::RestoreBackground ||
               frame.disposal == Disposal::RestorePrevious || frame.width != index.width ||
               frame.height != index.height;
    });
}

int32_t AnimationBufferRows(bool hasRestorePrevious, bool colourBackground) {
    return (hasRestorePrevious ? 3 : 2) - (colourBackground ? 1 : 0);
}

int32_t SaveAreaRow(bool colourBackground) { return colourBackground ? 1 : 2; }

Colorref WindowBkgColor(const GifIndex& index) {
    if (index.palettes.empty()) return Colorref{};
    return RgbToColorref(index.palettes[0][index.backgroundIndex]);
}

}  // namespace vx::gif
