#include "imaging/pixel_grid.h"

#include <algorithm>
#include <cmath>
#include <vector>

namespace vx {

namespace {

constexpr double kPi = 3.14159265358979323846;
constexpr double kMinPeriod = 1.8;
constexpr int kProfileLines = 64;
// Beyond this length only grids of the crest's size (or twice it) are
// looked for: the spectrum would cost more than the squeeze itself.
constexpr int kMaxSpectrumLength = 1024;
constexpr int kMaxProfileBins = 512;
constexpr int kFitLines = 32;
constexpr int kSearchLines = 8;
constexpr int kHarmonics = 6;
constexpr int kMaxCellsPerCrestPixel = 8;
// How far the period's harmonics must stand above the spectrum's median.
constexpr double kMinPeakStrength = 3.0;
// How much better than half a cell off the grid must fit.
constexpr double kMattersShare = 0.85;
constexpr double kClearlyBetter = 0.9;
// JPEG blurs a blocky enlargement's edges, which a smooth enlarger then
// fits a little better; it must fit much better to be taken instead.
constexpr double kClearlySmooth = 0.7;
// The largest root-mean-square misfit, in levels, still taken for an
// enlargement (JPEG at quality 75, its colour halved, leaves up to about
// this much on saturated colours).
constexpr double kMaxFitError = 14.0;
// A picture that is not pixel art leaves a few values far off the fit (a
// thin line no cell can hold) where JPEG's ringing stays below this.
constexpr double kOutlier = 48;
constexpr double kMaxOutlierShare = 0.01;

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

// `wanted` lines spread evenly over `total`, in runs of adjacent ones so
// that lines across the rows (columns) share the cache.
std::vector<int> SampleLines(int wanted, int total) {
    const int count = std::min(wanted, total);
    constexpr int kRun = 4;  // 16 bytes of pixels, within one cache line mostly
    const int runs = std::max(1, count / kRun);
    const int run = count / runs;
    std::vector<int> lines;
    for (int r = 0; r < runs; ++r) {
        const std::int64_t centre =
            (2 * static_cast<std::int64_t>(r) + 1) * total / (2 * static_cast<std::int64_t>(runs));
        const int first = static_cast<int>(std::clamp<std::int64_t>(centre - run / 2, 0, total - run));
        for (int i = 0; i < run; ++i)
            if (lines.empty() || first + i > lines.back()) lines.push_back(first + i);
    }
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
    // A second difference needs a pixel on each side; a first one (at the
    // edge before `position`) only the one before.
    const int last = second ? length - 2 : length - 1;
    auto add = [&](int line, int position) {
        const std::uint8_t* before = PixelAt(source, axis, line, position - 1);
        const std::uint8_t* here = PixelAt(source, axis, line, position);
        double sum = 0;
        if (second) {
            const std::uint8_t* after = PixelAt(source, axis, line, position + 1);
            for (int k = 0; k < 3; ++k) sum += std::abs(before[k] - 2 * here[k] + after[k]);
        } else {
            for (int k = 0; k < 3; ++k) sum += std::abs(here[k] - before[k]);
        }
        profile[static_cast<std::size_t>(position / bin)] += sum;
    };
    // Along the rows for the cache: rows whole across, columns row by row.
    if (axis == Axis::X) {
        for (int line : lines)
            for (int position = 1; position <= last; ++position) add(line, position);
    } else {
        for (int position = 1; position <= last; ++position)
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

    // Frequencies in cycles per bin on a grid of 1 / (4 bins).
    const int n = 4 * bins;
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

// Squared misfit of an enlarger, how many values it was taken over, and how
// many of them it misses by more than kOutlier.
struct Fit {
    double squares = 0;
    double count = 0;
    double outliers = 0;
    double Error() const { return count > 0 ? std::sqrt(squares / count) : 1e300; }
    double OutlierShare() const { return count > 0 ? outliers / count : 1; }
    Fit& operator+=(const Fit& other) {
        squares += other.squares;
        count += other.count;
        outliers += other.outliers;
        return *this;
    }
};

// The least-squares inverse of one axis's enlargement: which cells each
// picture position mixes, and the factored normal equations.
class AxisInverse {
public:
    // Every `stride`-th picture position is used (all of them with 1).
    AxisInverse(const GridAxis& axis, Enlarger enlarger, int length, int stride = 1) : cells_(axis.cells) {
        band_ = enlarger == Enlarger::Nearest ? 0 : enlarger == Enlarger::Bilinear ? 1 : 3;
        const int width = band_ + 1;
        normal_.assign(static_cast<std::size_t>(cells_) * width, 0.0);
        const double end = axis.start + axis.cells * axis.period;
        for (int x = 0; x < length; x += stride) {
            const double centre = x + 0.5;
            if (centre < axis.start || centre >= end) continue;
            Sample sample;
            sample.position = x;
            sample.count =
                Weights(enlarger, (centre - axis.start) / axis.period - 0.5, cells_, sample.index, sample.weight);
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
    // adds the misfit to `misfit`.
    std::vector<double> Solve(const std::vector<double>& values, Fit* misfit = nullptr) const {
        std::vector<double> v(static_cast<std::size_t>(cells_), 0.0);
        for (const Sample& s : samples_)
            for (int i = 0; i < s.count; ++i)
                v[static_cast<std::size_t>(s.index[i])] += s.weight[i] * values[static_cast<std::size_t>(s.position)];
        const int width = band_ + 1;
        for (int i = 0; i < cells_; ++i) {  // L y = b
            double sum = v[static_cast<std::size_t>(i)];
            for (int k = std::max(0, i - band_); k < i; ++k)
                sum -= normal_[Slot(i, k)] * v[static_cast<std::size_t>(k)];
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
                misfit->squares += d * d;
                misfit->outliers += std::abs(d) > kOutlier;
            }
        return v;
    }

    int SampleCount() const { return static_cast<int>(samples_.size()); }
    // Each position with its one cell, for a nearest-neighbour grid; with
    // `core`, only positions at least a pixel inside a cell of more than
    // three, away from the JPEG ringing and colour bleeding at its edges.
    std::vector<std::pair<int, int>> NearestCells(const GridAxis& axis, bool core) const {
        std::vector<std::pair<int, int>> cells;
        for (const Sample& s : samples_) {
            const double inCell = s.position + 0.5 - axis.start - s.index[0] * axis.period;
            if (core && axis.period > 3 && (inCell < 1 || inCell > axis.period - 1)) continue;
            cells.push_back({s.position, s.index[0]});
        }
        return cells;
    }
    std::vector<int> Positions() const {
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

// Positions a few per cell pin a cell down as well as all of them.
int StrideOf(const GridAxis& axis) { return std::max(1, static_cast<int>(axis.period / 8)); }

// Sampled lines of one axis, read once: values[line * 3 + channel].
struct AxisLines {
    Axis axis = Axis::X;
    int length = 0;
    std::vector<std::vector<double>> values;
};

// Read along the rows for the cache, columns too.
AxisLines ReadLines(ConstBgraView source, Axis axis, int wanted) {
    const int length = Length(source, axis);
    const std::vector<int> sampled = SampleLines(wanted, Lines(source, axis));
    AxisLines lines{axis, length, std::vector<std::vector<double>>(3 * sampled.size(), std::vector<double>(length))};
    for (std::size_t i = 0; i < sampled.size(); ++i)
        for (int position = 0; position < length; ++position) {
            if (axis == Axis::Y) break;
            const std::uint8_t* pixel = PixelAt(source, axis, sampled[i], position);
            for (int k = 0; k < 3; ++k) lines.values[3 * i + k][static_cast<std::size_t>(position)] = pixel[k];
        }
    if (axis == Axis::Y)
        for (int position = 0; position < length; ++position)
            for (std::size_t i = 0; i < sampled.size(); ++i) {
                const std::uint8_t* pixel = PixelAt(source, axis, sampled[i], position);
                for (int k = 0; k < 3; ++k) lines.values[3 * i + k][static_cast<std::size_t>(position)] = pixel[k];
            }
    return lines;
}

// What the grid search reads of one axis, once for all cell counts.
struct AxisSamples {
    AxisLines fit;              // kFitLines lines
    AxisLines search;           // kSearchLines of them
    std::vector<double> jumps;  // profile of first differences
};

AxisSamples ReadSamples(ConstBgraView source, Axis axis) {
    AxisSamples samples{ReadLines(source, axis, kFitLines), {}, Profile(source, axis, 1, false)};
    samples.search = {axis, samples.fit.length, {}};
    const std::size_t lines = samples.fit.values.size() / 3;
    const std::size_t every = std::max<std::size_t>(1, lines / kSearchLines);
    for (std::size_t i = every / 2; i < lines; i += every)
        for (int k = 0; k < 3; ++k) samples.search.values.push_back(samples.fit.values[3 * i + k]);
    return samples;
}

Fit Misfit(const AxisLines& lines, const GridAxis& grid, Enlarger enlarger) {
    const AxisInverse inverse(grid, enlarger, lines.length, StrideOf(grid));
    Fit fit;
    for (const std::vector<double>& values : lines.values) inverse.Solve(values, &fit);
    fit.count = static_cast<double>(inverse.SampleCount()) * static_cast<double>(lines.values.size());
    return fit;
}

// The cells are taken to span the picture to within this many pixels at
// each end: a crop's error, a margin, the enlargement's offset. Beyond
// this period such an error is lost in the cell and the span is the axis.
constexpr double kSlack = 2.5;
constexpr double kSearchedPeriod = 24;

GridAxis Spanning(double start, double end, int cells) { return {(end - start) / cells, start, cells}; }

// A nearest-neighbour enlargement jumps exactly where a cell begins: the
// grid (to 1/32 pixel) that puts a cell edge on every strong jump of the
// profile of first differences, of those the nearest to the whole axis.
// No grid (0 cells) when there are more jumps than cell edges.
GridAxis JumpSearch(const std::vector<double>& jumps, int cells) {
    const int length = static_cast<int>(jumps.size());
    if (length / static_cast<double>(cells) > kSearchedPeriod) return Spanning(0, length, cells);
    const double strongest = *std::max_element(jumps.begin(), jumps.end());
    std::vector<std::pair<int, double>> strong;  // edge position (pixel x starts there), strength
    for (int x = 1; x < length; ++x)
        if (jumps[x] > 0 && jumps[x] >= 0.2 * strongest && jumps[x] >= jumps[x - 1] &&
            (x + 1 == length || jumps[x] >= jumps[x + 1]))
            strong.push_back({x, jumps[x]});
    if (strong.size() > 2 * (static_cast<std::size_t>(cells) + 1)) return {};
    GridAxis best;
    double bestMissed = 1e300, bestDistance = 1e300;
    constexpr double kStep = 1.0 / 32;
    for (double start = -kSlack; start <= kSlack; start += kStep)
        for (double end = length - kSlack; end <= length + kSlack; end += kStep) {
            const GridAxis grid = Spanning(start, end, cells);
            if (grid.period < kMinPeriod) continue;
            double missed = 0;
            for (const auto& [x, strength] : strong) {
                // Pixel x opens cell i when its centre is the first past the
                // edge; the grid's two ends count too (a margin begins there).
                const double i = std::floor((x + 0.5 - start) / grid.period);
                if (std::ceil(start + i * grid.period - 0.5) != x || i < 0 || i > cells) missed += strength;
            }
            const double distance = std::abs(start) + std::abs(end - length);
            if (missed < bestMissed || (missed == bestMissed && distance < bestDistance)) {
                bestMissed = missed;
                bestDistance = distance;
                best = grid;
            }
        }
    return best;
}

// An interpolated enlargement: the grid that the enlarger fits best, coarse
// to fine (half, an eighth, a thirty-second of a pixel).
GridAxis FitSearch(const AxisLines& lines, int cells, Enlarger enlarger) {
    const double length = lines.length;
    if (length / cells > kSearchedPeriod) return Spanning(0, length, cells);
    double bestStart = 0, bestEnd = length, bestError = 1e300;
    double reach = kSlack;
    for (double step : {0.5, 0.125, 1.0 / 32}) {
        const double fromStart = bestStart - reach, fromEnd = bestEnd - reach;
        const int steps = static_cast<int>(std::floor(2 * reach / step + 0.5));
        for (int i = 0; i <= steps; ++i)
            for (int j = 0; j <= steps; ++j) {
                const GridAxis grid = Spanning(fromStart + i * step, fromEnd + j * step, cells);
                if (grid.period < kMinPeriod) continue;
                const double error = Misfit(lines, grid, enlarger).Error();
                if (error < bestError) {
                    bestError = error;
                    bestStart = grid.start;
                    bestEnd = grid.start + grid.period * cells;
                }
            }
        reach = step;
    }
    return Spanning(bestStart, bestEnd, cells);
}

GridAxis HalfCellOn(const GridAxis& axis) { return {axis.period, axis.start + axis.period / 2, axis.cells}; }

// Among the enlargers, the one that explains both axes of a grid of
// `cellsX` x `cellsY` best, within JPEG noise; else nothing. The grid must
// matter, too: the same enlarger half a cell off must fit clearly worse,
// or the picture is merely smooth (a ramp, a plain ground with a thin
// line) and any grid would do.
std::optional<PixelGrid> BestGrid(const AxisSamples& across, const AxisSamples& down, int cellsX, int cellsY) {
    if (across.fit.length < kMinPeriod * cellsX || down.fit.length < kMinPeriod * cellsY) return std::nullopt;
    const AxisLines& fitAcross = across.fit;
    const AxisLines& fitDown = down.fit;
    std::optional<PixelGrid> best;
    double bestError = kMaxFitError;
    auto consider = [&](const PixelGrid& grid) {
        if (grid.x.cells < 1 || grid.y.cells < 1) return;
        Fit fit = Misfit(fitAcross, grid.x, grid.enlarger);
        fit += Misfit(fitDown, grid.y, grid.enlarger);
        if (fit.Error() < bestError) {
            bestError = fit.Error();
            best = grid;
        }
    };
    consider({JumpSearch(across.jumps, cellsX), JumpSearch(down.jumps, cellsY), Enlarger::Nearest});
    // The interpolating enlargers share one grid; each is tried on it.
    const PixelGrid smooth{FitSearch(across.search, cellsX, Enlarger::Bicubic),
                           FitSearch(down.search, cellsY, Enlarger::Bicubic), Enlarger::Bicubic};
    for (Enlarger enlarger : {Enlarger::Bilinear, Enlarger::Bicubic, Enlarger::SharpBicubic, Enlarger::Mitchell}) {
        PixelGrid grid = smooth;
        grid.enlarger = enlarger;
        consider(grid);
    }
    if (!best) return std::nullopt;
    Fit fit = Misfit(fitAcross, best->x, best->enlarger);
    fit += Misfit(fitDown, best->y, best->enlarger);
    if (fit.OutlierShare() > kMaxOutlierShare) return std::nullopt;
    Fit off = Misfit(fitAcross, HalfCellOn(best->x), best->enlarger);
    off += Misfit(fitDown, HalfCellOn(best->y), best->enlarger);
    if (!(bestError <= kMattersShare * off.Error())) return std::nullopt;
    return best;
}

}  // namespace

std::optional<PixelGrid> FindPixelGrid(ConstBgraView source, int crestWidth, int crestHeight) {
    if (source.top == nullptr || source.width < 4 || source.height < 4 || crestWidth < 1 || crestHeight < 1)
        return std::nullopt;
    const AxisSamples across = ReadSamples(source, Axis::X);
    const AxisSamples down = ReadSamples(source, Axis::Y);
    // The crest's own size first, then twice it: a finer grid always fits
    // at least as well, so it is taken only when the coarser one fails.
    for (int times = 1; times <= 2; ++times)
        if (auto grid = BestGrid(across, down, times * crestWidth, times * crestHeight)) return grid;
    // Then whatever period the picture shows.
    if (source.width > kMaxSpectrumLength || source.height > kMaxSpectrumLength) return std::nullopt;
    double periodX, peakX, periodY, peakY;
    if (!FindPeriod(source, Axis::X, kMaxCellsPerCrestPixel * crestWidth, periodX, peakX) ||
        !FindPeriod(source, Axis::Y, kMaxCellsPerCrestPixel * crestHeight, periodY, peakY))
        return std::nullopt;
    return BestGrid(across, down, static_cast<int>(std::floor(source.width / periodX + 0.5)),
                    static_cast<int>(std::floor(source.height / periodY + 0.5)));
}

namespace {

// The cell whose area holds picture position `x`.
int CellAt(const GridAxis& axis, int x) {
    return std::clamp(static_cast<int>(std::floor((x + 0.5 - axis.start) / axis.period)), 0, axis.cells - 1);
}

// A nearest-neighbour cell is its pixels' median, channel by channel:
// JPEG's ringing along the cell's edges moves it least.
BgraImage MedianCells(ConstBgraView source, const PixelGrid& grid) {
    const AxisInverse across(grid.x, grid.enlarger, source.width, StrideOf(grid.x));
    const AxisInverse down(grid.y, grid.enlarger, source.height, StrideOf(grid.y));
    const std::size_t cellCount = static_cast<std::size_t>(grid.x.cells) * static_cast<std::size_t>(grid.y.cells);
    std::vector<std::vector<std::uint8_t>> values(3 * cellCount);
    for (const auto& [y, cy] : down.NearestCells(grid.y, true))
        for (const auto& [x, cx] : across.NearestCells(grid.x, true)) {
            const std::uint8_t* pixel = source.Row(y) + 4 * static_cast<std::ptrdiff_t>(x);
            const std::size_t cell = static_cast<std::size_t>(cy) * grid.x.cells + cx;
            for (int k = 0; k < 3; ++k) values[3 * cell + k].push_back(pixel[k]);
        }
    BgraImage cells(grid.x.cells, grid.y.cells);
    for (int cy = 0; cy < grid.y.cells; ++cy)
        for (int cx = 0; cx < grid.x.cells; ++cx) {
            std::uint8_t* out = cells.Row(cy) + 4 * cx;
            for (int k = 0; k < 3; ++k) {
                std::vector<std::uint8_t>& v = values[3 * (static_cast<std::size_t>(cy) * grid.x.cells + cx) + k];
                if (v.empty()) continue;
                std::nth_element(v.begin(), v.begin() + v.size() / 2, v.end());
                out[k] = v[v.size() / 2];
            }
            out[3] = 255;
        }
    return cells;
}

}  // namespace

BgraImage RecoverCells(ConstBgraView source, const PixelGrid& grid) {
    if (grid.enlarger == Enlarger::Nearest) return MedianCells(source, grid);
    const AxisInverse across(grid.x, grid.enlarger, source.width, StrideOf(grid.x));
    const AxisInverse down(grid.y, grid.enlarger, source.height, StrideOf(grid.y));
    const std::vector<int> rows = down.Positions();
    // Each row's cells across, then each cell column's cells down: the
    // separable least-squares solution.
    std::vector<std::vector<double>> rowCells(3 * rows.size());
    for (std::size_t r = 0; r < rows.size(); ++r)
        for (int k = 0; k < 3; ++k) rowCells[3 * r + k] = across.Solve(LineValues(source, Axis::X, rows[r], k));
    // An inverse magnifies noise; no cell may leave the range of the pixels
    // on its own area by more than the enlarger can have moved the pixel
    // nearest its centre (at most half a pixel off it, so by at most half a
    // pixel's share of the whole range).
    const std::size_t cellCount = static_cast<std::size_t>(grid.x.cells) * static_cast<std::size_t>(grid.y.cells);
    // Nor the range of the whole picture, so nothing is brighter or darker
    // than the source.
    std::vector<std::uint8_t> low(3 * cellCount, 255), high(3 * cellCount, 0);
    std::uint8_t lowest[3] = {255, 255, 255}, highest[3] = {0, 0, 0};
    for (int y : rows)
        for (int x : across.Positions()) {
            const std::size_t cell = static_cast<std::size_t>(CellAt(grid.y, y)) * grid.x.cells + CellAt(grid.x, x);
            const std::uint8_t* pixel = source.Row(y) + 4 * static_cast<std::ptrdiff_t>(x);
            for (int k = 0; k < 3; ++k) {
                low[3 * cell + k] = std::min(low[3 * cell + k], pixel[k]);
                high[3 * cell + k] = std::max(high[3 * cell + k], pixel[k]);
                lowest[k] = std::min(lowest[k], pixel[k]);
                highest[k] = std::max(highest[k], pixel[k]);
            }
        }
    const double reach = 255 * (0.5 / grid.x.period + 0.5 / grid.y.period);
    BgraImage cells(grid.x.cells, grid.y.cells);
    std::vector<double> column(static_cast<std::size_t>(source.height), 0.0);
    for (int cx = 0; cx < grid.x.cells; ++cx)
        for (int k = 0; k < 3; ++k) {
            for (std::size_t r = 0; r < rows.size(); ++r)
                column[static_cast<std::size_t>(rows[r])] = rowCells[3 * r + k][static_cast<std::size_t>(cx)];
            const std::vector<double> values = down.Solve(column);
            for (int cy = 0; cy < grid.y.cells; ++cy) {
                const std::size_t at = 3 * (static_cast<std::size_t>(cy) * grid.x.cells + cx) + k;
                double value = std::floor(values[static_cast<std::size_t>(cy)] + 0.5);
                if (low[at] <= high[at]) value = std::clamp(value, low[at] - reach, high[at] + reach);
                cells.Row(cy)[4 * cx + k] = static_cast<std::uint8_t>(
                    std::clamp(value, double(lowest[k]), double(std::max(lowest[k], highest[k]))));
            }
        }
    for (int cy = 0; cy < grid.y.cells; ++cy)
        for (int cx = 0; cx < grid.x.cells; ++cx) cells.Row(cy)[4 * cx + 3] = 255;
    return cells;
}

}  // namespace vx
