// Start-up of the main window: every control where the layout puts it,
// the crest-mode menu, and the character's name drawn with its outline.
#include <windows.h>
#include <commdlg.h>
#include <gtest/gtest.h>

#include "app/main_window.h"
#include "app/reference_label.h"
#include "app/settings.h"
#include "dialogs/filter_text.h"
#include "support/win_test_support.h"

namespace vx {
namespace {

// A control's rectangle in its parent's client coordinates, read from the
// window itself.
RECT RectInParent(HWND control) {
    RECT r{};
    GetWindowRect(control, &r);
    MapWindowPoints(nullptr, GetParent(control), reinterpret_cast<POINT*>(&r), 2);
    return r;
}

std::string Narrow(const std::wstring& text) { return std::string(text.begin(), text.end()); }

bool Inside(const RECT& inner, const RECT& outer) {
    return inner.left >= outer.left && inner.top >= outer.top && inner.right <= outer.right &&
           inner.bottom <= outer.bottom;
}

class MainWindowTest : public testing::Test {
protected:
    void StartWithName(const wchar_t* stored) {
        if (stored) {
            ASSERT_TRUE(SaveSetting(L"Vexillor", L"Options", L"Nombre", stored));
        } else {
            ASSERT_TRUE(DeleteSetting(L"Vexillor", L"Options", L"Nombre"));
        }
        Main::Options options;
        options.quitOnDestroy = false;
        ASSERT_TRUE(main_.Start(options));
        test::PumpFor(50);
    }
    void TearDown() override { DeleteSetting(L"Vexillor", L"Options", L"Nombre"); }

