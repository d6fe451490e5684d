// "Frame... / Encuadre...": a resizable dialog over the main window that
// shows the whole picture fitted with the frame drawn over it, the crest it
// gives at 1x and 8x, live, and the buttons that turn the picture, trim its
// margins or take it whole.
#pragma once
#include <windows.h>

#include <optional>

#include "app/crest_document.h"

namespace vx {

// The dialog's own controls, for the keyboard and for tests.
inline constexpr int kFrameViewId = 101;
inline constexpr int kFrameWholeId = 102;
inline constexpr int kFrameTrimId = 103;
inline constexpr int kFrameRotateLeftId = 104;
inline constexpr int kFrameRotateRightId = 105;
inline constexpr int kFrameMirrorId = 106;
inline constexpr int kFrameFlipId = 107;
inline constexpr wchar_t kFrameDialogTitle[] = L"Frame / Encuadre";

// The options chosen with OK (turns and frame changed, the rest as given),
// or nothing on Cancel. `picture` is the loaded one, before any turn.
std::optional<CrestOptions> ShowFrameDialog(HWND owner, const BgraImage& picture, const CrestOptions& options);

}  // namespace vx
