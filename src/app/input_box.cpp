#include "app/input_box.h"

#include <cstdint>
#include <vector>

namespace vx {
namespace {

// An in-memory dialog template: DLGTEMPLATE, then its items, each on a
// four-byte boundary, with words for menus, classes and texts.
class DialogTemplate {
public:
    void Begin(DWORD style, short x, short y, short cx, short cy, const std::wstring& title, WORD itemCount) {
        Align(4);
        Put32(style);
        Put32(0);  // extended style
        Put16(itemCount);
        Put16(static_cast<WORD>(x));
        Put16(static_cast<WORD>(y));
        Put16(static_cast<WORD>(cx));
        Put16(static_cast<WORD>(cy));
        Put16(0);  // no menu
        Put16(0);  // standard dialog class
        PutText(title);
        Put16(8);  // point size, with DS_SETFONT
        PutText(L"MS Shell Dlg");
    }
    void Item(DWORD style, short x, short y, short cx, short cy, WORD id, WORD classAtom, const std::wstring& text) {
        Align(4);
        Put32(style | WS_CHILD | WS_VISIBLE);
        Put32(0);
        Put16(static_cast<WORD>(x));
        Put16(static_cast<WORD>(y));
        Put16(static_cast<WORD>(cx));
        Put16(static_cast<WORD>(cy));
        Put16(id);
        Put16(0xFFFF);
        Put16(classAtom);
        PutText(text);
        Put16(0);  // no creation data
    }
    const DLGTEMPLATE* Get() const { return reinterpret_cast<const DLGTEMPLATE*>(words_.data()); }

private:
    void Put16(WORD w) { words_.push_back(w); }
    void Put32(DWORD d) {
        Put16(LOWORD(d));
        Put16(HIWORD(d));
    }
    void PutText(const std::wstring& text) {
        for (wchar_t c : text) Put16(static_cast<WORD>(c));
        Put16(0);
    }
    void Align(std::size_t bytes) {
        while ((words_.size() * 2) % bytes) Put16(0);
    }
    std::vector<WORD> words_;
};

constexpr WORD kButton = 0x0080, kEdit = 0x0081, kStatic = 0x0082;

struct BoxState {
    std::wstring answer;
};

INT_PTR CALLBACK BoxProc(HWND dialog, UINT msg, WPARAM wParam, LPARAM lParam) {
    switch (msg) {
        case WM_INITDIALOG:
            SetWindowLongPtrW(dialog, DWLP_USER, lParam);
            SendDlgItemMessageW(dialog, kInputBoxEditId, EM_LIMITTEXT, 0, 0);
            SetFocus(GetDlgItem(dialog, kInputBoxEditId));
            // Typing replaces the text offered; an arrow key keeps it.
            SendDlgItemMessageW(dialog, kInputBoxEditId, EM_SETSEL, 0, -1);
            return FALSE;  // focus set here
        case WM_COMMAND:
            if (LOWORD(wParam) == IDOK) {
                auto* state = reinterpret_cast<BoxState*>(GetWindowLongPtrW(dialog, DWLP_USER));
                HWND edit = GetDlgItem(dialog, kInputBoxEditId);
                std::wstring text(static_cast<std::size_t>(GetWindowTextLengthW(edit)) + 1, L'\0');
                GetWindowTextW(edit, text.data(), static_cast<int>(text.size()));
                text.resize(wcslen(text.c_str()));
                if (state) state->answer = text;
                EndDialog(dialog, IDOK);
                return TRUE;
            }
            if (LOWORD(wParam) == IDCANCEL) {
                EndDialog(dialog, IDCANCEL);
                return TRUE;
            }
            break;
        default:
            break;
    }
    return FALSE;
}

}  // namespace

std::wstring InputBox(HWND owner, const std::wstring& prompt, const std::wstring& title,
                      const std::wstring& defaultText) {
    DialogTemplate box;
    box.Begin(DS_SETFONT | DS_MODALFRAME | DS_CENTER | WS_POPUP | WS_CAPTION | WS_SYSMENU, 0, 0, 250, 86, title, 4);
    box.Item(SS_LEFT | SS_NOPREFIX, 7, 7, 180, 48, kInputBoxPromptId, kStatic, prompt);
    box.Item(BS_DEFPUSHBUTTON | WS_TABSTOP, 193, 7, 50, 14, IDOK, kButton, L"OK");
    box.Item(BS_PUSHBUTTON | WS_TABSTOP, 193, 25, 50, 14, IDCANCEL, kButton, L"Cancel");
    box.Item(ES_AUTOHSCROLL | WS_BORDER | WS_TABSTOP, 7, 64, 236, 14, kInputBoxEditId, kEdit, defaultText);
    BoxState state;
    const INT_PTR result = DialogBoxIndirectParamW(GetModuleHandleW(nullptr), box.Get(), owner, &BoxProc,
                                                   reinterpret_cast<LPARAM>(&state));
    return result == IDOK ? state.answer : std::wstring();
}

}  // namespace vx
