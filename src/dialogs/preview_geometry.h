// Geometry of the open dialog's preview pane: where the pane goes beside
// the file list, how far the dialog grows, and where a picture is drawn.
#pragma once

namespace vx {

struct IntRect {
    int left = 0, top = 0, right = 0, bottom = 0;
    int Width() const { return right - left; }
    int Height() const { return bottom - top; }
};

struct PaneLayout {
    int paneLeft = 0, paneTop = 0, paneWidth = 0, paneHeight = 0;     // dialog client coordinates
    int dialogX = 0, dialogY = 0, dialogWidth = 0, dialogHeight = 0;  // screen coordinates
};

// `list` and `dialog` are window rectangles in screen coordinates;
// (listClientX, listClientY) is the list's top-left corner in the dialog's
// client coordinates. The pane is 1.2 times as wide as the list is high,
// starts twice the list's client x to the right of the list, and the
// widened dialog is centred on a screen of the given size. Halves round
// to even, as the dialog's own arithmetic does.
PaneLayout LayOutPreviewPane(const IntRect& dialog, const IntRect& list, int listClientX, int listClientY,
                             int screenWidth, int screenHeight);

// The largest rectangle of the picture's proportions that fits the pane,
// centred on it. A degenerate picture or pane gives an empty rectangle.
IntRect FitWholePicture(int pictureWidth, int pictureHeight, int paneWidth, int paneHeight);

}  // namespace vx
