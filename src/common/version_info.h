// The running program's version resource, so the command line, the About
// box and the file's Properties say the same.
#pragma once
#include <string>

namespace vx {

// One string of the running executable's version resource ("ProductName",
// "ProductVersion", "FileDescription", ...); empty when it carries none.
std::wstring ProgramVersionString(const wchar_t* name);

// "1.0.0": the product version.
inline std::wstring ProgramVersion() { return ProgramVersionString(L"ProductVersion"); }

}  // namespace vx
