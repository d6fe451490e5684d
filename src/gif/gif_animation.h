// The viewer's rules that need no platform: frame properties, loop and delay
// settings, whether an animation buffer is needed and how it is laid out,
// and the background colour. Portable: no platform headers.
#pragma once

#include <cstdint>
#include <optional>

#include "base/colour.h"
#include "gif/gif_index.h"

namespace vx::gif {

inline constexpr int16_t kDefaultMinimumDelay = 50;  // ms, at creation
inline constexpr int16_t kLowestMinimumDelay = 10;   // ms

// FrameProperty propID values.
enum FramePropertyId : int32_t {
    kPropDelay = 0,  // delay in ms, raised to the minimum delay
    kPropLeft = 1,
    kPropTop = 2,
    kPropWidth = 3,
    kPropHeight = 4,
    kPropDisposal = 5,  // a Disposal, 0..3
    kPropFrameCount = 6,
};

// Value of property `propId` of frame `frameNumber` (1-based); 0 for a
// frame number outside 1..frame count and for unknown properties.
int32_t FrameProperty(const GifIndex& index, int32_t frameNumber, int32_t propId, int16_t minimumDelay);

// LoopCount write: -1 becomes 0, then the low 16 bits are kept.
uint32_t LoopCountFromWrite(int32_t newCount);

// MinimumDelay write: the low 16 bits as a signed number; values whose low
// 16 bits are 32768..65535 are refused (nullopt, the setting stays);
// anything below kLowestMinimumDelay becomes kLowestMinimumDelay.
std::optional<int16_t> MinimumDelayFromWrite(int32_t newMinimum);

// Loading progress reported after frame k of n: floor(100 k / n).
int32_t LoadProgress(int32_t frameNumber, int32_t frameCount);

// Whether frames must be composed in an animation buffer: a single frame
// only when it is transparent; several when any is transparent, has
// disposal 2 or 3, or does not cover the whole logical screen size.
bool NeedsAnimationBuffer(const GifIndex& index);

// Rows of the animation buffer, each as large as the destination: row 0 is
// the composition; a copied background keeps the untouched background in
// row 1; a file with disposal 3 adds a save area as the last row.
int32_t AnimationBufferRows(bool hasRestorePrevious, bool colourBackground);
// Row of the disposal-3 save area.
int32_t SaveAreaRow(bool colourBackground);

// The global colour table's entry at the background index, as a
// red-in-the-low-byte colour (0x00BBGGRR); 0 when the file has no palette.
Colorref WindowBkgColor(const GifIndex& index);

}  // namespace vx::gif
