#include "imaging/grid_inverse.h"

#include <algorithm>
#include <cmath>

namespace vx {

namespace {

double Cubic(double x, double b, double c) {
    x = std::abs(x);
    if (x < 1) return ((12 - 9 * b - 6 * c) * x * x * x + (-18 + 12 * b + 6 * c) * x * x + (6 - 2 * b)) / 6;
    if (x < 2)
        return ((-b - 6 * c) * x * x * x + (6 * b + 30 * c) * x * x + (-12 * b - 48 * c) * x + (8 * b + 24 * c)) / 6;
    return 0;
}

// The cells that make picture position `u` (cell coordinates, cell i
// centred on i) and their weights; returns how many.
int Weights(Enlarger enlarger, double u, int cells, int index[4], double weight[4]) {
    const double f = std::floor(u);
    const double t = u - f;
    const int base = static_cast<int>(f);
    int count = 0;
    auto put = [&](int cell, double w) {
        index[count] = std::clamp(cell, 0, cells - 1);
        weight[count++] = w;
    };
    switch (enlarger) {
        case Enlarger::Nearest:
            put(static_cast<int>(std::floor(u + 0.5)), 1);
            break;
        case Enlarger::Bilinear:
            put(base, 1 - t);
            put(base + 1, t);
            break;
        default: {
            // Keys cubics are the B = 0 family with C = -a.
            const double b = enlarger == Enlarger::Mitchell ? 1.0 / 3 : 0;
            const double c = enlarger == Enlarger::Mitchell ? 1.0 / 3 : enlarger == Enlarger::Bicubic ? 0.5 : 0.75;
            for (int q = -1; q <= 2; ++q) put(base + q, Cubic(t - q, b, c));
        }
    }
    return count;
}

// The taps of one sample before merging: cells and weights.
struct Taps {
    int count = 0;
    int index[16] = {};
    double weight[16] = {};
    void Add(int cell, double w) {
        for (int i = 0; i < count; ++i)
            if (index[i] == cell) {
                weight[i] += w;
                return;
            }
        index[count] = cell;
        weight[count++] = w;
    }
};

// The cells and weights that make picture pixel `x`, directly.
void AddPixel(Taps& taps, const GridAxis& axis, Enlarger enlarger, int x, double share) {
    int index[4];
    double weight[4];
    const int count = Weights(enlarger, (x + 0.5 - axis.start) / axis.period - 0.5, axis.cells, index, weight);
    for (int i = 0; i < count; ++i) taps.Add(index[i], share * weight[i]);
}

}  // namespace

double Fit::Error() const { return count > 0 ? std::sqrt(squares / count) : 1e300; }
double Fit::OutlierShare() const { return count > 0 ? outliers / count : 1; }
Fit& Fit::operator+=(const Fit& other) {
    squares += other.squares;
    count += other.count;
    outliers += other.outliers;
    return *this;
}

int StrideOf(const GridAxis& axis) { return std::max(1, static_cast<int>(axis.period / 8)); }

int CellAt(const GridAxis& axis, int x) {
    return std::clamp(static_cast<int>(std::floor((x + 0.5 - axis.start) / axis.period)), 0, axis.cells - 1);
}

AxisInverse::AxisInverse(const GridAxis& axis, Enlarger enlarger, int length, int stride, ChromaBlocks chroma)
    : cells_(axis.cells) {
    const double end = axis.start + axis.cells * axis.period;
    const int parity = chroma == ChromaBlocks::HalvedOdd ? 1 : 0;
    auto block = [&](int x) { return static_cast<int>(std::floor((x - parity) / 2.0)); };
    const int lastBlock = block(length - 1);
    // Block j's average, its two pixels kept inside the picture.
    auto addBlock = [&](Taps& taps, int j, double share) {
        j = std::clamp(j, block(0), lastBlock);
        for (int x : {2 * j + parity, 2 * j + parity + 1})
            AddPixel(taps, axis, enlarger, std::clamp(x, 0, length - 1), share / 2);
    };
    for (int x = 0; x < length; x += stride) {
        const double centre = x + 0.5;
        if (centre < axis.start || centre >= end) continue;
        Taps taps;
        if (chroma == ChromaBlocks::Full) {
            AddPixel(taps, axis, enlarger, x, 1);
        } else {
            // Upsampled: three quarters of its own block, a quarter of the
            // neighbouring block on its side.
            const int j = block(x);
            const bool first = x - (2 * j + parity) == 0;
            addBlock(taps, j, 0.75);
            addBlock(taps, first ? j - 1 : j + 1, 0.25);
        }
        Sample sample;
        sample.position = x;
        sample.count = taps.count;
        for (int i = 0; i < taps.count; ++i) {
            sample.index[i] = taps.index[i];
            sample.weight[i] = taps.weight[i];
            for (int k = 0; k < i; ++k) band_ = std::max(band_, std::abs(taps.index[i] - taps.index[k]));
        }
        samples_.push_back(sample);
    }
    normal_.assign(static_cast<std::size_t>(cells_) * (band_ + 1), 0.0);
    for (const Sample& sample : samples_)
        for (int i = 0; i < sample.count; ++i)
            for (int j = 0; j < sample.count; ++j)
                if (sample.index[i] >= sample.index[j])
                    normal_[Slot(sample.index[i], sample.index[j])] += sample.weight[i] * sample.weight[j];
    // A whisper of ridge keeps a cell that no sample reaches defined.
    for (int i = 0; i < cells_; ++i) normal_[Slot(i, i)] += 1e-9;
    Factor();
}

std::vector<double> AxisInverse::Solve(const std::vector<double>& values, Fit* misfit) const {
    std::vector<double> v(static_cast<std::size_t>(cells_), 0.0);
    for (const Sample& s : samples_)
        for (int i = 0; i < s.count; ++i)
            v[static_cast<std::size_t>(s.index[i])] += s.weight[i] * values[static_cast<std::size_t>(s.position)];
    for (int i = 0; i < cells_; ++i) {  // L y = b
        double sum = v[static_cast<std::size_t>(i)];
        for (int k = std::max(0, i - band_); k < i; ++k) sum -= normal_[Slot(i, k)] * v[static_cast<std::size_t>(k)];
        v[static_cast<std::size_t>(i)] = sum / normal_[Slot(i, i)];
    }
    for (int i = cells_ - 1; i >= 0; --i) {  // L^T x = y
        double sum = v[static_cast<std::size_t>(i)];
        for (int k = i + 1; k <= std::min(cells_ - 1, i + band_); ++k)
            sum -= normal_[Slot(k, i)] * v[static_cast<std::size_t>(k)];
        v[static_cast<std::size_t>(i)] = sum / normal_[Slot(i, i)];
    }
    if (misfit != nullptr)
        for (const Sample& s : samples_) {
            double model = 0;
            for (int i = 0; i < s.count; ++i) model += s.weight[i] * v[static_cast<std::size_t>(s.index[i])];
            const double d = values[static_cast<std::size_t>(s.position)] - model;
            misfit->squares += d * d;
            misfit->outliers += std::abs(d) > kOutlier;
        }
    return v;
}

std::vector<int> AxisInverse::Positions() const {
    std::vector<int> positions;
    for (const Sample& s : samples_) positions.push_back(s.position);
    return positions;
}

std::vector<std::pair<int, int>> AxisInverse::CellsOfPositions(const GridAxis& axis, bool core) const {
    std::vector<std::pair<int, int>> cells;
    for (const Sample& s : samples_) {
        const int cell = CellAt(axis, s.position);
        const double inCell = s.position + 0.5 - axis.start - cell * axis.period;
        if (core && axis.period > 3 && (inCell < 1 || inCell > axis.period - 1)) continue;
        cells.push_back({s.position, cell});
    }
    return cells;
}

void AxisInverse::Factor() {
    for (int i = 0; i < cells_; ++i)
        for (int j = std::max(0, i - band_); j <= i; ++j) {
            double sum = normal_[Slot(i, j)];
            for (int k = std::max(0, i - band_); k < j; ++k) sum -= normal_[Slot(i, k)] * normal_[Slot(j, k)];
            normal_[Slot(i, j)] = i == j ? std::sqrt(std::max(sum, 1e-12)) : sum / normal_[Slot(j, j)];
        }
}

}  // namespace vx
