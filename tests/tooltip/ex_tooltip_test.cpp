// A real tooltip for a real owner window under a controlled pointer: ticks
// are sent by hand, so every step is deterministic. One visible owner
// serves every case (a top-level window is slow to come up under Wine).
#include <windows.h>
#include <gtest/gtest.h>

#include <string_view>

#include "base/run_time_error.h"
#include "support/win_test_support.h"
#include "tooltip/ex_tooltip.h"
#include "tooltip/tip_geometry.h"

namespace vx {
namespace {

using test::LiveGdiObjects;

constexpr COLORREF kOwnerColour = 0x00406080;
constexpr COLORREF kBack = 0x00336699;
constexpr COLORREF kInk = 0x00102030;
constexpr POINT kOwnerAt{300, 300};
constexpr SIZE kOwnerSize{400, 300};
// Near the owner's bottom: the balloon goes above the pointer, over the owner.
constexpr POINT kPointer{420, 580};
constexpr POINT kAway{100, 100};

LRESULT CALLBACK OwnerProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    return DefWindowProcW(hwnd, msg, wParam, lParam);
}

HWND MakeOwner(bool visible) {
    static HBRUSH brush = CreateSolidBrush(kOwnerColour);
    static bool registered = false;
    if (!registered) {
        WNDCLASSW wc{};
        wc.lpfnWndProc = OwnerProc;
        wc.hInstance = GetModuleHandleW(nullptr);
        wc.hbrBackground = brush;
        wc.lpszClassName = L"TipOwner";
        RegisterClassW(&wc);
        registered = true;
    }
    return CreateWindowExW(0, L"TipOwner", L"owner", WS_POPUP | (visible ? WS_VISIBLE : 0), kOwnerAt.x, kOwnerAt.y,
                           kOwnerSize.cx, kOwnerSize.cy, nullptr, nullptr, GetModuleHandleW(nullptr), nullptr);
}

COLORREF PixelOf(HWND window, int x, int y) {
    WindowDc dc(window);
    return GetPixel(dc.get(), x, y);
}

class ExToolTipTest : public testing::Test {
protected:
    static void SetUpTestSuite() {
        owner_ = MakeOwner(true);
        UpdateWindow(owner_);
        test::PumpFor(300);
    }
    static void TearDownTestSuite() { DestroyWindow(owner_); }
    void TearDown() override { SetCursorPos(kAway.x, kAway.y); }

    static void Arm(ExToolTip& tip, std::int32_t alpha = 100, std::int32_t icon = 0, std::int32_t style = 1) {
        tip.SetDelayTime(2);
        tip.SetToolTipStyle(style);
        tip.SetBackColor(kBack);
        tip.SetTextColor(kInk);
        tip.ShowToolTip(owner_, L"Ayuda / Help", L"Guarda la crest / Saves Crest", icon, alpha);
    }
    static void HoverAndRest(int ticks = 4) {
        SetCursorPos(kPointer.x, kPointer.y);
        SendMessageW(owner_, WM_MOUSEMOVE, 0, MAKELPARAM(kPointer.x - kOwnerAt.x, kPointer.y - kOwnerAt.y));
        Ticks(ticks);
    }
    static void Ticks(int n) {
        for (int i = 0; i < n; ++i) SendMessageW(owner_, WM_TIMER, ExToolTip::kTickTimerId, 0);
    }

