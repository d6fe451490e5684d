// The open dialog's filter list, built from a bit mask of picture kinds.
#pragma once
#include <cstdint>
#include <string>

namespace vx {

// Every picture the loader reads, then one entry per format, then all files:
// what the main window asks for. Like bit 0x1 it stands alone.
inline constexpr std::int32_t kFilterEveryPicture = 0x2000;

// Entries are "description\0pattern" joined by single NULs, with no NUL at
// either end. Bit 0x1 (all pictures) stands alone, before
// kFilterEveryPicture; the other known bits add their entry in table order;
// unknown bits add nothing.
std::wstring BuildFilterText(std::int32_t mask);

}  // namespace vx
