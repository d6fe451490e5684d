#include "support/win_test_support.h"

#include <fstream>
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

TempFolder::TempFolder() {
    wchar_t base[MAX_PATH + 1] = {};
    GetTempPathW(MAX_PATH, base);
    static unsigned counter = 0;
    for (;;) {
        path_ = std::wstring(base) + L"vexillor-test-" + std::to_wstring(GetCurrentProcessId()) + L"-" +
                std::to_wstring(++counter);
        if (CreateDirectoryW(path_.c_str(), nullptr)) break;
        if (GetLastError() != ERROR_ALREADY_EXISTS) throw std::runtime_error("cannot make a temporary folder");
    }
    while (!path_.empty() && path_.back() == L'\\') path_.pop_back();
}

TempFolder::~TempFolder() {
    std::error_code ignored;
    std::filesystem::remove_all(std::filesystem::path(path_), ignored);
}

std::vector<unsigned char> ReadFileBytes(const std::wstring& path) {
    std::ifstream in(std::filesystem::path(path), std::ios::binary);
    return std::vector<unsigned char>(std::istreambuf_iterator<char>(in), {});
}

void WriteFileBytes(const std::wstring& path, const std::vector<unsigned char>& bytes) {
    std::ofstream out(std::filesystem::path(path), std::ios::binary);
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}

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

ModalDriver::Step AnswerMessageBox(const std::wstring& title, std::wstring& text, int buttonId) {
    return [title, &text, buttonId] {
        for (HWND dialog : ThreadDialogs())
            if (WindowText(dialog) == title && GetDlgItem(dialog, 0xFFFF)) {
                text = MessageBoxText(dialog);
                ClickButton(dialog, buttonId);
                return true;
            }
        return false;
    };
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

}  // namespace vx::test
