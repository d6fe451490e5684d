// The cells' own colours from a found grid (RecoverCells).
#include <algorithm>
#include <cmath>
#include <vector>

#include "imaging/grid_inverse.h"
#include "imaging/pixel_grid.h"

namespace vx {

namespace {

// Channels in JPEG's colour space (full-range BT.601, as JFIF keeps it):
// luma and the blue and red differences. JPEG stores the differences at
// half resolution, so they are recovered through a model of that.
enum Channel { kLuma, kBlueDifference, kRedDifference };

double ChannelOf(const std::uint8_t* bgr, int channel) {
    const double b = bgr[0], g = bgr[1], r = bgr[2];
    switch (channel) {
        case kLuma:
            return 0.299 * r + 0.587 * g + 0.114 * b;
        case kBlueDifference:
            return -0.168736 * r - 0.331264 * g + 0.5 * b + 128;
        default:
            return 0.5 * r - 0.418688 * g - 0.081312 * b + 128;
    }
}

std::vector<double> RowOf(ConstBgraView source, int y, int channel) {
    std::vector<double> values(static_cast<std::size_t>(source.width));
    for (int x = 0; x < source.width; ++x)
        values[static_cast<std::size_t>(x)] = ChannelOf(source.Row(y) + 4 * static_cast<std::ptrdiff_t>(x), channel);
    return values;
}

std::vector<double> ColumnOf(ConstBgraView source, int x, int channel) {
    std::vector<double> values(static_cast<std::size_t>(source.height));
    for (int y = 0; y < source.height; ++y)
        values[static_cast<std::size_t>(y)] = ChannelOf(source.Row(y) + 4 * static_cast<std::ptrdiff_t>(x), channel);
    return values;
}

// Every `count`-th of `positions`, for choosing a model on a few lines.
std::vector<int> Some(const std::vector<int>& positions, std::size_t count) {
    std::vector<int> some;
    const std::size_t every = std::max<std::size_t>(1, positions.size() / count);
    for (std::size_t i = every / 2; i < positions.size(); i += every) some.push_back(positions[i]);
    return some;
}

// How the colour differences were kept along one axis: the block layout
// whose model fits both of them best on a few lines.
ChromaBlocks ChromaOf(ConstBgraView source, const PixelGrid& grid, bool across, const std::vector<int>& lines) {
    const GridAxis& axis = across ? grid.x : grid.y;
    const int length = across ? source.width : source.height;
    ChromaBlocks best = ChromaBlocks::Full;
    double bestSquares = 1e300;
    for (ChromaBlocks blocks : {ChromaBlocks::Full, ChromaBlocks::HalvedEven, ChromaBlocks::HalvedOdd}) {
        const AxisInverse inverse(axis, grid.enlarger, length, StrideOf(axis), blocks);
        Fit fit;
        for (int line : lines)
            for (int channel : {kBlueDifference, kRedDifference})
                inverse.Solve(across ? RowOf(source, line, channel) : ColumnOf(source, line, channel), &fit);
        if (fit.squares < bestSquares) {
            bestSquares = fit.squares;
            best = blocks;
        }
    }
    return best;
}

// The separable least-squares solution for one channel: each used row's
// cells across, then each cell column's cells down. Cell (cx, cy) at
// cy * cells across + cx.
std::vector<double> SolveCells(ConstBgraView source, const PixelGrid& grid, const AxisInverse& across,
                               const AxisInverse& down, int channel) {
    const std::vector<int> rows = down.Positions();
    std::vector<std::vector<double>> rowCells(rows.size());
    for (std::size_t r = 0; r < rows.size(); ++r) rowCells[r] = across.Solve(RowOf(source, rows[r], channel));
    std::vector<double> cells(static_cast<std::size_t>(grid.x.cells) * grid.y.cells);
    std::vector<double> column(static_cast<std::size_t>(source.height), 0.0);
    for (int cx = 0; cx < grid.x.cells; ++cx) {
        for (std::size_t r = 0; r < rows.size(); ++r)
            column[static_cast<std::size_t>(rows[r])] = rowCells[r][static_cast<std::size_t>(cx)];
        const std::vector<double> values = down.Solve(column);
        for (int cy = 0; cy < grid.y.cells; ++cy)
            cells[static_cast<std::size_t>(cy) * grid.x.cells + cx] = values[static_cast<std::size_t>(cy)];
    }
    return cells;
}

// A nearest-neighbour cell's luma is its pixels' median: JPEG's ringing
// along the cell's edges moves it least.
std::vector<double> MedianLuma(ConstBgraView source, const PixelGrid& grid) {
    const AxisInverse across(grid.x, grid.enlarger, source.width, StrideOf(grid.x));
    const AxisInverse down(grid.y, grid.enlarger, source.height, StrideOf(grid.y));
    std::vector<std::vector<double>> values(static_cast<std::size_t>(grid.x.cells) * grid.y.cells);
    for (const auto& [y, cy] : down.CellsOfPositions(grid.y, true))
        for (const auto& [x, cx] : across.CellsOfPositions(grid.x, true))
            values[static_cast<std::size_t>(cy) * grid.x.cells + cx].push_back(
                ChannelOf(source.Row(y) + 4 * static_cast<std::ptrdiff_t>(x), kLuma));
    std::vector<double> cells(values.size(), 0.0);
    for (std::size_t i = 0; i < values.size(); ++i) {
        std::vector<double>& v = values[i];
        if (v.empty()) continue;
        std::nth_element(v.begin(), v.begin() + v.size() / 2, v.end());
        cells[i] = v[v.size() / 2];
    }
    return cells;
}

// Pixel art draws from few colours, and JPEG keeps a colour well only
// over many pixels of it. So cells of near one colour (luma within a few
// levels, the colour differences within what JPEG's halving moves them)
// are grouped, patches first; when few groups hold most cells, each
// group's colour is fitted by least squares to every pixel of all its
// cells at once, through the same model of the enlargement and of JPEG's
// colour as the cells' own inverse, the lone cells staying free. Each cell
// then joins the nearest fitted colour within reach, and the fit is
// repeated. Each cell keeps its own luma: JPEG keeps that well cell by
// cell.
class PaletteFit {
public:
    PaletteFit(ConstBgraView source, const PixelGrid& grid, const AxisInverse& across, const AxisInverse& down)
        : source_(source),
          cellsX_(grid.x.cells),
          cellCount_(static_cast<std::size_t>(grid.x.cells) * grid.y.cells),
          across_(across),
          down_(down) {}

