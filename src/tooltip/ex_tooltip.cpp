#include "tooltip/ex_tooltip.h"

#include "base/run_time_error.h"
#include "tooltip/message_table.h"
#include "base/swallowing_errors.h"

namespace vx {
namespace {

constexpr char kSource[] = "ExToolTip";

// Defaults, restored whenever a tooltip has gone.
constexpr ExToolTip::ColorValue kDefaultTextColor = ExToolTip::kSystemColor | COLOR_BTNTEXT;
constexpr ExToolTip::ColorValue kDefaultBackColor = ExToolTip::kSystemColor | COLOR_INFOBK;
constexpr ExToolTip::ColorValue kDefaultGradientStart = ExToolTip::kSystemColor | COLOR_INFOBK;
constexpr ExToolTip::ColorValue kDefaultGradientEnd = ExToolTip::kSystemColor | COLOR_BACKGROUND;

HWND AsWindow(tooltip::WindowId id) { return reinterpret_cast<HWND>(id); }
tooltip::WindowId AsId(HWND hwnd) { return reinterpret_cast<tooltip::WindowId>(hwnd); }

}  // namespace

COLORREF ResolveColor(ExToolTip::ColorValue value) {
    if (value & ExToolTip::kSystemColor) return GetSysColor(static_cast<int>(value & 0x7FFFFFFFu));
    return value;
}

ExToolTip::ExToolTip() { Class_Initialize(); }

ExToolTip::~ExToolTip() {
    hooks_.UnsubclassAll();
    ReleaseBackBuffer();
    tracker_.Shutdown();
}

void ExToolTip::Class_Initialize() {
    font_ = std::make_shared<StdFont>();
    tracker_.SetDelayTime(tooltip::TooltipTracker::kDefaultDelayTime);
    tracker_.SetKillTime(tooltip::TooltipTracker::kDefaultKillTime);
    backStyle_ = kBackSolid;
    toolTipStyle_ = tooltip::kRectangleStyle;
    shadow_ = false;
    iconSize_ = 16;
    textColor_ = kDefaultTextColor;
    backColor_ = kDefaultBackColor;
    gradientStart_ = kDefaultGradientStart;
    gradientEnd_ = kDefaultGradientEnd;
}

void ExToolTip::ShowToolTip(HWND aWnd, const std::wstring& Title, const std::wstring& Text, std::int32_t cIcon,
                            const std::int32_t& TransparentAlpha) {
    // Refused before anything changes: a bad opacity must not take down the
    // tooltip that is showing.
    if (TransparentAlpha < 0 || TransparentAlpha > 255) throw MakeRunTimeError(kErrOverflow, kSource);
    hooks_.UnsubclassAll();
    owner_ = aWnd;
    tracker_.SetOwner(AsId(aWnd));
    title_ = Title;
    text_ = Text;
    transparentAlpha_ = TransparentAlpha;
    cIcon_ = cIcon;
    const tooltip::Size title = MeasureBlock(true);
    const tooltip::Size text = MeasureBlock(false);
    content_ = tooltip::ContentSize(title, text, cIcon_ != kNoIcon, iconSize_, tooltip::IsBlankTitle(title_));
    tracker_.StartTracking();
}

void ExToolTip::zSubclass_Proc(bool, bool&, LRESULT&, HWND&, UINT& uMsg, WPARAM&, LPARAM&) {
    // An error ends the handling of this message and nothing else.
    SwallowingErrors([&] {
        switch (uMsg) {
            case WM_DESTROY:
                tracker_.OnTipDestroyed();
                break;
            case WM_MOUSEACTIVATE:
                tracker_.OnMouseActivate();
                break;
            case WM_TIMER:
                tracker_.OnTick();
                break;
            case WM_MOUSEMOVE:
                tracker_.OnMouseMove();
                break;
            default:
                break;
        }
    });
}

tooltip::Point ExToolTip::CursorPosition() {
    POINT at{};
    GetCursorPos(&at);
    return {at.x, at.y};
}

tooltip::WindowId ExToolTip::WindowAt(tooltip::Point screenPoint) {
    return AsId(WindowFromPoint(POINT{screenPoint.x, screenPoint.y}));
}

void ExToolTip::StartTickTimer(tooltip::WindowId window) { SetTimer(AsWindow(window), kTickTimerId, 1, nullptr); }

void ExToolTip::StopTickTimer(tooltip::WindowId window) { KillTimer(AsWindow(window), kTickTimerId); }

void ExToolTip::HookOwner(tooltip::WindowId owner) {
    HWND window = AsWindow(owner);
    hooks_.Subclass(window);
    hooks_.AddMsg(window, WM_MOUSEMOVE, tooltip::MSG_AFTER);
    hooks_.AddMsg(window, WM_TIMER, tooltip::MSG_AFTER);
    hooks_.AddMsg(window, WM_MOUSEACTIVATE, tooltip::MSG_AFTER);
}

ExToolTip::Display ExToolTip::MakeAndShowTip() {
    bool shown = false;
    try {
        shown = CreateAndShow();
    } catch (...) {
        // The hover ends without a tooltip; a window made on the way stays
        // hidden until the pointer leaves.
        ReleaseBackBuffer();
    }
    return {tipWindow_ != nullptr, shown};
}

void ExToolTip::DestroyTipWindow() {
    HWND window = tipWindow_;
    tipWindow_ = nullptr;
    if (window) DestroyWindow(window);
    // The picture it repainted from goes with it.
    ReleaseBackBuffer();
}

}  // namespace vx
