#include "app/name_label.h"

namespace vx {

std::wstring FitWithEllipsis(const std::wstring& text, int maxWidth,
                             const std::function<int(const std::wstring&)>& widthOf) {
    if (widthOf(text) <= maxWidth) return text;
    // Widths grow with the length, so the longest fitting start is found
    // by halving, in a few measurements even for a very long name.
    std::size_t fits = 0, tooLong = text.size();
    while (tooLong - fits > 1) {
        const std::size_t middle = fits + (tooLong - fits) / 2;
        if (widthOf(text.substr(0, middle) + kEllipsis) <= maxWidth)
            fits = middle;
        else
            tooLong = middle;
    }
    return text.substr(0, fits) + kEllipsis;
}

}  // namespace vx