    // Replaces the cells' colour differences by their groups' fitted ones,
    // when a palette explains the picture.
    void Apply(const std::vector<double>& luma, std::vector<double>& blue, std::vector<double>& red) const {
        const std::vector<double>* const channels[3] = {&luma, &blue, &red};
        std::vector<int> label = Group(channels);
        if (label.empty()) return;
        for (int round = 0; round < 2; ++round) {
            const bool last = round == 1;
            const int labels = 1 + *std::max_element(label.begin(), label.end());
            // The groups' luma only decides the rejoining.
            std::vector<std::vector<double>> fitted(3);
            for (int c = last ? 1 : 0; c < 3; ++c) fitted[static_cast<std::size_t>(c)] = Fit(label, labels, c);
            std::vector<int> members(static_cast<std::size_t>(labels), 0);
            for (int l : label) ++members[static_cast<std::size_t>(l)];
            for (std::size_t i = 0; i < cellCount_; ++i) {
                blue[i] = fitted[1][static_cast<std::size_t>(label[i])];
                red[i] = fitted[2][static_cast<std::size_t>(label[i])];
            }
            if (last) break;
            // Rejoin: each cell to the nearest group colour within reach.
            for (std::size_t i = 0; i < cellCount_; ++i) {
                double best = 1e300;
                for (int l = 0; l < labels; ++l) {
                    if (members[static_cast<std::size_t>(l)] < 2) continue;
                    const double d = Distance(channels, i, fitted, static_cast<std::size_t>(l));
                    if (d < best) {
                        best = d;
                        label[i] = l;
                    }
                }
            }
            Renumber(label);
        }
    }

private:
    static constexpr double kNearLuma = 8, kNearColour = 44;
    // Groups that hold most cells: at most this many, holding at least this
    // share (noise holds only lone cells).
    static constexpr int kMaxGroups = 16;
    static constexpr double kMinGrouped = 0.75;
    static constexpr int kMaxLabels = 256;

    // Luma counts four times the colour differences (JPEG keeps it finer);
    // beyond reach, infinitely far.
    static double Distance(const std::vector<double>* const channels[3], std::size_t i,
                           const std::vector<std::vector<double>>& colours, std::size_t l) {
        const double dl = std::abs((*channels[0])[i] - colours[0][l]);
        const double dc =
            std::max(std::abs((*channels[1])[i] - colours[1][l]), std::abs((*channels[2])[i] - colours[2][l]));
        return dl > kNearLuma || dc > kNearColour ? 1e300 : 4 * dl + dc;
    }

