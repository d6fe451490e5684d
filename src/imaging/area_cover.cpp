#include "imaging/area_cover.h"

namespace vx {

std::vector<AreaCover> AreaCovers(int sourceLength, int targetLength) {
    // On a common grid a source pixel is targetLength units long and a
    // target pixel sourceLength units, so every overlap is a whole number.
    const std::int64_t s = sourceLength;
    const std::int64_t d = targetLength;
    std::vector<AreaCover> covers(static_cast<std::size_t>(targetLength));
    for (std::int64_t i = 0; i < d; ++i) {
        const std::int64_t start = i * s;
        const std::int64_t end = start + s;
        AreaCover& c = covers[static_cast<std::size_t>(i)];
        c.first = static_cast<int>(start / d);
        c.last = static_cast<int>((end - 1) / d);
        if (c.first == c.last) {
            c.firstUnits = static_cast<std::uint64_t>(s);
        } else {
            c.firstUnits = static_cast<std::uint64_t>((c.first + 1) * d - start);
            c.lastUnits = static_cast<std::uint64_t>(end - c.last * d);
        }
        c.firstShare = static_cast<double>(c.firstUnits) / static_cast<double>(d);
        c.lastShare = static_cast<double>(c.lastUnits) / static_cast<double>(d);
    }
    return covers;
}

}  // namespace vx
