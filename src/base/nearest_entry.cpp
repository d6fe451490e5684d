#include "base/nearest_entry.h"

#include <algorithm>
#include <cstdlib>
#include <limits>

namespace vx {
namespace {

constexpr std::size_t kSearchesWorthCells = 16384;
constexpr int kCellSize = 16;
constexpr int kCells = 256 / kCellSize;

// Squared distance from v to the nearest and the farthest point of
// [low, low + kCellSize - 1].
int Nearest1D(int v, int low) {
    const int high = low + kCellSize - 1;
    const int d = v < low ? low - v : v > high ? v - high : 0;
    return d * d;
}
int Farthest1D(int v, int low) {
    const int d = std::max(std::abs(v - low), std::abs(v - (low + kCellSize - 1)));
    return d * d;
}

int SquaredDistance(const Bgrx& entry, int red, int green, int blue) {
    const int dr = entry.red - red, dg = entry.green - green, db = entry.blue - blue;
    return dr * dr + dg * dg + db * db;
}

}  // namespace

NearestEntry::NearestEntry(std::span<const Bgrx> table, std::size_t searches)
    : table_(table.begin(), table.end()), useCells_(searches > kSearchesWorthCells && table.size() <= 256) {
    if (useCells_) {
        cells_.resize(kCells * kCells * kCells);
        built_.assign(kCells * kCells * kCells, false);
    }
}

unsigned NearestEntry::Find(unsigned red, unsigned green, unsigned blue) {
    const int r = static_cast<int>(red & 0xFF), g = static_cast<int>(green & 0xFF), b = static_cast<int>(blue & 0xFF);
    int bestDistance = std::numeric_limits<int>::max();
    unsigned bestIndex = 0;
    if (!useCells_) {
        for (std::size_t i = 0; i < table_.size(); ++i) {
            const int distance = SquaredDistance(table_[i], r, g, b);
            if (distance < bestDistance) {
                bestDistance = distance;
                bestIndex = static_cast<unsigned>(i);
            }
        }
        return bestIndex;
    }
    const auto cell = static_cast<std::size_t>(((r / kCellSize) * kCells + g / kCellSize) * kCells + b / kCellSize);
    if (!built_[cell]) BuildCell(cell, r / kCellSize * kCellSize, g / kCellSize * kCellSize, b / kCellSize * kCellSize);
    for (const std::uint8_t index : cells_[cell]) {  // ascending indices: the first of equals wins
        const int distance = SquaredDistance(table_[index], r, g, b);
        if (distance < bestDistance) {
            bestDistance = distance;
            bestIndex = index;
        }
    }
    return bestIndex;
}

void NearestEntry::BuildCell(std::size_t cell, int red0, int green0, int blue0) {
    int bound = std::numeric_limits<int>::max();
    for (const Bgrx& q : table_)
        bound = std::min(bound, Farthest1D(q.red, red0) + Farthest1D(q.green, green0) + Farthest1D(q.blue, blue0));
    for (std::size_t i = 0; i < table_.size(); ++i) {
        const Bgrx& q = table_[i];
        if (Nearest1D(q.red, red0) + Nearest1D(q.green, green0) + Nearest1D(q.blue, blue0) <= bound)
            cells_[cell].push_back(static_cast<std::uint8_t>(i));
    }
    built_[cell] = true;
}

}  // namespace vx