    // Labels from 0, lone cells each their own; empty when no palette
    // explains the cells.
    std::vector<int> Group(const std::vector<double>* const channels[3]) const {
        const int w = cellsX_, h = static_cast<int>(cellCount_ / cellsX_);
        const std::vector<double>& luma = *channels[0];
        // Cells inside a patch of their luma first: their colour is the
        // surest.
        std::vector<std::pair<int, std::size_t>> order;
        for (int y = 0; y < h; ++y)
            for (int x = 0; x < w; ++x) {
                const std::size_t i = static_cast<std::size_t>(y) * w + x;
                int alike = 0;
                for (int dy = -1; dy <= 1; ++dy)
                    for (int dx = -1; dx <= 1; ++dx)
                        if (x + dx >= 0 && x + dx < w && y + dy >= 0 && y + dy < h &&
                            std::abs(luma[static_cast<std::size_t>(y + dy) * w + x + dx] - luma[i]) <= kNearLuma)
                            ++alike;
                order.push_back({-alike, i});
            }
        std::stable_sort(order.begin(), order.end(), [](const auto& a, const auto& b) { return a.first < b.first; });
        std::vector<std::vector<double>> sums(3), means(3);
        std::vector<double> counts;
        std::vector<int> label(cellCount_, -1);
        for (const auto& [alike, i] : order) {
            double best = 1e300;
            for (std::size_t l = 0; l < counts.size(); ++l) {
                const double d = Distance(channels, i, means, l);
                if (d < best) {
                    best = d;
                    label[i] = static_cast<int>(l);
                }
            }
            if (label[i] < 0) {
                label[i] = static_cast<int>(counts.size());
                counts.push_back(0);
                for (auto& s : sums) s.push_back(0);
                for (auto& m : means) m.push_back(0);
            }
            const std::size_t l = static_cast<std::size_t>(label[i]);
            counts[l] += 1;
            for (std::size_t c = 0; c < 3; ++c) {
                sums[c][l] += (*channels[c])[i];
                means[c][l] = sums[c][l] / counts[l];
            }
        }
        int groups = 0;
        double grouped = 0;
        for (double n : counts)
            if (n >= 2) {
                ++groups;
                grouped += n;
            }
        if (groups > kMaxGroups || grouped < kMinGrouped * static_cast<double>(cellCount_)) return {};
        // Lone cells stay free of any group.
        for (std::size_t i = 0; i < cellCount_; ++i)
            if (counts[static_cast<std::size_t>(label[i])] < 2) label[i] = -1;
        Renumber(label);
        // The fit solves for every label at once: beyond this many it would
        // cost more than the whole squeeze.
        if (*std::max_element(label.begin(), label.end()) >= kMaxLabels) return {};
        return label;
    }

    // Groups numbered from 0; each unlabelled (-1) or lone cell a label of
    // its own after them.
    static void Renumber(std::vector<int>& label) {
        std::vector<int> members;
        for (int l : label)
            if (l >= 0) {
                if (static_cast<std::size_t>(l) >= members.size()) members.resize(static_cast<std::size_t>(l) + 1, 0);
                ++members[static_cast<std::size_t>(l)];
            }
        std::vector<int> renamed(members.size(), -1);
        int next = 0;
        for (std::size_t l = 0; l < members.size(); ++l)
            if (members[l] >= 2) renamed[l] = next++;
        for (int& l : label)
            l = l >= 0 && renamed[static_cast<std::size_t>(l)] >= 0 ? renamed[static_cast<std::size_t>(l)] : -1;
        for (int& l : label)
            if (l < 0) l = next++;
    }

