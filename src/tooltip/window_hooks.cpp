#include "tooltip/window_hooks.h"

#include <commctrl.h>

#include "base/run_time_error.h"
#include "base/swallowing_errors.h"

namespace vx {
namespace {

constexpr char kSource[] = "ExToolTip";
}  // namespace

int WindowHooks::Find(HWND hWnd) const {
    for (int i = static_cast<int>(records_.size()) - 1; i >= 0; --i)
        if (records_[static_cast<std::size_t>(i)].window == hWnd) return i;
    return -1;
}

int WindowHooks::FindOrFail(HWND hWnd) const {
    const int index = hWnd ? Find(hWnd) : -1;
    if (index < 0) throw MakeRunTimeError(kErrSubscriptOutOfRange, kSource);
    return index;
}

int WindowHooks::Subclass(HWND hWnd) {
    int index = Find(nullptr);
    if (index < 0) {
        records_.emplace_back();
        index = static_cast<int>(records_.size()) - 1;
    }
    Record& record = records_[static_cast<std::size_t>(index)];
    auto* block = new Block{this, static_cast<std::size_t>(index)};
    // The block's address names the hook, so a window re-hooked while its
    // old hook still dispatches gets a hook of its own.
    if (!SetWindowSubclass(hWnd, &WindowHooks::HookProc, reinterpret_cast<UINT_PTR>(block),
                           reinterpret_cast<DWORD_PTR>(block))) {
        delete block;
        throw MakeRunTimeError(kErrInvalidArgument, kSource);
    }
    record.window = hWnd;
    record.block = block;
    record.before.Clear();
    record.after.Clear();
    return index;
}

void WindowHooks::AddMsg(HWND hWnd, std::int32_t uMsg, std::int32_t when) {
    Record& record = records_[static_cast<std::size_t>(FindOrFail(hWnd))];
    if (when & tooltip::MSG_BEFORE) record.before.Add(uMsg);
    if (when & tooltip::MSG_AFTER) record.after.Add(uMsg);
}

void WindowHooks::DelMsg(HWND hWnd, std::int32_t uMsg, std::int32_t when) {
    Record& record = records_[static_cast<std::size_t>(FindOrFail(hWnd))];
    if (when & tooltip::MSG_BEFORE) record.before.Remove(uMsg);
    if (when & tooltip::MSG_AFTER) record.after.Remove(uMsg);
}

void WindowHooks::Unsubclass(HWND hWnd) {
    Record& record = records_[static_cast<std::size_t>(FindOrFail(hWnd))];
    Block* block = record.block;
    RemoveWindowSubclass(hWnd, &WindowHooks::HookProc, reinterpret_cast<UINT_PTR>(block));
    record = Record{};
    if (!block) return;
    block->removed = true;
    if (block->depth == 0) delete block;
}

void WindowHooks::UnsubclassAll() {
    for (int i = static_cast<int>(records_.size()) - 1; i >= 0; --i) {
        HWND window = records_[static_cast<std::size_t>(i)].window;
        if (window) SwallowingErrors([&] { Unsubclass(window); });
    }
}

void WindowHooks::Report(Block& block, bool before, bool& handled, LRESULT& result, HWND hWnd, UINT uMsg, WPARAM wParam,
                         LPARAM lParam) {
    if (block.removed) return;
    const Record& record = records_[block.record];
    const tooltip::MessageTable& table = before ? record.before : record.after;
    if (!table.Matches(static_cast<std::int32_t>(uMsg))) return;
    HWND window = hWnd;
    UINT message = uMsg;
    WPARAM w = wParam;
    LPARAM l = lParam;
    callback_.zSubclass_Proc(before, handled, result, window, message, w, l);
}

LRESULT CALLBACK WindowHooks::HookProc(HWND hWnd, UINT uMsg, WPARAM wParam, LPARAM lParam, UINT_PTR, DWORD_PTR data) {
    Block& block = *reinterpret_cast<Block*>(data);
    if (block.removed) return DefSubclassProc(hWnd, uMsg, wParam, lParam);
    ++block.depth;
    bool handled = false;
    LRESULT result = 0;
    SwallowingErrors([&] { block.hooks->Report(block, true, handled, result, hWnd, uMsg, wParam, lParam); });
    if (!handled) {
        result = DefSubclassProc(hWnd, uMsg, wParam, lParam);
        SwallowingErrors([&] { block.hooks->Report(block, false, handled, result, hWnd, uMsg, wParam, lParam); });
    }
    // A window that goes takes its hook with it, so no record names a
    // dead window.
    if (uMsg == WM_NCDESTROY && !block.removed) SwallowingErrors([&] { block.hooks->Unsubclass(hWnd); });
    --block.depth;
    if (block.removed && block.depth == 0) delete &block;
    return result;
}

}  // namespace vx