    static HWND owner_;
};

HWND ExToolTipTest::owner_ = nullptr;

TEST_F(ExToolTipTest, ABalloonShowsAbovethePointerWithItsShapeBorderAndBackground) {
    ExToolTip tip;
    Arm(tip);
    EXPECT_TRUE(tip.Alive());
    HoverAndRest(3);
    EXPECT_EQ(tip.TipWindow(), nullptr);
    Ticks(1);
    HWND window = tip.TipWindow();
    ASSERT_TRUE(window);
    EXPECT_TRUE(IsWindowVisible(window));
    EXPECT_EQ(test::WindowText(window), L"QTX-EXTOOLTIP");
    EXPECT_TRUE(GetWindowLongPtrW(window, GWL_EXSTYLE) & WS_EX_TOOLWINDOW);
    EXPECT_NE(GetForegroundWindow(), window);

    // Above the pointer with the stem at the bottom left.
    RECT r{};
    GetWindowRect(window, &r);
    const int w = r.right - r.left, t = r.bottom - r.top;
    EXPECT_EQ(r.bottom, kPointer.y);
    EXPECT_EQ(r.left, kPointer.x - 16);
    EXPECT_GT(w, 100);

    // The region is the balloon, pixel for pixel.
    UniqueRegion region(CreateRectRgn(0, 0, 0, 0));
    ASSERT_EQ(GetWindowRgn(window, region.get()), COMPLEXREGION);
    const tooltip::ShapeMasks masks = tooltip::TipShape(w, t, 17, -17, true);
    int mismatches = 0;
    for (int y = 0; y < t; ++y)
        for (int x = 0; x < w; ++x) mismatches += (PtInRegion(region.get(), x, y) != FALSE) != masks.shape.At(x, y);
    EXPECT_EQ(mismatches, 0);

    // Opaque: the border in the text colour, the body in the back colour,
    // the stem's tip outlined.
    const int middle = (t - 17) / 2;
    EXPECT_EQ(PixelOf(window, 0, middle), kInk);
    EXPECT_EQ(PixelOf(window, w - 1, middle), kInk);
    EXPECT_EQ(PixelOf(window, w - 3, middle), kBack);
    EXPECT_EQ(PixelOf(window, 18, t - 1), kInk);
}

TEST_F(ExToolTipTest, ItRepaintsFromItsPictureAndANullFontIsTheMessageFont) {
    ExToolTip tip;
    tip.SetFont(nullptr);
    ASSERT_TRUE(tip.Font());
    Arm(tip);
    HoverAndRest();
    HWND window = tip.TipWindow();
    ASSERT_TRUE(window);
    RECT r{};
    GetWindowRect(window, &r);
    const int w = r.right - r.left, middle = (r.bottom - r.top - 17) / 2;
    // Something passes over it and the platform asks for a repaint.
    {
        WindowDc dc(window);
        RECT all{0, 0, w, r.bottom - r.top};
        FillRect(dc.get(), &all, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
    }
    RedrawWindow(window, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW);
    EXPECT_EQ(PixelOf(window, 0, middle), kInk);
    EXPECT_EQ(PixelOf(window, w - 3, middle), kBack);
}

TEST_F(ExToolTipTest, ItExpiresAfterKillTimeAndEveryPropertyButAliveAndPictureIsReset) {
    ExToolTip tip;
    auto picture = std::make_shared<const Bitmap32>(8, 8);
    tip.SetPicture(picture);
    tip.SetShadow(true);
    tip.SetKillTime(3);
    tip.SetGradientColorEnd(0x123456);
    tip.SetGradientColorStart(ExToolTip::kSystemColor | COLOR_WINDOW);
    tip.SetBackStyle(3);
    Arm(tip);
    HoverAndRest();
    HWND window = tip.TipWindow();
    ASSERT_TRUE(window);
    // A gradient resolves its system colours into the properties.
    EXPECT_EQ(tip.GradientColorStart(), GetSysColor(COLOR_WINDOW));
    EXPECT_EQ(tip.GradientColorEnd(), 0x123456u);
    Ticks(3);
    EXPECT_TRUE(IsWindow(window));
    Ticks(1);
    EXPECT_FALSE(IsWindow(window));
    EXPECT_FALSE(tip.Alive());
    EXPECT_EQ(tip.DelayTime(), 100);
    EXPECT_EQ(tip.KillTime(), 500);
    EXPECT_EQ(tip.ToolTipStyle(), 0);
    EXPECT_FALSE(tip.Shadow());
    EXPECT_EQ(tip.BackColor(), 0x80000018u);
    EXPECT_EQ(tip.TextColor(), 0x80000012u);
    EXPECT_EQ(tip.GradientColorEnd(), 0x80000001u);
    EXPECT_EQ(tip.IconSize(), 16);
    EXPECT_EQ(tip.Picture(), picture);

    // Expired: the next request clears up and arms at once.
    Arm(tip);
    EXPECT_TRUE(tip.Alive());
}

TEST_F(ExToolTipTest, AClickHidesItAndLeavesItAlive) {
    ExToolTip tip;
    Arm(tip);
    HoverAndRest();
    HWND window = tip.TipWindow();
    ASSERT_TRUE(window);
    SendMessageW(owner_, WM_MOUSEACTIVATE, reinterpret_cast<WPARAM>(owner_), MAKELPARAM(HTCLIENT, WM_LBUTTONDOWN));
    EXPECT_FALSE(IsWindow(window));
    EXPECT_TRUE(tip.Alive());
    EXPECT_EQ(tip.BackColor(), 0x80000018u);
    // Leaving hides nothing more and stops the timer.
    SetCursorPos(kAway.x, kAway.y);
    Ticks(1);
    EXPECT_FALSE(tip.Tracker().Tracking());
}

TEST_F(ExToolTipTest, OpacityBlendsWithTheScreenBehindAndPastOneHundredIsOpaque) {
    {
        ExToolTip tip;
        Arm(tip, 0);
        HoverAndRest();
        HWND window = tip.TipWindow();
        ASSERT_TRUE(window);
        RECT r{};
        GetWindowRect(window, &r);
        // Transparent: the owner's colour shows through border and body.
        EXPECT_EQ(PixelOf(window, r.right - r.left - 3, 20), kOwnerColour);
        EXPECT_EQ(PixelOf(window, 0, 20), kOwnerColour);
    }
    {
        ExToolTip tip;
        Arm(tip, 150);
        HoverAndRest();
        HWND window = tip.TipWindow();
        ASSERT_TRUE(window);
        RECT r{};
        GetWindowRect(window, &r);
        EXPECT_EQ(PixelOf(window, r.right - r.left - 3, 20), kBack);
    }
    {
        // A bad opacity is refused before the tooltip on show is touched.
        ExToolTip tip;
        Arm(tip);
        HoverAndRest();
        HWND window = tip.TipWindow();
        ASSERT_TRUE(window);
        try {
            Arm(tip, 256);
            ADD_FAILURE() << "an opacity of 256 was accepted";
        } catch (const RunTimeError& error) {
            EXPECT_EQ(error.Number(), kErrOverflow);
        }
        EXPECT_EQ(tip.TipWindow(), window);
        EXPECT_TRUE(IsWindowVisible(window));
        EXPECT_TRUE(tip.Tracker().Tracking());
    }
}

TEST_F(ExToolTipTest, RectangleWithShadowIconsAndACallersIcon) {
    ExToolTip tip;
    tip.SetShadow(true);
    Arm(tip, 100, ExToolTip::kIconHelp, 0);
    HoverAndRest();
    HWND window = tip.TipWindow();
    ASSERT_TRUE(window);
    UniqueRegion region(CreateRectRgn(0, 0, 0, 0));
    EXPECT_EQ(GetWindowRgn(window, region.get()), ERROR);
    EXPECT_TRUE(GetClassLongPtrW(window, GCL_STYLE) & CS_DROPSHADOW);
    WNDCLASSEXW dialog{};
    dialog.cbSize = sizeof(dialog);
    ASSERT_TRUE(GetClassInfoExW(nullptr, L"#32770", &dialog));
    EXPECT_FALSE(dialog.style & CS_DROPSHADOW);
    RECT r{};
    GetWindowRect(window, &r);
    EXPECT_EQ(r.bottom, kPointer.y);
    EXPECT_EQ(r.left, kPointer.x + 1);
    // The help icon lies at (12, 8), 16 pixels wide: not all back colour.
    int painted = 0;
    for (int y = 8; y < 24; ++y)
        for (int x = 12; x < 28; ++x) painted += PixelOf(window, x, y) != kBack;
    EXPECT_GT(painted, 40);

    // A caller's icon is drawn and stays the caller's.
    ICONINFO info{};
    GetIconInfo(LoadIconW(nullptr, IDI_APPLICATION), &info);
    HICON own = CreateIconIndirect(&info);
    DeleteObject(info.hbmColor);
    DeleteObject(info.hbmMask);
    ExToolTip other;
    Arm(other, 100, static_cast<std::int32_t>(reinterpret_cast<std::intptr_t>(own)));
    HoverAndRest();
    ASSERT_TRUE(other.TipWindow());
    SetCursorPos(kAway.x, kAway.y);
    Ticks(1);
    EXPECT_EQ(other.TipWindow(), nullptr);
    ICONINFO still{};
    EXPECT_TRUE(GetIconInfo(own, &still));
    DeleteObject(still.hbmColor);
    DeleteObject(still.hbmMask);
    DestroyIcon(own);
}

TEST_F(ExToolTipTest, AnOwnerDestroyedWhileHookedTakesTheHookAlong) {
    ExToolTip tip;
    HWND doomed = MakeOwner(false);
    std::int32_t alpha = 100;
    tip.ShowToolTip(doomed, L"t", L"x", 0, alpha);
    DestroyWindow(doomed);
    Arm(tip);
    HoverAndRest();
    EXPECT_TRUE(tip.TipWindow());
}

// Refuses every tooltip window, as a platform out of windows would.
LRESULT CALLBACK RefuseTipWindows(int code, WPARAM wParam, LPARAM lParam) {
    if (code == HCBT_CREATEWND) {
        const auto* create = reinterpret_cast<CBT_CREATEWNDW*>(lParam);
        if (create->lpcs->lpszName && std::wstring_view(create->lpcs->lpszName) == ExToolTip::kWindowTitle) return 1;
    }
    return CallNextHookEx(nullptr, code, wParam, lParam);
}

TEST_F(ExToolTipTest, AFailedDisplayLeavesNothingBehindAndIsNotRetriedDuringTheHover) {
    ExToolTip tip;
    Arm(tip);
    HoverAndRest();
    SetCursorPos(kAway.x, kAway.y);
    Ticks(1);
    const DWORD before = LiveGdiObjects();
    {
        UniqueHook refuse(SetWindowsHookExW(WH_CBT, RefuseTipWindows, nullptr, GetCurrentThreadId()));
        ASSERT_TRUE(refuse);
        Arm(tip);
        HoverAndRest(20);
        EXPECT_EQ(tip.TipWindow(), nullptr);
        EXPECT_TRUE(tip.Tracker().Shown());
        EXPECT_TRUE(tip.Alive());
    }
    // Not retried while the pointer stays; the next hover shows it.
    Ticks(10);
    EXPECT_EQ(tip.TipWindow(), nullptr);
    SetCursorPos(kAway.x, kAway.y);
    Ticks(1);
    EXPECT_EQ(LiveGdiObjects(), before);
    Arm(tip);
    HoverAndRest();
    EXPECT_TRUE(tip.TipWindow());
}

TEST_F(ExToolTipTest, ShowAndHideTwoHundredTimesWithoutGrowingGdiObjects) {
    ExToolTip tip;
    const auto cycle = [&] {
        Arm(tip);
        HoverAndRest();
        ASSERT_TRUE(tip.TipWindow());
        SetCursorPos(kAway.x, kAway.y);
        Ticks(1);
        ASSERT_EQ(tip.TipWindow(), nullptr);
    };
    for (int i = 0; i < 5; ++i) cycle();
    const DWORD before = LiveGdiObjects();
    {
        // The count sees new objects.
        UniqueBrush a(CreateSolidBrush(1)), b(CreateSolidBrush(2));
        ASSERT_EQ(LiveGdiObjects(), before + 2);
    }
    for (int i = 0; i < 200; ++i) cycle();
    const DWORD after = LiveGdiObjects();
    EXPECT_LE(after, before + 2) << before << " -> " << after;
}

}  // namespace
}  // namespace vx
