// What the viewer's source files share and nobody else needs.
#pragma once
#include <windows.h>

#include <cstdint>

namespace vx {

class cGIFViewer;

namespace viewer_detail {

// Whether a viewer is alive in this process: a timer message can outlive
// the viewer that set it, so its identifier is looked up before it is trusted.
bool IsLive(const cGIFViewer* viewer);
bool IsDeviceContext(HDC handle);
// A colour value, or (when negative) a system colour named by its low byte.
COLORREF ResolveColour(std::uint32_t value);

}  // namespace viewer_detail
}  // namespace vx
