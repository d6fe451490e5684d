// The button bar as the user meets it, apart from any window: which button
// is lit under the pointer, which one has the keyboard focus and whether
// its focus mark shows, and what each button says in its tooltip and to a
// screen reader.
#pragma once

#include <optional>
#include <string>

namespace vx {

// The seven buttons in bar order, left to right: the order Tab follows.
enum class BarButton { BrowseImage, Save, TypeCrest, Rename, Facebook, Taringa, Exit };
inline constexpr int kBarButtonCount = 7;

struct BarButtonTexts {
    const wchar_t* title;
    const wchar_t* text;
    const wchar_t* keys;  // the button's accelerator as the user types it; null for none
};
const BarButtonTexts& TextsOf(BarButton button);
// The tooltip's text: the button's own text, then its key on a line of its own.
std::wstring TooltipText(BarButton button);
// What a screen reader reads for a button: its tooltip's title and text, on
// one line.
std::wstring AccessibleName(BarButton button);

// How the window's UI state changes (the platform's action and flag codes).
enum class UiStateAction { Set = 1, Clear = 2, Initialize = 3 };
inline constexpr int kUiHideFocus = 0x1;

class ButtonBarState {
public:
    // The pointer is over `button`: it lights up, and the one lit before it
    // (a fast hand jumps from button to button) is returned to be put back.
    std::optional<BarButton> Hover(BarButton button);
    // The pointer is over the bar or the background: nothing is lit.
    void Leave() { lit_.reset(); }
    std::optional<BarButton> Lit() const { return lit_; }

    // Tab (or Shift+Tab with `backwards`): the next button in bar order,
    // round from the last to the first; with none focused yet, the first
    // (or the last).
    BarButton MoveFocus(bool backwards);
    std::optional<BarButton> Focus() const { return focus_; }

    // The focus mark follows the window's UI state: hidden until the
    // keyboard is used.
    void ApplyUiState(UiStateAction action, int flags);
    bool FocusCuesShown() const { return !hideFocus_; }
    bool ShowsFocusMark(BarButton button) const { return focus_ == button && !hideFocus_; }

private:
    std::optional<BarButton> lit_;
    std::optional<BarButton> focus_;
    bool hideFocus_ = true;
};

}  // namespace vx
