#include "imaging/squeeze.h"

#include <algorithm>
#include <cstdlib>
#include <stdexcept>
#include <vector>

namespace vx {

namespace {

// Source and crest are laid over each other on a common grid: along an axis
// with S source pixels and D crest pixels, a source pixel is D units long and
// a crest pixel S units, so every overlap is a whole number of units.
struct Cover {
    int first = 0;                  // first source pixel the crest pixel touches
    int last = 0;                   // last source pixel it touches
    std::uint64_t firstWeight = 0;  // units of `first` inside the crest pixel
    std::uint64_t lastWeight = 0;   // units of `last` inside (0 when last == first)
                                    // Source pixels strictly between first and last lie wholly inside: D units.
};

std::vector<Cover> Covers(int sourceLength, int crestLength) {
    std::vector<Cover> covers(static_cast<std::size_t>(crestLength));
    const std::int64_t s = sourceLength;
    const std::int64_t d = crestLength;
    for (std::int64_t i = 0; i < d; ++i) {
        const std::int64_t start = i * s;
        const std::int64_t end = start + s;
        Cover& c = covers[static_cast<std::size_t>(i)];
        c.first = static_cast<int>(start / d);
        c.last = static_cast<int>((end - 1) / d);
        if (c.first == c.last) {
            c.firstWeight = static_cast<std::uint64_t>(s);
        } else {
            c.firstWeight = static_cast<std::uint64_t>((c.first + 1) * d - start);
            c.lastWeight = static_cast<std::uint64_t>(end - c.last * d);
        }
    }
    return covers;
}

void CheckView(const std::uint8_t* top, int width, int height, std::ptrdiff_t stride, const char* what) {
    if (top == nullptr || width < 1 || height < 1) throw std::invalid_argument(std::string(what) + " is empty");
    if (std::abs(stride) < 4 * static_cast<std::ptrdiff_t>(width))
        throw std::invalid_argument(std::string(what) + " rows overlap");
}

// Interior rows are summed in 32-bit lanes; this many rows of 255 fit.
constexpr int kRowsPerFlush = 16'843'009;  // floor(2^32 / 255)

}  // namespace

void Squeeze(ConstBgraView source, BgraView crest) {
    CheckView(source.top, source.width, source.height, source.stride, "source picture");
    CheckView(crest.top, crest.width, crest.height, crest.stride, "crest");
    const std::uint64_t area = static_cast<std::uint64_t>(source.width) * static_cast<std::uint64_t>(source.height);
    // Keeps every weighted sum below 2^62.
    if (area > (std::uint64_t{1} << 52)) throw std::invalid_argument("source picture too large");

    const std::vector<Cover> columns = Covers(source.width, crest.width);
    const std::vector<Cover> rows = Covers(source.height, crest.height);
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
        const Cover& r = rows[static_cast<std::size_t>(cy)];
        std::fill(columnTotal.begin(), columnTotal.end(), 0);
        addWeightedRow(r.first, r.firstWeight);
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
            addWeightedRow(r.last, r.lastWeight);
        }

        std::uint8_t* out = crest.Row(cy);
        for (int cx = 0; cx < crest.width; ++cx) {
            const Cover& c = columns[static_cast<std::size_t>(cx)];
            for (int k = 0; k < 3; ++k) {
                std::uint64_t total = c.firstWeight * columnTotal[4 * static_cast<std::size_t>(c.first) + k];
                if (c.last != c.first) {
                    std::uint64_t interior = 0;
                    for (int x = c.first + 1; x < c.last; ++x)
                        interior += columnTotal[4 * static_cast<std::size_t>(x) + k];
                    total += interiorColumnWeight * interior;
                    total += c.lastWeight * columnTotal[4 * static_cast<std::size_t>(c.last) + k];
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
