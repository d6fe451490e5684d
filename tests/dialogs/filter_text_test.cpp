// The open dialog's filter list, from the bit mask callers set.
#include <gtest/gtest.h>

#include "dialogs/filter_text.h"

namespace vx {
namespace {

using namespace std::string_literals;

const std::wstring kAll = L"Todas las imagenes (JPG,BMP,GIF)\0*.jpg;*.bmp;*.gif"s;

TEST(FilterText, AllPicturesStandsAloneWhateverElseIsSet) {
    EXPECT_EQ(BuildFilterText(1), kAll);
    EXPECT_EQ(BuildFilterText(3), kAll);
    EXPECT_EQ(BuildFilterText(-1), kAll);
}

TEST(FilterText, OtherBitsAddTheirEntriesInTableOrder) {
    EXPECT_EQ(BuildFilterText(0x82), L"Imagen de Mapa de Bits (*.bmp)\0*.bmp\0Archivo JPG (*.jpg)\0*.jpg"s);
    EXPECT_EQ(BuildFilterText(0x800), L"Windows Metafile (*.wmf)\0*.wmf"s);
    EXPECT_EQ(BuildFilterText(0x8 | 0x20 | 0x40),
              L"Enhanced Metafile (*.emf)\0*.emf\0archivos GIF (*.gif)\0*.gif\0Archivo de Iconos (*.ico)\0*.ico"s);
}

TEST(FilterText, UnknownBitsAddNothing) {
    EXPECT_EQ(BuildFilterText(0), L"");
    EXPECT_EQ(BuildFilterText(4), L"");
    EXPECT_EQ(BuildFilterText(0x4 | 0x10 | 0x100 | 0x200 | 0x400 | 0x1000), L"");
}

}  // namespace
}  // namespace vx
