// A font object as the tooltip uses it: a face and size, and a bold switch
// that title and text flip between them. It makes the font handle for its
// current attributes and owns it.
#pragma once
#include <windows.h>

#include <string>

#include "common/win_handles.h"

namespace vx {

class StdFont {
public:
    // The system's message font: the face and size of the platform's own
    // tooltips and message boxes.
    StdFont();
    explicit StdFont(const LOGFONTW& logFont);
    StdFont(const StdFont&) = delete;
    StdFont& operator=(const StdFont&) = delete;

    bool Bold() const { return logFont_.lfWeight >= FW_BOLD; }
    void SetBold(bool bold);
    std::wstring Name() const { return logFont_.lfFaceName; }
    const LOGFONTW& LogFont() const { return logFont_; }
    // Valid until the attributes change or the object goes.
    HFONT hFont();

private:
    LOGFONTW logFont_{};
    UniqueFont font_;
};

}  // namespace vx
