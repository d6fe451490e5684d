// The button bar comes alive: each button swaps in its hover picture under
// the pointer and arms its two-language tooltip; the bar and the background
// put every button back. Two buttons open web pages.
#include "app/main_window.h"

#include <shellapi.h>

#include <utility>

#include "app/links.h"
#include "base/swallowing_errors.h"

namespace vx {
namespace {

constexpr wchar_t kHelpTitle[] = L"Ayuda / Help";
}  // namespace

void Main::HoverButton(PictureSurface& button, const PictureSurface& hoverStore, const wchar_t* title,
                       const wchar_t* text) {
    if (button.Picture() != hoverStore.Picture()) button.SetPicture(hoverStore.Picture());
    if (!ToolTip) return;
    if (ToolTip->Alive() && TipShown) return;
    TipShown = true;
    SwallowingErrors([&] {
        ToolTip->SetDelayTime(2);
        ToolTip->SetKillTime(500);
        ToolTip->SetShadow(true);
        ToolTip->SetToolTipStyle(1);
        const std::int32_t opaque = 100;
        ToolTip->ShowToolTip(button.hWnd(), title, text, ExToolTip::kIconHelp, opaque);
    });
}

void Main::PicBrowseImage_MouseMove() {
    // Every format the open dialog lists, as its first entry does.
    HoverButton(PicBrowseImage, Pic1b, L"Ayuda",
                L"Abre una imagen PNG, JPG, BMP, GIF, ICO, TIF, EMF o WMF\r\n"
                L"Open PNG, JPG, BMP, GIF, ICO, TIF, EMF or WMF pictures");
}

void Main::PicSave_MouseMove() { HoverButton(PicSave, Pic2b, kHelpTitle, L"Guarda la crest / Saves Crest"); }

void Main::PicTypeCrest_MouseMove() {
    HoverButton(PicTypeCrest, Pic3b, kHelpTitle, L"Cambia entre tipos de Crest / Switch between Crest types");
}

void Main::PicRename_MouseMove() {
    HoverButton(PicRename, Pic4b, kHelpTitle, L"Cambia el nombre al PJ actual / Change name to current Character");
}

void Main::PicFB_MouseMove() {
    HoverButton(PicFB, Pic5b, kHelpTitle, L"Visita el Facebook del autor del programa\r\nGoes to Facebook's author");
}

void Main::PicTaringa_MouseMove() {
    HoverButton(PicTaringa, Pic6b, kHelpTitle,
                L"Ir a mi perfil en Taringa!. Visitalo para revisar actualizaciones del programa.\r\n"
                L"Goes to my Taringa's Profile. Visit to check updates.");
}

void Main::PicSalir_MouseMove() { HoverButton(PicSalir, Pic7b, kHelpTitle, L"Salir del programa\r\nExit"); }

void Main::PicBarra_MouseMove() {
    if (TipShown) TipShown = false;
    ResetButtons();
}

void Main::PicFondo_MouseMove() {
    if (TipShown) TipShown = false;
    ResetButtons();
}

void Main::ResetButtons() {
    const std::pair<PictureSurface*, const PictureSurface*> buttons[] = {
        {&PicBrowseImage, &Pic1a}, {&PicSave, &Pic2a},    {&PicTypeCrest, &Pic3a}, {&PicRename, &Pic4a},
        {&PicFB, &Pic5a},          {&PicTaringa, &Pic6a}, {&PicSalir, &Pic7a},
    };
    // Only a button still lit is repainted: the background reports every move.
    for (const auto& [button, normal] : buttons)
        if (button->Picture() != normal->Picture()) button->SetPicture(normal->Picture());
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
