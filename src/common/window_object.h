// The C++ object behind a window: a window made with the object's address
// as its creation parameter keeps that address in GWLP_USERDATA, so its
// window procedure finds the object on every message.
#pragma once
#include <windows.h>

namespace vx {

// On WM_NCCREATE stores the creation parameter and sets the object's
// window member (`handle`) to `hwnd`; on every message returns the stored
// object, or null before WM_NCCREATE and after it was cleared.
template <typename T>
T* AttachedObject(HWND hwnd, UINT msg, LPARAM lParam, HWND T::*handle) {
    if (msg == WM_NCCREATE) {
        auto* create = reinterpret_cast<CREATESTRUCTW*>(lParam);
        SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(create->lpCreateParams));
        static_cast<T*>(create->lpCreateParams)->*handle = hwnd;
    }
    return reinterpret_cast<T*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
}

}  // namespace vx
