// Fuzz target over the clipboard bitmap reader: any bytes at all, as any
// program may put them on the clipboard. A crash, a sanitizer report or a
// broken promise (a loaded picture of another size than its header's, a
// refusal without a reason) is a finding.
#include <cstdint>
#include <cstdlib>
#include <span>

#include "imaging/packed_dib.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const vx::DibPicture picture = vx::ReadPackedDib(std::span(data, size));
    if (picture.status == vx::DibStatus::Loaded) {
        if (picture.pixels.Width() != picture.width || picture.pixels.Height() != picture.height) std::abort();
        // What was read packs and reads back the same, alpha aside.
        const vx::DibPicture again = vx::ReadPackedDib(vx::PackDib24(picture.pixels.View()));
        if (again.status != vx::DibStatus::Loaded || again.pixels.Width() != picture.pixels.Width()) std::abort();
    } else if (picture.problem.empty() || picture.pixels.Width() != 0) {
        std::abort();
    }
    return 0;
}
