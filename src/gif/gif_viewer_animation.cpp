// The viewer's animation: frame timers, the state machine and pausing.
#include "gif/gif_viewer.h"

#include <algorithm>
#include <optional>

#include "gif/gif_animation.h"
#include "gif/gif_scale.h"
#include "gif/gif_viewer_detail.h"
#include "base/swallowing_errors.h"

namespace vx {

using viewer_detail::IsLive;

bool cGIFViewer::StartFrameTimer() {
    if (!timerHwnd_) return false;
    const UINT delay = static_cast<UINT>(FrameProperty(animationIndex_, gif::kPropDelay));
    timerPending_ = SetTimer(timerHwnd_, reinterpret_cast<UINT_PTR>(this), delay, &cGIFViewer::TimerProc) != 0;
    return timerPending_;
}

void cGIFViewer::KillFrameTimer() {
    if (timerHwnd_) KillTimer(timerHwnd_, reinterpret_cast<UINT_PTR>(this));
    timerPending_ = false;
}

void cGIFViewer::DrawCurrentFrame() {
    if (!client_) return;
    HDC dc = nullptr;
    HWND refresh = nullptr;
    bool autoRedraw = false, postNotify = false;
    const std::int32_t k = animationIndex_;
    client_->GetRenderDC(viewerId_, k, dc, refresh, autoRedraw, postNotify);
    if (dc) DrawFrame(k, dc, refresh, autoRedraw, postNotify, true, 0, 0, 0, 0, 0);
}

void CALLBACK cGIFViewer::TimerProc(HWND hwnd, UINT, UINT_PTR idEvent, DWORD) {
    auto* viewer = reinterpret_cast<cGIFViewer*>(idEvent);
    if (!IsLive(viewer) || !viewer->timerPending_ || hwnd != viewer->timerHwnd_) {
        // Not a timer anyone waits for: make sure it does not come back.
        KillTimer(hwnd, idEvent);
        return;
    }
    SwallowingErrors([&] { viewer->Tick(hwnd); });
}

void cGIFViewer::Tick(HWND hwnd) {
    // Each timer serves one frame.
    if (hwnd) KillFrameTimer();
    const std::int32_t n = FrameCount();
    if (n == 0) return;
    bool wrapped = false;
    if (++animationIndex_ > n) {
        animationIndex_ = 1;
        wrapped = true;
    }
    SwallowingErrors([&] {
        DrawCurrentFrame();
        bool carryOn = true;
        if (n == 1) {
            loops_ = 1;
            state_ = kStopped;
            carryOn = false;
        } else if (wrapped && loopCount_ != 0) {
            ++loops_;
            if (static_cast<std::uint32_t>(loops_) >= loopCount_) {
                state_ = kStopped;
                carryOn = false;
            }
        }
        if (!hwnd) return;
        if (!carryOn) {
            if (client_) client_->Rendered(viewerId_, animationIndex_, kMsgAnimationEnded, loops_);
        } else if (state_ == kPlaying) {  // unless a client callback stopped it meanwhile
            StartFrameTimer();
        }
    });
}

void cGIFViewer::SetAnimationState(std::int32_t Action) {
    if (!HasClient()) return;
    if (Action < kStopped || Action > kRedraw) Action = kStopped;
    const std::int32_t n = FrameCount();
    SwallowingErrors([&] {
        switch (Action) {
            case kPlaying:
                if (state_ == kPlaying) return;
                if (state_ == kStopped) {
                    loops_ = 0;
                    animationIndex_ = 1;
                } else {
                    ++animationIndex_;
                }
                state_ = kPlaying;
                SetAnimationState(kRedraw);
                if (n < 2) {
                    state_ = kStopped;
                    if (client_) client_->Rendered(viewerId_, 1, kMsgAnimationEnded, 1);
                } else if (state_ == kPlaying) {
                    StartFrameTimer();
                }
                return;
            case kStepped:
                if (n <= 1) {
                    state_ = kStopped;
                    return;
                }
                if (state_ == kPlaying) {
                    KillFrameTimer();
                    loops_ = 0;
                } else {
                    ++animationIndex_;
                }
                state_ = kStepped;
                SetAnimationState(kRedraw);
                return;
            case kRedraw:
                if (animationIndex_ > n || animationIndex_ < 1) animationIndex_ = 1;
                DrawCurrentFrame();
                return;
            default:  // stop, pause
                if (n <= 1 || state_ == kPaused) {
                    state_ = kStopped;
                    if (timerPending_) KillFrameTimer();
                    return;
                }
                if (state_ == kPlaying) KillFrameTimer();
                state_ = Action;
                return;
        }
    });
}

bool cGIFViewer::PauseIfPlaying() {
    if (state_ != kPlaying || !HasClient()) return false;
    SetAnimationState(kPaused);
    return state_ == kPaused;
}

void cGIFViewer::ResumeIfPaused(bool paused) {
    if (paused && state_ == kPaused) SetAnimationState(kPlaying);
}

}  // namespace vx
