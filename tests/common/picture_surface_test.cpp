// Picture surfaces keep what is drawn on them, hidden or not, and wipe it
// back to their picture on Cls.
#include <gtest/gtest.h>

#include "common/picture_surface.h"
#include "support/win_test_support.h"

namespace vx {
namespace {

class SurfaceTest : public testing::Test {
protected:
    void SetUp() override {
        host_ = CreateWindowExW(0, L"STATIC", L"host", WS_POPUP | WS_VISIBLE, 0, 0, 200, 200, nullptr, nullptr, nullptr,
                                nullptr);
        ASSERT_TRUE(host_);
    }
    void TearDown() override { DestroyWindow(host_); }
    static SharedPicture Solid(int w, int h, Bgra pixel) {
        auto bitmap = std::make_shared<Bitmap32>(w, h);
        std::fill(bitmap->pixels().begin(), bitmap->pixels().end(), pixel);
        return bitmap;
    }
    HWND host_ = nullptr;
};

TEST_F(SurfaceTest, StartsInItsBackColourAndDrawsItsPictureFromTheCorner) {
    PictureSurface surface;
    PictureSurface::Layout layout{10, 20, 30, 20, true, RGB(0xC0, 0xC0, 0), PictureSurface::PictureFit::Natural};
    surface.Create(host_, L"s", layout);
    EXPECT_EQ(surface.ImageBitmap().pixel(5, 5), 0xC0C000u);
    surface.SetPicture(Solid(10, 10, Bgra{0x123456}));
    EXPECT_EQ(surface.ImageBitmap().pixel(5, 5), 0x123456u);
    EXPECT_EQ(surface.ImageBitmap().pixel(15, 5), 0xC0C000u);
}

TEST_F(SurfaceTest, KeepsDrawingsWhileHiddenAndLosesThemOnCls) {
    PictureSurface surface;
    surface.Create(host_, L"s", {0, 0, 40, 40, false, RGB(0, 0, 0), PictureSurface::PictureFit::Natural});
    surface.SetPicture(Solid(40, 40, Bgra{0x0000FF}));
    SetPixel(surface.hDC(), 3, 3, RGB(255, 0, 0));
    surface.SetVisible(true);
    surface.SetVisible(false);
    test::PumpFor(50);
    EXPECT_EQ(surface.Image()->pixel(3, 3), 0xFF0000u);
    surface.Cls();
    EXPECT_EQ(surface.Image()->pixel(3, 3), 0x0000FFu);
}

TEST_F(SurfaceTest, HoldsAPictureLargerThanItself) {
    PictureSurface surface;
    surface.Create(host_, L"buffer", {0, 0, 8, 8, false, RGB(0, 0, 0), PictureSurface::PictureFit::Natural});
    surface.SetPicture(Solid(100, 50, Bgra{0x00FF00}));
    EXPECT_GE(surface.ImageBitmap().width(), 100);
    EXPECT_EQ(surface.ImageBitmap().pixel(99, 49), 0x00FF00u);
    EXPECT_EQ(surface.Image()->width(), 8);
}

TEST_F(SurfaceTest, AnImageControlStretchesItsPictureOverItself) {
    PictureSurface surface;
    surface.Create(host_, L"img", {0, 0, 24, 12, true, RGB(0, 0, 0), PictureSurface::PictureFit::Stretch});
    auto picture = std::make_shared<Bitmap32>(2, 1);
    picture->pixels()[0] = Bgra{0xFF0000};
    picture->pixels()[1] = Bgra{0x0000FF};
    surface.SetPicture(picture);
    EXPECT_EQ(surface.ImageBitmap().pixel(0, 11), 0xFF0000u);
    EXPECT_EQ(surface.ImageBitmap().pixel(11, 0), 0xFF0000u);
    EXPECT_EQ(surface.ImageBitmap().pixel(12, 0), 0x0000FFu);
    EXPECT_EQ(surface.ImageBitmap().pixel(23, 11), 0x0000FFu);
}

TEST_F(SurfaceTest, ShowsItsPersistentImageOnScreen) {
    PictureSurface surface;
    surface.Create(host_, L"s", {0, 0, 20, 20, true, RGB(0, 128, 0), PictureSurface::PictureFit::Natural});
    SetPixel(surface.hDC(), 4, 4, RGB(255, 255, 255));
    surface.Refresh();
    test::PumpFor(50);
    HDC dc = GetDC(surface.hWnd());
    EXPECT_EQ(GetPixel(dc, 4, 4), RGB(255, 255, 255));
    EXPECT_EQ(GetPixel(dc, 10, 10), RGB(0, 128, 0));
    ReleaseDC(surface.hWnd(), dc);
}

}  // namespace
}  // namespace vx

namespace vx {
namespace {

TEST_F(SurfaceTest, AScaledSurfaceGrowsItsWindowAndTakesClicksAndMovesInItsOwnPixels) {
    PictureSurface surface;
    surface.Create(host_, L"s", {10, 20, 32, 32, true, RGB(0, 0, 0), PictureSurface::PictureFit::Natural});
    surface.SetScale(2);
    RECT placed{};
    GetWindowRect(surface.hWnd(), &placed);
    MapWindowPoints(nullptr, host_, reinterpret_cast<POINT*>(&placed), 2);
    EXPECT_EQ(placed.left, 20);
    EXPECT_EQ(placed.top, 40);
    EXPECT_EQ(placed.right - placed.left, 64);
    EXPECT_EQ(surface.Width(), 32);

    int clicks = 0;
    POINT moved{};
    surface.onClick = [&] { ++clicks; };
    surface.onMouseMove = [&](int x, int y, WPARAM) { moved = {x, y}; };
    // Beyond the unscaled 32 x 32 but inside the scaled window: a click.
    SendMessageW(surface.hWnd(), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(60, 60));
    SendMessageW(surface.hWnd(), WM_LBUTTONUP, 0, MAKELPARAM(60, 60));
    EXPECT_EQ(clicks, 1);
    SendMessageW(surface.hWnd(), WM_MOUSEMOVE, 0, MAKELPARAM(61, 7));
    EXPECT_EQ(moved.x, 30);
    EXPECT_EQ(moved.y, 3);
    // Just left of the window stays outside it.
    SendMessageW(surface.hWnd(), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(0, 10));
    SendMessageW(surface.hWnd(), WM_LBUTTONUP, 0, MAKELPARAM(-1, 10));
    EXPECT_EQ(clicks, 1);
}

}  // namespace
}  // namespace vx
