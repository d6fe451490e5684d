// What a screen reader hears: each of the seven buttons answers the
// platform's accessibility request with an object of its own, a push
// button named by its tooltip's title and text, with its key as the
// shortcut; the crest previews name what they show. Answering WM_GETOBJECT
// works on Windows and under Wine alike, across processes.
#include <windows.h>
#include <oleacc.h>
#include <commctrl.h>

#include <new>
#include <string>

#include "app/accessibility.h"
#include "app/main_window.h"

namespace vx {
namespace {

struct Description {
    std::wstring name;
    std::wstring shortcut;
    long role;
};

BSTR Copy(const std::wstring& text) { return SysAllocStringLen(text.data(), static_cast<UINT>(text.size())); }

bool IsSelf(const VARIANT& child) { return child.vt == VT_I4 && child.lVal == CHILDID_SELF; }

// One window's object, with no children of its own; everything it does
// not describe comes from the platform's standard object for the window.
class WindowAccessible final : public IAccessible {
public:
    WindowAccessible(HWND window, const Description& description, IAccessible* standard)
        : window_(window), description_(description), standard_(standard) {}
    ~WindowAccessible() {
        if (standard_) standard_->Release();
    }

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override {
        if (!out) return E_POINTER;
        if (iid == IID_IUnknown || iid == IID_IDispatch || iid == IID_IAccessible) {
            *out = static_cast<IAccessible*>(this);
            AddRef();
            return S_OK;
        }
        *out = nullptr;
        return E_NOINTERFACE;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return static_cast<ULONG>(InterlockedIncrement(&references_)); }
    ULONG STDMETHODCALLTYPE Release() override {
        const LONG left = InterlockedDecrement(&references_);
        if (left == 0) delete this;
        return static_cast<ULONG>(left);
    }

    HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* count) override {
        if (count) *count = 0;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT, LCID, ITypeInfo**) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE Invoke(DISPID, REFIID, LCID, WORD, DISPPARAMS*, VARIANT*, EXCEPINFO*, UINT*) override {
        return E_NOTIMPL;
    }

