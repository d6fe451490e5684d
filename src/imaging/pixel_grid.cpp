#include "imaging/pixel_grid.h"

#include <algorithm>
#include <cmath>
#include <vector>

#include "imaging/grid_inverse.h"

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
constexpr double kClearlySmooth = 0.5;
// The largest root-mean-square misfit, in levels, still taken for an
// enlargement (JPEG at quality 75, its colour halved, leaves up to about
// this much on saturated colours).
constexpr double kMaxFitError = 14.0;
// A picture that is not pixel art leaves more values than this far off
// the fit (beyond kOutlier).
constexpr double kMaxOutlierShare = 0.01;

// The cells are taken to span the picture to within this many pixels at
// each end: a crop's error, a margin, the enlargement's offset. Beyond
// this period such an error is lost in the cell and the span is the axis.
constexpr double kSlack = 2.5;
constexpr double kSearchedPeriod = 24;

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
    // Pixels `step` bytes apart along the axis, from `first`.
    auto along = [&](const std::uint8_t* first, std::ptrdiff_t step, int position) {
        const std::uint8_t* here = first + step * position;
        const std::uint8_t* before = here - step;
        int sum = 0;
        if (second) {
            const std::uint8_t* after = here + step;
            for (int k = 0; k < 3; ++k) sum += std::abs(before[k] - 2 * here[k] + after[k]);
        } else {
            for (int k = 0; k < 3; ++k) sum += std::abs(here[k] - before[k]);
        }
        profile[static_cast<std::size_t>(position / bin)] += sum;
    };
    // Along the rows for the cache: rows whole across, columns row by row.
    if (axis == Axis::X) {
        for (int line : lines)
            for (int position = 1; position <= last; ++position) along(source.Row(line), 4, position);
    } else {
        for (int position = 1; position <= last; ++position)
            for (int line : lines) along(source.top + 4 * static_cast<std::ptrdiff_t>(line), source.stride, position);
    }
    return profile;
}

struct Spectrum {
    std::vector<double> profile;  // mean removed
    double magnitude(double frequency) const {
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
        return std::sqrt(re * re + im * im);
    }
    double score(double frequency, int harmonics) const {
        double sum = 0;
        for (int k = 1; k <= harmonics; ++k) sum += magnitude(k * frequency);
        return sum / harmonics;
    }
};

// The period (pixels) the axis's profile shows, or nothing when it shows
// none.
bool FindPeriod(ConstBgraView source, Axis axis, int maxCells, double& period) {
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
    period = bin / ((low + high) / 2);
    return true;
}

// Luma: JPEG keeps it at full resolution and with finer steps than the
// colour, so the grid is judged by it.
double LumaOf(const std::uint8_t* bgr) { return 0.299 * bgr[2] + 0.587 * bgr[1] + 0.114 * bgr[0]; }

// Sampled lines of one axis, read once, as luma.
struct AxisLines {
    Axis axis = Axis::X;
    int length = 0;
    std::vector<std::vector<double>> values;
};

// Read along the rows for the cache, columns too.
AxisLines ReadLines(ConstBgraView source, Axis axis, int wanted) {
    const int length = Length(source, axis);
    const std::vector<int> sampled = SampleLines(wanted, Lines(source, axis));
    AxisLines lines{axis, length, std::vector<std::vector<double>>(sampled.size(), std::vector<double>(length))};
    auto read = [&](std::size_t i, int position) {
        lines.values[i][static_cast<std::size_t>(position)] = LumaOf(PixelAt(source, axis, sampled[i], position));
    };
    if (axis == Axis::X) {
        for (std::size_t i = 0; i < sampled.size(); ++i)
            for (int position = 0; position < length; ++position) read(i, position);
    } else {
        for (int position = 0; position < length; ++position)
            for (std::size_t i = 0; i < sampled.size(); ++i) read(i, position);
    }
    return lines;
}

// What the grid search reads of one axis, once for all cell counts.
struct AxisSamples {
    AxisLines fit;              // kFitLines lines
    AxisLines search;           // kSearchLines of them
    std::vector<double> jumps;  // profile of first differences
};

// The jumps are read only where a blocky grid may be searched for:
// periods up to kSearchedPeriod for twice the crest's cells, or any grid
// the spectrum may propose.
AxisSamples ReadSamples(ConstBgraView source, Axis axis, int crestCells) {
    const int length = Length(source, axis);
    const bool searched = length <= kSearchedPeriod * 2 * crestCells || length <= kMaxSpectrumLength;
    AxisSamples samples{
        ReadLines(source, axis, kFitLines), {}, searched ? Profile(source, axis, 1, false) : std::vector<double>{}};
    samples.search = {axis, samples.fit.length, {}};
    const std::size_t lines = samples.fit.values.size();
    const std::size_t every = std::max<std::size_t>(1, lines / kSearchLines);
    for (std::size_t i = every / 2; i < lines; i += every) samples.search.values.push_back(samples.fit.values[i]);
    return samples;
}

