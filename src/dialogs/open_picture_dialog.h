// The open-picture dialog object: its settings, and Abrir, which shows the
// platform's open-file dialog with a live preview pane.
#pragma once
#include <windows.h>

#include <cstdint>
#include <string>

namespace vx {

class CVistaPrevia {
public:
    void SetFilter2(std::int32_t vData);
    std::int32_t Filter2() const { return filter2_; }
    void SetInitDir(const std::wstring& vData) { initDir_ = vData; }
    const std::wstring& InitDir() const { return initDir_; }
    void SetFlags(std::int32_t vData) { flags_ = vData; }
    std::int32_t Flags() const { return flags_; }
    void SetFilterIndex(std::int16_t vData) { filterIndex_ = vData; }
    std::int16_t FilterIndex() const { return filterIndex_; }
    void SetFileName(const std::wstring& vData) { fileName_ = vData; }
    const std::wstring& FileName() const { return fileName_; }
    void SetDialogTitle(const std::wstring& vData) { dialogTitle_ = vData; }
    const std::wstring& DialogTitle() const { return dialogTitle_; }
    void SetCancelError(bool vData) { cancelError_ = vData; }
    bool CancelError() const { return cancelError_; }

    // The filter list as handed to the dialog (entries joined by NULs).
    const std::wstring& FilterText() const { return Filter(); }

    // Shows the dialog owned by `unform`; returns the chosen file's full
    // path, or empty text when the user cancels or the dialog fails.
    std::wstring Abrir(HWND unform);

    static constexpr std::int32_t kDialogFlags = 0x281824;

private:
    void SetFilter(const std::wstring& vData) { filter_ = vData; }
    const std::wstring& Filter() const { return filter_; }

    bool cancelError_ = false;
    std::wstring dialogTitle_;
    std::wstring fileName_;
    std::wstring filter_;
    std::int16_t filterIndex_ = 0;
    std::int32_t flags_ = 0;
    std::wstring initDir_;
    std::int32_t filter2_ = 0;
};

}  // namespace vx
