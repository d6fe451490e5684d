#include "gif/gif_viewer.h"

#include <algorithm>
#include <limits>
#include <mutex>
#include <new>
#include <optional>
#include <unordered_set>

#include "gif/gif_animation.h"
#include "gif/gif_decode.h"
#include "gif/gif_scale.h"
#include "gif/gif_viewer_detail.h"

namespace vx {
namespace {

constexpr UINT kTrialTimerMs = 60000;

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

using gif::StripStride;

}  // namespace

namespace viewer_detail {

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

}  // namespace viewer_detail

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

bool cGIFViewer::ReadFileBounded(const std::wstring& path) {
    file_.clear();
    UniqueFile file(CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                FILE_ATTRIBUTE_NORMAL, nullptr));
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
    if (report.status == gif::GifStatus::Loaded &&
        std::max<std::int64_t>(1, layout.width) > std::numeric_limits<std::int32_t>::max()) {
        report.status = gif::GifStatus::StripTooLarge;
        report.needed = static_cast<std::uint64_t>(layout.width);
        report.limit = kMaxStripBytes;
    }
    return report;
}

std::int32_t cGIFViewer::LoadGIF(const std::wstring& gifFileName, std::int32_t ViewerID, IGifRender* GIFRenderInterface,
                                 HWND timerHwnd) {
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
        loopCount_ = index_.loopCount;

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
    UniqueBitmap strip(
        CreateDIBSection(ScreenDc().get(), reinterpret_cast<BITMAPINFO*>(&info), DIB_RGB_COLORS, &bits, nullptr, 0));
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

}  // namespace vx