Fit Misfit(const AxisLines& lines, const GridAxis& grid, Enlarger enlarger) {
    const AxisInverse inverse(grid, enlarger, lines.length, StrideOf(grid));
    Fit fit;
    for (const std::vector<double>& values : lines.values) inverse.Solve(values, &fit);
    fit.count = static_cast<double>(inverse.SampleCount()) * static_cast<double>(lines.values.size());
    return fit;
}

GridAxis Spanning(double start, double end, int cells) { return {(end - start) / cells, start, cells}; }

// A nearest-neighbour enlargement jumps exactly where a cell begins. Each
// axis's grids, starts and periods on a lattice (1/32 and 1/512 pixel),
// scored by the strength of the jumps they miss.
class JumpTable {
public:
    static constexpr double kStartStep = 1.0 / 32;
    static constexpr double kPeriodStep = 1.0 / 512;

    // No table (Searched() false) when the cells are too large to search
    // or there are more jumps than cell edges.
    JumpTable(const std::vector<double>& jumps, int length, int cells) : length_(length), cells_(cells) {
        if (length / static_cast<double>(cells) > kSearchedPeriod || jumps.empty()) return;
        strongest_ = *std::max_element(jumps.begin(), jumps.end());
        for (int x = 1; x < length; ++x)
            if (jumps[x] > 0 && jumps[x] >= 0.2 * strongest_ && jumps[x] >= jumps[x - 1] &&
                (x + 1 == length || jumps[x] >= jumps[x + 1]))
                strong_.push_back({x, jumps[x]});
        if (strong_.size() > 2 * (static_cast<std::size_t>(cells) + 1)) {
            tooMany_ = true;
            return;
        }
        isJump_.assign(static_cast<std::size_t>(length) + 1, 0);
        for (const auto& jump : strong_) isJump_[static_cast<std::size_t>(jump.first)] = 1;
        starts_ = static_cast<int>(std::floor(2 * kSlack / kStartStep + 0.5)) + 1;
        firstPeriod_ = static_cast<int>(std::ceil(std::max(kMinPeriod, (length - 2 * kSlack) / cells) / kPeriodStep));
        periods_ = static_cast<int>(std::floor((length + 2 * kSlack) / cells / kPeriodStep)) - firstPeriod_ + 1;
        if (periods_ < 1) return;
        missed_.assign(static_cast<std::size_t>(starts_) * periods_, kInvalid);
        for (int i = 0; i < starts_; ++i)
            for (int k = 0; k < periods_; ++k) {
                const double missed = Missed(Grid(i, firstPeriod_ + k));
                missed_[Slot(i, k)] = missed;
                best_ = std::min(best_, missed);
            }
    }

    // The strength of the jumps `grid` misses, or kInvalid for a grid that
    // cannot be the crest's.
    double Missed(const GridAxis& grid) const {
        const double end = grid.start + cells_ * grid.period;
        if (end < length_ - kSlack || end > length_ + kSlack || grid.start < -kSlack || grid.start > kSlack)
            return kInvalid;
        // A crop that cut away more than half an edge cell cut the crest,
        // not its margin.
        if (grid.start < -grid.period / 2 || end > length_ + grid.period / 2) return kInvalid;
        double missed = 0;
        for (const auto& [x, strength] : strong_) {
            // Pixel x opens cell c when its centre is the first past the
            // edge; the grid's two ends count too (a margin begins there).
            const double c = std::floor((x + 0.5 - grid.start) / grid.period);
            if (std::ceil(grid.start + c * grid.period - 0.5) != x || c < 0 || c > cells_) missed += strength;
        }
        // Pixels beyond an end of the grid are a margin, which would hardly
        // be of the edge cell's very colour: a grid ending inside the
        // picture without a jump there is a cut cell taken for a margin.
        const int first = static_cast<int>(std::ceil(grid.start - 0.5));
        const int last = static_cast<int>(std::ceil(end - 0.5));
        if (first > 0 && (first >= length_ || !isJump_[static_cast<std::size_t>(first)])) missed += strongest_ / 2;
        if (last < length_ && (last <= 0 || !isJump_[static_cast<std::size_t>(last)])) missed += strongest_ / 2;
        return missed;
    }

    // The whole axis, when it misses hardly more than the best grid (JPEG
    // and halved colour add jumps beside the edges): a picture cropped
    // exactly to the crest, the likeliest of all.
    bool WholeFits() const { return Searched() && Missed(Whole()) <= best_ + strongest_ / 2; }

    bool Searched() const { return !missed_.empty() && best_ < kInvalid; }
    bool TooMany() const { return tooMany_; }
    double Best() const { return best_; }
    // The least missed with a period of `period` lattice steps.
    double BestAt(int period) const {
        double best = kInvalid;
        const int k = period - firstPeriod_;
        if (k < 0 || k >= periods_) return best;
        for (int i = 0; i < starts_; ++i) best = std::min(best, missed_[Slot(i, k)]);
        return best;
    }
    int FirstPeriod() const { return firstPeriod_; }
    int LastPeriod() const { return firstPeriod_ + periods_ - 1; }

