// The per-window hooks: messages reported before and after a window's own
// procedure, handled messages, and hooks removed while they dispatch.
#include <windows.h>
#include <gtest/gtest.h>

#include <functional>
#include <vector>

#include "base/run_time_error.h"
#include "tooltip/window_hooks.h"

namespace vx {
namespace {

using tooltip::ALL_MESSAGES;
using tooltip::MSG_AFTER;
using tooltip::MSG_BEFORE;
using tooltip::MSG_BEFORE_AND_AFTER;

constexpr UINT kAsk = WM_APP + 1;    // the window answers 42
constexpr UINT kOther = WM_APP + 2;  // the window answers 7
constexpr LRESULT kAnswer = 42;

struct Call {
    bool before;
    HWND window;
    UINT message;
    LRESULT resultSoFar;
};

class Recorder : public ISubclass {
public:
    std::vector<Call> calls;
    std::function<void(bool before, bool& handled, LRESULT& result, UINT message)> action;

    void zSubclass_Proc(bool bBefore, bool& bHandled, LRESULT& lReturn, HWND& lng_hWnd, UINT& uMsg, WPARAM&,
                        LPARAM&) override {
        calls.push_back({bBefore, lng_hWnd, uMsg, lReturn});
        if (action) action(bBefore, bHandled, lReturn, uMsg);
    }
};

// What the hooked windows' own procedure does with a message, per test.
std::function<void(HWND, UINT)> g_ownAction;
std::vector<UINT> g_ownSeen;

LRESULT CALLBACK OwnProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    if (msg == kAsk || msg == kOther) {
        g_ownSeen.push_back(msg);
        if (g_ownAction) g_ownAction(hwnd, msg);
        return msg == kAsk ? kAnswer : 7;
    }
    return DefWindowProcW(hwnd, msg, wParam, lParam);
}

HWND MakeHiddenWindow() {
    static bool registered = false;
    if (!registered) {
        WNDCLASSW wc{};
        wc.lpfnWndProc = OwnProc;
        wc.hInstance = GetModuleHandleW(nullptr);
        wc.lpszClassName = L"HookTestWindow";
        RegisterClassW(&wc);
        registered = true;
    }
    return CreateWindowExW(0, L"HookTestWindow", L"", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr,
                           GetModuleHandleW(nullptr), nullptr);
}

class WindowHooksTest : public testing::Test {
protected:
    void SetUp() override {
        g_ownAction = nullptr;
        g_ownSeen.clear();
        a_ = MakeHiddenWindow();
        b_ = MakeHiddenWindow();
        ASSERT_TRUE(a_ && b_);
    }
    void TearDown() override {
        hooks_.UnsubclassAll();
        DestroyWindow(a_);
        DestroyWindow(b_);
        g_ownAction = nullptr;
    }
    LRESULT Send(HWND w, UINT msg) { return SendMessageW(w, msg, 0, 0); }
    int Count(UINT msg) const {
        int n = 0;
        for (const Call& c : recorder_.calls) n += c.message == msg;
        return n;
    }

