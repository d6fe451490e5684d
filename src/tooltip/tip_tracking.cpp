#include "tooltip/tip_tracking.h"

#include <cstdint>

namespace {
// Counting stops at the top instead of wrapping round.
void CountUp(std::int32_t& count) {
    if (count < INT32_MAX) ++count;
}
}  // namespace

namespace vx::tooltip {

void TooltipTracker::SetOwner(WindowId owner) {
    if (timerWindow_ != 0 && timerWindow_ != owner) StopTimer(timerWindow_);
    owner_ = owner;
}

void TooltipTracker::StartTracking() {
    // A tooltip still about (shown, or spent by its time or a click) goes,
    // and the new owner is armed in the same call: a pointer that moves
    // straight on to the next button gets that button's tooltip.
    if (tip_ != Tip::None) {
        if (timerWindow_ != 0) StopTimer(timerWindow_);
        DestroyTip(Tip::None);
    }
    tracking_ = false;
    shown_ = false;
    platform_.HookOwner(owner_);
    alive_ = true;
}

bool TooltipTracker::CursorOverOwner() { return platform_.WindowAt(platform_.CursorPosition()) == owner_; }

void TooltipTracker::StartTimer() {
    platform_.StartTickTimer(owner_);
    timerWindow_ = owner_;
}

void TooltipTracker::StopTimer(WindowId window) {
    platform_.StopTickTimer(window);
    if (window == timerWindow_) timerWindow_ = 0;
}

void TooltipTracker::DestroyTip(Tip next) {
    if (tip_ == Tip::Window) {
        // The field changes first: the window's destruction re-enters.
        tip_ = next;
        platform_.DestroyTipWindow();
    } else if (next == Tip::None) {
        tip_ = Tip::None;
    }
}

void TooltipTracker::OnMouseMove() {
    if (CursorOverOwner()) {
        if (!tracking_) {
            tracking_ = true;
            StartTimer();
        }
    } else {
        tracking_ = false;
    }
}

void TooltipTracker::OnTick() {
    if (tracking_ && !shown_) {
        prevCursorPos_ = cursorPos_;
        cursorPos_ = platform_.CursorPosition();
        if (cursorPos_ == prevCursorPos_) {
            CountUp(tickCount_);
            if (tickCount_ > delayTime_) {
                tickCount_ = 0;
                if (alive_) {
                    const TrackingPlatform::Display display = platform_.MakeAndShowTip();
                    if (display.windowMade) tip_ = Tip::Window;
                    // Shown even when the display failed: nothing more is
                    // tried during this hover.
                    shown_ = true;
                }
            }
            return;
        }
        tickCount_ = 0;
    }
    if (!CursorOverOwner()) {
        StopTimer(owner_);
        DestroyTip(Tip::None);
        tracking_ = false;
        shown_ = false;
        platform_.ResetProperties();
        return;
    }
    if (tickCount_ >= killTime_) {
        // Expired: the properties are reset once and the timer stops, rather
        // than resetting at every tick while the pointer rests. A stray tick
        // from another timer of the owner changes nothing more.
        DestroyTip(Tip::Spent);
        if (timerWindow_ != 0) {
            platform_.ResetProperties();
            StopTimer(timerWindow_);
        }
        return;
    }
    if (tracking_ && tip_ != Tip::None) CountUp(tickCount_);
}

void TooltipTracker::OnMouseActivate() {
    StopTimer(owner_);
    DestroyTip(Tip::Spent);
    tracking_ = false;
    platform_.ResetProperties();
    alive_ = true;
}

void TooltipTracker::Shutdown() {
    if (timerWindow_ != 0) StopTimer(timerWindow_);
    DestroyTip(Tip::None);
}

}  // namespace vx::tooltip
