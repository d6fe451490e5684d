// Crest geometry and composition shared by the window and the command
// line: a picture squeezed whole into the crest rectangle.
#pragma once
#include <windows.h>

#include "common/bitmap32.h"

namespace vx {

enum class CrestMode { Clan, AllyClan };

inline constexpr int kCrestHeight = 12;
inline constexpr int kClanCrestWidth = 16;
inline constexpr int kAllyCrestWidth = 8;
inline constexpr int kStripWidth = kAllyCrestWidth + kClanCrestWidth;

inline int CrestWidth(CrestMode mode) { return mode == CrestMode::Clan ? kClanCrestWidth : kStripWidth; }

// The source size to squeeze: the header's size when it has one, else the
// picture's own (icons and metafiles have no header size); never more
// than the picture holds.
SIZE CrestSourceSize(int headerWidth, int headerHeight, const Bitmap32& picture);

// Every crest pixel is the exact area-weighted average of the part of the
// source rectangle (0, 0, source.cx, source.cy) of `picture` it covers.
Bitmap32 SqueezeIntoCrest(const Bitmap32& picture, SIZE source, int crestWidth, int crestHeight);

}  // namespace vx
