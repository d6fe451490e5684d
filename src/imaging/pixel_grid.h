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
// about 2x, whole or fractional, smoothed or not, with JPEG noise, a pixel
// or two of margin, any offset), else nothing. Grids of the crest's own
// size are looked for first, then of twice it, then (pictures up to 1024
// pixels a side) of whatever period the picture's spectrum shows, up to 8
// cells a crest pixel.
//
// Everything is judged on the luma of sampled lines, which JPEG keeps at
// full resolution. For each cell count, a blocky candidate puts a cell edge
// (to 1/32 pixel) on every strong jump of the profile of first differences
// and a jump at each end of the grid that lies inside the picture (a
// margin's edge), with square cells where they fit as well as any and the
// middle of the grids that fit where the jumps leave it free; a smooth
// candidate is, for each axis, the grid (to 1/32 pixel, coarse to
// fine) that a bicubic enlargement fits best by least squares; the cells
// span the axis to within 2.5 pixels at each end. Each enlarger is then
// fitted on its candidate; a blocky fit yields only to a much better
// smooth one, since JPEG blurs blocky edges. The best fit is taken when it
// explains the lines to within JPEG noise, misses hardly any value by far
// (a thin line in a logo does), and fits clearly better than the same
// enlarger half a cell off (a smooth picture fits any grid alike).
std::optional<PixelGrid> FindPixelGrid(ConstBgraView source, int crestWidth, int crestHeight);

// The cells' own colours, `grid.x.cells` x `grid.y.cells`, worked out in
// JPEG's colour space: luma as the median of each cell's core (a blocky
// enlargement) or by the least-squares inverse of the enlarger; the two
// colour differences by the inverse of the enlarger followed by JPEG's
// halving of them into blocks of two and its upsampling, where that fits
// better than keeping them whole (exact for an enlargement never saved as
// JPEG). Where the colour was halved and a few colours hold most cells,
// the colour differences of each group of near-alike cells are fitted to
// all of the group's pixels at once. Each cell stays within the range of the pixels on its area (give
// or take what the enlarger's interpolation can move them) and of the
// whole picture.
BgraImage RecoverCells(ConstBgraView source, const PixelGrid& grid);

}  // namespace vx
