// The web pages the two link buttons open.
#pragma once

namespace vx {

inline constexpr wchar_t kFacebookAddress[] = L"https://www.facebook.com/";
inline constexpr wchar_t kTaringaAddress[] = L"https://www.taringa.net/";

}  // namespace vx
