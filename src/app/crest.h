// Crest geometry and composition shared by the window and the command
// line: a picture squeezed whole into the crest rectangle.
#pragma once
#include <windows.h>

#include "app/crest_workflow.h"
#include "common/bitmap32.h"

namespace vx {

// The source size to squeeze: the header's size when it has one, else the
// picture's own (icons and metafiles have no header size); never more
// than the picture holds.
SIZE CrestSourceSize(int headerWidth, int headerHeight, const Bitmap32& picture);

// Every crest pixel is the exact area-weighted average of the part of the
// source rectangle (0, 0, source.cx, source.cy) of `picture` it covers.
Bitmap32 SqueezeIntoCrest(const Bitmap32& picture, SIZE source, int crestWidth, int crestHeight);

}  // namespace vx