    HWND a_ = nullptr, b_ = nullptr;
    Recorder recorder_;
    WindowHooks hooks_{recorder_};
};

TEST_F(WindowHooksTest, BeforeAndAfterGiveTwoCallbacksAroundTheWindowsOwnResult) {
    hooks_.Subclass(a_);
    EXPECT_EQ(Send(a_, kAsk), kAnswer);
    EXPECT_TRUE(recorder_.calls.empty());
    hooks_.AddMsg(a_, kAsk, MSG_BEFORE_AND_AFTER);
    EXPECT_EQ(Send(a_, kAsk), kAnswer);
    ASSERT_EQ(recorder_.calls.size(), 2u);
    EXPECT_TRUE(recorder_.calls[0].before);
    EXPECT_EQ(recorder_.calls[0].resultSoFar, 0);
    EXPECT_FALSE(recorder_.calls[1].before);
    EXPECT_EQ(recorder_.calls[1].resultSoFar, kAnswer);
    EXPECT_EQ(recorder_.calls[1].window, a_);
    EXPECT_EQ(Send(a_, kOther), 7);
    EXPECT_EQ(Count(kOther), 0);
}

TEST_F(WindowHooksTest, RegisteringTwiceReportsOnceAndARemovedIdIsNotReported) {
    hooks_.Subclass(a_);
    hooks_.AddMsg(a_, kAsk, MSG_AFTER);
    hooks_.AddMsg(a_, kAsk, MSG_AFTER);
    Send(a_, kAsk);
    EXPECT_EQ(Count(kAsk), 1);
    hooks_.DelMsg(a_, kAsk, MSG_AFTER);
    hooks_.AddMsg(a_, kOther, MSG_AFTER);
    Send(a_, kAsk);
    Send(a_, kOther);
    EXPECT_EQ(Count(kAsk), 1);
    EXPECT_EQ(Count(kOther), 1);
}

TEST_F(WindowHooksTest, AllMessagesAndNoneAgain) {
    hooks_.Subclass(a_);
    hooks_.AddMsg(a_, ALL_MESSAGES, MSG_BEFORE);
    Send(a_, kAsk);
    Send(a_, kOther);
    Send(a_, WM_NULL);
    EXPECT_EQ(recorder_.calls.size(), 3u);
    hooks_.DelMsg(a_, ALL_MESSAGES, MSG_BEFORE);
    Send(a_, kAsk);
    EXPECT_EQ(recorder_.calls.size(), 3u);
}

TEST_F(WindowHooksTest, HandledBeforeReplacesTheWindowsProcedure) {
    hooks_.Subclass(a_);
    hooks_.AddMsg(a_, kAsk, MSG_BEFORE_AND_AFTER);
    recorder_.action = [](bool before, bool& handled, LRESULT& result, UINT) {
        if (before) {
            handled = true;
            result = 99;
        }
    };
    EXPECT_EQ(Send(a_, kAsk), 99);
    EXPECT_TRUE(g_ownSeen.empty());
    EXPECT_EQ(recorder_.calls.size(), 1u);
}

TEST_F(WindowHooksTest, RemovingOneHookLeavesTheOthersAndUnknownWindowsAreOutOfRange) {
    hooks_.Subclass(a_);
    hooks_.Subclass(b_);
    hooks_.AddMsg(a_, kAsk, MSG_AFTER);
    hooks_.AddMsg(b_, kAsk, MSG_AFTER);
    hooks_.Unsubclass(a_);
    EXPECT_EQ(Send(a_, kAsk), kAnswer);
    EXPECT_EQ(Send(b_, kAsk), kAnswer);
    ASSERT_EQ(recorder_.calls.size(), 1u);
    EXPECT_EQ(recorder_.calls[0].window, b_);
    // The freed record is the next one used.
    EXPECT_EQ(hooks_.Subclass(a_), 0);
    EXPECT_EQ(hooks_.RecordCount(), 2u);

    HWND unknown = MakeHiddenWindow();
    for (const auto& call : std::vector<std::function<void()>>{[&] { hooks_.AddMsg(unknown, kAsk, MSG_AFTER); },
                                                               [&] { hooks_.DelMsg(unknown, kAsk, MSG_AFTER); },
                                                               [&] { hooks_.Unsubclass(unknown); }}) {
        try {
            call();
            ADD_FAILURE() << "no error for a window without a hook";
        } catch (const RunTimeError& error) {
            EXPECT_EQ(error.Number(), kErrSubscriptOutOfRange);
        }
    }
    DestroyWindow(unknown);
}

TEST_F(WindowHooksTest, AHookRemovedWhileItDispatchesFinishesWithoutAnAfterCallback) {
    // The window's own procedure removes every hook and hooks the window
    // again, as a tooltip shown from the owner's mouse move does.
    hooks_.Subclass(a_);
    hooks_.AddMsg(a_, kAsk, MSG_BEFORE_AND_AFTER);
    g_ownAction = [&](HWND hwnd, UINT) {
        hooks_.UnsubclassAll();
        hooks_.Subclass(hwnd);
        hooks_.AddMsg(hwnd, kAsk, MSG_AFTER);
    };
    EXPECT_EQ(Send(a_, kAsk), kAnswer);
    ASSERT_EQ(recorder_.calls.size(), 1u);
    EXPECT_TRUE(recorder_.calls[0].before);
    // The new hook serves the next message, once.
    g_ownAction = nullptr;
    recorder_.calls.clear();
    EXPECT_EQ(Send(a_, kAsk), kAnswer);
    ASSERT_EQ(recorder_.calls.size(), 1u);
    EXPECT_FALSE(recorder_.calls[0].before);

    // Removed from the before phase: the window still answers.
    recorder_.calls.clear();
    hooks_.AddMsg(a_, kAsk, MSG_BEFORE);
    recorder_.action = [&](bool before, bool&, LRESULT&, UINT) {
        if (before) hooks_.Unsubclass(a_);
    };
    EXPECT_EQ(Send(a_, kAsk), kAnswer);
    EXPECT_EQ(recorder_.calls.size(), 1u);
    EXPECT_FALSE(hooks_.IsHooked(a_));
}

TEST_F(WindowHooksTest, AWindowThatGoesTakesItsHookWithIt) {
    HWND doomed = MakeHiddenWindow();
    hooks_.Subclass(doomed);
    hooks_.AddMsg(doomed, WM_DESTROY, MSG_AFTER);
    DestroyWindow(doomed);
    EXPECT_EQ(Count(WM_DESTROY), 1);
    EXPECT_FALSE(hooks_.IsHooked(doomed));
    // Its record is free for the next window.
    EXPECT_EQ(hooks_.Subclass(a_), 0);
}

}  // namespace
}  // namespace vx
