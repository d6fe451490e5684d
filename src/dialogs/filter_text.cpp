#include "dialogs/filter_text.h"

namespace vx {
namespace {

struct FilterEntry {
    std::int32_t bit;
    const wchar_t* description;
    const wchar_t* pattern;
};

constexpr FilterEntry kAllPictures{0x1, L"Todas las imagenes (JPG,BMP,GIF)", L"*.jpg;*.bmp;*.gif"};

constexpr FilterEntry kEntries[] = {
    {0x2, L"Imagen de Mapa de Bits (*.bmp)", L"*.bmp"}, {0x8, L"Enhanced Metafile (*.emf)", L"*.emf"},
    {0x20, L"archivos GIF (*.gif)", L"*.gif"},          {0x40, L"Archivo de Iconos (*.ico)", L"*.ico"},
    {0x80, L"Archivo JPG (*.jpg)", L"*.jpg"},           {0x800, L"Windows Metafile (*.wmf)", L"*.wmf"},
};

// The formats the picture loader reads, each with every name it goes by.
constexpr FilterEntry kEveryPicture[] = {
    {kFilterEveryPicture, L"Todas las im\u00E1genes / All pictures",
     L"*.png;*.jpg;*.jpeg;*.jpe;*.jfif;*.bmp;*.dib;*.gif;*.ico;*.tif;*.tiff;*.emf;*.wmf"},
    {kFilterEveryPicture, L"PNG (*.png)", L"*.png"},
    {kFilterEveryPicture, L"JPEG (*.jpg;*.jpeg;*.jpe;*.jfif)", L"*.jpg;*.jpeg;*.jpe;*.jfif"},
    {kFilterEveryPicture, L"Mapa de bits / Bitmap (*.bmp;*.dib)", L"*.bmp;*.dib"},
    {kFilterEveryPicture, L"GIF (*.gif)", L"*.gif"},
    {kFilterEveryPicture, L"Icono / Icon (*.ico)", L"*.ico"},
    {kFilterEveryPicture, L"TIFF (*.tif;*.tiff)", L"*.tif;*.tiff"},
    {kFilterEveryPicture, L"Enhanced Metafile (*.emf)", L"*.emf"},
    {kFilterEveryPicture, L"Windows Metafile (*.wmf)", L"*.wmf"},
    {kFilterEveryPicture, L"Todos los archivos / All files (*.*)", L"*.*"},
};

void Append(std::wstring& text, const FilterEntry& entry) {
    if (!text.empty()) text.push_back(L'\0');
    text += entry.description;
    text.push_back(L'\0');
    text += entry.pattern;
}

}  // namespace

std::wstring BuildFilterText(std::int32_t mask) {
    std::wstring text;
    if (mask & kAllPictures.bit) {
        Append(text, kAllPictures);
        return text;
    }
    if (mask & kFilterEveryPicture) {
        for (const FilterEntry& entry : kEveryPicture) Append(text, entry);
        return text;
    }
    for (const FilterEntry& entry : kEntries)
        if (mask & entry.bit) Append(text, entry);
    return text;
}

}  // namespace vx
