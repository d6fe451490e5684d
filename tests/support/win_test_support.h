// Helpers for Windows tests: paths into the repository, the GDI object
// count, and a driver that operates modal dialogs and message boxes while
// the code under test waits inside them, so no test ever waits for a
// person. Temporary folders and file bytes come from test_files.h.
#pragma once
#include <windows.h>

#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "support/test_files.h"

namespace vx::test {

// A repository path (as the build saw it) made usable by Windows code.
std::wstring RepoPath(const char* unixPath, const std::wstring& relative = L"");
std::wstring DataPath(const std::wstring& relative);
std::wstring AssetPath(const std::wstring& relative);

// Top-level dialog windows (class #32770) of this thread, newest first.
std::vector<HWND> ThreadDialogs();
std::wstring WindowText(HWND hwnd);
std::wstring ClassName(HWND hwnd);
// The text of a message box (its static control 0xFFFF).
std::wstring MessageBoxText(HWND box);
void ClickButton(HWND dialog, int id);
// Whether a message box shows an icon (a visible icon static control).
bool MessageBoxHasIcon(HWND box);

// Runs steps one after another from a thread timer while a modal loop
// runs. A step returns true when it is done; the driver gives up (and
// cancels every dialog it sees) after `timeoutMs`.
class ModalDriver {
public:
    using Step = std::function<bool()>;
    explicit ModalDriver(std::vector<Step> steps, DWORD timeoutMs = 20000);
    ~ModalDriver();
    ModalDriver(const ModalDriver&) = delete;
    ModalDriver& operator=(const ModalDriver&) = delete;
    bool Finished() const { return next_ >= steps_.size(); }
    bool TimedOut() const { return timedOut_; }

private:
    static void CALLBACK Tick(HWND, UINT, UINT_PTR id, DWORD);
    void Advance();

    std::vector<Step> steps_;
    std::size_t next_ = 0;
    DWORD deadline_;
    bool timedOut_ = false;
    bool busy_ = false;
    UINT_PTR timer_ = 0;
};

// A step that waits for a dialog of this thread whose caption is `title`
// and stores it in `found`.
ModalDriver::Step WaitForDialog(const std::wstring& title, HWND& found);
// A step that reads the message box titled `title` into `text` and presses
// the button `buttonId`.
// When `hasIcon` is given it tells whether the box showed an icon.
ModalDriver::Step AnswerMessageBox(const std::wstring& title, std::wstring& text, int buttonId = IDOK,
                                   bool* hasIcon = nullptr);

// A step that picks `folder` in the shell's folder browser of this thread
// and confirms it (or cancels the browser when `folder` is empty).
ModalDriver::Step ChooseFolder(const std::wstring& folder);
// A step that waits for the folder browser, reads the name of the folder it
// shows selected into `selected` (waiting up to a few seconds for `expected`
// to be selected) and cancels the browser.
ModalDriver::Step ReadFolderSelection(const std::wstring& expected, std::wstring& selected);

struct ProcessResult {
    DWORD exitCode = 0;
    std::string out, err;
};
// A path in double quotes, for a command line.
inline std::wstring Quoted(const std::wstring& path) { return L"\"" + path + L"\""; }
// Runs a program with its output captured.
ProcessResult RunProcess(const std::wstring& commandLine);

// Pumps messages for `ms` milliseconds.
void PumpFor(DWORD ms);

// Live GDI objects of this process, for proving that nothing leaks.
DWORD LiveGdiObjects();

}  // namespace vx::test
