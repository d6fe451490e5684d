#include "imaging/crisp_squeeze.h"

#include "imaging/detail_squeeze.h"
#include "imaging/pixel_grid.h"
#include "imaging/squeeze.h"

namespace vx {

void CrispSqueeze(ConstBgraView source, BgraView crest) {
    CheckSqueezeViews(source, crest);
    // Below one and a half times the crest's size a grid is no longer told
    // from detail.
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
