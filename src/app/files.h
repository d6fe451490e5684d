// The shell's folder browser.
#pragma once
#include <windows.h>

#include <string>

namespace vx::Files {

// The chosen folder's file-system path, or empty text when the user
// cancels or picks something without one (a virtual folder). The browser
// opens at `startFolder` when that folder exists, else where it always does.
std::wstring BrowseForFolder(HWND owner, const std::wstring& title, const std::wstring& startFolder = {});

}  // namespace vx::Files
