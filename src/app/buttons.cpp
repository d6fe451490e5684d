// The button bar comes alive: each button swaps in its hover picture under
// the pointer and arms its two-language tooltip; the bar and the background
// put every button back. Two buttons open web pages.
#include "app/main_window.h"

#include <shellapi.h>

#include <optional>

#include "app/dpi_scale.h"
#include "app/links.h"
#include "base/swallowing_errors.h"

namespace vx {

Main::BarSurfaces Main::SurfacesOf(BarButton button) {
    switch (button) {
        case BarButton::BrowseImage:
            return {&PicBrowseImage, &Pic1a, &Pic1b};
        case BarButton::Save:
            return {&PicSave, &Pic2a, &Pic2b};
        case BarButton::TypeCrest:
            return {&PicTypeCrest, &Pic3a, &Pic3b};
        case BarButton::Rename:
            return {&PicRename, &Pic4a, &Pic4b};
        case BarButton::Facebook:
            return {&PicFB, &Pic5a, &Pic5b};
        case BarButton::Taringa:
            return {&PicTaringa, &Pic6a, &Pic6b};
        case BarButton::Exit:
            break;
    }
    return {&PicSalir, &Pic7a, &Pic7b};
}

void Main::ShowButtonPicture(BarButton button, const PictureSurface& store) {
    PictureSurface& surface = *SurfacesOf(button).button;
    // Only a change is repainted: the background reports every move.
    if (surface.Picture() == store.Picture()) return;
    surface.SetPicture(store.Picture());
    // A new picture wipes the surface, focus mark and all.
    if (buttonBar_.ShowsFocusMark(button)) PaintFocusMark(button);
}

void Main::HoverButton(BarButton which) {
    const BarSurfaces surfaces = SurfacesOf(which);
    // One lit button at a time, however fast the hand; a hand that jumped
    // from another button gets this button's tooltip.
    const std::optional<BarButton> before = buttonBar_.Hover(which);
    if (before) ShowButtonPicture(*before, *SurfacesOf(*before).normal);
    ShowButtonPicture(which, *surfaces.hover);
    if (!ToolTip) return;
    if (ToolTip->Alive() && TipShown && !before) return;
    const BarButtonTexts& texts = TextsOf(which);
    const std::wstring text = TooltipText(which);
    SwallowingErrors([&] {
        ToolTip->SetDelayTime(2);
        ToolTip->SetKillTime(500);
        ToolTip->SetShadow(true);
        ToolTip->SetToolTipStyle(1);
        // The icon grows with the text, which the platform lays out at the
        // screen's DPI.
        ToolTip->SetIconSize(MulDiv(16, TextDpi(), kBaseDpi));
        const std::int32_t opaque = 100;
        ToolTip->ShowToolTip(surfaces.button->hWnd(), texts.title, text, ExToolTip::kIconHelp, opaque);
        // Shown only once it is armed: a refused request tries again at
        // the next move.
        TipShown = true;
    });
}

void Main::PicBrowseImage_MouseMove() { HoverButton(BarButton::BrowseImage); }

void Main::PicSave_MouseMove() { HoverButton(BarButton::Save); }

void Main::PicTypeCrest_MouseMove() { HoverButton(BarButton::TypeCrest); }

void Main::PicRename_MouseMove() { HoverButton(BarButton::Rename); }

void Main::PicFB_MouseMove() { HoverButton(BarButton::Facebook); }

void Main::PicTaringa_MouseMove() { HoverButton(BarButton::Taringa); }

void Main::PicSalir_MouseMove() { HoverButton(BarButton::Exit); }

void Main::PicBarra_MouseMove() {
    if (TipShown) TipShown = false;
    ResetButtons();
}

void Main::PicFondo_MouseMove() {
    if (TipShown) TipShown = false;
    ResetButtons();
}

void Main::ResetButtons() {
    buttonBar_.Leave();
    for (int i = 0; i < kBarButtonCount; ++i) {
        const BarButton button = static_cast<BarButton>(i);
        ShowButtonPicture(button, *SurfacesOf(button).normal);
    }
}

void Main::PicFB_Click() { OpenLink(kFacebookAddress); }

void Main::PicTaringa_Click() { OpenLink(kTaringaAddress); }

void Main::OpenLink(const std::wstring& address) {
    // The shell's answer is not looked at: a page that cannot open is silent.
    ShellExecuteW(hwnd_, L"open", address.c_str(), nullptr, nullptr, SW_SHOWNORMAL);
}

void Main::WireButtons() {
    PicBrowseImage.onMouseMove = [this](int, int, WPARAM) { PicBrowseImage_MouseMove(); };
    PicSave.onMouseMove = [this](int, int, WPARAM) { PicSave_MouseMove(); };
    PicTypeCrest.onMouseMove = [this](int, int, WPARAM) { PicTypeCrest_MouseMove(); };
    PicRename.onMouseMove = [this](int, int, WPARAM) { PicRename_MouseMove(); };
    PicFB.onMouseMove = [this](int, int, WPARAM) { PicFB_MouseMove(); };
    PicTaringa.onMouseMove = [this](int, int, WPARAM) { PicTaringa_MouseMove(); };
    PicSalir.onMouseMove = [this](int, int, WPARAM) { PicSalir_MouseMove(); };
    PicBarra.onMouseMove = [this](int, int, WPARAM) { PicBarra_MouseMove(); };
    PicFondo.onMouseMove = [this](int, int, WPARAM) { PicFondo_MouseMove(); };
    PicFB.onClick = [this] { PicFB_Click(); };
    PicTaringa.onClick = [this] { PicTaringa_Click(); };
}

}  // namespace vx
