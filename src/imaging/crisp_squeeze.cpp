#include "imaging/crisp_squeeze.h"

#include <stdexcept>

#include "imaging/detail_squeeze.h"
#include "imaging/pixel_grid.h"

namespace vx {

void CrispSqueeze(ConstBgraView source, BgraView crest) {
    if (source.top == nullptr || crest.top == nullptr || crest.width < 1 || crest.height < 1)
        throw std::invalid_argument("empty picture or crest");
    // Below about twice the crest's size a grid is no longer told from detail.
    const bool enlarged = 2 * source.width >= 3 * crest.width && 2 * source.height >= 3 * crest.height;
    const std::optional<PixelGrid> grid = enlarged ? FindPixelGrid(source, crest.width, crest.height) : std::nullopt;
    if (!grid) {
        DetailSqueeze(source, crest);
        return;
    }
    const BgraImage cells = RecoverCells(source, *grid);
    DetailSqueeze(cells.View(), crest);
}

BgraImage CrispSqueeze(ConstBgraView source, int width, int height) {
    BgraImage crest(width, height);
    CrispSqueeze(source, crest.View());
    return crest;
}

}  // namespace vx
