#include "app/button_bar.h"

namespace vx {
namespace {

constexpr wchar_t kHelpTitle[] = L"Ayuda / Help";

constexpr BarButtonTexts kTexts[kBarButtonCount] = {
    // Every format the open dialog lists, as its first entry does.
    {L"Ayuda",
     L"Abre una imagen PNG, JPG, BMP, GIF, ICO, TIF, EMF o WMF\r\nOpen PNG, JPG, BMP, GIF, ICO, TIF, EMF or WMF "
     L"pictures",
     L"Ctrl+O"},
    {kHelpTitle, L"Guarda la crest / Saves Crest", L"Ctrl+S"},
    {kHelpTitle, L"Cambia entre tipos de Crest / Switch between Crest types", L"Ctrl+M"},
    {kHelpTitle, L"Cambia el nombre al PJ actual / Change name to current Character", L"F2"},
    {kHelpTitle, L"Visita el Facebook del autor del programa\r\nGoes to Facebook's author", nullptr},
    {kHelpTitle,
     L"Ir a mi perfil en Taringa!. Visitalo para revisar actualizaciones del programa.\r\n"
     L"Goes to my Taringa's Profile. Visit to check updates.",
     nullptr},
    {kHelpTitle, L"Salir del programa\r\nExit", L"Alt+F4"},
};

// Line breaks read as spaces.
std::wstring OneLine(std::wstring text) {
    std::wstring out;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == L'\r' && i + 1 < text.size() && text[i + 1] == L'\n') continue;
        out += (text[i] == L'\r' || text[i] == L'\n') ? L' ' : text[i];
    }
    return out;
}

}  // namespace

const BarButtonTexts& TextsOf(BarButton button) { return kTexts[static_cast<int>(button)]; }

std::wstring TooltipText(BarButton button) {
    const BarButtonTexts& texts = TextsOf(button);
    std::wstring text = texts.text;
    if (texts.keys) text += std::wstring(L"\r\n") + texts.keys;
    return text;
}

std::wstring AccessibleName(BarButton button) {
    const BarButtonTexts& texts = TextsOf(button);
    return OneLine(std::wstring(texts.title) + L": " + texts.text);
}

std::optional<BarButton> ButtonBarState::Hover(BarButton button) {
    const std::optional<BarButton> before = lit_;
    lit_ = button;
    if (before == button) return std::nullopt;
    return before;
}

BarButton ButtonBarState::MoveFocus(bool backwards) {
    int next;
    if (!focus_) {
        next = backwards ? kBarButtonCount - 1 : 0;
    } else {
        const int step = backwards ? kBarButtonCount - 1 : 1;
        next = (static_cast<int>(*focus_) + step) % kBarButtonCount;
    }
    focus_ = static_cast<BarButton>(next);
    return *focus_;
}

void ButtonBarState::ApplyUiState(UiStateAction action, int flags) {
    if (!(flags & kUiHideFocus)) return;
    // Initialising starts from the mouse's side: no mark until a key is used.
    hideFocus_ = action != UiStateAction::Clear;
}

}  // namespace vx
