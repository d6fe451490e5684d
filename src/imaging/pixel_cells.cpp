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
// inside a patch of it: cells whose eight neighbours share their luma give
// the palette, and every other cell whose luma and colour differences lie
// near one of its colours takes that colour.
void SnapToPalette(const PixelGrid& grid, const std::vector<double>& luma, std::vector<double>& blue,
                   std::vector<double>& red) {
    constexpr double kSameLuma = 6, kNearLuma = 10, kNearColour = 40;
    const int w = grid.x.cells, h = grid.y.cells;
    auto at = [&](int x, int y) { return static_cast<std::size_t>(y) * w + x; };
    struct Colour {
        double luma, blue, red;
    };
    // Patch cells grouped by luma; each group's colour is its median, so a
    // patch JPEG coloured wrong is outvoted by the rest of its colour.
    std::vector<Colour> patches;
    for (int y = 1; y + 1 < h; ++y)
        for (int x = 1; x + 1 < w; ++x) {
            bool patch = true;
            for (int dy = -1; dy <= 1 && patch; ++dy)
                for (int dx = -1; dx <= 1 && patch; ++dx)
                    patch = std::abs(luma[at(x + dx, y + dy)] - luma[at(x, y)]) <= kSameLuma;
            if (patch) patches.push_back({luma[at(x, y)], blue[at(x, y)], red[at(x, y)]});
        }
    std::sort(patches.begin(), patches.end(), [](const Colour& a, const Colour& b) { return a.luma < b.luma; });
    auto median = [](std::vector<double> v) {
        std::nth_element(v.begin(), v.begin() + v.size() / 2, v.end());
        return v[v.size() / 2];
    };
    std::vector<Colour> palette;
    for (std::size_t first = 0; first < patches.size();) {
        std::size_t last = first;
        while (last + 1 < patches.size() && patches[last + 1].luma - patches[last].luma <= kSameLuma) ++last;
        std::vector<double> l, b, r;
        for (std::size_t i = first; i <= last; ++i) {
            l.push_back(patches[i].luma);
            b.push_back(patches[i].blue);
            r.push_back(patches[i].red);
        }
        palette.push_back({median(l), median(b), median(r)});
        first = last + 1;
    }
    for (std::size_t i = 0; i < luma.size(); ++i) {
        const Colour* nearest = nullptr;
        double best = 1e300;
        for (const Colour& p : palette) {
            const double dl = std::abs(p.luma - luma[i]);
            const double dc = std::max(std::abs(p.blue - blue[i]), std::abs(p.red - red[i]));
            if (dl > kNearLuma || dc > kNearColour) continue;
            const double distance = 4 * dl + dc;
            if (distance < best) {
                best = distance;
                nearest = &p;
            }
        }
        if (nearest != nullptr) {
            blue[i] = nearest->blue;
            red[i] = nearest->red;
        }
    }
}

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
    if (blocksAcross != ChromaBlocks::Full || blocksDown != ChromaBlocks::Full) SnapToPalette(grid, luma, blue, red);

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
