// ExToolTip: an owner-drawn tooltip that follows the pointer over one owner
// window at a time. The caller sets the properties, then ShowToolTip with
// the owner; once the pointer rests on the owner the tooltip shows beside
// it (balloon or rectangle, solid, gradient or picture background, icon,
// bold title, text, shadow, opacity) and goes when the pointer leaves, the
// owner is clicked, or its time is up. Everything runs on the UI thread.
#pragma once
#include <windows.h>

#include <cstdint>
#include <memory>
#include <string>

#include "common/picture_surface.h"
#include "common/win_handles.h"
#include "tooltip/std_font.h"
#include "tooltip/tip_geometry.h"
#include "tooltip/tip_tracking.h"
#include "tooltip/window_hooks.h"

namespace vx {

class ExToolTip : public ISubclass, private tooltip::TrackingPlatform {
public:
    // A colour value: the top bit set names a system colour by the index in
    // its low bits; any other value is 0x00BBGGRR.
    using ColorValue = std::uint32_t;
    static constexpr ColorValue kSystemColor = 0x80000000u;

    // `BackStyle` codes; every other value is a gradient from top to bottom.
    static constexpr std::int32_t kBackSolid = 1;
    static constexpr std::int32_t kBackGradientLeftToRight = 2;
    static constexpr std::int32_t kBackTiledPicture = 4;

    // `cIcon`: 0 none, 1 to 3 a stock icon, anything else an icon handle the
    // caller owns.
    static constexpr std::int32_t kNoIcon = 0;
    static constexpr std::int32_t kIconInformation = 1;
    static constexpr std::int32_t kIconHelp = 2;
    static constexpr std::int32_t kIconWarning = 3;

    static constexpr wchar_t kWindowTitle[] = L"QTX-EXTOOLTIP";
    static constexpr UINT_PTR kTickTimerId = 1;

    ExToolTip();
    ~ExToolTip();
    ExToolTip(const ExToolTip&) = delete;
    ExToolTip& operator=(const ExToolTip&) = delete;

    // True while a request is armed or its tooltip shown.
    bool Alive() const { return tracker_.Alive(); }
    void SetAlive(bool vData) { tracker_.SetAlive(vData); }
    bool Shadow() const { return shadow_; }
    void SetShadow(bool vData) { shadow_ = vData; }
    const std::shared_ptr<StdFont>& Font() const { return font_; }
    // No font means the system's message font.
    void SetFont(std::shared_ptr<StdFont> fnt) { font_ = fnt ? std::move(fnt) : std::make_shared<StdFont>(); }
    std::int32_t IconSize() const { return iconSize_; }
    void SetIconSize(std::int32_t vData) { iconSize_ = vData; }
    // 0 rectangle, any other value balloon.
    std::int32_t ToolTipStyle() const { return toolTipStyle_; }
    void SetToolTipStyle(std::int32_t Style) { toolTipStyle_ = Style; }
    ColorValue TextColor() const { return textColor_; }
    void SetTextColor(ColorValue vcolor) { textColor_ = vcolor; }
    ColorValue GradientColorStart() const { return gradientStart_; }
    void SetGradientColorStart(ColorValue vcolor) { gradientStart_ = vcolor; }
    ColorValue GradientColorEnd() const { return gradientEnd_; }
    void SetGradientColorEnd(ColorValue vcolor) { gradientEnd_ = vcolor; }
    ColorValue BackColor() const { return backColor_; }
    void SetBackColor(ColorValue vcolor) { backColor_ = vcolor; }
    std::int32_t BackStyle() const { return backStyle_; }
    void SetBackStyle(std::int32_t bStyle) { backStyle_ = bStyle; }
    // In ticks of the tracking timer, not milliseconds.
    std::int32_t DelayTime() const { return tracker_.DelayTime(); }
    void SetDelayTime(std::int32_t Time) { tracker_.SetDelayTime(Time); }
    std::int32_t KillTime() const { return tracker_.KillTime(); }
    void SetKillTime(std::int32_t Time) { tracker_.SetKillTime(Time); }
    // Tiled by BackStyle 4; kept by reference.
    const SharedPicture& Picture() const { return picture_; }
    void SetPicture(SharedPicture xPic) { picture_ = std::move(xPic); }

    // Serves `aWnd` from now on; a tooltip still about for the last owner
    // goes and `aWnd` is armed at once. `TransparentAlpha` is the opacity in
    // percent; values up to 255 are accepted (past 100 is opaque), others
    // fail with the overflow error (6) before anything changes.
    void ShowToolTip(HWND aWnd, const std::wstring& Title, const std::wstring& Text, std::int32_t cIcon,
                     const std::int32_t& TransparentAlpha);

    // The hooks' callback: the owner's mouse moves, timer ticks and clicks,
    // and the tooltip window's end.
    void zSubclass_Proc(bool bBefore, bool& bHandled, LRESULT& lReturn, HWND& lng_hWnd, UINT& uMsg, WPARAM& wParam,
                        LPARAM& lParam) override;

    // The tooltip window while one exists (shown or not), else null.
    HWND TipWindow() const { return tipWindow_; }
    const tooltip::TooltipTracker& Tracker() const { return tracker_; }

private:
    struct BackBuffer {
        UniqueBitmap bitmap;
        BitmapDc dc;  // after the bitmap: gives it back before it goes
        int width = 0, height = 0;
    };

    // The tracking's demands on the platform.
    tooltip::Point CursorPosition() override;
    tooltip::WindowId WindowAt(tooltip::Point screenPoint) override;
    void StartTickTimer(tooltip::WindowId window) override;
    void StopTickTimer(tooltip::WindowId window) override;
    void HookOwner(tooltip::WindowId owner) override;
    Display MakeAndShowTip() override;
    void DestroyTipWindow() override;
    void ResetProperties() override { Class_Initialize(); }

    void Class_Initialize();

    // Measurement, window, placement and shape.
    tooltip::Size MeasureBlock(bool bTitle);
    bool CreateTipWindow();
    bool PlaceWindow();
    UniqueRegion BuildShape();
    HDC EnsureBackBuffer(int w, int h);
    void ReleaseBackBuffer();

    // Display.
    bool CreateAndShow();
    void ComposeAlpha(HDC dc, int w, int h);
    void DrawContent(HDC dc, UniqueRegion frameRegion);
    void DrawBlock(HDC dc, const std::wstring& block, bool bTitle);
    void FillGradient(HDC dc);
    void DrawTipIcon(HDC dc);

    // Member order is release order reversed: the hooks go before the
    // tracker whose callbacks they deliver.
    tooltip::TooltipTracker tracker_{*this};
    WindowHooks hooks_{*this};

    HWND owner_ = nullptr;
    std::wstring title_, text_;
    std::int32_t cIcon_ = kNoIcon;
    std::int32_t transparentAlpha_ = 100;
    HWND tipWindow_ = nullptr;

    bool shadow_ = false;
    std::shared_ptr<StdFont> font_;
    std::int32_t iconSize_ = 16;
    std::int32_t toolTipStyle_ = tooltip::kRectangleStyle;
    ColorValue textColor_ = 0;
    ColorValue gradientStart_ = 0;
    ColorValue gradientEnd_ = 0;
    ColorValue backColor_ = 0;
    std::int32_t backStyle_ = kBackSolid;
    SharedPicture picture_;

    tooltip::Size content_;
    tooltip::Placement placement_;
    BackBuffer backBuffer_;
};

// 0x00BBGGRR of a colour value, system colours looked up now.
COLORREF ResolveColor(ExToolTip::ColorValue value);

}  // namespace vx
