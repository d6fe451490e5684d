#include "dialogs/preview_geometry.h"

#include <cmath>
#include <cstdint>

namespace vx {
namespace {

// Rounds half to even, whatever the current floating-point mode.
int RoundHalfEven(double value) {
    double floor = std::floor(value);
    double diff = value - floor;
    if (diff > 0.5) return static_cast<int>(floor + 1);
    if (diff < 0.5) return static_cast<int>(floor);
    return static_cast<int>(std::fmod(floor, 2.0) == 0.0 ? floor : floor + 1);
}

}  // namespace

PaneLayout LayOutPreviewPane(const IntRect& dialog, const IntRect& list, int listClientX, int listClientY,
                             int screenWidth, int screenHeight) {
    PaneLayout layout;
    layout.paneHeight = list.Height();
    // The pane is a float-sized control; its window takes whole pixels.
    layout.paneWidth = RoundHalfEven(1.2 * layout.paneHeight);
    layout.paneLeft = 3 * listClientX + list.Width();
    layout.paneTop = listClientY;
    const int right = RoundHalfEven(1.2 * layout.paneHeight + list.right + 4.0 * listClientX);
    layout.dialogWidth = right - dialog.left;
    layout.dialogHeight = dialog.Height();
    layout.dialogX = RoundHalfEven((screenWidth - layout.dialogWidth) / 2.0);
    layout.dialogY = RoundHalfEven((screenHeight - layout.dialogHeight) / 2.0);
    return layout;
}

IntRect FitWholePicture(int pictureWidth, int pictureHeight, int paneWidth, int paneHeight) {
    if (pictureWidth <= 0 || pictureHeight <= 0 || paneWidth <= 0 || paneHeight <= 0) return {};
    // Compare pictureWidth / pictureHeight with paneWidth / paneHeight
    // exactly; the limiting side fills the pane.
    const std::int64_t lhs = static_cast<std::int64_t>(pictureWidth) * paneHeight;
    const std::int64_t rhs = static_cast<std::int64_t>(paneWidth) * pictureHeight;
    int width, height;
    if (lhs >= rhs) {
        width = paneWidth;
        height = static_cast<int>((static_cast<std::int64_t>(pictureHeight) * paneWidth * 2 + pictureWidth) /
                                  (2 * static_cast<std::int64_t>(pictureWidth)));
    } else {
        height = paneHeight;
        width = static_cast<int>((static_cast<std::int64_t>(pictureWidth) * paneHeight * 2 + pictureHeight) /
                                 (2 * static_cast<std::int64_t>(pictureHeight)));
    }
    if (width < 1) width = 1;
    if (height < 1) height = 1;
    IntRect rect;
    rect.left = (paneWidth - width) / 2;
    rect.top = (paneHeight - height) / 2;
    rect.right = rect.left + width;
    rect.bottom = rect.top + height;
    return rect;
}

}  // namespace vx
