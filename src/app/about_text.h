// What the About box says: product, version, what the program does and
// where its settings are kept.
#pragma once

#include <string>

namespace vx {

struct AboutFacts {
    std::wstring product;      // "Vexillor"
    std::wstring version;      // "1.2.3", from the version resource
    std::wstring description;  // one line
    std::wstring settingsPlace;
};

// Missing facts are left out rather than shown blank.
std::wstring AboutText(const AboutFacts& facts);

}  // namespace vx
