#include "app/settings.h"

#include <windows.h>

#include <vector>

#include "common/win_handles.h"

namespace vx {
namespace {

std::wstring KeyPath(const std::wstring& appName, const std::wstring& section) {
    return L"Software\\" + appName + L"\\" + section;
}

}  // namespace

std::wstring GetSetting(const std::wstring& appName, const std::wstring& section, const std::wstring& key,
                        const std::wstring& defaultValue) {
    UniqueRegistryKey reg;
    if (RegOpenKeyExW(HKEY_CURRENT_USER, KeyPath(appName, section).c_str(), 0, KEY_QUERY_VALUE, reg.put()) !=
        ERROR_SUCCESS)
        return defaultValue;
    DWORD type = 0, size = 0;
    if (RegQueryValueExW(reg.get(), key.c_str(), nullptr, &type, nullptr, &size) != ERROR_SUCCESS ||
        (type != REG_SZ && type != REG_EXPAND_SZ) || size > 1u << 20)
        return defaultValue;
    std::vector<wchar_t> buffer(size / sizeof(wchar_t) + 1, L'\0');
    DWORD bytes = static_cast<DWORD>((buffer.size() - 1) * sizeof(wchar_t));
    if (RegQueryValueExW(reg.get(), key.c_str(), nullptr, &type, reinterpret_cast<BYTE*>(buffer.data()), &bytes) !=
        ERROR_SUCCESS)
        return defaultValue;
    buffer.back() = L'\0';
    return std::wstring(buffer.data());
}

bool SaveSetting(const std::wstring& appName, const std::wstring& section, const std::wstring& key,
                 const std::wstring& value) {
    UniqueRegistryKey reg;
    if (RegCreateKeyExW(HKEY_CURRENT_USER, KeyPath(appName, section).c_str(), 0, nullptr, 0, KEY_SET_VALUE, nullptr,
                        reg.put(), nullptr) != ERROR_SUCCESS)
        return false;
    const DWORD bytes = static_cast<DWORD>((value.size() + 1) * sizeof(wchar_t));
    return RegSetValueExW(reg.get(), key.c_str(), 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()), bytes) ==
           ERROR_SUCCESS;
}

bool DeleteSetting(const std::wstring& appName, const std::wstring& section, const std::wstring& key) {
    UniqueRegistryKey reg;
    if (RegOpenKeyExW(HKEY_CURRENT_USER, KeyPath(appName, section).c_str(), 0, KEY_SET_VALUE, reg.put()) !=
        ERROR_SUCCESS)
        return true;
    const LONG result = RegDeleteValueW(reg.get(), key.c_str());
    return result == ERROR_SUCCESS || result == ERROR_FILE_NOT_FOUND;
}

std::wstring SettingsPlace(const std::wstring& appName, const std::wstring& section) {
    return L"HKEY_CURRENT_USER\\" + KeyPath(appName, section);
}

}  // namespace vx