    Main main_;
};

TEST_F(MainWindowTest, WindowIsAFixedCaptionedSixThirtySevenByFourSeventyNineClient) {
    StartWithName(nullptr);
    HWND hwnd = main_.hWnd();
    EXPECT_EQ(test::WindowText(hwnd), L"Vexillor");
    RECT client{};
    GetClientRect(hwnd, &client);
    EXPECT_EQ(client.right, 637);
    EXPECT_EQ(client.bottom, 479);
    const LONG_PTR style = GetWindowLongPtrW(hwnd, GWL_STYLE);
    EXPECT_TRUE(style & WS_CAPTION);
    EXPECT_FALSE(style & WS_THICKFRAME);
    EXPECT_FALSE(style & WS_MAXIMIZEBOX);
    EXPECT_TRUE(IsWindowVisible(hwnd));
    EXPECT_TRUE(reinterpret_cast<HICON>(GetClassLongPtrW(hwnd, GCLP_HICON)));
    EXPECT_EQ(GetMenu(hwnd), nullptr);
}

TEST_F(MainWindowTest, TheSevenButtonsSitWholeInTheBarAndEachTakesTheClicksOnIt) {
    StartWithName(nullptr);
    PictureSurface* const buttons[] = {&main_.PicBrowseImage, &main_.PicSave,    &main_.PicTypeCrest, &main_.PicRename,
                                       &main_.PicFB,          &main_.PicTaringa, &main_.PicSalir};
    RECT bar{};
    GetClientRect(main_.PicBarra.hWnd(), &bar);
    for (PictureSurface* button : buttons) {
        HWND hwnd = button->hWnd();
        SCOPED_TRACE(testing::Message() << Narrow(test::WindowText(hwnd)));
        ASSERT_EQ(GetParent(hwnd), main_.PicBarra.hWnd());
        EXPECT_TRUE(IsWindowVisible(hwnd));
        const RECT r = RectInParent(hwnd);
        EXPECT_EQ(r.right - r.left, 32);
        EXPECT_EQ(r.bottom - r.top, 32);
        EXPECT_TRUE(Inside(r, bar));
        const POINT centre{(r.left + r.right) / 2, (r.top + r.bottom) / 2};
        EXPECT_EQ(ChildWindowFromPointEx(main_.PicBarra.hWnd(), centre, CWP_SKIPINVISIBLE), hwnd);
    }
}

TEST_F(MainWindowTest, TheClanCrestShowsInTheBackgroundAndEveryCrestSurfaceHasItsCrestSize) {
    StartWithName(nullptr);
    RECT background{};
    GetClientRect(main_.PicFondo.hWnd(), &background);
    EXPECT_TRUE(IsWindowVisible(main_.ImgClanCrest.hWnd()));
    const struct {
        PictureSurface* surface;
        int width;
    } crests[] = {{&main_.ImgClanCrest, 16}, {&main_.ImgAllyCrest, 24}, {&main_.PicClanCrest, 16},
                  {&main_.PicCrestAlly, 24}, {&main_.PicCrestAlly1, 8}, {&main_.PicCrestAlly2, 16}};
    for (const auto& crest : crests) {
        HWND hwnd = crest.surface->hWnd();
        SCOPED_TRACE(testing::Message() << Narrow(test::WindowText(hwnd)));
        ASSERT_EQ(GetParent(hwnd), main_.PicFondo.hWnd());
        const RECT r = RectInParent(hwnd);
        EXPECT_TRUE(Inside(r, background));
        EXPECT_EQ(r.right - r.left, crest.width);
        EXPECT_EQ(r.bottom - r.top, 12);
        EXPECT_EQ(IsWindowVisible(hwnd) != FALSE, crest.surface == &main_.ImgClanCrest);
    }
    for (PictureSurface* store : {&main_.Pic7a, &main_.Pic1b, &main_.PicBuff, &main_.Pictemp})
        EXPECT_FALSE(IsWindowVisible(store->hWnd()));
}

TEST_F(MainWindowTest, TheBarLiesOverTheBackground) {
    StartWithName(nullptr);
    RECT bar{};
    GetWindowRect(main_.PicBarra.hWnd(), &bar);
    POINT centre{(bar.left + bar.right) / 2, bar.top + 2};
    ScreenToClient(main_.hWnd(), &centre);
    EXPECT_EQ(ChildWindowFromPointEx(main_.hWnd(), centre, CWP_SKIPINVISIBLE), main_.PicBarra.hWnd());
}

TEST_F(MainWindowTest, ButtonsShowTheirNormalPicturesAndCrestsStartInTheirBackColours) {
    StartWithName(nullptr);
    EXPECT_EQ(main_.PicBrowseImage.Picture(), main_.Pic1a.Picture());
    EXPECT_EQ(main_.PicSave.Picture(), main_.Pic2a.Picture());
    EXPECT_EQ(main_.PicTypeCrest.Picture(), main_.Pic3a.Picture());
    EXPECT_EQ(main_.PicRename.Picture(), main_.Pic4a.Picture());
    EXPECT_EQ(main_.PicFB.Picture(), main_.Pic5a.Picture());
    EXPECT_EQ(main_.PicTaringa.Picture(), main_.Pic6a.Picture());
    EXPECT_EQ(main_.PicSalir.Picture(), main_.Pic7a.Picture());
    for (auto* surface : {&main_.Pic1a, &main_.Pic1b, &main_.Pic3b, &main_.Pic7b}) {
        ASSERT_TRUE(surface->Picture());
        EXPECT_EQ(surface->Picture()->width(), 32);
        EXPECT_EQ(surface->Picture()->height(), 32);
    }
    EXPECT_NE(main_.Pic1a.Picture()->pixel(16, 16), main_.Pic1b.Picture()->pixel(16, 16));
    EXPECT_EQ(main_.PicFondo.Picture()->width(), 640);
    EXPECT_EQ(main_.PicFondo.Picture()->height(), 480);
    EXPECT_EQ(main_.PicBarra.Picture()->width(), 507);
    EXPECT_EQ(main_.PicBarra.Picture()->height(), 49);
    EXPECT_EQ(main_.PicClanCrest.Image()->pixel(0, 0), 0xC0C000u);
    EXPECT_EQ(main_.PicCrestAlly.Image()->pixel(23, 11), 0xC0C000u);
    EXPECT_EQ(main_.PicCrestAlly1.Image()->pixel(7, 0), 0xFFFF00u);
    EXPECT_EQ(main_.ImgClanCrest.Picture()->width(), 16);
    EXPECT_EQ(main_.ImgClanCrest.Picture()->height(), 12);
}

TEST_F(MainWindowTest, CrestMenuIsAPopupWithClanChecked) {
    StartWithName(nullptr);
    HMENU menu = main_.MnuTypeCrest();
    ASSERT_TRUE(menu);
    // The two modes, then a separator and the independent crest choices.
    EXPECT_EQ(GetMenuItemCount(menu), 8);
    EXPECT_EQ(GetMenuItemID(menu, 3), Main::kMenuKeepProportionsId);
    EXPECT_EQ(GetMenuItemID(menu, 4), Main::kMenuCrispId);
    EXPECT_EQ(GetMenuItemID(menu, 5), Main::kMenuFrameId);
    EXPECT_EQ(GetMenuItemID(menu, 6), Main::kMenuBackgroundId);
    EXPECT_EQ(GetMenuItemID(menu, 7), Main::kMenuPasteId);
    wchar_t text[64] = {};
    GetMenuStringW(menu, Main::kMenuClanId, text, 64, MF_BYCOMMAND);
    EXPECT_STREQ(text, L"Clan Crest");
    GetMenuStringW(menu, Main::kMenuAllyClanId, text, 64, MF_BYCOMMAND);
    EXPECT_STREQ(text, L"Ally + Clan Crest");
    GetMenuStringW(menu, Main::kMenuCrispId, text, 64, MF_BYCOMMAND);
    EXPECT_STREQ(text, L"Crisp / Nítido");
    EXPECT_EQ(GetMenuState(menu, Main::kMenuClanId, MF_BYCOMMAND) & MF_CHECKED, static_cast<UINT>(MF_CHECKED));
    EXPECT_EQ(GetMenuState(menu, Main::kMenuAllyClanId, MF_BYCOMMAND) & MF_CHECKED, 0u);
}

TEST_F(MainWindowTest, FirstStartDrawsKorvaldInWhiteWithABlackOutline) {
    StartWithName(nullptr);
    const Bitmap32& image = main_.PicFondo.ImageBitmap();
    int white = 0, black = 0;
    for (int y = 95; y < 122; ++y)
        for (int x = 310; x < 420; ++x) {
            const std::uint32_t p = image.pixel(x, y) & 0xFFFFFF;
            if (p == 0xFFFFFF) {
                ++white;
                // Every white pixel of the text has its outline around it.
                EXPECT_GE(x, 315);
                EXPECT_GE(y, 100);
            }
            if (p == 0) ++black;
        }
    EXPECT_GT(white, 20);
    EXPECT_GT(black, 20);

    const Bitmap32 expected = test::ReferenceLabel(main_, L"Korvald");
    for (int y = 90; y < 122; ++y)
        for (int x = 300; x < 460; ++x)
            ASSERT_EQ(image.pixel(x, y) & 0xFFFFFF, expected.pixel(x, y) & 0xFFFFFF) << x << "," << y;
}

TEST_F(MainWindowTest, AStoredNameIsDrawnInstead) {
    StartWithName(L"Zed \u00D1o\u00F1o");
    const Bitmap32& image = main_.PicFondo.ImageBitmap();
    const Bitmap32 expected = test::ReferenceLabel(main_, L"Zed \u00D1o\u00F1o");
    const Bitmap32 korvald = test::ReferenceLabel(main_, L"Korvald");
    bool differsFromDefault = false;
    for (int y = 90; y < 122; ++y)
        for (int x = 300; x < 460; ++x) {
            ASSERT_EQ(image.pixel(x, y) & 0xFFFFFF, expected.pixel(x, y) & 0xFFFFFF);
            differsFromDefault |= (image.pixel(x, y) & 0xFFFFFF) != (korvald.pixel(x, y) & 0xFFFFFF);
        }
    EXPECT_TRUE(differsFromDefault);
}

TEST_F(MainWindowTest, OpenDialogIsSetUpAtStart) {
    StartWithName(nullptr);
    ASSERT_TRUE(main_.OpenDialog);
    EXPECT_TRUE(main_.OpenDialog->CancelError());
    EXPECT_EQ(main_.OpenDialog->InitDir(), Main::ProgramFolder());
    EXPECT_EQ(main_.OpenDialog->DialogTitle(), L"Abrir archivo de imagen");
    // Every picture the loader reads is listed, not only JPG, BMP and GIF.
    EXPECT_EQ(main_.OpenDialog->Filter2(), kFilterEveryPicture);
    EXPECT_EQ(main_.OpenDialog->FilterText(), BuildFilterText(kFilterEveryPicture));
}

TEST_F(MainWindowTest, TheOpenButtonShowsTheDialogAndKeepsTheChosenPath) {
    StartWithName(nullptr);
    HWND dlg = nullptr;
    const std::wstring path = test::DataPath(L"pictures\\sample.bmp");
    test::ModalDriver driver({test::WaitForDialog(L"Abrir archivo de imagen", dlg), [&] {
                                  SendMessageW(dlg, CDM_SETCONTROLTEXT, 0x480, reinterpret_cast<LPARAM>(path.c_str()));
                                  PostMessageW(dlg, WM_COMMAND, IDOK, 0);
                                  return true;
                              }});
    main_.PicBrowseImage_Click();
    EXPECT_FALSE(driver.TimedOut());
    EXPECT_EQ(main_.LastChosenPath(), path);
}

TEST_F(MainWindowTest, ClosingThroughTheCaptionReleasesTheDialogAndEndsTheWindow) {
    StartWithName(nullptr);
    HWND hwnd = main_.hWnd();
    SendMessageW(hwnd, WM_SYSCOMMAND, SC_CLOSE, 0);
    test::PumpFor(50);
    EXPECT_FALSE(IsWindow(hwnd));
    EXPECT_EQ(main_.OpenDialog, nullptr);
    EXPECT_EQ(main_.hWnd(), nullptr);
}

}  // namespace
}  // namespace vx
