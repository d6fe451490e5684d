#include "imaging/pixel_grid.h"

#include <algorithm>
#include <cmath>
#include <vector>

namespace vx {

namespace {

constexpr double kPi = 3.14159265358979323846;
constexpr double kMinPeriod = 1.8;
constexpr int kProfileLines = 128;
constexpr int kMaxProfileBins = 512;
constexpr int kFitLines = 32;
constexpr int kHarmonics = 6;
constexpr int kMaxCellsPerCrestPixel = 8;
constexpr std::size_t kCombCandidates = 12;
// How far the period's harmonics must stand above the spectrum's median.
constexpr double kMinPeakStrength = 3.0;
// The largest root-mean-square misfit, in levels, still taken for an
// enlargement (JPEG at quality 75 leaves about half of it).
constexpr double kMaxFitError = 9.0;

enum class Axis { X, Y };

// cos and sin of `turns` whole turns, by their series after reduction to
// half a turn: only exact arithmetic, so every machine agrees.
void CosSin(double turns, double& c, double& s) {
    const double a = 2 * kPi * (turns - std::floor(turns + 0.5));
    const double a2 = a * a;
    double tc = 1, ts = a;
    c = 1;
    s = a;
    for (int n = 1; n <= 16; ++n) {
        tc *= -a2 / ((2.0 * n - 1) * (2.0 * n));
        ts *= -a2 / ((2.0 * n) * (2.0 * n + 1));
        c += tc;
        s += ts;
    }
}

// The angle of (re, im) in turns (-0.5 .. 0.5], by halving.
double TurnsOf(double re, double im) {
    double low = -0.5, high = 0.5;
    for (int i = 0; i < 48; ++i) {
        const double middle = (low + high) / 2;
        double c, s;
        CosSin(middle, c, s);
        // Is the direction at `middle` before (anticlockwise of) or after the point?
        if (c * im - s * re > 0 || (c * im - s * re == 0 && c * re + s * im < 0)) {
            low = middle;
        } else {
            high = middle;
        }
    }
    return (low + high) / 2;
}

std::vector<int> SampleLines(int wanted, int total) {
    const int count = std::min(wanted, total);
    std::vector<int> lines(static_cast<std::size_t>(count));
    for (int i = 0; i < count; ++i)
        lines[static_cast<std::size_t>(i)] =
            static_cast<int>((2 * static_cast<std::int64_t>(i) + 1) * total / (2 * static_cast<std::int64_t>(count)));
    return lines;
}

int Length(ConstBgraView source, Axis axis) { return axis == Axis::X ? source.width : source.height; }
int Lines(ConstBgraView source, Axis axis) { return axis == Axis::X ? source.height : source.width; }

const std::uint8_t* PixelAt(ConstBgraView source, Axis axis, int line, int position) {
    return axis == Axis::X ? source.Row(line) + 4 * static_cast<std::ptrdiff_t>(position)
                           : source.Row(position) + 4 * static_cast<std::ptrdiff_t>(line);
}

// Sums over sampled lines of the channels' second differences across the
// axis, in bins of `bin` pixels.
std::vector<double> Profile(ConstBgraView source, Axis axis, int bin, bool second = true) {
    const int length = Length(source, axis);
    std::vector<double> profile(static_cast<std::size_t>((length + bin - 1) / bin), 0.0);
    const std::vector<int> lines = SampleLines(kProfileLines, Lines(source, axis));
    auto add = [&](int line, int position) {
        const std::uint8_t* before = PixelAt(source, axis, line, position - 1);
        const std::uint8_t* here = PixelAt(source, axis, line, position);
        const std::uint8_t* after = PixelAt(source, axis, line, position + 1);
        double sum = 0;
        for (int k = 0; k < 3; ++k)
            sum += second ? std::abs(before[k] - 2 * here[k] + after[k]) : std::abs(here[k] - before[k]);
        profile[static_cast<std::size_t>(position / bin)] += sum;
    };
    // Along the rows for the cache: rows whole across, columns row by row.
    if (axis == Axis::X) {
        for (int line : lines)
            for (int position = 1; position + 1 < length; ++position) add(line, position);
    } else {
        for (int position = 1; position + 1 < length; ++position)
            for (int line : lines) add(line, position);
    }
    return profile;
}

struct Spectrum {
    std::vector<double> profile;  // mean removed
    double magnitude(double frequency, double* turns = nullptr) const {
        double c, s;
        CosSin(-frequency, c, s);
        double zr = 1, zi = 0, re = 0, im = 0;
        for (double v : profile) {
            re += v * zr;
            im += v * zi;
            const double nr = zr * c - zi * s;
            zi = zr * s + zi * c;
            zr = nr;
        }
        if (turns != nullptr) *turns = TurnsOf(re, im);
        return std::sqrt(re * re + im * im);
    }
    double score(double frequency, int harmonics) const {
        double sum = 0;
        for (int k = 1; k <= harmonics; ++k) sum += magnitude(k * frequency);
        return sum / harmonics;
    }
};

// Period (pixels) and the position of one peak of the profile, or nothing
// when the axis shows no period.
bool FindPeriod(ConstBgraView source, Axis axis, int maxCells, double& period, double& peak) {
    const int length = Length(source, axis);
    const int bin = (length + kMaxProfileBins - 1) / kMaxProfileBins;
    Spectrum spectrum{Profile(source, axis, bin)};
    const int bins = static_cast<int>(spectrum.profile.size());
    if (bins < 8) return false;
    double mean = 0;
    for (double v : spectrum.profile) mean += v;
    mean /= bins;
    for (double& v : spectrum.profile) v -= mean;

    // Frequencies in cycles per bin on a grid of 1 / (8 bins).
    const int n = 8 * bins;
    std::vector<double> magnitudes(static_cast<std::size_t>(n / 2 + 1), 0.0);
    for (int j = 1; j <= n / 2; ++j) magnitudes[static_cast<std::size_t>(j)] = spectrum.magnitude(double(j) / n);
    const double minPeriodInBins = bin == 1 ? kMinPeriod : std::max(4.0, double(length) / maxCells / bin);
    const int lowest = std::max(1, 3 * n / bins);
    const int highest = std::min(n / 2, static_cast<int>(n / minPeriodInBins));
    if (highest <= lowest) return false;
    auto gridScore = [&](int j) {
        const int harmonics = std::max(1, std::min(kHarmonics, (n / 2) / j));
        double sum = 0;
        for (int k = 1; k <= harmonics; ++k) sum += magnitudes[static_cast<std::size_t>(k * j)];
        return sum / harmonics;
    };
    std::vector<double> scores(static_cast<std::size_t>(highest + 2), 0.0);
    int best = lowest;
    for (int j = lowest; j <= highest; ++j) {
        scores[static_cast<std::size_t>(j)] = gridScore(j);
        if (scores[static_cast<std::size_t>(j)] > scores[static_cast<std::size_t>(best)]) best = j;
    }
    // Of near-equal peaks the longest period: a multiple of the true
    // frequency repeats its even harmonics.
    for (int j = lowest; j < best; ++j) {
        const double s = scores[static_cast<std::size_t>(j)];
        if (s >= 0.85 * scores[static_cast<std::size_t>(best)] && s >= scores[static_cast<std::size_t>(j - 1)] &&
            s >= scores[static_cast<std::size_t>(j + 1)]) {
            best = j;
            break;
        }
    }
    std::vector<double> all(magnitudes.begin() + lowest, magnitudes.end());
    std::nth_element(all.begin(), all.begin() + all.size() / 2, all.end());
    const double median = all[all.size() / 2];
    if (!(scores[static_cast<std::size_t>(best)] > kMinPeakStrength * median)) return false;

    // Refined between the neighbouring grid frequencies.
    const int harmonics = std::max(1, std::min(kHarmonics, (n / 2) / best));
    double low = (best - 1.0) / n, high = (best + 1.0) / n;
    constexpr double kGolden = 0.6180339887498949;
    double a = high - kGolden * (high - low), b = low + kGolden * (high - low);
    double sa = spectrum.score(a, harmonics), sb = spectrum.score(b, harmonics);
    for (int i = 0; i < 40; ++i) {
        if (sa >= sb) {
            high = b;
            b = a;
            sb = sa;
            a = high - kGolden * (high - low);
            sa = spectrum.score(a, harmonics);
        } else {
            low = a;
            a = b;
            sa = sb;
            b = low + kGolden * (high - low);
            sb = spectrum.score(b, harmonics);
        }
    }
    const double frequency = (low + high) / 2;
    double turns = 0;
    spectrum.magnitude(frequency, &turns);
    period = bin / frequency;
    // Bin m's centre lies at pixel edge position (m + 0.5) * bin.
    peak = (-turns / frequency + 0.5) * bin;
    return true;
}

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

// The least-squares inverse of one axis's enlargement: which cells each
// picture position mixes, and the factored normal equations.
class AxisInverse {
public:
    AxisInverse(const GridAxis& axis, Enlarger enlarger, int length) : cells_(axis.cells) {
        band_ = enlarger == Enlarger::Nearest ? 0 : enlarger == Enlarger::Bilinear ? 1 : 3;
        const int width = band_ + 1;
        normal_.assign(static_cast<std::size_t>(cells_) * width, 0.0);
        const double end = axis.start + axis.cells * axis.period;
        for (int x = 0; x < length; ++x) {
            const double centre = x + 0.5;
            if (centre < axis.start || centre > end) continue;
            Sample sample;
            sample.position = x;
            sample.count = Weights(enlarger, (centre - axis.start) / axis.period - 0.5, cells_, sample.index,
                                   sample.weight);
            for (int i = 0; i < sample.count; ++i)
                for (int j = 0; j < sample.count; ++j)
                    if (sample.index[i] >= sample.index[j])
                        normal_[Slot(sample.index[i], sample.index[j])] += sample.weight[i] * sample.weight[j];
            samples_.push_back(sample);
        }
        // A whisper of ridge keeps a cell that no sample reaches defined.
        for (int i = 0; i < cells_; ++i) normal_[Slot(i, i)] += 1e-9;
        Factor();
    }

