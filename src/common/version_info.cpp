#include "common/version_info.h"

#include <windows.h>

#include <cstdint>
#include <vector>

namespace vx {

std::wstring ProgramVersionString(const wchar_t* name) {
    std::vector<wchar_t> path(32768, L'\0');
    if (GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size())) == 0) return {};
    DWORD ignored = 0;
    const DWORD size = GetFileVersionInfoSizeW(path.data(), &ignored);
    if (size == 0) return {};
    std::vector<std::uint8_t> block(size);
    if (!GetFileVersionInfoW(path.data(), 0, size, block.data())) return {};
    const std::wstring query = std::wstring(L"\\StringFileInfo\\040904b0\\") + name;
    void* value = nullptr;
    UINT length = 0;
    if (!VerQueryValueW(block.data(), query.c_str(), &value, &length) || !value || length == 0) return {};
    return std::wstring(static_cast<const wchar_t*>(value), length - 1);
}

}  // namespace vx
