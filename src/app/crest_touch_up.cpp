// Touching up the crest in the window: painting and picking crest pixels on
// the zoom, the current colour's swatch, undo and redo over every change
// of the crest document, and the crest's commands.
#include "app/main_window.h"

#include <memory>

namespace vx {

bool Main::RunCrestCommand(UINT id) {
    switch (id) {
        case kMenuFrameId:
            mnuFrame_Click();
            return true;
        case kMenuBackgroundId:
            mnuBackground_Click();
            return true;
        case kMenuPasteId:
            mnuPaste_Click();
            return true;
        case kCommandCopyId:
            CopyCrest_Click();
            return true;
        case kCommandUndoId:
            Undo_Click();
            return true;
        case kCommandRedoId:
            Redo_Click();
            return true;
        default:
            return false;
    }
}

void Main::CreateTouchUpControls() {
    PictureSurface::Layout swatch;
    swatch.x = kSwatchX;
    swatch.y = kSwatchY;
    swatch.width = kSwatchSize;
    swatch.height = kSwatchSize;
    ImgSwatch.Create(PicFondo.hWnd(), L"ImgSwatch", swatch);
    SetTouchColour(touchColour_);
}

void Main::WireTouchUp() {
    ImgZoomCrest.onMouseButton = [this](UINT message, int x, int y) { ImgZoomCrest_MouseButton(message, x, y); };
    ImgZoomCrest.onMouseMove = [this](int x, int y, WPARAM keys) { ImgZoomCrest_MouseMove(x, y, keys); };
    ImgSwatch.onClick = [this] { ImgSwatch_Click(); };
}

void Main::SetTouchColour(Colorref colour) {
    touchColour_ = colour;
    // A gold edge keeps a dark colour visible on the dark artwork.
    BgraImage swatch(kSwatchSize, kSwatchSize);
    swatch.Fill(MakeColorref(200, 156, 74));
    for (int y = 1; y < kSwatchSize - 1; ++y)
        for (int x = 1; x < kSwatchSize - 1; ++x) swatch.SetColor(x, y, colour);
    ImgSwatch.SetPicture(std::make_shared<const Bitmap32>(Bitmap32::FromPixels(swatch)));
}

std::optional<CrestPixel> Main::ZoomPixelAt(int x, int y) const {
    const BgraImage& crest = document_.Crest();
    if (!document_.HasPicture() || crest.Width() == 0) return std::nullopt;
    return CrestPixelAt(crest.Width(), crest.Height(), ZoomOf(document_.Options().mode == vx::CrestMode::AllyClan),
                        kZoomWidth, kZoomHeight, x, y);
}

void Main::PaintAt(int x, int y) {
    const std::optional<CrestPixel> pixel = ZoomPixelAt(x, y);
    if (!pixel || document_.ColourAt(pixel->x, pixel->y) == touchColour_) return;
    document_.Paint(pixel->x, pixel->y, touchColour_);
    ReflectDocument();
}

void Main::ImgZoomCrest_MouseButton(UINT message, int x, int y) {
    if (message == WM_LBUTTONDOWN && document_.HasPicture()) {
        document_.BeginStroke();
        stroking_ = true;
        PaintAt(x, y);
    } else if (message == WM_LBUTTONUP && stroking_) {
        stroking_ = false;
        document_.EndStroke();
    } else if (message == WM_RBUTTONDOWN) {
        if (const std::optional<CrestPixel> pixel = ZoomPixelAt(x, y))
            SetTouchColour(*document_.ColourAt(pixel->x, pixel->y));
    }
}

void Main::ImgZoomCrest_MouseMove(int x, int y, WPARAM keys) {
    if (stroking_ && (keys & MK_LBUTTON)) PaintAt(x, y);
}

void Main::ImgSwatch_Click() {
    if (const std::optional<Colorref> colour = PickColour(touchColour_)) SetTouchColour(*colour);
}

void Main::Undo_Click() {
    stroking_ = false;
    if (document_.Undo()) ReflectDocument();
}

void Main::Redo_Click() {
    stroking_ = false;
    if (document_.Redo()) ReflectDocument();
}

}  // namespace vx
