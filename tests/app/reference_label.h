// The name label as DrawOutlinedText draws it on a clean copy of the
// window's background, to compare the window's own drawing with.
#pragma once
#include <string>

#include "app/main_window.h"

namespace vx::test {

inline Bitmap32 ReferenceLabel(Main& window, const std::wstring& text) {
    PictureSurface reference;
    reference.Create(window.hWnd(), L"reference", {0, 0, 640, 480, false, 0, PictureSurface::PictureFit::Natural});
    reference.SetPicture(window.PicFondo.Picture());
    reference.SetFont(L"Verdana", 9.75);
    window.DrawOutlinedText(reference, Main::kNameX, Main::kNameY, text, 0xFFFFFF, 0);
    return reference.ImageBitmap().Clone();
}

}  // namespace vx::test
