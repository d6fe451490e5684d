// The clipboard both ways: a picture pasted as if it had been opened, and
// the crest copied as a save would write it. Whatever another program put
// there is read as hostile input, through the checked bitmap reader.
#include <windows.h>

#include <shellapi.h>
#include <wincodec.h>

#include <cstring>
#include <optional>
#include <string>
#include <vector>

#include "app/main_window.h"
#include "app/picture_failure.h"
#include "common/picture_loader.h"
#include "common/utf8.h"
#include "imaging/packed_dib.h"
#include "imaging/picture_limits.h"

namespace vx {
namespace {

class OpenedClipboard {
public:
    explicit OpenedClipboard(HWND owner) : open_(OpenClipboard(owner) != FALSE) {}
    OpenedClipboard(const OpenedClipboard&) = delete;
    OpenedClipboard& operator=(const OpenedClipboard&) = delete;
    ~OpenedClipboard() {
        if (open_) CloseClipboard();
    }
    explicit operator bool() const { return open_; }

private:
    bool open_;
};

UINT PngFormat() { return RegisterClipboardFormatW(L"PNG"); }

// The bytes of a clipboard format, as long as the memory block says.
std::optional<std::vector<std::uint8_t>> ClipboardBytes(UINT format) {
    if (!IsClipboardFormatAvailable(format)) return std::nullopt;
    HANDLE data = GetClipboardData(format);
    if (!data) return std::nullopt;
    const SIZE_T size = GlobalSize(data);
    const void* bytes = GlobalLock(data);
    if (!bytes) return std::nullopt;
    std::vector<std::uint8_t> copy(static_cast<const std::uint8_t*>(bytes),
                                   static_cast<const std::uint8_t*>(bytes) + size);
    GlobalUnlock(data);
    return copy;
}

std::wstring FirstDroppedFile() {
    if (!IsClipboardFormatAvailable(CF_HDROP)) return {};
    HDROP drop = static_cast<HDROP>(GetClipboardData(CF_HDROP));
    if (!drop || DragQueryFileW(drop, 0xFFFFFFFF, nullptr, 0) == 0) return {};
    const UINT length = DragQueryFileW(drop, 0, nullptr, 0);
    std::wstring path(length + 1, L'\0');
    DragQueryFileW(drop, 0, path.data(), length + 1);
    path.resize(length);
    return path;
}

bool PutOnClipboard(UINT format, const std::vector<std::uint8_t>& bytes) {
    HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE, bytes.size());
    if (!memory) return false;
    if (void* p = GlobalLock(memory)) {
        std::memcpy(p, bytes.data(), bytes.size());
        GlobalUnlock(memory);
    }
    if (SetClipboardData(format, memory)) return true;
    GlobalFree(memory);
    return false;
}

// `pixels` as a PNG file, or nothing when the imaging component cannot.
std::vector<std::uint8_t> EncodePng(const BgraImage& pixels) {
    ComApartment com;
    ComPtr<IWICImagingFactory> factory;
    ComPtr<IStream> stream;
    ComPtr<IWICBitmapEncoder> encoder;
    ComPtr<IWICBitmapFrameEncode> frame;
    ComPtr<IPropertyBag2> properties;
    WICPixelFormatGUID format = GUID_WICPixelFormat32bppBGRA;
    const UINT stride = static_cast<UINT>(pixels.Stride());
    if (FAILED(CoCreateInstance(CLSID_WICImagingFactory, nullptr, CLSCTX_INPROC_SERVER, IID_IWICImagingFactory,
                                reinterpret_cast<void**>(factory.put()))) ||
        FAILED(CreateStreamOnHGlobal(nullptr, TRUE, stream.put())) ||
        FAILED(factory->CreateEncoder(GUID_ContainerFormatPng, nullptr, encoder.put())) ||
        FAILED(encoder->Initialize(stream.get(), WICBitmapEncoderNoCache)) ||
        FAILED(encoder->CreateNewFrame(frame.put(), properties.put())) || FAILED(frame->Initialize(properties.get())) ||
        FAILED(frame->SetSize(pixels.Width(), pixels.Height())) || FAILED(frame->SetPixelFormat(&format)) ||
        format != GUID_WICPixelFormat32bppBGRA ||
        FAILED(frame->WritePixels(pixels.Height(), stride, stride * pixels.Height(),
                                  const_cast<BYTE*>(pixels.Bytes().data()))) ||
        FAILED(frame->Commit()) || FAILED(encoder->Commit()))
        return {};
    STATSTG stat{};
    HGLOBAL memory = nullptr;
    if (FAILED(stream->Stat(&stat, STATFLAG_NONAME)) || FAILED(GetHGlobalFromStream(stream.get(), &memory))) return {};
    const void* bytes = GlobalLock(memory);
    if (!bytes) return {};
    const auto* first = static_cast<const std::uint8_t*>(bytes);
    std::vector<std::uint8_t> png(first, first + stat.cbSize.QuadPart);
    GlobalUnlock(memory);
    return png;
}

constexpr wchar_t kNothingToPaste[] =
    L"No hay ninguna imagen en el portapapeles.\r\n\r\nThere is no picture on the clipboard.";
constexpr int kCopiedZoom = 8;

}  // namespace

