// The pixel grid's model of an enlargement, one axis at a time, and its
// least-squares inverse: shared by the grid search and the recovery of the
// cells' colours.
#pragma once

#include <utility>
#include <vector>

#include "imaging/pixel_grid.h"

namespace vx {

// A sample the fit misses by more than this many levels counts as an
// outlier: a thin line no cell can hold, where JPEG's ringing stays below.
inline constexpr double kOutlier = 48;

// Squared misfit of an enlarger, how many values it was taken over, and how
// many of them it misses by more than kOutlier.
struct Fit {
    double squares = 0;
    double count = 0;
    double outliers = 0;
    double Error() const;
    double OutlierShare() const;
    Fit& operator+=(const Fit& other);
};

// Positions a few per cell pin a cell down as well as all of them: the
// stride between the positions used.
int StrideOf(const GridAxis& axis);

// The cell whose area holds picture position `x`.
int CellAt(const GridAxis& axis, int x);

// How JPEG kept the colour: at full resolution, or halved (its usual
// 4:2:0), in blocks of two pixels starting on even or odd positions.
enum class ChromaBlocks { Full, HalvedEven, HalvedOdd };

// One axis of an enlargement as a linear map from cells to the picture
// positions inside the grid (every `stride`-th), with its normal equations
// factored (banded Cholesky). With halved chroma the map continues through
// JPEG's averaging of each block of two and its triangle upsampling.
class AxisInverse {
public:
    AxisInverse(const GridAxis& axis, Enlarger enlarger, int length, int stride = 1,
                ChromaBlocks chroma = ChromaBlocks::Full);

    // Cell values from the line `values` (one per picture position); adds
    // the misfit to `misfit`.
    std::vector<double> Solve(const std::vector<double>& values, Fit* misfit = nullptr) const;

    int SampleCount() const { return static_cast<int>(samples_.size()); }
    // Calls f(position, count, cells, weights) for each position the map
    // uses: the cells that make it and their weights.
    template <class F>
    void ForEachSample(F f) const {
        for (const Sample& s : samples_) f(s.position, s.count, s.index, s.weight);
    }
    std::vector<int> Positions() const;
    // Each position with the cell whose area holds it; with `core`, only
    // positions at least a pixel inside a cell of more than three, away from
    // the JPEG ringing and colour bleeding at its edges.
    std::vector<std::pair<int, int>> CellsOfPositions(const GridAxis& axis, bool core) const;

private:
    static constexpr int kTaps = 16;
    struct Sample {
        int position = 0;
        int count = 0;
        int index[kTaps] = {};
        double weight[kTaps] = {};
    };

    std::size_t Slot(int i, int j) const { return static_cast<std::size_t>(i) * (band_ + 1) + (i - j); }
    void Factor();

    int cells_ = 0;
    int band_ = 0;
    std::vector<double> normal_;
    std::vector<Sample> samples_;
};

}  // namespace vx
