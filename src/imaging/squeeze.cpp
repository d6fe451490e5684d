#include "imaging/squeeze.h"

#include <algorithm>
#include <cstdlib>
#include <stdexcept>
#include <vector>

#include "imaging/area_cover.h"

namespace vx {

namespace {

// Interior rows are summed in 32-bit lanes; this many rows of 255 fit.
constexpr int kRowsPerFlush = 16'843'009;  // floor(2^32 / 255)

}  // namespace

void CheckSqueezeViews(ConstBgraView source, ConstBgraView crest) {
    auto check = [](const ConstBgraView& view, const char* what) {
        if (view.top == nullptr || view.width < 1 || view.height < 1)
            throw std::invalid_argument(std::string(what) + " is empty");
        if (std::abs(view.stride) < 4 * static_cast<std::ptrdiff_t>(view.width))
            throw std::invalid_argument(std::string(what) + " rows overlap");
    };
    check(source, "source picture");
    check(crest, "crest");
}

void Squeeze(ConstBgraView source, BgraView crest) {
    CheckSqueezeViews(source, crest);
    const std::uint64_t area = static_cast<std::uint64_t>(source.width) * static_cast<std::uint64_t>(source.height);
    // Keeps every weighted sum below 2^62.
    if (area > (std::uint64_t{1} << 52)) throw std::invalid_argument("source picture too large");

    const std::vector<AreaCover> columns = AreaCovers(source.width, crest.width);
    const std::vector<AreaCover> rows = AreaCovers(source.height, crest.height);
    const std::uint64_t interiorColumnWeight = static_cast<std::uint64_t>(crest.width);
    const std::uint64_t interiorRowWeight = static_cast<std::uint64_t>(crest.height);

    const std::size_t lanes = 4 * static_cast<std::size_t>(source.width);
    std::vector<std::uint32_t> interiorSum(lanes);
    // Per source column and byte: the sum of the bytes of the crest row's
    // source rows, each weighted by its units inside the crest row.
    std::vector<std::uint64_t> columnTotal(lanes);

    auto flushInterior = [&] {
        for (std::size_t i = 0; i < lanes; ++i) {
            columnTotal[i] += interiorRowWeight * interiorSum[i];
            interiorSum[i] = 0;
        }
    };
    auto addWeightedRow = [&](int y, std::uint64_t weight) {
        const std::uint8_t* row = source.Row(y);
        for (std::size_t i = 0; i < lanes; ++i) columnTotal[i] += weight * row[i];
    };

    const std::uint64_t twiceArea = 2 * area;
    for (int cy = 0; cy < crest.height; ++cy) {
        const AreaCover& r = rows[static_cast<std::size_t>(cy)];
        std::fill(columnTotal.begin(), columnTotal.end(), 0);
        addWeightedRow(r.first, r.firstUnits);
        if (r.last != r.first) {
            int pending = 0;
            for (int y = r.first + 1; y < r.last; ++y) {
                const std::uint8_t* row = source.Row(y);
                std::uint32_t* sum = interiorSum.data();
                for (std::size_t i = 0; i < lanes; ++i) sum[i] += row[i];
                if (++pending == kRowsPerFlush) {
                    flushInterior();
                    pending = 0;
                }
            }
            if (pending > 0) flushInterior();
            addWeightedRow(r.last, r.lastUnits);
        }

        std::uint8_t* out = crest.Row(cy);
        for (int cx = 0; cx < crest.width; ++cx) {
            const AreaCover& c = columns[static_cast<std::size_t>(cx)];
            for (int k = 0; k < 3; ++k) {
                std::uint64_t total = c.firstUnits * columnTotal[4 * static_cast<std::size_t>(c.first) + k];
                if (c.last != c.first) {
                    std::uint64_t interior = 0;
                    for (int x = c.first + 1; x < c.last; ++x)
                        interior += columnTotal[4 * static_cast<std::size_t>(x) + k];
                    total += interiorColumnWeight * interior;
                    total += c.lastUnits * columnTotal[4 * static_cast<std::size_t>(c.last) + k];
                }
                out[4 * cx + k] = static_cast<std::uint8_t>((2 * total + area) / twiceArea);
            }
            out[4 * cx + 3] = 255;
        }
    }
}

BgraImage Squeeze(ConstBgraView source, int width, int height) {
    BgraImage crest(width, height);
    Squeeze(source, crest.View());
    return crest;
}

}  // namespace vx