    // Of the grids (of `period` steps, or any) that miss no more than the
    // least, the one nearest their middle: where jumps leave the grid free
    // (a design with few edges), the middle is the safest guess.
    GridAxis Middle(int period = 0) const {
        const double least = period ? BestAt(period) : best_;
        const int kFrom = period ? period - firstPeriod_ : 0, kTo = period ? kFrom : periods_ - 1;
        double sumI = 0, sumK = 0, count = 0;
        for (int i = 0; i < starts_; ++i)
            for (int k = kFrom; k <= kTo; ++k)
                if (missed_[Slot(i, k)] <= least) {
                    sumI += i;
                    sumK += k;
                    ++count;
                }
        const double midI = sumI / count, midK = sumK / count;
        GridAxis best;
        double bestDistance = kInvalid;
        for (int i = 0; i < starts_; ++i)
            for (int k = kFrom; k <= kTo; ++k) {
                if (missed_[Slot(i, k)] > least) continue;
                // A period step moves the far end by `cells` of them.
                const double di = i - midI, dk = (k - midK) * cells_ * kPeriodStep / kStartStep;
                if (di * di + dk * dk < bestDistance) {
                    bestDistance = di * di + dk * dk;
                    best = Grid(i, firstPeriod_ + k);
                }
            }
        return best;
    }

    GridAxis Whole() const { return Spanning(0, length_, cells_); }

private:
    static constexpr double kInvalid = 1e300;
    std::size_t Slot(int i, int k) const { return static_cast<std::size_t>(i) * periods_ + k; }
    GridAxis Grid(int i, int period) const { return {period * kPeriodStep, -kSlack + i * kStartStep, cells_}; }

    int length_ = 0, cells_ = 0;
    int starts_ = 0, firstPeriod_ = 0, periods_ = 0;
    bool tooMany_ = false;
    double strongest_ = 0;
    std::vector<std::pair<int, double>> strong_;  // edge position (pixel x starts there), strength
    std::vector<char> isJump_;
    double best_ = kInvalid;
    std::vector<double> missed_;
};

// The blocky grid of both axes. Enlargers scale both axes alike, so when
// square cells explain the jumps as well as any, they are taken: each
// axis's edges then pin the other's period.
std::pair<GridAxis, GridAxis> JumpSearch(const AxisSamples& across, const AxisSamples& down, int cellsX, int cellsY) {
    const JumpTable x(across.jumps, across.fit.length, cellsX), y(down.jumps, down.fit.length, cellsY);
    if (x.TooMany() || y.TooMany()) return {};
    if (!x.Searched() || !y.Searched() || (x.WholeFits() && y.WholeFits()))
        return {x.Searched() && !x.WholeFits() ? x.Middle() : x.Whole(),
                y.Searched() && !y.WholeFits() ? y.Middle() : y.Whole()};
    double bestTotal = 1e300;
    int first = 0, last = -1;
    for (int period = std::max(x.FirstPeriod(), y.FirstPeriod()); period <= std::min(x.LastPeriod(), y.LastPeriod());
         ++period) {
        const double total = x.BestAt(period) + y.BestAt(period);
        if (total < bestTotal) {
            bestTotal = total;
            first = last = period;
        } else if (total == bestTotal && last == period - 1) {
            last = period;
        }
    }
    if (last >= first && bestTotal <= x.Best() + y.Best()) {
        const int period = (first + last) / 2;
        return {x.Middle(period), y.Middle(period)};
    }
    return {x.Middle(), y.Middle()};
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
    const auto [blockyX, blockyY] = JumpSearch(across, down, cellsX, cellsY);
    consider({blockyX, blockyY, Enlarger::Nearest});
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
    const AxisSamples across = ReadSamples(source, Axis::X, crestWidth);
    const AxisSamples down = ReadSamples(source, Axis::Y, crestHeight);
    // The crest's own size first, then twice it: a finer grid always fits
    // at least as well, so it is taken only when the coarser one fails.
    for (int times = 1; times <= 2; ++times)
        if (auto grid = BestGrid(across, down, times * crestWidth, times * crestHeight)) return grid;
    // Then whatever period the picture shows.
    if (source.width > kMaxSpectrumLength || source.height > kMaxSpectrumLength) return std::nullopt;
    double periodX, periodY;
    if (!FindPeriod(source, Axis::X, kMaxCellsPerCrestPixel * crestWidth, periodX) ||
        !FindPeriod(source, Axis::Y, kMaxCellsPerCrestPixel * crestHeight, periodY))
        return std::nullopt;
    return BestGrid(across, down, static_cast<int>(std::floor(source.width / periodX + 0.5)),
                    static_cast<int>(std::floor(source.height / periodY + 0.5)));
}

}  // namespace vx
