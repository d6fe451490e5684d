#include "bmp/color_depth.h"

#include "bmp/bmp_file.h"
#include "common/utf8.h"

namespace vx {
namespace {

constexpr wchar_t kTitle[] = L"Vexillor";

// The box belongs to the window being saved from (the top-level window of
// the bitmap's DC, else the thread's active window), so that window stays
// disabled under it and no second save can start; a caller without any
// window (the command line) gets an ownerless box.
HWND MessageOwner(HDC hDC) {
    HWND owner = hDC ? WindowFromDC(hDC) : nullptr;
    if (owner) owner = GetAncestor(owner, GA_ROOT);
    return owner ? owner : GetActiveWindow();
}

void Tell(HDC hDC, const std::string& text) {
    MessageBoxW(MessageOwner(hDC), WideFromUtf8(text).c_str(), kTitle, MB_OK);
}

}  // namespace

std::int32_t ColorToRGBQuad(std::int32_t color) { return bmp::ColorToRGBQuad(color); }

std::int32_t SaveBitmapAtDepth(HDC hDC, HBITMAP hBitmap, std::int32_t depth, const std::wstring& sFileName,
                               std::span<const std::int32_t> palette) {
    BITMAP description{};
    GetObjectW(hBitmap, sizeof(description), &description);
    if (!bmp::IsAcceptedDepth(depth)) {
        Tell(hDC, bmp::kUnsupportedDepthText);
        return -1;
    }
    const int width = description.bmWidth;
    const int height = description.bmHeight;
    if (width <= 0 || height <= 0) return -2;

    // The bitmap's true colours, top-down, whatever its own format; the
    // colour table (if any) is then built from exactly these colours.
    struct {
        BITMAPINFOHEADER header;
        RGBQUAD colors[256];
    } info{};
    info.header.biSize = sizeof(BITMAPINFOHEADER);
    info.header.biWidth = width;
    info.header.biHeight = -height;
    info.header.biPlanes = 1;
    info.header.biBitCount = 32;
    info.header.biCompression = BI_RGB;
    if (GetDIBits(hDC, hBitmap, 0, static_cast<UINT>(height), nullptr, reinterpret_cast<BITMAPINFO*>(&info),
                  DIB_RGB_COLORS) == 0)
        return -2;
    BgraImage pixels;
    try {
        pixels = BgraImage(width, height);
    } catch (const std::exception&) {
        return -3;
    }
    if (GetDIBits(hDC, hBitmap, 0, static_cast<UINT>(height), pixels.Bytes().data(),
                  reinterpret_cast<BITMAPINFO*>(&info), DIB_RGB_COLORS) == 0)
        return -3;

    const bmp::SaveOutcome outcome =
        bmp::SavePixelsAtDepth(std::filesystem::path(sFileName), pixels.View(), depth, palette);
    if (!outcome.failureText.empty()) Tell(hDC, outcome.failureText);
    return outcome.result;
}

}  // namespace vx
