// The object a window described for screen readers answers WM_GETOBJECT
// with (accessibility.cpp).
#pragma once
#include <windows.h>
#include <oleacc.h>

namespace vx {

// A new reference to the object, or null for a window not described.
IAccessible* ScreenReaderObject(HWND window);

}  // namespace vx
