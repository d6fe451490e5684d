// The button bar's state apart from the window: one lit button, the Tab
// order with its focus mark, and what each button says.
#include <gtest/gtest.h>

#include "app/button_bar.h"

namespace vx {
namespace {

TEST(ButtonBar, AJumpFromButtonToButtonPutsTheFirstBack) {
    ButtonBarState bar;
    EXPECT_EQ(bar.Hover(BarButton::Save), std::nullopt);
    EXPECT_EQ(bar.Hover(BarButton::Save), std::nullopt);
    EXPECT_EQ(bar.Hover(BarButton::TypeCrest), BarButton::Save);
    EXPECT_EQ(bar.Lit(), BarButton::TypeCrest);
    bar.Leave();
    EXPECT_EQ(bar.Lit(), std::nullopt);
    EXPECT_EQ(bar.Hover(BarButton::Exit), std::nullopt);
}

TEST(ButtonBar, TabGoesRoundTheSevenInBarOrderAndTheMarkWaitsForTheKeyboard) {
    ButtonBarState bar;
    EXPECT_EQ(bar.MoveFocus(false), BarButton::BrowseImage);
    for (int i = 1; i < kBarButtonCount; ++i) EXPECT_EQ(static_cast<int>(bar.MoveFocus(false)), i);
    EXPECT_EQ(bar.MoveFocus(false), BarButton::BrowseImage);
    EXPECT_EQ(bar.MoveFocus(true), BarButton::Exit);
    EXPECT_EQ(bar.MoveFocus(true), BarButton::Taringa);
    ButtonBarState fresh;
    EXPECT_EQ(fresh.MoveFocus(true), BarButton::Exit);

    EXPECT_FALSE(bar.ShowsFocusMark(BarButton::Taringa));
    bar.ApplyUiState(UiStateAction::Clear, kUiHideFocus);
    EXPECT_TRUE(bar.ShowsFocusMark(BarButton::Taringa));
    EXPECT_FALSE(bar.ShowsFocusMark(BarButton::Exit));
    // Other cues leave the focus mark alone; hiding focus cues hides it.
    bar.ApplyUiState(UiStateAction::Set, 0x2);
    EXPECT_TRUE(bar.FocusCuesShown());
    bar.ApplyUiState(UiStateAction::Set, kUiHideFocus);
    EXPECT_FALSE(bar.FocusCuesShown());
}

TEST(ButtonBar, TooltipsEndWithTheKeyAndScreenReadersGetOneLine) {
    EXPECT_EQ(TooltipText(BarButton::Save), L"Guarda la crest / Saves Crest\r\nCtrl+S");
    EXPECT_EQ(TooltipText(BarButton::Exit), L"Salir del programa\r\nExit\r\nAlt+F4");
    EXPECT_EQ(TooltipText(BarButton::Facebook), TextsOf(BarButton::Facebook).text);
    EXPECT_EQ(AccessibleName(BarButton::BrowseImage),
              L"Ayuda: Abre una imagen PNG, JPG, BMP, GIF, ICO, TIF, EMF o WMF Open PNG, JPG, BMP, GIF, ICO, TIF, EMF "
              L"or WMF pictures");
}

}  // namespace
}  // namespace vx
