// The open dialog's filter list, from the bit mask callers set.
#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

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

// Splits a filter text into its descriptions and patterns, in order.
std::vector<std::wstring> Fields(const std::wstring& text) {
    std::vector<std::wstring> fields(1);
    for (wchar_t c : text) {
        if (c)
            fields.back().push_back(c);
        else
            fields.emplace_back();
    }
    return fields;
}

TEST(FilterText, EveryPictureListsAllLoaderFormatsFirstThenEachThenAllFiles) {
    const std::vector<std::wstring> fields = Fields(BuildFilterText(kFilterEveryPicture));
    ASSERT_EQ(fields.size() % 2, 0u);
    const std::wstring& first = fields[1];
    for (const wchar_t* pattern : {L"*.png", L"*.jpeg", L"*.jfif", L"*.dib", L"*.gif", L"*.ico", L"*.tiff", L"*.wmf"})
        EXPECT_NE(first.find(pattern), std::wstring::npos) << pattern;
    // Each format's own entry is part of the first one.
    for (std::size_t i = 3; i + 2 < fields.size(); i += 2)
        for (std::size_t at = 0, end = 0; at < fields[i].size(); at = end + 1) {
            end = std::min(fields[i].find(L';', at), fields[i].size());
            EXPECT_NE(first.find(fields[i].substr(at, end - at)), std::wstring::npos) << fields[i];
        }
    EXPECT_EQ(fields.back(), L"*.*");
    EXPECT_EQ(fields[fields.size() - 2], L"Todos los archivos / All files (*.*)");
    // The old list keeps its place before it.
    EXPECT_EQ(BuildFilterText(kFilterEveryPicture | 1), kAll);
}

TEST(FilterText, UnknownBitsAddNothing) {
    EXPECT_EQ(BuildFilterText(0), L"");
    EXPECT_EQ(BuildFilterText(4), L"");
    EXPECT_EQ(BuildFilterText(0x4 | 0x10 | 0x100 | 0x200 | 0x400 | 0x1000), L"");
}

}  // namespace
}  // namespace vx
