#include "app/files.h"

#include <shlobj.h>

#include <vector>

namespace vx::Files {
namespace {

int CALLBACK SelectStartFolder(HWND browser, UINT message, LPARAM, LPARAM startFolder) {
    if (message == BFFM_INITIALIZED) SendMessageW(browser, BFFM_SETSELECTIONW, TRUE, startFolder);
    return 0;
}

}  // namespace

std::wstring BrowseForFolder(HWND owner, const std::wstring& title, const std::wstring& startFolder) {
    BROWSEINFOW info{};
    info.hwndOwner = owner;
    info.lpszTitle = title.c_str();
    info.ulFlags = BIF_RETURNONLYFSDIRS;
    const DWORD attributes = startFolder.empty() ? INVALID_FILE_ATTRIBUTES : GetFileAttributesW(startFolder.c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY)) {
        info.lpfn = &SelectStartFolder;
        info.lParam = reinterpret_cast<LPARAM>(startFolder.c_str());
    }
    PIDLIST_ABSOLUTE item = SHBrowseForFolderW(&info);
    if (!item) return {};
    // Folders deeper than the classic path limit are returned whole.
    std::vector<wchar_t> buffer(32768, L'\0');
    BOOL found = SHGetPathFromIDListEx(item, buffer.data(), static_cast<DWORD>(buffer.size()), GPFIDL_DEFAULT);
    if (!found) {
        std::vector<wchar_t> classic(MAX_PATH + 1, L'\0');
        found = SHGetPathFromIDListW(item, classic.data());
        if (found) buffer.assign(classic.begin(), classic.end());
    }
    CoTaskMemFree(item);
    if (!found) return {};
    buffer.back() = L'\0';
    return buffer.data();
}

}  // namespace vx::Files
