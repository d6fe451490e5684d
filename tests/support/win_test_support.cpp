#include "support/win_test_support.h"

#include <shlobj.h>
#include <commctrl.h>

#include <fstream>
#include <memory>
#include <map>
#include <stdexcept>

namespace vx::test {

std::wstring RepoPath(const char* unixPath, const std::wstring& relative) {
    std::wstring path = L"Z:";
    for (const char* p = unixPath; *p; ++p) path.push_back(*p == '/' ? L'\\' : static_cast<wchar_t>(*p));
    if (!relative.empty()) path += L"\\" + relative;
    for (wchar_t& c : path)
        if (c == L'/') c = L'\\';
    return path;
}

std::wstring DataPath(const std::wstring& relative) { return RepoPath(VX_TEST_DATA_DIR, relative); }
std::wstring AssetPath(const std::wstring& relative) { return RepoPath(VX_ASSETS_DIR, relative); }

std::wstring WindowText(HWND hwnd) {
    wchar_t buffer[1024] = {};
    GetWindowTextW(hwnd, buffer, 1024);
    return buffer;
}

std::wstring ClassName(HWND hwnd) {
    wchar_t buffer[256] = {};
    GetClassNameW(hwnd, buffer, 256);
    return buffer;
}

std::vector<HWND> ThreadDialogs() {
    std::vector<HWND> found;
    EnumThreadWindows(
        GetCurrentThreadId(),
        [](HWND hwnd, LPARAM lParam) -> BOOL {
            if (ClassName(hwnd) == L"#32770" && IsWindowVisible(hwnd))
                reinterpret_cast<std::vector<HWND>*>(lParam)->push_back(hwnd);
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&found));
    return found;
}

std::wstring MessageBoxText(HWND box) { return WindowText(GetDlgItem(box, 0xFFFF)); }

bool MessageBoxHasIcon(HWND box) {
    bool found = false;
    EnumChildWindows(
        box,
        [](HWND child, LPARAM lParam) -> BOOL {
            const LONG_PTR style = GetWindowLongPtrW(child, GWL_STYLE);
            if (ClassName(child) == L"Static" && (style & SS_TYPEMASK) == SS_ICON && IsWindowVisible(child) &&
                SendMessageW(child, STM_GETICON, 0, 0) != 0)
                *reinterpret_cast<bool*>(lParam) = true;
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&found));
    return found;
}

void ClickButton(HWND dialog, int id) {
    if (HWND button = GetDlgItem(dialog, id)) {
        PostMessageW(button, BM_CLICK, 0, 0);
    } else {
        PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), 0);
    }
}

namespace {
std::map<UINT_PTR, ModalDriver*>& Drivers() {
    static std::map<UINT_PTR, ModalDriver*> drivers;
    return drivers;
}
}  // namespace

ModalDriver::ModalDriver(std::vector<Step> steps, DWORD timeoutMs)
    : steps_(std::move(steps)), deadline_(GetTickCount() + timeoutMs) {
    timer_ = SetTimer(nullptr, 0, 50, &ModalDriver::Tick);
    Drivers()[timer_] = this;
}

ModalDriver::~ModalDriver() {
    KillTimer(nullptr, timer_);
    Drivers().erase(timer_);
}

void CALLBACK ModalDriver::Tick(HWND, UINT, UINT_PTR id, DWORD) {
    auto it = Drivers().find(id);
    if (it != Drivers().end()) it->second->Advance();
}

void ModalDriver::Advance() {
    if (busy_) return;  // a step may itself run a modal loop
    busy_ = true;
    if (!Finished() && static_cast<LONG>(GetTickCount() - deadline_) > 0) {
        timedOut_ = true;
        next_ = steps_.size();
        for (HWND dialog : ThreadDialogs()) PostMessageW(dialog, WM_COMMAND, IDCANCEL, 0);
    }
    while (!Finished() && steps_[next_]()) ++next_;
    busy_ = false;
}

ModalDriver::Step WaitForDialog(const std::wstring& title, HWND& found) {
    return [title, &found] {
        for (HWND dialog : ThreadDialogs())
            if (WindowText(dialog) == title) {
                found = dialog;
                return true;
            }
        return false;
    };
}

ModalDriver::Step AnswerMessageBox(const std::wstring& title, std::wstring& text, int buttonId, bool* hasIcon) {
    return [title, &text, buttonId, hasIcon] {
        for (HWND dialog : ThreadDialogs())
            if (WindowText(dialog) == title && GetDlgItem(dialog, 0xFFFF)) {
                text = MessageBoxText(dialog);
                if (hasIcon) *hasIcon = MessageBoxHasIcon(dialog);
                ClickButton(dialog, buttonId);
                return true;
            }
        return false;
    };
}

