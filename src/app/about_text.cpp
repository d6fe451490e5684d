#include "app/about_text.h"

namespace vx {

std::wstring AboutText(const AboutFacts& facts) {
    std::wstring text = facts.product;
    if (!facts.version.empty()) text += L" " + facts.version;
    if (!facts.description.empty()) text += L"\r\n" + facts.description;
    if (!facts.settingsPlace.empty()) text += L"\r\n\r\nConfiguraci\u00F3n / Settings:\r\n" + facts.settingsPlace;
    return text;
}

}  // namespace vx
