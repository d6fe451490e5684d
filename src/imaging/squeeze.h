// Squeezes a whole picture into a crest-sized rectangle.
#pragma once

#include "base/bgra_image.h"

namespace vx {

// Every pixel of `crest` becomes the exact area-weighted average of the part
// of `source` that falls into it: the whole source is laid over the whole
// crest rectangle, whatever the two proportions, and a source pixel that
// lies partly inside a crest pixel counts by the fraction of its area
// inside. Red, green and blue are averaged on their own and rounded to the
// nearest value (halves up); the fourth byte of the result is 255. The
// result is exact and the same on every machine.
//
// Throws std::invalid_argument when a view is empty or its stride is
// shorter than its rows.
void Squeeze(ConstBgraView source, BgraView crest);

// The same into a new picture of `width` x `height`.
BgraImage Squeeze(ConstBgraView source, int width, int height);

// What every squeeze checks of its views: throws std::invalid_argument when
// one is empty or its stride is shorter than its rows.
void CheckSqueezeViews(ConstBgraView source, ConstBgraView crest);

}  // namespace vx
