// How the pixels of one axis fall into the pixels of a shorter or equal
// axis when the whole of one is laid over the whole of the other.
#pragma once

#include <cstdint>
#include <vector>

namespace vx {

// Source pixel `first` to `last` touch the target pixel; `first` counts by
// `firstShare` and `last` by `lastShare` of itself (0 when it is `first`),
// those between wholly. Shares are fractions of a source pixel, so a
// target pixel's shares add up to sourceLength / targetLength. The same in
// whole units, for exact sums: a source pixel is targetLength units long,
// a target pixel sourceLength units.
struct AreaCover {
    int first = 0;
    int last = 0;
    double firstShare = 1;
    double lastShare = 1;
    std::uint64_t firstUnits = 0;
    std::uint64_t lastUnits = 0;
};

// One cover per target pixel. Both lengths must be at least 1.
std::vector<AreaCover> AreaCovers(int sourceLength, int targetLength);

}  // namespace vx
