// Per-window hooks that report chosen messages of windows an object does
// not own to that object, before and/or after each window's own procedure.
// Built on the common controls' window subclassing: one record per hooked
// window, never executable memory.
#pragma once
#include <windows.h>

#include <cstdint>
#include <vector>

#include "tooltip/message_table.h"

namespace vx {

// The hooking object's side. `bBefore` is true before the window's own
// procedure; setting `bHandled` there skips that procedure and the after
// phase, and `lReturn` becomes the message's result. Must not throw.
class ISubclass {
public:
    virtual void zSubclass_Proc(bool bBefore, bool& bHandled, LRESULT& lReturn, HWND& lng_hWnd, UINT& uMsg,
                                WPARAM& wParam, LPARAM& lParam) = 0;

protected:
    ~ISubclass() = default;
};

class WindowHooks {
public:
    explicit WindowHooks(ISubclass& callback) : callback_(callback) {}
    ~WindowHooks() { UnsubclassAll(); }
    WindowHooks(const WindowHooks&) = delete;
    WindowHooks& operator=(const WindowHooks&) = delete;

    // Hooks a window; nothing is reported until AddMsg. Returns the record.
    int Subclass(HWND hWnd);
    // `uMsg` or tooltip::ALL_MESSAGES; `when` is a tooltip::MsgWhen. These
    // three raise the out-of-range error (9) for a window without a record.
    void AddMsg(HWND hWnd, std::int32_t uMsg, std::int32_t when);
    void DelMsg(HWND hWnd, std::int32_t uMsg, std::int32_t when);
    void Unsubclass(HWND hWnd);
    // Every hook of this object; errors on the way are ignored.
    void UnsubclassAll();

    bool IsHooked(HWND hWnd) const { return Find(hWnd) >= 0; }
    std::size_t RecordCount() const { return records_.size(); }

private:
    // The live hook of one window. A hook removed while it dispatches a
    // message stays until that dispatch has returned; from its removal on
    // it calls no one.
    struct Block {
        WindowHooks* hooks;
        std::size_t record;
        bool removed = false;
        int depth = 0;
    };
    struct Record {
        HWND window = nullptr;
        Block* block = nullptr;
        tooltip::MessageTable before, after;
    };

    static LRESULT CALLBACK HookProc(HWND hWnd, UINT uMsg, WPARAM wParam, LPARAM lParam, UINT_PTR id, DWORD_PTR data);
    int Find(HWND hWnd) const;
    int FindOrFail(HWND hWnd) const;
    void Report(Block& block, bool before, bool& handled, LRESULT& result, HWND hWnd, UINT uMsg, WPARAM wParam,
                LPARAM lParam);

    ISubclass& callback_;
    std::vector<Record> records_;
};

}  // namespace vx
