// The per-user settings store: HKEY_CURRENT_USER\Software\<app>\<section>,
// string values. Reading never fails visibly: anything missing or
// unreadable yields the default.
#pragma once
#include <string>

namespace vx {

std::wstring GetSetting(const std::wstring& appName, const std::wstring& section, const std::wstring& key,
                        const std::wstring& defaultValue);
// Returns false when the store refused the value.
bool SaveSetting(const std::wstring& appName, const std::wstring& section, const std::wstring& key,
                 const std::wstring& value);
// Where the settings are kept, as the user would look for them.
std::wstring SettingsPlace(const std::wstring& appName, const std::wstring& section);
bool DeleteSetting(const std::wstring& appName, const std::wstring& section, const std::wstring& key);

}  // namespace vx
