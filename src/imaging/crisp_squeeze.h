// The crisp squeeze: a second way into a crest, for logos, icons and
// enlarged pixel art, where the exact area average blurs.
#pragma once

#include "base/bgra_image.h"

namespace vx {

// Squeezes the whole of `source` into `crest` along one of two roads:
//
// 1. Pixel art comes back exactly. When the source is an enlarged picture
//    on a pixel grid (FindPixelGrid: any scale from about 2x, whole or
//    fractional, by nearest-neighbour, bilinear or bicubic enlargement,
//    with JPEG noise, a few pixels of margin or offset), the grid's cells
//    are taken back by inverting the enlargement (RecoverCells). Cells of
//    the crest's own size are the crest; more (a 32 x 24 sprite for a
//    16 x 12 crest) go down the second road as a picture of their own.
//    Enlargers work on the bytes, so this road inverts them there, not in
//    linear light.
// 2. Otherwise detail is kept (DetailSqueeze): an average in linear light
//    whose weights favour what stands out from its surroundings, so a
//    stroke thinner than a crest pixel stays a line of near-full contrast,
//    with no colour beyond the source's own.
//
// Below 1.5 times the crest's size the first road is not tried: a grid
// would no longer be told from detail. Deterministic (only exact arithmetic
// and square roots, no library transcendentals); the fourth byte of the result is 255. Throws
// std::invalid_argument when a view is empty or its stride is shorter than
// its rows.
void CrispSqueeze(ConstBgraView source, BgraView crest);

// The same into a new picture of `width` x `height`.
BgraImage CrispSqueeze(ConstBgraView source, int width, int height);

}  // namespace vx