    // Least-squares values of `labels` unknowns for one channel: every
    // used pixel is the model's mix of its cells, each cell its label's
    // value.
    std::vector<double> Fit(const std::vector<int>& label, int labels, int channel) const {
        const std::size_t n = static_cast<std::size_t>(labels);
        std::vector<double> normal(n * n, 0.0), right(n, 0.0), mix(n, 0.0);
        std::vector<char> isTouched(n, 0);
        std::vector<std::size_t> touched;
        down_.ForEachSample([&](int y, int downCount, const int* downCells, const double* downWeights) {
            const std::uint8_t* row = source_.Row(y);
            across_.ForEachSample([&](int x, int acrossCount, const int* acrossCells, const double* acrossWeights) {
                touched.clear();
                for (int j = 0; j < downCount; ++j)
                    for (int i = 0; i < acrossCount; ++i) {
                        const std::size_t l = static_cast<std::size_t>(
                            label[static_cast<std::size_t>(downCells[j]) * cellsX_ + acrossCells[i]]);
                        if (!isTouched[l]) {
                            isTouched[l] = 1;
                            touched.push_back(l);
                        }
                        mix[l] += downWeights[j] * acrossWeights[i];
                    }
                const double value = ChannelOf(row + 4 * static_cast<std::ptrdiff_t>(x), channel);
                for (std::size_t a : touched) {
                    right[a] += mix[a] * value;
                    for (std::size_t b : touched) normal[a * n + b] += mix[a] * mix[b];
                }
                for (std::size_t a : touched) mix[a] = isTouched[a] = 0;
            });
        });
        // Gaussian elimination with a whisper of ridge for labels no pixel
        // reaches.
        for (std::size_t i = 0; i < n; ++i) normal[i * n + i] += 1e-9;
        for (std::size_t k = 0; k < n; ++k) {
            const double pivot = normal[k * n + k];
            for (std::size_t i = k + 1; i < n; ++i) {
                const double f = normal[i * n + k] / pivot;
                if (f == 0) continue;
                for (std::size_t j = k; j < n; ++j) normal[i * n + j] -= f * normal[k * n + j];
                right[i] -= f * right[k];
            }
        }
        std::vector<double> values(n, 0.0);
        for (std::size_t k = n; k-- > 0;) {
            double sum = right[k];
            for (std::size_t j = k + 1; j < n; ++j) sum -= normal[k * n + j] * values[j];
            values[k] = sum / normal[k * n + k];
        }
        return values;
    }

    ConstBgraView source_;
    int cellsX_;
    std::size_t cellCount_;
    const AxisInverse& across_;
    const AxisInverse& down_;
};

}  // namespace

BgraImage RecoverCells(ConstBgraView source, const PixelGrid& grid) {
    const AxisInverse across(grid.x, grid.enlarger, source.width, StrideOf(grid.x));
    const AxisInverse down(grid.y, grid.enlarger, source.height, StrideOf(grid.y));
    const std::vector<double> luma =
        grid.enlarger == Enlarger::Nearest ? MedianLuma(source, grid) : SolveCells(source, grid, across, down, kLuma);
    constexpr std::size_t kChoosingLines = 16;
    const ChromaBlocks blocksAcross = ChromaOf(source, grid, true, Some(down.Positions(), kChoosingLines));
    const ChromaBlocks blocksDown = ChromaOf(source, grid, false, Some(across.Positions(), kChoosingLines));
    const AxisInverse colourAcross(grid.x, grid.enlarger, source.width, StrideOf(grid.x), blocksAcross);
    const AxisInverse colourDown(grid.y, grid.enlarger, source.height, StrideOf(grid.y), blocksDown);
    std::vector<double> blue = SolveCells(source, grid, colourAcross, colourDown, kBlueDifference);
    std::vector<double> red = SolveCells(source, grid, colourAcross, colourDown, kRedDifference);
    // Only colour that JPEG halved is in doubt.
    if (blocksAcross != ChromaBlocks::Full || blocksDown != ChromaBlocks::Full)
        PaletteFit(source, grid, colourAcross, colourDown).Apply(luma, blue, red);

    // An inverse magnifies noise; no cell may leave the range of the pixels
    // on its own area by more than the enlarger can have moved the pixel
    // nearest its centre (at most half a pixel off it, so by at most half a
    // pixel's share of the whole range), nor the range of the whole picture.
    const std::size_t cellCount = luma.size();
    std::vector<std::uint8_t> low(3 * cellCount, 255), high(3 * cellCount, 0);
    std::uint8_t lowest[3] = {255, 255, 255}, highest[3] = {0, 0, 0};
    for (int y : down.Positions())
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
    for (int cy = 0; cy < grid.y.cells; ++cy)
        for (int cx = 0; cx < grid.x.cells; ++cx) {
            const std::size_t cell = static_cast<std::size_t>(cy) * grid.x.cells + cx;
            const double y = luma[cell], cb = blue[cell] - 128, cr = red[cell] - 128;
            const double bgr[3] = {y + 1.772 * cb, y - 0.344136 * cb - 0.714136 * cr, y + 1.402 * cr};
            std::uint8_t* out = cells.Row(cy) + 4 * cx;
            for (int k = 0; k < 3; ++k) {
                double value = std::floor(bgr[k] + 0.5);
                const std::size_t at = 3 * cell + k;
                if (low[at] <= high[at]) value = std::clamp(value, low[at] - reach, high[at] + reach);
                out[k] = static_cast<std::uint8_t>(
                    std::clamp(value, double(lowest[k]), double(std::max(lowest[k], highest[k]))));
            }
            out[3] = 255;
        }
    return cells;
}

}  // namespace vx
