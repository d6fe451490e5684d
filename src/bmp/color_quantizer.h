// Turns true-colour pixels into colour-table indices for 1, 4 and 8-bit
// bitmaps.
#pragma once

#include <cstdint>
#include <vector>

#include "base/bgra_image.h"

namespace vx::bmp {

// A colour-table entry as bitmaps store it: blue, green, red, 0.
using RgbQuad = Bgrx;

struct IndexedPicture {
    int width = 0;
    int height = 0;
    std::vector<RgbQuad> colorTable;    // exactly as many entries as asked for
    std::vector<std::uint8_t> indices;  // width x height, top row first
    bool exact = false;                 // every pixel kept its own colour
};

// Builds a colour table of `entries` colours (1 to 256) for the picture and
// maps every pixel to it; the fourth byte of each pixel is ignored.
//
// When the picture has no more distinct colours than the table has entries,
// the table holds exactly those colours in ascending 0xRRGGBB order, the
// unused entries are 0 and every pixel keeps its colour. Otherwise the
// colours are found by splitting the colour space where the squared error
// drops most and refining the result (k-means); every pixel then takes the
// nearest entry (squared RGB distance, the lowest index on a tie). The
// result depends on the pixels alone, never on their order or the machine.
IndexedPicture QuantizePicture(ConstBgraView picture, int entries);

// Maps every pixel to the nearest entry of a given table.
IndexedPicture MapToColorTable(ConstBgraView picture, std::vector<RgbQuad> table);

}  // namespace vx::bmp