namespace {
std::wstring SelectedTreeText(HWND tree) {
    HTREEITEM item = reinterpret_cast<HTREEITEM>(SendMessageW(tree, TVM_GETNEXTITEM, TVGN_CARET, 0));
    if (!item) return {};
    wchar_t text[MAX_PATH] = {};
    TVITEMW tv{};
    tv.mask = TVIF_TEXT;
    tv.hItem = item;
    tv.pszText = text;
    tv.cchTextMax = MAX_PATH;
    SendMessageW(tree, TVM_GETITEMW, 0, reinterpret_cast<LPARAM>(&tv));
    return text;
}
}  // namespace

ModalDriver::Step ChooseFolder(const std::wstring& folder) {
    struct State {
        DWORD lastRequest = 0;
    };
    auto state = std::make_shared<State>();
    const std::wstring leaf = folder.substr(folder.find_last_of(L'\\') + 1);
    return [folder, leaf, state] {
        for (HWND dialog : ThreadDialogs()) {
            // The browser is the dialog with a tree of folders.
            HWND tree = FindWindowExW(dialog, nullptr, L"SysTreeView32", nullptr);
            if (!tree) continue;
            if (folder.empty()) {
                PostMessageW(dialog, WM_COMMAND, IDCANCEL, 0);
                return true;
            }
            // Confirm only once the tree shows the folder selected.
            if (SelectedTreeText(tree) == leaf) {
                ClickButton(dialog, IDOK);
                return true;
            }
            if (GetTickCount() - state->lastRequest > 500) {
                SendMessageW(dialog, BFFM_SETSELECTIONW, TRUE, reinterpret_cast<LPARAM>(folder.c_str()));
                state->lastRequest = GetTickCount();
            }
            return false;
        }
        return false;
    };
}

ModalDriver::Step ReadFolderSelection(const std::wstring& expected, std::wstring& selected) {
    auto firstSeen = std::make_shared<DWORD>(0);
    return [expected, &selected, firstSeen] {
        for (HWND dialog : ThreadDialogs()) {
            HWND tree = FindWindowExW(dialog, nullptr, L"SysTreeView32", nullptr);
            if (!tree) continue;
            if (!*firstSeen) *firstSeen = GetTickCount();
            selected = SelectedTreeText(tree);
            if (selected != expected && GetTickCount() - *firstSeen < 3000) return false;
            PostMessageW(dialog, WM_COMMAND, IDCANCEL, 0);
            return true;
        }
        return false;
    };
}

ProcessResult RunProcess(const std::wstring& commandLine) {
    SECURITY_ATTRIBUTES inherit{sizeof(inherit), nullptr, TRUE};
    HANDLE outRead, outWrite, errRead, errWrite;
    CreatePipe(&outRead, &outWrite, &inherit, 0);
    CreatePipe(&errRead, &errWrite, &inherit, 0);
    SetHandleInformation(outRead, HANDLE_FLAG_INHERIT, 0);
    SetHandleInformation(errRead, HANDLE_FLAG_INHERIT, 0);
    STARTUPINFOW si{};
    si.cb = sizeof(si);
    si.dwFlags = STARTF_USESTDHANDLES;
    si.hStdInput = GetStdHandle(STD_INPUT_HANDLE);
    si.hStdOutput = outWrite;
    si.hStdError = errWrite;
    PROCESS_INFORMATION pi{};
    std::wstring line = commandLine;
    ProcessResult result;
    const BOOL started =
        CreateProcessW(nullptr, line.data(), nullptr, nullptr, TRUE, CREATE_NO_WINDOW, nullptr, nullptr, &si, &pi);
    CloseHandle(outWrite);
    CloseHandle(errWrite);
    auto drain = [](HANDLE pipe, std::string& into) {
        char buffer[4096];
        DWORD read = 0;
        while (ReadFile(pipe, buffer, sizeof(buffer), &read, nullptr) && read > 0) into.append(buffer, read);
    };
    if (started) {
        drain(outRead, result.out);
        drain(errRead, result.err);
        WaitForSingleObject(pi.hProcess, 60000);
        GetExitCodeProcess(pi.hProcess, &result.exitCode);
        CloseHandle(pi.hProcess);
        CloseHandle(pi.hThread);
    } else {
        result.exitCode = 0xFFFFFFFF;
    }
    CloseHandle(outRead);
    CloseHandle(errRead);
    return result;
}

void PumpFor(DWORD ms) {
    const DWORD end = GetTickCount() + ms;
    MSG msg;
    while (static_cast<LONG>(GetTickCount() - end) < 0) {
        while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&msg);
            DispatchMessageW(&msg);
        }
        Sleep(5);
    }
}

// Wine answers GetGuiResources with 0 but, like older Windows, accepts a
// GDI handle's table index alone, so there the live entries of the table
// are counted instead.
DWORD LiveGdiObjects() {
    if (const DWORD counted = GetGuiResources(GetCurrentProcess(), GR_GDIOBJECTS)) return counted;
    DWORD live = 0;
    for (UINT_PTR slot = 1; slot < 0x10000; ++slot)
        if (GetObjectType(reinterpret_cast<HGDIOBJ>(slot)) != 0) ++live;
    return live;
}

}  // namespace vx::test
