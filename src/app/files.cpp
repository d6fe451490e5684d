#include "app/files.h"

#include <shlobj.h>

#include <vector>

namespace vx::Files {

std::wstring BrowseForFolder(HWND owner, const std::wstring& title) {
    BROWSEINFOW info{};
    info.hwndOwner = owner;
    info.lpszTitle = title.c_str();
    info.ulFlags = BIF_RETURNONLYFSDIRS;
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
