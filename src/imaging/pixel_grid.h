// Pixel art found in an enlarged picture: the grid of its cells and their
// own colours.
#pragma once

#include <optional>

#include "base/bgra_image.h"

namespace vx {

// How the picture was enlarged from its cells: the interpolation a
// resizer applied, sampling each picture pixel's centre.
enum class Enlarger { Nearest, Bilinear, Bicubic, SharpBicubic, Mitchell };

// One axis of the grid: cell i covers picture positions start + i * period
// up to start + (i + 1) * period (pixel edges; pixel x spans x .. x + 1).
// `start` may lie a little before 0 when the picture's edge cuts the first
// cell.
struct GridAxis {
    double period = 0;
    double start = 0;
    int cells = 0;
};

struct PixelGrid {
    GridAxis x;
    GridAxis y;
    Enlarger enlarger = Enlarger::Nearest;
};

// The grid of `source` when it is an enlarged piece of pixel art (from
// about 2x, whole or fractional, smoothed or not, with JPEG noise, a few
// pixels of margin, any offset), else nothing. Grids of the crest's own
// size and twice it are looked for first, then any other the picture's
// period shows (up to 8 cells a crest pixel).
//
// Each axis is summarised by profiles summed over sampled lines: the
// first differences across it, which jump at the cells' edges of a
// nearest-neighbour enlargement, and the second differences, which peak at
// the cells' centres of an interpolated one. For each cell count the grid
// (start and period, to an eighth of a pixel) whose edges or centres
// gather the most of the profile is taken; the profile's spectrum (the
// frequency whose harmonics stand highest above its median) adds a count
// of its own. Then each enlarger is fitted to sampled lines by least
// squares on each candidate grid; the best fit decides, and it must
// explain the picture to within JPEG noise.
std::optional<PixelGrid> FindPixelGrid(ConstBgraView source, int crestWidth, int crestHeight);

// The cells' own colours: the least-squares inverse of the grid's enlarger
// over the picture (exact for a nearest-neighbour enlargement), rounded to
// bytes, `grid.x.cells` x `grid.y.cells`.
BgraImage RecoverCells(ConstBgraView source, const PixelGrid& grid);

}  // namespace vx
