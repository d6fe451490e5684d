// cImage: one device-independent bitmap of 1, 4, 8 or 24 bits per pixel,
// selected into its own memory device context, so that it can be drawn on
// with the graphics interface and read or written as raw rows. The pixel
// work of the transforms is the portable code of dib_transform.h.
#pragma once
#include <windows.h>

#include <cstdint>
#include <memory>

#include "common/win_handles.h"
#include "imaging/dib_transform.h"

namespace vx {

class Bitmap32;

class cImage {
public:
    cImage() = default;
    ~cImage();
    cImage(const cImage&) = delete;
    cImage& operator=(const cImage&) = delete;

    // Read-only properties, from the bitmap description. An empty object
    // reports 0 for all of them.
    std::int32_t Width() const { return info_.header.biWidth; }
    std::int32_t Height() const { return info_.header.biHeight; }  // positive: rows stored bottom-up
    std::int16_t BitCount() const { return static_cast<std::int16_t>(info_.header.biBitCount); }
    HDC hdc() const { return hdc_.get(); }     // the memory device context
    void* DIBitsPtr() const { return bits_; }  // the first byte of the pixel rows (the bottom row)
    // Bytes per row, padded to 4. Raises the overflow error (6) as a
    // vx::RunTimeError when the row size leaves the 32-bit range.
    std::int32_t BytesPerScanLine() const;

    // A new empty bitmap of that size and depth (1, 4, 8 or 24), discarding
    // the old one; palette depths get a grey ramp. False, with the object
    // empty, for any other depth, a width or height below 1, a row or image
    // size beyond 32 bits, or when the platform cannot make it.
    bool Create(std::int32_t lWidth, std::int32_t lHeight, std::int16_t iBitCount);

    // A copy of a bitmap (any HBITMAP, or a loaded picture). With
    // iBitCount 0 the picture's own depth is used (16 becomes 24) and
    // written back; at palette depths the picture's colour table comes along.
    bool CopyStdPicture(HBITMAP TheStdPicture, std::int16_t& iBitCount);
    bool CopyStdPicture(const Bitmap32& TheStdPicture, std::int16_t& iBitCount);

    // A copy of an area of a device context. iBitCount 0: the depth follows
    // the colour table of the bitmap selected into lHDC (none: 24 bits).
    bool CopyHDC(HDC lHDC, std::int32_t lWidth, std::int32_t lHeight, std::int16_t iBitCount = 0,
                 std::int32_t lSrcLeft = 0, std::int32_t lSrcTop = 0);

    // Takes over the colour table of the bitmap selected into lHDC; true
    // when every entry read was written.
    bool CopyPalletHDC(HDC lHDC);

    // Draws the whole bitmap at (lDestLeft, lDestTop) of lHDC with the
    // raster operation eRop.
    void PaintHDC(HDC lHDC, std::int32_t lDestLeft = 0, std::int32_t lDestTop = 0, DWORD eRop = SRCCOPY) const;

    // The transforms each return a new image owned by the caller; when it
    // could not be made it comes back empty rather than missing.
    std::unique_ptr<cImage> Greyscale() const;  // 8 bits, grey ramp
    std::unique_ptr<cImage> Resample(std::int32_t lWidth, std::int32_t lHeight) const;
    std::unique_ptr<cImage> Mirror(bool Vertical) const;  // true: upside down; false: left to right
    // 90: a quarter turn anticlockwise; 180; 270: clockwise. Any other
    // angle after reduction modulo 360 (0 included) returns nullptr.
    std::unique_ptr<cImage> Rotate(std::int32_t Degrees) const;

private:
    // A BITMAPINFO with room for a whole colour table.
    struct Description {
        BITMAPINFOHEADER header;
        RGBQUAD colors[dib::kMaxColors];
    };

    void ClearUp();
    // The colour table the DIB holds now (black past its depth).
    dib::ColorTable Colors() const;
    dib::ConstDibView Pixels() const;
    dib::DibView Pixels();
    // An image of the given size and this depth with this colour table.
    std::unique_ptr<cImage> Sibling(std::int32_t lWidth, std::int32_t lHeight) const;
    std::unique_ptr<cImage> Turned(dib::Turn turn) const;

    // Released in reverse order: the context gives the DIB back, then the
    // DIB goes.
    UniqueBitmap dib_;
    BitmapDc hdc_;
    void* bits_ = nullptr;
    Description info_{};
    RGBQUAD transfer_[dib::kMaxColors]{};  // colour tables on their way between contexts
};

}  // namespace vx
