// A small modal box that asks the user for one line of text.
#pragma once
#include <windows.h>

#include <string>

namespace vx {

// Control numbers inside the box, for whoever drives it.
inline constexpr int kInputBoxPromptId = 100;
inline constexpr int kInputBoxEditId = 101;

// Shows `prompt` and an edit field holding `defaultText`, selected, with OK
// and Cancel (Enter and Escape work); returns the text typed, or empty text
// when cancelled.
std::wstring InputBox(HWND owner, const std::wstring& prompt, const std::wstring& title,
                      const std::wstring& defaultText = {});

}  // namespace vx
