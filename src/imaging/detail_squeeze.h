// The detail-keeping squeeze: a picture that is not pixel art, squeezed so
// that a stroke thinner than a crest pixel stays a visible line.
#pragma once

#include "base/bgra_image.h"

namespace vx {

// Each crest pixel is a weighted average, in linear light, of the source
// pixels it covers (by the share of their area inside it). The weight of a
// source pixel grows steeply with how far its tone stands from the crest
// pixel's surroundings (the tone average of the 3 x 3 crest pixels around
// it, centre first): the perceptually based detail-preserving downscale of
// Weber, Waechter, Amend, Guthe and Goesele (2016), with the deviation
// measured on the byte scale and raised to the fourth power, so that a thin
// light stroke on a dark ground (or a dark one on a light ground) outweighs
// the ground it crosses instead of dissolving into it. Pixels within a few
// levels of the surroundings weigh alike, so smooth parts and grain come
// out as their plain average. Being an average, it never leaves the range
// of the colours it covers: no halo, no ringing.
//
// Large pictures are first reduced, by the area average in linear light,
// to at most 16 x 16 pixels per crest pixel; details thinner than a
// sixteenth of a crest pixel are invisible in the crest anyway. Beyond
// eight source pixels per reduced pixel along an axis only every few rows
// or columns are read, at least four per reduced pixel, which keeps the
// squeeze of a 12-megapixel photo within twice the exact average's time. A source of
// the crest's own size comes back unchanged. Deterministic: tabulated
// light, no transcendental functions. Throws std::invalid_argument when a
// view is empty or its stride is shorter than its rows.
void DetailSqueeze(ConstBgraView source, BgraView crest);

}  // namespace vx
