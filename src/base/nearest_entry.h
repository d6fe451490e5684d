// The colour-table entry nearest to a colour: the least squared distance in
// red, green and blue, the lowest index on a tie. Portable: no platform
// headers.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

#include "base/colour.h"

namespace vx {

// For many searches the colour cube is cut into 16 x 16 x 16 cells; for each
// cell that is asked about, the entries that can be nearest to some colour in
// it are listed once: every entry whose closest point of the cell is no
// farther than the farthest point of the cell from the entry that is best in
// the worst case. A search then looks at that short list only. For a few
// searches the lists cost more than they save, and every entry is tried.
class NearestEntry {
public:
    // `searches`: about how many colours will be looked up. An empty table
    // answers 0.
    NearestEntry(std::span<const Bgrx> table, std::size_t searches);

    unsigned Find(unsigned red, unsigned green, unsigned blue);
    unsigned Find(Bgrx colour) { return Find(colour.red, colour.green, colour.blue); }
    unsigned Find(Rgb colour) { return Find(RedOf(colour), GreenOf(colour), BlueOf(colour)); }

private:
    void BuildCell(std::size_t cell, int red0, int green0, int blue0);

    std::vector<Bgrx> table_;
    bool useCells_;
    std::vector<std::vector<std::uint8_t>> cells_;
    std::vector<bool> built_;
};

}  // namespace vx
