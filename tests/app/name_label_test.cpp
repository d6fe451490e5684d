// The character's name fitted to its plate.
#include <gtest/gtest.h>

#include "app/name_label.h"

namespace vx {
namespace {

// Every character 7 pixels wide, the ellipsis 5.
int Width(const std::wstring& text) {
    int width = 0;
    for (wchar_t c : text) width += c == kEllipsis ? 5 : 7;
    return width;
}

TEST(NameLabel, ANameThatFitsIsDrawnWhole) { EXPECT_EQ(FitWithEllipsis(L"Korvald", 49, Width), L"Korvald"); }

TEST(NameLabel, ALongerNameKeepsTheLongestStartThatFitsWithTheEllipsis) {
    // 40 pixels: five letters (35) and the ellipsis (5).
    EXPECT_EQ(FitWithEllipsis(L"Korvald the Bold", 40, Width), L"Korva\u2026");
    EXPECT_EQ(FitWithEllipsis(L"Korvald", 4, Width), L"\u2026");
}

}  // namespace
}  // namespace vx