    HRESULT STDMETHODCALLTYPE get_accParent(IDispatch** parent) override {
        return standard_ ? standard_->get_accParent(parent) : S_FALSE;
    }
    HRESULT STDMETHODCALLTYPE get_accChildCount(long* count) override {
        if (!count) return E_POINTER;
        *count = 0;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE get_accChild(VARIANT, IDispatch** child) override {
        if (child) *child = nullptr;
        return E_INVALIDARG;
    }
    HRESULT STDMETHODCALLTYPE get_accName(VARIANT child, BSTR* name) override {
        if (!name) return E_POINTER;
        if (!IsSelf(child)) return E_INVALIDARG;
        *name = Copy(description_.name);
        return *name ? S_OK : E_OUTOFMEMORY;
    }
    HRESULT STDMETHODCALLTYPE get_accValue(VARIANT, BSTR* value) override {
        if (value) *value = nullptr;
        return S_FALSE;
    }
    HRESULT STDMETHODCALLTYPE get_accDescription(VARIANT, BSTR* text) override {
        if (text) *text = nullptr;
        return S_FALSE;
    }
    HRESULT STDMETHODCALLTYPE get_accRole(VARIANT child, VARIANT* role) override {
        if (!role) return E_POINTER;
        if (!IsSelf(child)) return E_INVALIDARG;
        role->vt = VT_I4;
        role->lVal = description_.role;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE get_accState(VARIANT child, VARIANT* state) override {
        if (!state) return E_POINTER;
        if (!IsSelf(child)) return E_INVALIDARG;
        state->vt = VT_I4;
        state->lVal = IsWindowVisible(window_) ? 0 : STATE_SYSTEM_INVISIBLE;
        if (description_.role == ROLE_SYSTEM_PUSHBUTTON) state->lVal |= STATE_SYSTEM_FOCUSABLE;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE get_accHelp(VARIANT, BSTR* help) override {
        if (help) *help = nullptr;
        return S_FALSE;
    }
    HRESULT STDMETHODCALLTYPE get_accHelpTopic(BSTR* file, VARIANT, long* topic) override {
        if (file) *file = nullptr;
        if (topic) *topic = 0;
        return S_FALSE;
    }
    HRESULT STDMETHODCALLTYPE get_accKeyboardShortcut(VARIANT child, BSTR* keys) override {
        if (!keys) return E_POINTER;
        *keys = nullptr;
        if (!IsSelf(child)) return E_INVALIDARG;
        if (description_.shortcut.empty()) return S_FALSE;
        *keys = Copy(description_.shortcut);
        return *keys ? S_OK : E_OUTOFMEMORY;
    }
    HRESULT STDMETHODCALLTYPE get_accFocus(VARIANT* focus) override {
        if (focus) focus->vt = VT_EMPTY;
        return S_FALSE;
    }
    HRESULT STDMETHODCALLTYPE get_accSelection(VARIANT* selection) override {
        if (selection) selection->vt = VT_EMPTY;
        return S_FALSE;
    }
    HRESULT STDMETHODCALLTYPE get_accDefaultAction(VARIANT child, BSTR* action) override {
        if (!action) return E_POINTER;
        *action = nullptr;
        if (!IsSelf(child) || description_.role != ROLE_SYSTEM_PUSHBUTTON) return S_FALSE;
        *action = SysAllocString(L"Press");
        return *action ? S_OK : E_OUTOFMEMORY;
    }
    HRESULT STDMETHODCALLTYPE accSelect(long, VARIANT) override { return S_FALSE; }
    HRESULT STDMETHODCALLTYPE accLocation(long* x, long* y, long* w, long* h, VARIANT child) override {
        if (!x || !y || !w || !h) return E_POINTER;
        if (!IsSelf(child)) return E_INVALIDARG;
        RECT r{};
        if (!GetWindowRect(window_, &r)) return E_FAIL;
        *x = r.left;
        *y = r.top;
        *w = r.right - r.left;
        *h = r.bottom - r.top;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE accNavigate(long direction, VARIANT start, VARIANT* end) override {
        return standard_ ? standard_->accNavigate(direction, start, end) : S_FALSE;
    }
    HRESULT STDMETHODCALLTYPE accHitTest(long, long, VARIANT* child) override {
        if (!child) return E_POINTER;
        child->vt = VT_I4;
        child->lVal = CHILDID_SELF;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE accDoDefaultAction(VARIANT child) override {
        if (!IsSelf(child) || description_.role != ROLE_SYSTEM_PUSHBUTTON) return DISP_E_MEMBERNOTFOUND;
        // A press as the mouse makes it, delivered once the reader has its answer.
        PostMessageW(window_, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(1, 1));
        PostMessageW(window_, WM_LBUTTONUP, 0, MAKELPARAM(1, 1));
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE put_accName(VARIANT, BSTR) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE put_accValue(VARIANT, BSTR) override { return E_NOTIMPL; }

private:
    LONG references_ = 1;
    HWND window_;
    Description description_;
    IAccessible* standard_;
};

constexpr UINT_PTR kSubclassId = 1;
// The window's description, also where the subclass keeps it.
constexpr wchar_t kDescriptionProperty[] = L"VexillorScreenReaderDescription";

IAccessible* NewObject(HWND hwnd, const Description& description) {
    IAccessible* standard = nullptr;
    CreateStdAccessibleObject(hwnd, OBJID_CLIENT, IID_IAccessible, reinterpret_cast<void**>(&standard));
    return new (std::nothrow) WindowAccessible(hwnd, description, standard);
}

LRESULT CALLBACK AnswerAccessibility(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam, UINT_PTR id, DWORD_PTR data) {
    auto* description = reinterpret_cast<Description*>(data);
    if (msg == WM_GETOBJECT && static_cast<LONG>(lParam) == OBJID_CLIENT) {
        IAccessible* object = NewObject(hwnd, *description);
        if (!object) return DefSubclassProc(hwnd, msg, wParam, lParam);
        const LRESULT result = LresultFromObject(IID_IAccessible, wParam, object);
        object->Release();
        return result;
    }
    if (msg == WM_NCDESTROY) {
        RemoveWindowSubclass(hwnd, &AnswerAccessibility, id);
        RemovePropW(hwnd, kDescriptionProperty);
        delete description;
    }
    return DefSubclassProc(hwnd, msg, wParam, lParam);
}

void Describe(HWND window, std::wstring name, std::wstring shortcut, long role) {
    auto* description = new Description{std::move(name), std::move(shortcut), role};
    if (!SetWindowSubclass(window, &AnswerAccessibility, kSubclassId, reinterpret_cast<DWORD_PTR>(description))) {
        delete description;
        return;
    }
    SetPropW(window, kDescriptionProperty, description);
}

}  // namespace

IAccessible* ScreenReaderObject(HWND window) {
    const auto* description = static_cast<const Description*>(GetPropW(window, kDescriptionProperty));
    return description ? NewObject(window, *description) : nullptr;
}

void Main::DescribeForScreenReaders() {
    for (int i = 0; i < kBarButtonCount; ++i) {
        const BarButton button = static_cast<BarButton>(i);
        const wchar_t* keys = TextsOf(button).keys;
        Describe(SurfacesOf(button).button->hWnd(), AccessibleName(button), keys ? keys : L"", ROLE_SYSTEM_PUSHBUTTON);
    }
    Describe(ImgClanCrest.hWnd(), L"Clan crest 16 x 12", L"", ROLE_SYSTEM_GRAPHIC);
    Describe(ImgAllyCrest.hWnd(), L"Ally and clan crest 24 x 12", L"", ROLE_SYSTEM_GRAPHIC);
    Describe(ImgZoomCrest.hWnd(), L"Crest enlarged, pixel for pixel as saved", L"", ROLE_SYSTEM_GRAPHIC);
}

}  // namespace vx
