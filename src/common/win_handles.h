// The ownership kit: owning wrappers for the GDI, USER, file, registry and
// COM handles the program makes, so every road out of a function releases
// what it made, and guards for paired calls.
#pragma once
#include <windows.h>
#include <objbase.h>

#include <cstddef>
#include <utility>

namespace vx {

// Traits say how a handle is closed and which value means "none": most
// handles are null when absent, files are INVALID_HANDLE_VALUE.
struct NullIsInvalid {
    static std::nullptr_t Invalid() { return nullptr; }
};

template <typename Handle, typename Traits>
class UniqueHandle {
public:
    UniqueHandle() = default;
    explicit UniqueHandle(Handle h) : handle_(h) {}
    UniqueHandle(const UniqueHandle&) = delete;
    UniqueHandle& operator=(const UniqueHandle&) = delete;
    UniqueHandle(UniqueHandle&& other) noexcept : handle_(other.release()) {}
    UniqueHandle& operator=(UniqueHandle&& other) noexcept {
        if (this != &other) reset(other.release());
        return *this;
    }
    ~UniqueHandle() { reset(); }

    Handle get() const { return handle_; }
    explicit operator bool() const { return handle_ != Traits::Invalid() && handle_ != Handle{}; }
    Handle release() { return std::exchange(handle_, Traits::Invalid()); }
    void reset(Handle h = Traits::Invalid()) {
        Handle old = std::exchange(handle_, h);
        if (old != Traits::Invalid() && old != Handle{}) Traits::Close(old);
    }
    // For functions that return the handle through a pointer.
    Handle* put() {
        reset();
        return &handle_;
    }

private:
    Handle handle_ = Traits::Invalid();
};

struct GdiObjectTraits : NullIsInvalid {
    static void Close(HGDIOBJ h) { DeleteObject(h); }
};
struct MemoryDcTraits : NullIsInvalid {
    static void Close(HDC h) { DeleteDC(h); }
};
struct WindowTraits : NullIsInvalid {
    static void Close(HWND h) { DestroyWindow(h); }
};
struct MenuTraits : NullIsInvalid {
    static void Close(HMENU h) { DestroyMenu(h); }
};
struct IconTraits : NullIsInvalid {
    static void Close(HICON h) { DestroyIcon(h); }
};
struct HookTraits : NullIsInvalid {
    static void Close(HHOOK h) { UnhookWindowsHookEx(h); }
};
struct RegistryKeyTraits : NullIsInvalid {
    static void Close(HKEY h) { RegCloseKey(h); }
};
struct FileTraits {
    static HANDLE Invalid() { return INVALID_HANDLE_VALUE; }
    static void Close(HANDLE h) { CloseHandle(h); }
};

using UniqueBitmap = UniqueHandle<HBITMAP, GdiObjectTraits>;
using UniqueBrush = UniqueHandle<HBRUSH, GdiObjectTraits>;
using UniqueFont = UniqueHandle<HFONT, GdiObjectTraits>;
using UniqueRegion = UniqueHandle<HRGN, GdiObjectTraits>;
using UniqueMemoryDc = UniqueHandle<HDC, MemoryDcTraits>;
using UniqueWindow = UniqueHandle<HWND, WindowTraits>;
using UniqueMenu = UniqueHandle<HMENU, MenuTraits>;
using UniqueIcon = UniqueHandle<HICON, IconTraits>;
using UniqueHook = UniqueHandle<HHOOK, HookTraits>;
using UniqueRegistryKey = UniqueHandle<HKEY, RegistryKeyTraits>;
using UniqueFile = UniqueHandle<HANDLE, FileTraits>;

// A DC borrowed from a window with GetDC, handed back with ReleaseDC. A
// null window borrows the screen's DC.
class WindowDc {
public:
    explicit WindowDc(HWND hwnd) : hwnd_(hwnd), dc_(GetDC(hwnd)) {}
    WindowDc(const WindowDc&) = delete;
    WindowDc& operator=(const WindowDc&) = delete;
    ~WindowDc() {
        if (dc_) ReleaseDC(hwnd_, dc_);
    }
    HDC get() const { return dc_; }

private:
    HWND hwnd_;
    HDC dc_;
};

// The screen's DC, for making compatible bitmaps and reading its resolution.
class ScreenDc : public WindowDc {
public:
    ScreenDc() : WindowDc(nullptr) {}
};

// A memory DC with a bitmap (and perhaps a font) selected into it. Before
// the DC is deleted the objects it held when made go back, so whatever was
// selected into it can be deleted afterwards. It does not own what is
// selected: declare those owners before it, so that it is released first.
class BitmapDc {
public:
    BitmapDc() = default;
    // Takes a memory DC made in some other way (compatible with a display).
    explicit BitmapDc(UniqueMemoryDc dc) : dc_(std::move(dc)) {}
    BitmapDc(const BitmapDc&) = delete;
    BitmapDc& operator=(const BitmapDc&) = delete;
    BitmapDc(BitmapDc&& other) noexcept
        : dc_(std::move(other.dc_)),
          originalBitmap_(std::exchange(other.originalBitmap_, nullptr)),
          originalFont_(std::exchange(other.originalFont_, nullptr)) {}
    BitmapDc& operator=(BitmapDc&& other) noexcept {
        if (this != &other) {
            reset();
            dc_ = std::move(other.dc_);
            originalBitmap_ = std::exchange(other.originalBitmap_, nullptr);
            originalFont_ = std::exchange(other.originalFont_, nullptr);
        }
        return *this;
    }
    ~BitmapDc() { reset(); }

