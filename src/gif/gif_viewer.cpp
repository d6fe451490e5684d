#include "gif/gif_viewer.h"

#include <algorithm>
#include <cstring>
#include <limits>
#include <mutex>
#include <new>
#include <optional>
#include <unordered_set>

#include "common/picture_loader.h"
#include "gif/gif_animation.h"
#include "gif/gif_decode.h"
#include "gif/gif_scale.h"
#include "gif/gif_stream.h"
#include "base/run_time_error.h"

namespace vx {
namespace {

constexpr UINT kTrialTimerMs = 60000;
constexpr DWORD kRedrawAndValidate = RDW_UPDATENOW | RDW_VALIDATE;

// Viewers alive in this process. A timer message can outlive the viewer
// that set it; its identifier is then looked up here before it is trusted.
std::mutex& RegistryMutex() {
    static std::mutex mutex;
    return mutex;
}
std::unordered_set<const cGIFViewer*>& Registry() {
    static std::unordered_set<const cGIFViewer*> viewers;
    return viewers;
}
bool IsLive(const cGIFViewer* viewer) {
    std::lock_guard lock(RegistryMutex());
    return Registry().count(viewer) != 0;
}

bool IsDeviceContext(HDC handle) {
    if (!handle) return false;
    const DWORD type = GetObjectType(handle);
    return type == OBJ_DC || type == OBJ_MEMDC;
}

// A colour value, or (when negative) a system colour named by its low byte.
// Other values go to the brush as they are: a top byte of 1 or 2 makes a
// palette index or a palette-relative colour.
COLORREF ResolveColour(std::uint32_t value) {
    if (static_cast<std::int32_t>(value) < 0) return GetSysColor(static_cast<int>(value & 0xFF));
    return value;
}

using gif::StripStride;

}  // namespace

cGIFViewer::cGIFViewer() {
    std::lock_guard lock(RegistryMutex());
    Registry().insert(this);
}

cGIFViewer::~cGIFViewer() {
    {
        std::lock_guard lock(RegistryMutex());
        Registry().erase(this);
    }
    UnloadGIF();
}

// ---------------------------------------------------------------- loading

bool cGIFViewer::ReadFileBounded(const std::wstring& path) {
    file_.clear();
    UniqueFile file(
        CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    report_ = {};
    if (!file) {
        report_.status = gif::GifStatus::FileUnreadable;
        return false;
    }
    LARGE_INTEGER size{};
    if (!GetFileSizeEx(file.get(), &size)) {
        report_.status = gif::GifStatus::FileUnreadable;
        return false;
    }
    if (size.QuadPart < static_cast<LONGLONG>(gif::kMinFileSize)) {
        report_.status = gif::GifStatus::TooShort;
        return false;
    }
    if (static_cast<std::uint64_t>(size.QuadPart) > kMaxFileBytes) {
        report_.status = gif::GifStatus::FileTooLarge;
        report_.needed = static_cast<std::uint64_t>(size.QuadPart);
        report_.limit = kMaxFileBytes;
        return false;
    }
    file_.resize(static_cast<std::size_t>(size.QuadPart));
    std::size_t done = 0;
    while (done < file_.size()) {
        const DWORD chunk = static_cast<DWORD>(std::min<std::size_t>(file_.size() - done, std::size_t{1} << 24));
        DWORD read = 0;
        if (!ReadFile(file.get(), file_.data() + done, chunk, &read, nullptr) || read == 0) break;
        done += read;
    }
    // A file that shrank while being read is taken as far as it was read.
    file_.resize(done);
    if (file_.size() < gif::kMinFileSize) {
        report_.status = gif::GifStatus::TooShort;
        return false;
    }
    return true;
}

gif::GifReport cGIFViewer::CheckStripFits() const {
    gif::GifReport report = gif::CheckIndex(index_);
    if (report.status != gif::GifStatus::Loaded) return report;
    const gif::StripLayout layout = gif::PlanFrameStrip(index_);
    report = gif::CheckStrip(index_, layout);
    if (report.status == gif::GifStatus::Loaded && std::max<std::int64_t>(1, layout.width) >
                                                       std::numeric_limits<std::int32_t>::max()) {
        report.status = gif::GifStatus::StripTooLarge;
        report.needed = static_cast<std::uint64_t>(layout.width);
        report.limit = kMaxStripBytes;
    }
    return report;
}

std::int32_t cGIFViewer::LoadGIF(const std::wstring& gifFileName, std::int32_t ViewerID,
                                 IGifRender* GIFRenderInterface, HWND timerHwnd) {
    UnloadGIF();
    const std::uint64_t serial = loadSerial_;
    viewerId_ = ViewerID;
    loopCount_ = 0;
    // Whatever ends the load early from here on was the client's doing.
    auto abandoned = [this] {
        report_ = {};
        report_.status = gif::GifStatus::Abandoned;
        return 0;
    };
    try {
        if (!ReadFileBounded(gifFileName)) {
            const gif::GifReport why = report_;
            UnloadGIF();
            report_ = why;
            return 0;
        }
        index_ = gif::IndexGif(file_);
        const std::int32_t n = FrameCount();
        const gif::GifReport fits = CheckStripFits();
        if (fits.status != gif::GifStatus::Loaded) {
            UnloadGIF();
            report_ = fits;
            return 0;
        }
        loopCount_ = index_.loop_count;

        // Animation needs a client and a window whose thread takes our timer.
        std::int32_t result = -n;
        if (GIFRenderInterface && timerHwnd && IsWindow(timerHwnd)) {
            const UINT_PTR id = reinterpret_cast<UINT_PTR>(this);
            if (SetTimer(timerHwnd, id, kTrialTimerMs, &cGIFViewer::TimerProc) != 0) {
                KillTimer(timerHwnd, id);
                timerHwnd_ = timerHwnd;
                client_ = GIFRenderInterface;
                timerReady_ = true;
                result = n;
            }
        }

        if (client_) {
            client_->Rendered(viewerId_, 1, kMsgLoading, 0);
            if (serial != loadSerial_) return abandoned();
        }
        if (!DecodePass(serial)) {
            if (serial != loadSerial_) return abandoned();
            UnloadGIF();
            report_ = fits;
            report_.status = gif::GifStatus::OutOfMemory;
            report_.needed = static_cast<std::uint64_t>(StripStride(std::max<std::int64_t>(1, fits.width))) *
                             static_cast<std::uint64_t>(std::max<std::int64_t>(1, fits.height));
            return 0;
        }
        // The file's bytes and where its images lay are needed no more.
        file_ = {};
        index_.blocks = {};
        if (client_) {
            client_->Rendered(viewerId_, n, kMsgLoading, 100);
            if (serial != loadSerial_) return abandoned();
        }
        return result;
    } catch (const std::bad_alloc&) {
        if (serial == loadSerial_) UnloadGIF();
        report_ = {};
        report_.status = gif::GifStatus::OutOfMemory;
        return 0;
    } catch (...) {
        if (serial == loadSerial_) UnloadGIF();
        return abandoned();
    }
}

bool cGIFViewer::DecodePass(std::uint64_t serial) {
    const gif::StripLayout layout = gif::PlanFrameStrip(index_);
    const std::int64_t width = std::max<std::int64_t>(1, layout.width);
    const std::int32_t height = std::max<std::int32_t>(1, layout.height);
    // Every frame gets its place first: a client called back while the
    // strip fills may already draw or copy frames not decoded yet.
    for (std::size_t k = 0; k < index_.frames.size(); ++k)
        index_.frames[k].position = static_cast<std::int32_t>(layout.offsets[k]);

    // The strip starts with the identity colour table (entry i = i), so
    // until a frame's palette is installed every pixel shows its index.
    struct {
        BITMAPINFOHEADER header;
        RGBQUAD colours[256];
    } info{};
    info.header.biSize = sizeof(BITMAPINFOHEADER);
    info.header.biWidth = static_cast<LONG>(width);
    info.header.biHeight = height;  // bottom-up
    info.header.biPlanes = 1;
    info.header.biBitCount = 8;
    info.header.biCompression = BI_RGB;
    info.header.biClrUsed = 256;
    for (int i = 0; i < 256; ++i) info.colours[i].rgbBlue = static_cast<BYTE>(i);

    void* bits = nullptr;
    UniqueBitmap strip(CreateDIBSection(ScreenDc().get(), reinterpret_cast<BITMAPINFO*>(&info), DIB_RGB_COLORS, &bits,
                                        nullptr, 0));
    if (!strip || !bits) return false;
    strip_ = std::move(strip);
    stripBits_ = static_cast<std::uint8_t*>(bits);
    stripStride_ = StripStride(width);
    stripHeight_ = height;
    if (!stripDc_.SelectBitmap(strip_.get())) return false;
    installedPalette_ = -1;

    hasMaskPalette_ = std::any_of(index_.frames.begin(), index_.frames.end(),
                                  [](const gif::FrameRecord& frame) { return frame.transparent != 0; });
    maskPalette_ = {};

    const std::int32_t n = FrameCount();
    gif::FrameDecoder decoder;
    for (std::int32_t k = 1; k <= n; ++k) {
        const gif::FrameRecord& frame = index_.frames[static_cast<std::size_t>(k) - 1];
        if (frame.width > 0 && frame.height > 0) {
            GdiFlush();  // drawing from the strip must be done before its bits change
            std::uint8_t* topLeft =
                stripBits_ + (static_cast<std::int64_t>(height) - 1) * stripStride_ + frame.position;
            decoder.Decode(file_, index_, static_cast<std::size_t>(k) - 1, topLeft,
                           -static_cast<std::ptrdiff_t>(stripStride_));
        }
        // The first frame is on show while the others decode.
        if (k == 1 && HasClient()) {
            Tick(nullptr);
            if (serial != loadSerial_) return false;
        }
        if (HasClient()) {
            client_->Rendered(viewerId_, k, kMsgLoading, gif::LoadProgress(k, n));
            if (serial != loadSerial_) return false;
        }
    }
    return true;
}

void cGIFViewer::UnloadGIF() {
    ++loadSerial_;
    // Each step only releases what it finds, so every step runs whatever
    // the state the previous ones left.
    if (timerReady_ || timerPending_) {
        if (timerHwnd_) KillTimer(timerHwnd_, reinterpret_cast<UINT_PTR>(this));
    }
    timerPending_ = false;

    timerReady_ = false;
    timerHwnd_ = nullptr;
    client_ = nullptr;
    index_.frames = {};
    state_ = kStopped;
    animationIndex_ = 0;
    loops_ = 0;

    ReleaseBuffer();
    bkgBrush_.reset();
    dest_ = {};
    stretchMode_ = gif::kStretchNone;
    xRatio_ = yRatio_ = 0.0f;

    ReleaseStrip();

    index_ = gif::GifIndex{};
    hasMaskPalette_ = false;
    maskPalette_ = {};
    installedPalette_ = 0;

    file_ = {};
}

void cGIFViewer::ReleaseBuffer() {
    bufferDc_.reset();  // gives the bitmap back first
    bufferBitmap_.reset();
}

void cGIFViewer::ReleaseStrip() {
    stripDc_.reset();  // gives the strip back first
    strip_.reset();
    stripBits_ = nullptr;
    stripStride_ = 0;
    stripHeight_ = 0;
}

// ---------------------------------------------------------------- frames

const gif::FrameRecord* cGIFViewer::Frame(std::int32_t index) const {
    if (index < 1 || index > FrameCount()) return nullptr;
    return &index_.frames[static_cast<std::size_t>(index) - 1];
}

std::int32_t cGIFViewer::FrameProperty(std::int32_t Index, std::int32_t propID) const {
    return gif::FrameProperty(index_, Index, propID, minimumDelay_);
}

void cGIFViewer::SetLoopCount(std::int32_t newCount) { loopCount_ = gif::LoopCountFromWrite(newCount); }

void cGIFViewer::SetMinimumDelay(std::int32_t newMinimum) {
    const std::optional<std::int16_t> value = gif::MinimumDelayFromWrite(newMinimum);
    if (!value) throw MakeRunTimeError(kErrOverflow, "cGIFViewer");
    minimumDelay_ = *value;
}

COLORREF cGIFViewer::WindowBkgColor() const { return gif::WindowBkgColor(index_); }

cGIFViewer::ColourTable cGIFViewer::PaletteTable(std::int32_t paletteNumber) const {
    ColourTable table{};
    if (paletteNumber >= 0 && static_cast<std::size_t>(paletteNumber) < index_.palettes.size())
        std::memcpy(table.data(), index_.palettes[static_cast<std::size_t>(paletteNumber)].data(), sizeof(table));
    return table;
}

void cGIFViewer::InstallColourTable(const ColourTable& table) {
    SetDIBColorTable(stripDc_.get(), 0, static_cast<UINT>(table.size()), table.data());
}

const std::uint8_t* cGIFViewer::StripFrameTopRow(const gif::FrameRecord& frame) const {
    return stripBits_ + (static_cast<std::int64_t>(stripHeight_) - 1) * stripStride_ + frame.position;
}

bool cGIFViewer::FramePalette(std::int32_t Index, std::vector<std::uint32_t>& Palette) {
    Palette.assign(256, 0);
    const gif::FrameRecord* frame = Frame(Index);
    if (!frame || frame->palette < 0 || static_cast<std::size_t>(frame->palette) >= index_.palettes.size())
        return false;
    const gif::Palette& palette = index_.palettes[static_cast<std::size_t>(frame->palette)];
    std::copy(palette.begin(), palette.end(), Palette.begin());
    return true;
}

SharedPicture cGIFViewer::FrameImage(std::int32_t Index, std::int32_t PicType) {
    const gif::FrameRecord* frame = Frame(Index);
    if (!frame || !stripBits_ || frame->width <= 0 || frame->height <= 0) return nullptr;
    const PlaybackPause pause(*this);
    SharedPicture result;
    try {
        GdiFlush();
        const int width = frame->width, height = frame->height;
        const std::uint8_t* top = StripFrameTopRow(*frame);
        const std::ptrdiff_t step = -static_cast<std::ptrdiff_t>(stripStride_);
        gif::Palette palette{};
        if (frame->palette >= 0 && static_cast<std::size_t>(frame->palette) < index_.palettes.size())
            palette = index_.palettes[static_cast<std::size_t>(frame->palette)];
        const bool transparent = frame->transparent != 0;
        const std::uint8_t t = frame->transparent_index;

        if (PicType == kPicBitmap) {
            auto bitmap = std::make_shared<Bitmap32>(width, height);
            std::uint32_t* out = bitmap->pixels().data();
            for (int y = 0; y < height; ++y) {
                const std::uint8_t* row = top + step * y;
                for (int x = 0; x < width; ++x) *out++ = 0xFF000000u | palette[row[x]];
            }
            result = std::move(bitmap);
        } else {
            const std::vector<std::uint8_t> stream = gif::EncodeFrameGif(
                top, step, width, height, palette, transparent ? std::optional<std::uint8_t>(t) : std::nullopt);
            Bitmap32 loaded = LoadPictureBytes(stream, RGB(0, 0, 0));
            if (loaded.width() == width && loaded.height() == height) {
                // The loader lays transparent pixels over black; the strip
                // still knows which they were.
                std::uint32_t* out = loaded.pixels().data();
                for (int y = 0; y < height; ++y) {
                    const std::uint8_t* row = top + step * y;
                    for (int x = 0; x < width; ++x, ++out)
                        *out = transparent && row[x] == t ? 0u : (*out | 0xFF000000u);
                }
                result = std::make_shared<const Bitmap32>(std::move(loaded));
            }
        }
    } catch (...) {
        result = nullptr;
    }
    return result;
}

// ---------------------------------------------------------------- drawing

void cGIFViewer::ScaleToDestination(std::int32_t Index, std::int32_t& X, std::int32_t& Y, std::int32_t& cx,
                                    std::int32_t& cy, std::int32_t Mode, double& xRatio, double& yRatio) const {
    if (FrameCount() == 0) return;
    gif::Placement placement{X, Y, cx, cy};
    if (!gif::ScaleToDestination(Width(), Height(), Frame(Index), Mode, placement)) return;
    X = placement.x;
    Y = placement.y;
    cx = placement.cx;
    cy = placement.cy;
    xRatio = placement.x_ratio;
    yRatio = placement.y_ratio;
}

bool cGIFViewer::RenderFrame(std::int32_t Index, HDC hdc, HWND hWnd2Refresh, bool AutoRedraw, std::int32_t destX,
                             std::int32_t destY, std::int32_t destCx, std::int32_t destCY, std::int32_t StretchMode) {
    const gif::FrameRecord* frame = Frame(Index);
    if (!frame) return false;
    if (destCx < 1) destCx = frame->width;
    if (destCY < 1) destCY = frame->height;
    return DrawFrame(Index, hdc, hWnd2Refresh, AutoRedraw, false, false, destX, destY, destCx, destCY, StretchMode);
}

bool cGIFViewer::DrawFrame(std::int32_t k, HDC dest, HWND refresh, bool autoRedraw, bool postNotify, bool useBuffer,
                           std::int32_t x, std::int32_t y, std::int32_t cx, std::int32_t cy, std::int32_t mode) {
    const gif::FrameRecord* found = Frame(k);
    if (!found || !stripDc_) return false;
    const gif::FrameRecord frame = *found;  // a client callback may unload the file

    HDC dc = dest;
    std::optional<WindowDc> windowDc;
    if (!IsDeviceContext(dest)) {
        HWND window = reinterpret_cast<HWND>(dest);
        if (!IsWindow(window)) return false;
        windowDc.emplace(window);
        dc = windowDc->get();
        if (!dc) return false;
    }

    if (useBuffer && !bufferDc_) {
        useBuffer = false;
        x = dest_.x;
        y = dest_.y;
        cx = dest_.cx;
        cy = dest_.cy;
        mode = stretchMode_;
    }

    const bool colourBackground = static_cast<bool>(bkgBrush_);
    const std::int32_t saveTop = gif::SaveAreaRow(colourBackground) * dest_.cy;
    gif::Rect rect;
    HDC target = dc;
    if (useBuffer) {
        mode = stretchMode_;
        target = bufferDc_.get();
        rect = gif::FrameRectInBuffer(frame, mode, xRatio_, yRatio_, dest_.cx, dest_.cy);
        if (frame.disposal == gif::Disposal::RestorePrevious && rect.cx > 0 && rect.cy > 0)
            BitBlt(target, 0, saveTop, rect.cx, rect.cy, target, rect.x, rect.y, SRCCOPY);
    } else {
        gif::Placement placement{x, y, cx, cy};
        if (gif::ScaleToDestination(Width(), Height(), &frame, mode, placement))
            rect = {placement.x, placement.y, placement.cx, placement.cy};
    }

    TransparentBlt(frame, target, useBuffer, (mode & ~gif::kStretchCentre) != 0, rect.x, rect.y, rect.cx, rect.cy);

    if (useBuffer) BitBlt(dc, dest_.x, dest_.y, dest_.cx, dest_.cy, bufferDc_.get(), 0, 0, SRCCOPY);
    windowDc.reset();

    // Prepare row 0 for the next frame.
    if (useBuffer && rect.cx > 0 && rect.cy > 0) {
        HDC buffer = bufferDc_.get();
        if (frame.disposal == gif::Disposal::RestoreBackground && colourBackground) {
            const gif::Rect fill = gif::DisposalFillRect(frame, rect, xRatio_, yRatio_);
            if (fill.cx > 0 && fill.cy > 0) {
                const RECT area{fill.x, fill.y, fill.x + fill.cx, fill.y + fill.cy};
                FillRect(buffer, &area, bkgBrush_.get());
            }
        } else if (frame.disposal == gif::Disposal::RestoreBackground) {
            BitBlt(buffer, rect.x, rect.y, rect.cx, rect.cy, buffer, rect.x, dest_.cy + rect.y, SRCCOPY);
        } else if (frame.disposal == gif::Disposal::RestorePrevious) {
            BitBlt(buffer, rect.x, rect.y, rect.cx, rect.cy, buffer, 0, saveTop, SRCCOPY);
        }
    }

    if (refresh) {
        const RECT area = useBuffer ? RECT{dest_.x, dest_.y, dest_.x + dest_.cx, dest_.y + dest_.cy}
                                    : RECT{rect.x, rect.y, rect.x + rect.cx, rect.y + rect.cy};
        if (autoRedraw)
            InvalidateRect(refresh, &area, FALSE);
        else
            RedrawWindow(refresh, &area, nullptr, kRedrawAndValidate);
    }

    if (postNotify && client_) {
        try {
            client_->Rendered(viewerId_, k, kMsgFrameDrawn, reinterpret_cast<std::intptr_t>(dc));
        } catch (...) {
            return false;
        }
    }
    return true;
}

void cGIFViewer::TransparentBlt(const gif::FrameRecord& frame, HDC target, bool intoBuffer, bool stretched,
                                std::int32_t x, std::int32_t y, std::int32_t cx, std::int32_t cy) {
    if (cx <= 0 || cy <= 0) return;
    int oldMode = 0;
    POINT oldOrigin{};
    if (!intoBuffer) {
        oldMode = SetStretchBltMode(target, HALFTONE);
        SetBrushOrgEx(target, 0, 0, &oldOrigin);
    }
    HDC strip = stripDc_.get();
    auto transfer = [&](DWORD rop) {
        if (stretched)
            StretchBlt(target, x, y, cx, cy, strip, frame.position, 0, frame.width, frame.height, rop);
        else
            BitBlt(target, x, y, cx, cy, strip, frame.position, 0, rop);
    };

    const bool transparent = frame.transparent != 0 && hasMaskPalette_;
    const std::uint8_t t = frame.transparent_index;
    DWORD rop = SRCCOPY;
    if (transparent) {
        // Mask pass: black where the frame paints, white where it is clear.
        maskPalette_[t] = RGBQUAD{0xFF, 0xFF, 0xFF, 0};
        InstallColourTable(maskPalette_);
        maskPalette_[t] = RGBQUAD{};
        transfer(SRCAND);
        rop = SRCPAINT;
    }
    if (transparent || frame.palette != installedPalette_) {
        ColourTable table = PaletteTable(frame.palette);
        if (transparent) table[t] = RGBQUAD{};
        InstallColourTable(table);
        // With its transparent entry blackened the table is not the file's
        // palette, so a later opaque frame must install the palette again.
        installedPalette_ = transparent ? -1 : frame.palette;
    }
    transfer(rop);

    if (!intoBuffer) {
        SetStretchBltMode(target, oldMode);
        SetBrushOrgEx(target, oldOrigin.x, oldOrigin.y, nullptr);
    }
}

// ---------------------------------------------------------------- background

bool cGIFViewer::SetAnimationBkg(std::int32_t bkgMethod, std::uintptr_t bkgDC_Color, std::int32_t destX,
                                 std::int32_t destY, std::int32_t destCx, std::int32_t destCY, std::int32_t StretchMode,
                                 std::int32_t bkgDC_X, std::int32_t bkgDC_Y) {
    if (!timerReady_) return false;
    const PlaybackPause pause(*this);
    bool done = false;
    try {
        done = BuildBackground(bkgMethod, bkgDC_Color, destX, destY, destCx, destCY, StretchMode, bkgDC_X, bkgDC_Y);
    } catch (...) {
        ReleaseBuffer();
        done = false;
    }
    return done;
}

bool cGIFViewer::BuildBackground(std::int32_t bkgMethod, std::uintptr_t bkgDC_Color, std::int32_t destX,
                                 std::int32_t destY, std::int32_t destCx, std::int32_t destCY, std::int32_t StretchMode,
                                 std::int32_t bkgDC_X, std::int32_t bkgDC_Y) {
    if (destCx < 1) destCx = Width();
    if (destCY < 1) destCY = Height();

    if (!gif::NeedsAnimationBuffer(index_)) {
        bkgBrush_.reset();
        ReleaseBuffer();
        dest_ = {destX, destY, destCx, destCY};
        stretchMode_ = StretchMode;
        return true;
    }

    // A copied background must come from a live device context or window;
    // otherwise nothing changes.
    const bool copied = bkgMethod == kBkgCopied;
    HDC source = nullptr;
    std::optional<WindowDc> windowDc;
    if (copied) {
        source = reinterpret_cast<HDC>(bkgDC_Color);
        if (!IsDeviceContext(source)) {
            HWND window = reinterpret_cast<HWND>(bkgDC_Color);
            if (!window || !IsWindow(window)) return false;
            windowDc.emplace(window);
            source = windowDc->get();
            if (!source) return false;
        }
    }

    bkgBrush_.reset();
    dest_ = {destX, destY, destCx, destCY};
    stretchMode_ = StretchMode;
    const std::int32_t rows = gif::AnimationBufferRows(index_.has_restore_previous, !copied);
    gif::Placement placement{destX, destY, destCx, destCY};
    UniqueBitmap bitmap;
    bool placed = gif::ScaleToDestination(Width(), Height(), nullptr, StretchMode, placement) &&
                  placement.cx > 0 && placement.cy > 0;
    if (placed) {
        const gif::GifReport buffer = gif::CheckBuffer(placement.cx, placement.cy, rows);
        if (buffer.status != gif::GifStatus::Loaded) {
            report_ = buffer;
            placed = false;
        }
    }
    if (placed) {
        if (!bufferDc_ && bufferDc_.Create()) SetStretchBltMode(bufferDc_.get(), HALFTONE);
        if (bufferDc_) bitmap.reset(CreateCompatibleBitmap(ScreenDc().get(), placement.cx, placement.cy * rows));
    }
    if (!bufferDc_.SelectBitmap(bitmap.get())) {
        bitmap.reset();
        ReleaseBuffer();
        return false;  // frames then go straight to the unscaled destination
    }
    bufferBitmap_ = std::move(bitmap);  // the buffer of an earlier call, just selected out, goes
    dest_ = {placement.x, placement.y, placement.cx, placement.cy};
    xRatio_ = placement.x_ratio;
    yRatio_ = placement.y_ratio;

    HDC buffer = bufferDc_.get();
    if (copied) {
        if (bkgDC_X < 0) bkgDC_X = placement.x;
        if (bkgDC_Y < 0) bkgDC_Y = placement.y;
        BitBlt(buffer, 0, placement.cy, placement.cx, placement.cy, source, bkgDC_X, bkgDC_Y, SRCCOPY);
        BitBlt(buffer, 0, 0, placement.cx, placement.cy, buffer, 0, placement.cy, SRCCOPY);
    } else {
        bkgBrush_.reset(CreateSolidBrush(ResolveColour(static_cast<std::uint32_t>(bkgDC_Color))));
        const RECT row0{0, 0, placement.cx, placement.cy};
        if (bkgBrush_) FillRect(buffer, &row0, bkgBrush_.get());
    }
    return true;
}

bool cGIFViewer::SetAnimationBkgColor(COLORREF bkgColor) {
    if (!bkgBrush_) return false;
    const PlaybackPause pause(*this);
    bkgBrush_.reset(CreateSolidBrush(ResolveColour(bkgColor)));
    const bool done = static_cast<bool>(bkgBrush_);
    if (done && bufferDc_) {
        const RECT row0{0, 0, dest_.cx, dest_.cy};
        FillRect(bufferDc_.get(), &row0, bkgBrush_.get());
    }
    return done;
}

// ---------------------------------------------------------------- animation

bool cGIFViewer::StartFrameTimer() {
    if (!timerHwnd_) return false;
    const UINT delay = static_cast<UINT>(FrameProperty(animationIndex_, gif::kPropDelay));
    timerPending_ = SetTimer(timerHwnd_, reinterpret_cast<UINT_PTR>(this), delay, &cGIFViewer::TimerProc) != 0;
    return timerPending_;
}

void cGIFViewer::KillFrameTimer() {
    if (timerHwnd_) KillTimer(timerHwnd_, reinterpret_cast<UINT_PTR>(this));
    timerPending_ = false;
}

void cGIFViewer::DrawCurrentFrame() {
    if (!client_) return;
    HDC dc = nullptr;
    HWND refresh = nullptr;
    bool autoRedraw = false, postNotify = false;
    const std::int32_t k = animationIndex_;
    client_->GetRenderDC(viewerId_, k, dc, refresh, autoRedraw, postNotify);
    if (dc) DrawFrame(k, dc, refresh, autoRedraw, postNotify, true, 0, 0, 0, 0, 0);
}

void CALLBACK cGIFViewer::TimerProc(HWND hwnd, UINT, UINT_PTR idEvent, DWORD) {
    auto* viewer = reinterpret_cast<cGIFViewer*>(idEvent);
    if (!IsLive(viewer) || !viewer->timerPending_ || hwnd != viewer->timerHwnd_) {
        // Not a timer anyone waits for: make sure it does not come back.
        KillTimer(hwnd, idEvent);
        return;
    }
    try {
        viewer->Tick(hwnd);
    } catch (...) {
    }
}

void cGIFViewer::Tick(HWND hwnd) {
    // Each timer serves one frame.
    if (hwnd) KillFrameTimer();
    const std::int32_t n = FrameCount();
    if (n == 0) return;
    bool wrapped = false;
    if (++animationIndex_ > n) {
        animationIndex_ = 1;
        wrapped = true;
    }
    try {
        DrawCurrentFrame();
        bool carryOn = true;
        if (n == 1) {
            loops_ = 1;
            state_ = kStopped;
            carryOn = false;
        } else if (wrapped && loopCount_ != 0) {
            ++loops_;
            if (static_cast<std::uint32_t>(loops_) >= loopCount_) {
                state_ = kStopped;
                carryOn = false;
            }
        }
        if (!hwnd) return;
        if (!carryOn) {
            if (client_) client_->Rendered(viewerId_, animationIndex_, kMsgAnimationEnded, loops_);
        } else if (state_ == kPlaying) {  // unless a client callback stopped it meanwhile
            StartFrameTimer();
        }
    } catch (...) {
    }
}

void cGIFViewer::SetAnimationState(std::int32_t Action) {
    if (!HasClient()) return;
    if (Action < kStopped || Action > kRedraw) Action = kStopped;
    const std::int32_t n = FrameCount();
    try {
        switch (Action) {
        case kPlaying:
            if (state_ == kPlaying) return;
            if (state_ == kStopped) {
                loops_ = 0;
                animationIndex_ = 1;
            } else {
                ++animationIndex_;
            }
            state_ = kPlaying;
            SetAnimationState(kRedraw);
            if (n < 2) {
                state_ = kStopped;
                if (client_) client_->Rendered(viewerId_, 1, kMsgAnimationEnded, 1);
            } else if (state_ == kPlaying) {
                StartFrameTimer();
            }
            return;
        case kStepped:
            if (n <= 1) {
                state_ = kStopped;
                return;
            }
            if (state_ == kPlaying) {
                KillFrameTimer();
                loops_ = 0;
            } else {
                ++animationIndex_;
            }
            state_ = kStepped;
            SetAnimationState(kRedraw);
            return;
        case kRedraw:
            if (animationIndex_ > n || animationIndex_ < 1) animationIndex_ = 1;
            DrawCurrentFrame();
            return;
        default:  // stop, pause
            if (n <= 1 || state_ == kPaused) {
                state_ = kStopped;
                if (timerPending_) KillFrameTimer();
                return;
            }
            if (state_ == kPlaying) KillFrameTimer();
            state_ = Action;
            return;
        }
    } catch (...) {
    }
}

bool cGIFViewer::PauseIfPlaying() {
    if (state_ != kPlaying || !HasClient()) return false;
    SetAnimationState(kPaused);
    return state_ == kPaused;
}

void cGIFViewer::ResumeIfPaused(bool paused) {
    if (paused && state_ == kPaused) SetAnimationState(kPlaying);
}

}  // namespace vx
