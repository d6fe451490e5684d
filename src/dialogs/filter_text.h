// The open dialog's filter list, built from a bit mask of picture kinds.
#pragma once
#include <cstdint>
#include <string>

namespace vx {

// Entries are "description\0pattern" joined by single NULs, with no NUL at
// either end. Bit 0x1 (all pictures) stands alone; the other known bits
// add their entry in table order; unknown bits add nothing.
std::wstring BuildFilterText(std::int32_t mask);

}  // namespace vx
