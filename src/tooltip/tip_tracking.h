// When a tooltip shows and goes: the pointer must rest on the owner window
// for `DelayTime` ticks of a fast timer; the tooltip then stays for
// `KillTime` ticks, and goes at once when the pointer leaves the owner or
// the owner is clicked. Plain logic over what it asks of the platform, so
// every transition can be driven tick by tick without windows.
#pragma once

#include <cstdint>

#include "tooltip/tip_geometry.h"

namespace vx::tooltip {

// A window as the platform names it; 0 is no window.
using WindowId = std::uintptr_t;

class TrackingPlatform {
public:
    struct Display {
        bool windowMade = false;  // a tooltip window exists (shown or not)
        bool shown = false;
    };

    virtual Point CursorPosition() = 0;
    // The innermost window under a screen point.
    virtual WindowId WindowAt(Point screenPoint) = 0;
    virtual void StartTickTimer(WindowId window) = 0;
    virtual void StopTickTimer(WindowId window) = 0;
    // Hooks the owner for its mouse-move, timer and mouse-activate messages.
    virtual void HookOwner(WindowId owner) = 0;
    // Makes, paints and shows the tooltip window beside the pointer.
    virtual Display MakeAndShowTip() = 0;
    // Destroys the tooltip window; a hooked one reports its destruction
    // through TooltipTracker::OnTipDestroyed before this returns.
    virtual void DestroyTipWindow() = 0;
    // Every property but `Alive` and `Picture` back to its default.
    virtual void ResetProperties() = 0;

protected:
    ~TrackingPlatform() = default;
};

class TooltipTracker {
public:
    static constexpr std::int32_t kDefaultDelayTime = 100;
    static constexpr std::int32_t kDefaultKillTime = 500;

    enum class Tip {
        None,    // no tooltip window
        Window,  // a tooltip window exists
        Spent,   // destroyed by its time or a click, not yet cleared up
    };

    explicit TooltipTracker(TrackingPlatform& platform) : platform_(platform) {}

    // A new owner. A tick timer still running on an earlier owner stops:
    // its ticks would only reach a window that tracks nothing any more.
    void SetOwner(WindowId owner);
    WindowId Owner() const { return owner_; }

    // The tracking half of ShowToolTip: a tooltip window still about (shown
    // or spent) goes, its timer stops, and the owner is hooked and armed.
    void StartTracking();

    void OnMouseMove();
    void OnTick();
    void OnMouseActivate();
    void OnTipDestroyed() { alive_ = false; }
    // The object goes: its timer stops and its window is destroyed.
    void Shutdown();

    bool Alive() const { return alive_; }
    void SetAlive(bool vData) { alive_ = vData; }
    std::int32_t DelayTime() const { return delayTime_; }
    void SetDelayTime(std::int32_t Time) { delayTime_ = Time; }
    std::int32_t KillTime() const { return killTime_; }
    void SetKillTime(std::int32_t Time) { killTime_ = Time; }

    bool Tracking() const { return tracking_; }
    bool Shown() const { return shown_; }
    std::int32_t TickCount() const { return tickCount_; }
    Tip TipState() const { return tip_; }
    WindowId TimerWindow() const { return timerWindow_; }
    // The pointer where the last waiting tick saw it: the tooltip's anchor.
    Point CursorPos() const { return cursorPos_; }

private:
    bool CursorOverOwner();
    void StartTimer();
    void StopTimer(WindowId window);
    // Destroys a tooltip window; `next` is what the field becomes when
    // there was one (a missing window stays missing unless `next` is None).
    void DestroyTip(Tip next);

    TrackingPlatform& platform_;
    WindowId owner_ = 0;
    WindowId timerWindow_ = 0;
    bool alive_ = false;
    bool tracking_ = false;
    bool shown_ = false;
    std::int32_t tickCount_ = 0;
    std::int32_t delayTime_ = kDefaultDelayTime;
    std::int32_t killTime_ = kDefaultKillTime;
    Point cursorPos_, prevCursorPos_;
    Tip tip_ = Tip::None;
};

}  // namespace vx::tooltip
