// The running program's version, as its version resource gives it, so the
// command line and the window say the same as the file's Properties.
#pragma once
#include <string>

namespace vx {

// "1.0.0" from the product version of the running executable; empty when
// the executable carries no version resource.
std::wstring ProgramVersion();

}  // namespace vx
