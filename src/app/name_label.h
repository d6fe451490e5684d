// The character's name as the label can show it: a name wider than the
// plate keeps its start and ends in an ellipsis, so it never runs out of
// its frame; the stored name stays whole.
#pragma once
#include <functional>
#include <string>

namespace vx {

inline constexpr wchar_t kEllipsis = L'\u2026';

// The whole text when `widthOf(text)` is at most `maxWidth`, else the
// longest start of it that fits with the ellipsis after it (the ellipsis
// alone when nothing does).
std::wstring FitWithEllipsis(const std::wstring& text, int maxWidth,
                             const std::function<int(const std::wstring&)>& widthOf);

}  // namespace vx
