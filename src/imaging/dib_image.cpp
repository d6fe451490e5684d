#include "imaging/dib_image.h"

#include <cstring>
#include <span>

#include "common/bitmap32.h"
#include "common/win_handles.h"
#include "base/run_time_error.h"

namespace vx {

namespace {

// A memory context compatible with the display device, for palette depths:
// the context opened on "DISPLAY" only to make it is deleted at once.
HDC DisplayCompatibleDc() {
    UniqueMemoryDc display(CreateDCW(L"DISPLAY", nullptr, nullptr, nullptr));
    return CreateCompatibleDC(display.get());
}

// A memory context compatible with the desktop window's context.
HDC DesktopCompatibleDc() {
    WindowDc desktop(GetDesktopWindow());
    return CreateCompatibleDC(desktop.get());
}

// Palette size of a depth: 2^bitCount for 1, 4 and 8 bits, else none.
UINT PaletteEntries(int bitCount) { return bitCount >= 1 && bitCount <= 8 ? 1u << bitCount : 0u; }

}  // namespace

cImage::~cImage() { ClearUp(); }

void cImage::ClearUp() {
    // The context gives the DIB back before the DIB goes.
    hdc_.reset();
    dib_.reset();
    bits_ = nullptr;
    // An empty object describes no bitmap, so its properties read 0.
    info_ = {};
}

std::int32_t cImage::BytesPerScanLine() const {
    const std::optional<std::int32_t> bytes = dib::ScanLineBytes(Width(), BitCount());
    if (!bytes) throw MakeRunTimeError(kErrOverflow, "cImage.BytesPerScanLine");
    return *bytes;
}

bool cImage::Create(std::int32_t lWidth, std::int32_t lHeight, std::int16_t iBitCount) {
    ClearUp();
    if (!dib::IsSupportedBitCount(iBitCount)) return false;
    // Rows are stored bottom-up, which needs a positive height; a size
    // that wraps around 32 bits would make a bitmap smaller than described.
    if (lWidth < 1 || lHeight < 1) return false;
    const std::optional<std::int32_t> imageBytes = dib::ImageBytes(lWidth, lHeight, iBitCount);
    if (!imageBytes) return false;

    UniqueMemoryDc dc(iBitCount == 24 ? CreateCompatibleDC(nullptr) : DisplayCompatibleDc());
    if (!dc) return false;

    Description info{};
    info.header.biSize = sizeof(BITMAPINFOHEADER);
    info.header.biWidth = lWidth;
    info.header.biHeight = lHeight;
    info.header.biPlanes = 1;
    info.header.biBitCount = static_cast<WORD>(iBitCount);
    info.header.biCompression = BI_RGB;
    info.header.biSizeImage = static_cast<DWORD>(*imageBytes);
    const dib::ColorTable ramp = dib::GreyRamp(iBitCount);
    for (UINT i = 0; i < PaletteEntries(iBitCount); ++i) info.colors[i] = {ramp[i].blue, ramp[i].green, ramp[i].red, 0};

    void* bits = nullptr;
    UniqueBitmap dib(
        CreateDIBSection(dc.get(), reinterpret_cast<BITMAPINFO*>(&info), DIB_RGB_COLORS, &bits, nullptr, 0));
    if (!dib || !bits) return false;
    BitmapDc selected(std::move(dc));
    if (!selected.SelectBitmap(dib.get())) return false;

    info_ = info;
    bits_ = bits;
    dib_ = std::move(dib);
    hdc_ = std::move(selected);
    return true;
}

bool cImage::CopyStdPicture(const Bitmap32& TheStdPicture, std::int16_t& iBitCount) {
    return CopyStdPicture(TheStdPicture.handle(), iBitCount);
}

bool cImage::CopyStdPicture(HBITMAP TheStdPicture, std::int16_t& iBitCount) {
    BITMAP bm{};
    if (!TheStdPicture || GetObjectW(TheStdPicture, sizeof bm, &bm) != static_cast<int>(sizeof bm)) {
        ClearUp();
        return false;
    }
    const bool depthFromPicture = iBitCount == 0;
    if (depthFromPicture) iBitCount = bm.bmBitsPixel == 16 ? 24 : static_cast<std::int16_t>(bm.bmBitsPixel);
    if (!Create(bm.bmWidth, bm.bmHeight, iBitCount)) return false;

    UniqueMemoryDc source(iBitCount == 24 ? DesktopCompatibleDc() : DisplayCompatibleDc());
    if (!source) {
        ClearUp();
        return false;
    }
    if (iBitCount == 24) {
        SelectGuard select(source.get(), TheStdPicture);
        BitBlt(hdc_.get(), 0, 0, bm.bmWidth, bm.bmHeight, source.get(), 0, 0, SRCCOPY);
        return true;
    }
    if (depthFromPicture) {
        SelectGuard select(source.get(), TheStdPicture);
        const UINT read = GetDIBColorTable(source.get(), 0, PaletteEntries(iBitCount), transfer_);
        if (read > 0 && SetDIBColorTable(hdc_.get(), 0, read, transfer_) > 0)
            std::memcpy(info_.colors, transfer_, read * sizeof(RGBQUAD));
    }
    // The rows are read with the picture out of every context, as the
    // platform asks. Their indices refer to the colour table that comes back
    // with them, which differs from ours when the depth was chosen by the
    // caller; that table goes into the bitmap so the colours stay right.
    Description wanted = info_;
    GdiFlush();
    if (GetDIBits(source.get(), TheStdPicture, 0, static_cast<UINT>(bm.bmHeight), bits_,
                  reinterpret_cast<BITMAPINFO*>(&wanted), DIB_RGB_COLORS) > 0 &&
        SetDIBColorTable(hdc_.get(), 0, PaletteEntries(iBitCount), wanted.colors) > 0)
        std::memcpy(info_.colors, wanted.colors, sizeof info_.colors);
    return true;
}

bool cImage::CopyHDC(HDC lHDC, std::int32_t lWidth, std::int32_t lHeight, std::int16_t iBitCount, std::int32_t lSrcLeft,
                     std::int32_t lSrcTop) {
    UINT read = 0;
    if (iBitCount == 0) {
        read = lHDC ? GetDIBColorTable(lHDC, 0, dib::kMaxColors, transfer_) : 0;
        iBitCount = read == 0 ? 24 : read <= 2 ? 1 : read <= 16 ? 4 : 8;
    }
    if (!Create(lWidth, lHeight, iBitCount)) return false;
    if (read > 0 && SetDIBColorTable(hdc_.get(), 0, read, transfer_) > 0)
        std::memcpy(info_.colors, transfer_, read * sizeof(RGBQUAD));
    BitBlt(hdc_.get(), 0, 0, lWidth, lHeight, lHDC, lSrcLeft, lSrcTop, SRCCOPY);
    return true;
}

bool cImage::CopyPalletHDC(HDC lHDC) {
    if (!hdc_ || !lHDC) return false;
    // A 24-bit image asks for a whole table; the platform then refuses to
    // write it, and the answer is false.
    const UINT wanted = BitCount() <= 8 ? PaletteEntries(BitCount()) : dib::kMaxColors;
    const UINT read = GetDIBColorTable(lHDC, 0, wanted, transfer_);
    if (read == 0) return false;
    const UINT written = SetDIBColorTable(hdc_.get(), 0, read, transfer_);
    if (written > 0) std::memcpy(info_.colors, transfer_, written * sizeof(RGBQUAD));
    return written == read;
}

void cImage::PaintHDC(HDC lHDC, std::int32_t lDestLeft, std::int32_t lDestTop, DWORD eRop) const {
    if (!hdc_) return;
    BitBlt(lHDC, lDestLeft, lDestTop, Width(), Height(), hdc_.get(), 0, 0, eRop);
}

dib::ColorTable cImage::Colors() const {
    dib::ColorTable table{};
    RGBQUAD quads[dib::kMaxColors]{};
    const UINT read = hdc_ ? GetDIBColorTable(hdc_.get(), 0, PaletteEntries(BitCount()), quads) : 0;
    for (UINT i = 0; i < read; ++i) table[i] = {quads[i].rgbBlue, quads[i].rgbGreen, quads[i].rgbRed, 0};
    return table;
}

dib::ConstDibView cImage::Pixels() const {
    return {static_cast<const std::uint8_t*>(bits_), Width(), Height(), BitCount(), BytesPerScanLine()};
}

dib::DibView cImage::Pixels() {
    return {static_cast<std::uint8_t*>(bits_), Width(), Height(), BitCount(), BytesPerScanLine()};
}

std::unique_ptr<cImage> cImage::Sibling(std::int32_t lWidth, std::int32_t lHeight) const {
    auto image = std::make_unique<cImage>();
    if (image->Create(lWidth, lHeight, BitCount()) && BitCount() != 24) image->CopyPalletHDC(hdc_.get());
    return image;
}

std::unique_ptr<cImage> cImage::Greyscale() const {
    auto grey = std::make_unique<cImage>();
    if (!grey->Create(Width(), Height(), 8) || !bits_) return grey;
    GdiFlush();
    const dib::ColorTable colors = Colors();
    dib::GreyPixels(Pixels(), std::span(colors).first(PaletteEntries(BitCount())), grey->Pixels());
    return grey;
}

std::unique_ptr<cImage> cImage::Resample(std::int32_t lWidth, std::int32_t lHeight) const {
    auto resampled = Sibling(lWidth, lHeight);
    if (!resampled->bits_ || !bits_) return resampled;
    GdiFlush();
    if (lWidth == Width() && lHeight == Height()) {
        std::memcpy(resampled->bits_, bits_, info_.header.biSizeImage);
        return resampled;
    }
    const dib::ColorTable from = Colors();
    const dib::ColorTable into = resampled->Colors();
    const UINT entries = PaletteEntries(BitCount());
    dib::ResamplePixels(Pixels(), std::span(from).first(entries), resampled->Pixels(), std::span(into).first(entries));
    return resampled;
}

std::unique_ptr<cImage> cImage::Turned(dib::Turn turn) const {
    const dib::Size size = dib::TurnedSize(turn, Width(), Height());
    auto turned = Sibling(size.width, size.height);
    if (!turned->bits_ || !bits_) return turned;
    GdiFlush();
    dib::TurnPixels(Pixels(), turned->Pixels(), turn);
    return turned;
}

std::unique_ptr<cImage> cImage::Mirror(bool Vertical) const {
    return Turned(Vertical ? dib::Turn::MirrorUpsideDown : dib::Turn::MirrorLeftRight);
}

std::unique_ptr<cImage> cImage::Rotate(std::int32_t Degrees) const {
    dib::Turn turn{};
    if (!dib::TurnForDegrees(Degrees, turn)) return nullptr;
    return Turned(turn);
}

}  // namespace vx