    // Makes the DC (compatible with the screen) if there is none yet.
    bool Create() {
        if (!dc_) dc_.reset(CreateCompatibleDC(nullptr));
        return static_cast<bool>(dc_);
    }
    // Selects a bitmap (making the DC first if needed); on failure nothing
    // changes. The bitmap selected before, if any, may then be deleted.
    bool SelectBitmap(HBITMAP bitmap) { return Select(bitmap, originalBitmap_); }
    bool SelectFont(HFONT font) { return Select(font, originalFont_); }
    // Puts the original objects back and deletes the DC.
    void reset() {
        if (dc_) {
            if (originalFont_) SelectObject(dc_.get(), originalFont_);
            if (originalBitmap_) SelectObject(dc_.get(), originalBitmap_);
        }
        originalFont_ = originalBitmap_ = nullptr;
        dc_.reset();
    }
    HDC get() const { return dc_.get(); }
    explicit operator bool() const { return static_cast<bool>(dc_); }

private:
    bool Select(HGDIOBJ object, HGDIOBJ& original) {
        if (!object || !Create()) return false;
        const HGDIOBJ previous = SelectObject(dc_.get(), object);
        if (!previous || previous == HGDI_ERROR) return false;
        if (!original) original = previous;
        return true;
    }

    UniqueMemoryDc dc_;
    HGDIOBJ originalBitmap_ = nullptr;
    HGDIOBJ originalFont_ = nullptr;
};

// Selects an object into a DC for the life of the guard.
class SelectGuard {
public:
    SelectGuard(HDC dc, HGDIOBJ object) : dc_(dc), old_(SelectObject(dc, object)) {}
    SelectGuard(const SelectGuard&) = delete;
    SelectGuard& operator=(const SelectGuard&) = delete;
    ~SelectGuard() {
        if (old_ && old_ != HGDI_ERROR) SelectObject(dc_, old_);
    }

private:
    HDC dc_;
    HGDIOBJ old_;
};

// BeginPaint for the life of the guard, EndPaint when it goes.
class PaintScope {
public:
    explicit PaintScope(HWND window) : window_(window), dc_(BeginPaint(window, &paint_)) {}
    PaintScope(const PaintScope&) = delete;
    PaintScope& operator=(const PaintScope&) = delete;
    ~PaintScope() { EndPaint(window_, &paint_); }
    HDC dc() const { return dc_; }

private:
    HWND window_;
    PAINTSTRUCT paint_{};  // before dc_: BeginPaint fills it
    HDC dc_;
};

// Halftone stretching on a DC, with the brush origin it needs, for the life
// of the guard; the DC's own mode and origin come back after.
class HalftoneStretch {
public:
    explicit HalftoneStretch(HDC dc) : dc_(dc), oldMode_(SetStretchBltMode(dc, HALFTONE)) {
        SetBrushOrgEx(dc, 0, 0, &oldOrigin_);
    }
    HalftoneStretch(const HalftoneStretch&) = delete;
    HalftoneStretch& operator=(const HalftoneStretch&) = delete;
    ~HalftoneStretch() {
        SetStretchBltMode(dc_, oldMode_);
        SetBrushOrgEx(dc_, oldOrigin_.x, oldOrigin_.y, nullptr);
    }

private:
    HDC dc_;
    int oldMode_;
    POINT oldOrigin_{};
};

// Balances CoInitializeEx on the thread that called it; a thread already
// in another apartment mode keeps it.
class ComApartment {
public:
    ComApartment() : hr_(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED)) {}
    ComApartment(const ComApartment&) = delete;
    ComApartment& operator=(const ComApartment&) = delete;
    ~ComApartment() {
        if (SUCCEEDED(hr_)) CoUninitialize();
    }

private:
    HRESULT hr_;
};

// Minimal owning pointer for COM interfaces.
template <typename T>
class ComPtr {
public:
    ComPtr() = default;
    ComPtr(const ComPtr&) = delete;
    ComPtr& operator=(const ComPtr&) = delete;
    ComPtr(ComPtr&& other) noexcept : p_(std::exchange(other.p_, nullptr)) {}
    ComPtr& operator=(ComPtr&& other) noexcept {
        if (this != &other) {
            reset();
            p_ = std::exchange(other.p_, nullptr);
        }
        return *this;
    }
    ~ComPtr() { reset(); }
    T* get() const { return p_; }
    T* operator->() const { return p_; }
    T** put() {
        reset();
        return &p_;
    }
    explicit operator bool() const { return p_ != nullptr; }
    void reset() {
        if (p_) {
            p_->Release();
            p_ = nullptr;
        }
    }

private:
    T* p_ = nullptr;
};

}  // namespace vx