void Main::mnuPaste_Click() {
    std::optional<std::vector<std::uint8_t>> png, dib;
    std::wstring file;
    {
        const OpenedClipboard clipboard(hwnd_);
        if (!clipboard) return;
        // A PNG keeps alpha best; a bitmap's own V5 header carries it too.
        png = ClipboardBytes(PngFormat());
        if (!png) dib = ClipboardBytes(CF_DIBV5);
        if (!png && !dib) dib = ClipboardBytes(CF_DIB);
        if (!png && !dib) file = FirstDroppedFile();
    }
    if (!file.empty()) {
        ComposePicture(file);
        return;
    }
    try {
        if (png) {
            SharedPicture picture = std::make_shared<const Bitmap32>(LoadPictureBytes(*png, kKeepAlpha));
            const PixelSize size{picture->width(), picture->height()};
            ShowPicture(std::move(picture), size);
            return;
        }
        if (!dib) {
            MessageBoxW(hwnd_, kNothingToPaste, kAppTitle, MB_OK);
            return;
        }
        const DibPicture read = ReadPackedDib(*dib);
        if (read.status == DibStatus::TooLarge)
            throw PictureLoadError(PictureLoadError::kOutOfMemory, read.problem,
                                   TooLargeSpanishSentence(read.width, read.height, read.bitCount));
        if (read.status != DibStatus::Loaded) {
            MessageBoxW(hwnd_,
                        (L"No se pudo leer la imagen del portapapeles.\r\n\r\nThe picture on the clipboard could not "
                         L"be read: " +
                         WideFromUtf8(read.problem) + L".")
                            .c_str(),
                        kAppTitle, MB_OK);
            return;
        }
        ShowPicture(std::make_shared<const Bitmap32>(Bitmap32::FromPixels(read.pixels)),
                    {read.pixels.Width(), read.pixels.Height()});
    } catch (const PictureLoadError& error) {
        if (RanOutOfMemory(error))
            ShowTooLargeMessage();
        else
            MessageBoxW(hwnd_, WideFromUtf8(ClipboardFailureMessage(LoadFailureOf(error))).c_str(), kAppTitle,
                        MB_OK | MB_ICONEXCLAMATION);
    } catch (const std::bad_alloc&) {
        ShowTooLargeMessage();
    }
}

void Main::CopyCrest_Click() {
    const SharedPicture shown = CrestMode() == vx::CrestMode::Clan ? PicClanCrest.Image() : PicCrestAlly.Image();
    if (!shown) return;
    GdiFlush();
    const ConstBgraView crest = shown->View();
    CrestZoom enlarge;
    enlarge.scale = kCopiedZoom;
    const BgraImage big = ZoomCrest(crest, enlarge, crest.width * kCopiedZoom, crest.height * kCopiedZoom);
    const std::vector<std::uint8_t> png = EncodePng(big);
    const OpenedClipboard clipboard(hwnd_);
    if (!clipboard || !EmptyClipboard()) return;
    PutOnClipboard(CF_DIB, PackDib24(crest));
    if (!png.empty()) PutOnClipboard(PngFormat(), png);
}

}  // namespace vx
