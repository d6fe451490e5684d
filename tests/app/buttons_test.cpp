// The live button bar of the real main window: hover pictures, the
// tooltip armed per button, the bar and background putting buttons back,
// and a real balloon after the pointer rests. One window for every case.
#include <windows.h>
#include <oleacc.h>
#include <gtest/gtest.h>

#include "app/accessibility.h"
#include "app/main_window.h"
#include "support/win_test_support.h"
#include "test_window.h"

namespace vx {
namespace {

void MoveOver(const PictureSurface& surface, int x = 10, int y = 10) {
    SendMessageW(surface.hWnd(), WM_MOUSEMOVE, 0, MAKELPARAM(x, y));
}

TEST(Buttons, HoverPicturesTooltipsAndTheBar) {
    Main main;
    ASSERT_TRUE(test::StartTestWindow(main));
    ASSERT_TRUE(main.ToolTip);
    EXPECT_FALSE(main.ToolTip->Alive());

    // Every button lights up under the pointer and arms its own tooltip.
    struct Button {
        PictureSurface Main::*button;
        PictureSurface Main::*normal;
        PictureSurface Main::*hover;
    };
    const Button buttons[] = {
        {&Main::PicBrowseImage, &Main::Pic1a, &Main::Pic1b}, {&Main::PicSave, &Main::Pic2a, &Main::Pic2b},
        {&Main::PicTypeCrest, &Main::Pic3a, &Main::Pic3b},   {&Main::PicRename, &Main::Pic4a, &Main::Pic4b},
        {&Main::PicFB, &Main::Pic5a, &Main::Pic5b},          {&Main::PicTaringa, &Main::Pic6a, &Main::Pic6b},
        {&Main::PicSalir, &Main::Pic7a, &Main::Pic7b},
    };
    for (const Button& b : buttons) {
        PictureSurface& button = main.*b.button;
        SCOPED_TRACE(testing::Message() << std::string(button.Name().begin(), button.Name().end()));
        MoveOver(button);
        EXPECT_EQ(button.Picture(), (main.*b.hover).Picture());
        EXPECT_TRUE(main.ToolTip->Alive());
        EXPECT_EQ(main.ToolTip->Tracker().Owner(), reinterpret_cast<tooltip::WindowId>(button.hWnd()));
        EXPECT_EQ(main.ToolTip->DelayTime(), 2);
        EXPECT_EQ(main.ToolTip->ToolTipStyle(), 1);
        EXPECT_TRUE(main.ToolTip->Shadow());
        MoveOver(main.PicBarra);
        EXPECT_EQ(button.Picture(), (main.*b.normal).Picture());
        EXPECT_FALSE(main.TipShown);
    }

    // Moving inside one button arms its tooltip once while it is alive.
    MoveOver(main.PicSave);
    main.ToolTip->SetDelayTime(77);
    MoveOver(main.PicSave, 20, 20);
    EXPECT_EQ(main.ToolTip->DelayTime(), 77);
    // A jump from button to button without the bar: one lit button, and
    // the new one's tooltip armed.
    MoveOver(main.PicTypeCrest);
    EXPECT_EQ(main.PicSave.Picture(), main.Pic2a.Picture());
    EXPECT_EQ(main.PicTypeCrest.Picture(), main.Pic3b.Picture());
    EXPECT_EQ(main.ToolTip->Tracker().Owner(), reinterpret_cast<tooltip::WindowId>(main.PicTypeCrest.hWnd()));
    // A tooltip that has gone by itself is armed again by the next button.
    main.ToolTip->SetAlive(false);
    MoveOver(main.PicRename);
    EXPECT_TRUE(main.ToolTip->Alive());
    EXPECT_EQ(main.ToolTip->Tracker().Owner(), reinterpret_cast<tooltip::WindowId>(main.PicRename.hWnd()));
    // The background puts every button back too.
    MoveOver(main.PicFondo, 300, 300);
    EXPECT_EQ(main.PicSave.Picture(), main.Pic2a.Picture());
    EXPECT_EQ(main.PicTypeCrest.Picture(), main.Pic3a.Picture());
    EXPECT_EQ(main.PicRename.Picture(), main.Pic4a.Picture());

    // A resting pointer on the save button brings up its balloon. The first
    // move arms, the next starts the ticks.
    RECT save{};
    GetWindowRect(main.PicSave.hWnd(), &save);
    SetCursorPos(save.left + 16, save.top + 16);
    MoveOver(main.PicSave, 16, 16);
    MoveOver(main.PicSave, 16, 16);
    for (int i = 0; i < 4; ++i) SendMessageW(main.PicSave.hWnd(), WM_TIMER, ExToolTip::kTickTimerId, 0);
    HWND balloon = main.ToolTip->TipWindow();
    ASSERT_TRUE(balloon);
    EXPECT_TRUE(IsWindowVisible(balloon));
    EXPECT_EQ(test::WindowText(balloon), L"QTX-EXTOOLTIP");
    RECT r{};
    GetWindowRect(balloon, &r);
    EXPECT_EQ(r.bottom, save.top + 16);
    // Straight on to the neighbour, over the bar's 6 pixels, before the
    // balloon's next tick: the neighbour's own balloon comes up.
    RECT crest{};
    GetWindowRect(main.PicTypeCrest.hWnd(), &crest);
    MoveOver(main.PicBarra, 108, 20);
    SetCursorPos(crest.left + 16, crest.top + 16);
    MoveOver(main.PicTypeCrest, 16, 16);
    EXPECT_FALSE(IsWindow(balloon));
    MoveOver(main.PicTypeCrest, 16, 16);
    for (int i = 0; i < 4; ++i) SendMessageW(main.PicTypeCrest.hWnd(), WM_TIMER, ExToolTip::kTickTimerId, 0);
    balloon = main.ToolTip->TipWindow();
    ASSERT_TRUE(balloon);
    EXPECT_TRUE(IsWindowVisible(balloon));
    GetWindowRect(balloon, &r);
    EXPECT_EQ(r.bottom, crest.top + 16);

    // Onto the bar: the balloon goes.
    RECT bar{};
    GetWindowRect(main.PicBarra.hWnd(), &bar);
    SetCursorPos(bar.left + 5, bar.top + 5);
    MoveOver(main.PicBarra, 5, 5);
    SendMessageW(main.PicTypeCrest.hWnd(), WM_TIMER, ExToolTip::kTickTimerId, 0);
    EXPECT_FALSE(IsWindow(balloon));
    SetCursorPos(0, 0);

    // What a screen reader hears: a push button named by its tooltip, with
    // its key; the previews say what they show. Read from the object the
    // window answers WM_GETOBJECT with.
    const auto heard = [](HWND window) {
        ComPtr<IAccessible> object;
        *object.put() = ScreenReaderObject(window);
        VARIANT self{}, role{};
        self.vt = VT_I4;
        BSTR name = nullptr, keys = nullptr;
        if (!object || object->get_accRole(self, &role) != S_OK || object->get_accName(self, &name) != S_OK)
            return std::wstring(L"nothing");
        object->get_accKeyboardShortcut(self, &keys);
        std::wstring said = std::to_wstring(role.lVal) + L" " + name + L" [" + (keys ? keys : L"") + L"]";
        SysFreeString(name);
        SysFreeString(keys);
        return said;
    };
    for (int i = 0; i < kBarButtonCount; ++i) {
        const BarButton which = static_cast<BarButton>(i);
        const wchar_t* keys = TextsOf(which).keys;
        EXPECT_EQ(heard((main.*buttons[i].button).hWnd()), std::to_wstring(ROLE_SYSTEM_PUSHBUTTON) + L" " +
                                                               AccessibleName(which) + L" [" + (keys ? keys : L"") +
                                                               L"]");
    }
    EXPECT_EQ(heard(main.ImgClanCrest.hWnd()), std::to_wstring(ROLE_SYSTEM_GRAPHIC) + L" Clan crest 16 x 12 []");
    EXPECT_EQ(heard(main.PicBarra.hWnd()), L"nothing");

    // Closing through the caption releases the tooltip with the window.
    main.Close();
    test::PumpFor(50);
    EXPECT_EQ(main.ToolTip, nullptr);
}

}  // namespace
}  // namespace vx