    // Cell values from the line `values` (one per picture position);
    // adds the squared misfit to `misfit`.
    std::vector<double> Solve(const std::vector<double>& values, double* misfit = nullptr) const {
        std::vector<double> v(static_cast<std::size_t>(cells_), 0.0);
        for (const Sample& s : samples_)
            for (int i = 0; i < s.count; ++i)
                v[static_cast<std::size_t>(s.index[i])] += s.weight[i] * values[static_cast<std::size_t>(s.position)];
        const int width = band_ + 1;
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
        (void)width;
        if (misfit != nullptr)
            for (const Sample& s : samples_) {
                double model = 0;
                for (int i = 0; i < s.count; ++i) model += s.weight[i] * v[static_cast<std::size_t>(s.index[i])];
                const double d = values[static_cast<std::size_t>(s.position)] - model;
                *misfit += d * d;
            }
        return v;
    }

    int SampleCount() const { return static_cast<int>(samples_.size()); }
    const std::vector<int> Positions() const {
        std::vector<int> positions;
        for (const Sample& s : samples_) positions.push_back(s.position);
        return positions;
    }

private:
    struct Sample {
        int position = 0;
        int count = 0;
        int index[4] = {};
        double weight[4] = {};
    };

    std::size_t Slot(int i, int j) const { return static_cast<std::size_t>(i) * (band_ + 1) + (i - j); }

