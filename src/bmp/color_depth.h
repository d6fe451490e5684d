// Writes a device bitmap as an uncompressed BMP file of a chosen depth.
#pragma once
#include <windows.h>

#include <cstdint>
#include <span>
#include <string>

namespace vx {

// Returns the written file's length on success; -1 for a depth other than
// 1, 4, 8, 16, 24 or 32 (after telling the user); -2 / -3 when reading the
// bitmap's size / pixels fails; 0 when writing failed (after telling the
// user why). The colour table for 1, 4 and 8 bits comes from `palette`
// when it has exactly as many colours as the table has entries, otherwise
// from the bitmap's own colours. An existing file is replaced whole, or
// left as it was when the write fails.
std::int32_t SaveBitmapAtDepth(HDC hDC, HBITMAP hBitmap, std::int32_t depth, const std::wstring& sFileName,
                               std::span<const std::int32_t> palette = {});

std::int32_t ColorToRGBQuad(std::int32_t color);

}  // namespace vx