    // Banded Cholesky, in place.
    void Factor() {
        for (int i = 0; i < cells_; ++i)
            for (int j = std::max(0, i - band_); j <= i; ++j) {
                double sum = normal_[Slot(i, j)];
                for (int k = std::max(0, i - band_); k < j; ++k) sum -= normal_[Slot(i, k)] * normal_[Slot(j, k)];
                normal_[Slot(i, j)] = i == j ? std::sqrt(std::max(sum, 1e-12)) : sum / normal_[Slot(j, j)];
            }
    }

    int cells_ = 0;
    int band_ = 0;
    std::vector<double> normal_;
    std::vector<Sample> samples_;
};

std::vector<double> LineValues(ConstBgraView source, Axis axis, int line, int channel) {
    const int length = Length(source, axis);
    std::vector<double> values(static_cast<std::size_t>(length));
    for (int x = 0; x < length; ++x) values[static_cast<std::size_t>(x)] = PixelAt(source, axis, line, x)[channel];
    return values;
}

// Root-mean-square misfit of the enlarger on sampled lines of one axis.
double Misfit(ConstBgraView source, Axis axis, const GridAxis& grid, Enlarger enlarger, double& squares,
              double& count) {
    const AxisInverse inverse(grid, enlarger, Length(source, axis));
    double sum = 0;
    for (int line : SampleLines(kFitLines, Lines(source, axis)))
        for (int k = 0; k < 3; ++k) inverse.Solve(LineValues(source, axis, line, k), &sum);
    const double n = 3.0 * inverse.SampleCount() * std::min(kFitLines, Lines(source, axis));
    squares = sum;
    count = n;
    return n > 0 ? std::sqrt(sum / n) : 1e300;
}

// The grid of `cells` cells that best explains the profile of one axis:
// its cells' edges on the jumps of a blocky enlargement (`edges`, the
// first differences) or its centres on the bends of a smooth one
// (`bends`, the second differences). The cells are taken to span the
// picture to within a couple of pixels at each end (a crop's error).
std::vector<GridAxis> CombSearch(const std::vector<double>& profile, int cells, bool edges) {
    const int length = static_cast<int>(profile.size());
    auto at = [&](double position) {  // profile entry x sits at pixel edge x (first) or centre x + 0.5
        const double index = edges ? position : position - 0.5;
        const int i = static_cast<int>(std::floor(index));
        if (i < 0 || i + 1 >= length) return 0.0;
        const double t = index - i;
        return edges ? (t < 0.5 ? profile[static_cast<std::size_t>(i)] : profile[static_cast<std::size_t>(i + 1)])
                     : (1 - t) * profile[static_cast<std::size_t>(i)] + t * profile[static_cast<std::size_t>(i + 1)];
    };
    std::vector<std::pair<double, GridAxis>> scored;
    constexpr double kSlack = 2.5;  // pixels at each end
    const double step = 0.125;
    for (double start = -kSlack; start <= kSlack; start += step)
        for (double end = length - kSlack; end <= length + kSlack; end += step) {
            const double period = (end - start) / cells;
            if (period < kMinPeriod) continue;
            double score = 0;
            for (int i = edges ? 1 : 0; i < (edges ? cells : cells); ++i)
                score += at(start + (i + (edges ? 0.0 : 0.5)) * period);
            // Ties (a crest with few jumps) go to the grid nearest the whole picture.
            score -= 1e-6 * (std::abs(start) + std::abs(end - length));
            scored.push_back({score, GridAxis{period, start, cells}});
        }
    // The few best go on to the fit, which tells them apart.
    const std::size_t keep = std::min<std::size_t>(kCombCandidates, scored.size());
    std::partial_sort(scored.begin(), scored.begin() + keep, scored.end(),
                      [](const auto& a, const auto& b) { return a.first > b.first; });
    std::vector<GridAxis> best;
    for (std::size_t i = 0; i < keep; ++i) best.push_back(scored[i].second);
    return best;
}

}  // namespace

std::optional<PixelGrid> FindPixelGrid(ConstBgraView source, int crestWidth, int crestHeight) {
    if (source.top == nullptr || source.width < 4 || source.height < 4 || crestWidth < 1 || crestHeight < 1)
        return std::nullopt;
    // Candidate cell counts: the crest's own and twice it, and what the
    // profile's spectrum shows.
    struct Candidate {
        GridAxis axis;
        bool edges;
    };
    auto candidates = [&](Axis axis, int crestCells) {
        const int length = Length(source, axis);
        std::vector<int> counts;
        for (int k = 1; k <= 2; ++k)
            if (length >= kMinPeriod * k * crestCells) counts.push_back(k * crestCells);
        double period, peak;
        if (FindPeriod(source, axis, kMaxCellsPerCrestPixel * crestCells, period, peak)) {
            const int count = static_cast<int>(std::floor(length / period + 0.5));
            if (std::find(counts.begin(), counts.end(), count) == counts.end()) counts.push_back(count);
        }
        std::vector<Candidate> found;
        if (length > 4096) return found;
        const std::vector<double> jumps = Profile(source, axis, 1, false);
        const std::vector<double> bends = Profile(source, axis, 1, true);
        for (int count : counts) {
            for (const GridAxis& grid : CombSearch(jumps, count, true)) found.push_back({grid, true});
            for (const GridAxis& grid : CombSearch(bends, count, false)) found.push_back({grid, false});
        }
        return found;
    };
    const std::vector<Candidate> across = candidates(Axis::X, crestWidth);
    const std::vector<Candidate> down = candidates(Axis::Y, crestHeight);
    std::optional<PixelGrid> best;
    double bestError = kMaxFitError;
    for (Enlarger enlarger : {Enlarger::Nearest, Enlarger::Bilinear, Enlarger::Bicubic, Enlarger::SharpBicubic,
                              Enlarger::Mitchell}) {
        const bool blocky = enlarger == Enlarger::Nearest;
        auto bestOf = [&](Axis axis, const std::vector<Candidate>& list, double& squares, double& count) {
            GridAxis chosen;
            double error = 1e300;
            for (const Candidate& c : list) {
                if (c.edges != blocky) continue;
                double sq = 0, n = 0;
                // A finer grid always fits as well; it must fit clearly better.
                const double e = Misfit(source, axis, c.axis, enlarger, sq, n) *
                                 (c.axis.cells > (axis == Axis::X ? crestWidth : crestHeight) ? 1.25 : 1.0);
                if (e < error) {
                    error = e;
                    chosen = c.axis;
                    squares = sq;
                    count = n;
                }
            }
            return chosen;
        };
        double sx = 0, nx = 0, sy = 0, ny = 0;
        PixelGrid grid;
        grid.enlarger = enlarger;
        grid.x = bestOf(Axis::X, across, sx, nx);
        grid.y = bestOf(Axis::Y, down, sy, ny);
        if (grid.x.cells < 1 || grid.y.cells < 1) continue;
        const double error = nx + ny > 0 ? std::sqrt((sx + sy) / (nx + ny)) : 1e300;
        if (error < bestError) {
            bestError = error;
            best = grid;
        }
    }
    return best;
}

BgraImage RecoverCells(ConstBgraView source, const PixelGrid& grid) {
    const AxisInverse across(grid.x, grid.enlarger, source.width);
    const AxisInverse down(grid.y, grid.enlarger, source.height);
    const std::vector<int> rows = down.Positions();
    // Each row's cells across, then each cell column's cells down: the
    // separable least-squares solution.
    std::vector<std::vector<double>> rowCells(3 * rows.size());
    for (std::size_t r = 0; r < rows.size(); ++r)
        for (int k = 0; k < 3; ++k) rowCells[3 * r + k] = across.Solve(LineValues(source, Axis::X, rows[r], k));
    BgraImage cells(grid.x.cells, grid.y.cells);
    std::vector<double> column(static_cast<std::size_t>(source.height), 0.0);
    for (int cx = 0; cx < grid.x.cells; ++cx)
        for (int k = 0; k < 3; ++k) {
            for (std::size_t r = 0; r < rows.size(); ++r)
                column[static_cast<std::size_t>(rows[r])] = rowCells[3 * r + k][static_cast<std::size_t>(cx)];
            const std::vector<double> values = down.Solve(column);
            for (int cy = 0; cy < grid.y.cells; ++cy)
                cells.Row(cy)[4 * cx + k] =
                    static_cast<std::uint8_t>(std::clamp(std::floor(values[static_cast<std::size_t>(cy)] + 0.5), 0.0, 255.0));
        }
    for (int cy = 0; cy < grid.y.cells; ++cy)
        for (int cx = 0; cx < grid.x.cells; ++cx) cells.Row(cy)[4 * cx + 3] = 255;
    return cells;
}

}  // namespace vx
