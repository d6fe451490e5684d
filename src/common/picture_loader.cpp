#include "common/picture_loader.h"

#include <objbase.h>
#include <ocidl.h>
#include <olectl.h>
#include <shlwapi.h>
#include <wincodec.h>

#include <algorithm>
#include <filesystem>
#include <limits>
#include <new>
#include <vector>

#include "common/gif_picture_loader.h"
#include "gif/gif_picture.h"
#include "imaging/picture_header.h"
#include "imaging/picture_limits.h"
#include "base/run_time_error.h"

namespace vx {
namespace {

PictureLoadError InvalidPicture() { return PictureLoadError(PictureLoadError::kInvalidPicture, "Invalid picture"); }

PictureLoadError OutOfMemory() { return PictureLoadError(PictureLoadError::kOutOfMemory, "Out of memory"); }

PictureLoadError TooLarge(std::int64_t width, std::int64_t height, int bitsPerPixel = 0) {
    return PictureLoadError(PictureLoadError::kOutOfMemory, TooLargeSentence(width, height, bitsPerPixel),
                            TooLargeSpanishSentence(width, height, bitsPerPixel));
}

void CheckPixelBudget(std::int64_t width, std::int64_t height, int bitsPerPixel = 0) {
    if (!WithinPixelBudget(width, height, bitsPerPixel)) throw TooLarge(width, height, bitsPerPixel);
}

// Decoders allocate the whole picture, at the file's own depth, as soon as
// they see its header; so the header's size is checked first. A header the
// reader cannot finish still counts with what it read; the decoder then
// judges the rest.
void CheckHeader(const clsImage& header, std::span<const std::uint8_t> firstBytes) {
    // The JPEG search finds streams anywhere in a file; only one at the
    // start is what a decoder will read.
    if (header.ImageType() == kImageJpeg && (firstBytes.size() < 2 || firstBytes[0] != 0xFF || firstBytes[1] != 0xD8))
        return;
    CheckPixelBudget(header.Width(), header.Height(), header.Depth());
}

// A header that proves its pixel data missing is refused rather than
// decoded from whatever memory the decoder finds.
void CheckBeforeDecoding(std::span<const std::uint8_t> bytes) {
    if (PictureDataProvablyMissing(bytes)) throw InvalidPicture();
    clsImage header;
    try {
        header.ReadImageInfoFromBytes(bytes);
    } catch (const RunTimeError&) {
    }
    CheckHeader(header, bytes);
}

// Straight-alpha BGRA laid over an opaque background colour.
void FlattenOnto(Bitmap32& bitmap, COLORREF background) {
    if (background == kKeepAlpha) return;
    const Colorref back = ColorrefOf(background);
    for (Bgra& pixel : bitmap.pixels()) {
        const unsigned alpha = pixel >> 24;
        auto mix = [alpha](unsigned c, unsigned b) { return (c * alpha + b * (255 - alpha) + 127) / 255; };
        pixel = alpha == 255 ? PixelOf(RgbOf(pixel))
                             : PixelOf(MakeRgb(mix(RedOf(pixel), RedOf(back)), mix(GreenOf(pixel), GreenOf(back)),
                                               mix(BlueOf(pixel), BlueOf(back))));
    }
}

// A zeroed bitmap, so that whatever a decoder leaves unwritten is the same
// every time.
Bitmap32 MakeBitmap(UINT width, UINT height) {
    constexpr UINT kMaxSide = 32767;
    if (width == 0 || height == 0 || width > kMaxSide || height > kMaxSide) throw InvalidPicture();
    CheckPixelBudget(width, height);
    try {
        Bitmap32 bitmap(static_cast<int>(width), static_cast<int>(height));
        std::fill(bitmap.pixels().begin(), bitmap.pixels().end(), Bgra{});
        return bitmap;
    } catch (const std::bad_alloc&) {
        throw OutOfMemory();
    }
}

// Icons hold several sizes: the largest gives the best picture.
UINT ChooseFrame(IWICBitmapDecoder* decoder) {
    GUID container{};
    UINT count = 0;
    if (FAILED(decoder->GetContainerFormat(&container)) || container != GUID_ContainerFormatIco ||
        FAILED(decoder->GetFrameCount(&count)) || count < 2)
        return 0;
    UINT best = 0;
    unsigned long long bestArea = 0;
    for (UINT i = 0; i < count; ++i) {
        ComPtr<IWICBitmapFrameDecode> frame;
        UINT w = 0, h = 0;
        if (FAILED(decoder->GetFrame(i, frame.put())) || FAILED(frame->GetSize(&w, &h))) continue;
        const unsigned long long area = 1ull * w * h;
        if (area > bestArea) {
            bestArea = area;
            best = i;
        }
    }
    return best;
}

bool DecodeWithWic(IWICImagingFactory* factory, IWICBitmapDecoder* decoder, COLORREF background, Bitmap32& out) {
    ComPtr<IWICBitmapFrameDecode> frame;
    if (FAILED(decoder->GetFrame(ChooseFrame(decoder), frame.put()))) return false;
    UINT width = 0, height = 0;
    if (FAILED(frame->GetSize(&width, &height))) return false;
    ComPtr<IWICFormatConverter> converter;
    if (FAILED(factory->CreateFormatConverter(converter.put())) ||
        FAILED(converter->Initialize(frame.get(), GUID_WICPixelFormat32bppBGRA, WICBitmapDitherTypeNone, nullptr, 0.0,
                                     WICBitmapPaletteTypeCustom)))
        return false;
    Bitmap32 bitmap = MakeBitmap(width, height);
    GdiFlush();
    // In bands: the converter holds a copy of what it is asked for, and a
    // band keeps that copy small whatever the picture's size.
    const UINT stride = static_cast<UINT>(bitmap.stride());
    const UINT bandRows = std::max<UINT>(1, (16u << 20) / stride);
    BYTE* bits = reinterpret_cast<BYTE*>(bitmap.pixels().data());
    for (UINT top = 0; top < height; top += bandRows) {
        const UINT rows = std::min(bandRows, height - top);
        const WICRect band{0, static_cast<INT>(top), static_cast<INT>(width), static_cast<INT>(rows)};
        if (FAILED(converter->CopyPixels(&band, stride, stride * rows, bits + std::size_t{top} * stride))) return false;
    }
    FlattenOnto(bitmap, background);
    out = std::move(bitmap);
    return true;
}

bool LoadWithWic(IStream* stream, COLORREF background, Bitmap32& out) {
    ComPtr<IWICImagingFactory> factory;
    if (FAILED(CoCreateInstance(CLSID_WICImagingFactory, nullptr, CLSCTX_INPROC_SERVER, IID_IWICImagingFactory,
                                reinterpret_cast<void**>(factory.put()))))
        return false;
    ComPtr<IWICBitmapDecoder> decoder;
    if (FAILED(factory->CreateDecoderFromStream(stream, nullptr, WICDecodeMetadataCacheOnDemand, decoder.put())))
        return false;
    return DecodeWithWic(factory.get(), decoder.get(), background, out);
}

// Metafiles: the OLE loader knows them, the imaging component does not.
bool LoadWithOle(IStream* stream, LONG size, COLORREF background, Bitmap32& out) {
    LARGE_INTEGER zero{};
    stream->Seek(zero, STREAM_SEEK_SET, nullptr);
    ComPtr<IPicture> picture;
    if (FAILED(OleLoadPicture(stream, size, FALSE, IID_IPicture, reinterpret_cast<void**>(picture.put()))))
        return false;
    OLE_XSIZE_HIMETRIC hmWidth = 0;
    OLE_YSIZE_HIMETRIC hmHeight = 0;
    picture->get_Width(&hmWidth);
    picture->get_Height(&hmHeight);
    // HIMETRIC is hundredths of a millimetre; pictures are laid out at 96 dpi.
    long width = MulDiv(hmWidth, 96, 2540);
    long height = MulDiv(hmHeight, 96, 2540);
    if (width <= 0 || height <= 0) return false;
    // A metafile draws at any size: its frame, however large it claims to
    // be, is drawn no larger than the bounded size.
    short type = PICTYPE_UNINITIALIZED;
    picture->get_Type(&type);
    if (type == PICTYPE_METAFILE || type == PICTYPE_ENHMETAFILE) {
        const RenderSize bounded = MetafileRenderSize(width, height);
        width = bounded.width;
        height = bounded.height;
    }
    Bitmap32 bitmap = MakeBitmap(static_cast<UINT>(width), static_cast<UINT>(height));
    // A metafile has no transparency the crest could use: it is drawn on white.
    const COLORREF under = background == kKeepAlpha ? RGB(255, 255, 255) : background;
    std::fill(bitmap.pixels().begin(), bitmap.pixels().end(), PixelOf(ColorrefToRgb(ColorrefOf(under))));
    UniqueMemoryDc dc(CreateCompatibleDC(nullptr));
    {
        SelectGuard select(dc.get(), bitmap.handle());
        if (FAILED(picture->Render(dc.get(), 0, 0, width, height, 0, hmHeight, hmWidth, -hmHeight, nullptr)))
            return false;
    }
    GdiFlush();
    bitmap.ClearFourthBytes();
    if (background == kKeepAlpha)
        for (Bgra& pixel : bitmap.pixels()) pixel = OpaquePixel(RgbOf(pixel));
    out = std::move(bitmap);
    return true;
}

struct GlobalStream {
    ComPtr<IStream> stream;
    LONG size = 0;
};

GlobalStream StreamOver(std::span<const std::uint8_t> bytes) {
    if (bytes.empty() || bytes.size() > static_cast<std::size_t>(std::numeric_limits<LONG>::max()))
        throw InvalidPicture();
    HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE, bytes.size());
    if (!memory) throw OutOfMemory();
    if (void* p = GlobalLock(memory)) {
        std::copy(bytes.begin(), bytes.end(), static_cast<std::uint8_t*>(p));
        GlobalUnlock(memory);
    }
    GlobalStream result;
    if (FAILED(CreateStreamOnHGlobal(memory, TRUE, result.stream.put()))) {
        GlobalFree(memory);
        throw OutOfMemory();
    }
    result.size = static_cast<LONG>(bytes.size());
    return result;
}

Bitmap32 Decode(IStream* stream, LONG size, COLORREF background) {
    Bitmap32 out;
    if (LoadWithWic(stream, background, out)) return out;
    if (LoadWithOle(stream, size, background, out)) return out;
    throw InvalidPicture();
}

Bitmap32 LoadFromBytes(std::span<const std::uint8_t> bytes, COLORREF background) {
    CheckBeforeDecoding(bytes);
    if (gif::LooksLikeGif(bytes)) return LoadGifPicture(bytes, background);
    ComApartment com;
    GlobalStream global = StreamOver(bytes);
    return Decode(global.stream.get(), global.size, background);
}

std::vector<std::uint8_t> ReadWholeFile(HANDLE file, LONGLONG size) {
    std::vector<std::uint8_t> bytes;
    try {
        bytes.resize(static_cast<std::size_t>(size));
    } catch (const std::bad_alloc&) {
        throw PictureLoadError(PictureLoadError::kOutOfMemory, "Out of memory");
    }
    LARGE_INTEGER start{};
    if (!SetFilePointerEx(file, start, nullptr, FILE_BEGIN))
        throw PictureLoadError(PictureLoadError::kFileAccess, "Path/File access error");
    std::size_t done = 0;
    while (done < bytes.size()) {
        const DWORD chunk = static_cast<DWORD>(std::min<std::size_t>(bytes.size() - done, 1u << 24));
        DWORD read = 0;
        if (!ReadFile(file, bytes.data() + done, chunk, &read, nullptr) || read == 0)
            throw PictureLoadError(PictureLoadError::kFileAccess, "Path/File access error");
        done += read;
    }
    return bytes;
}

}  // namespace

Bitmap32 LoadPictureBytes(std::span<const std::uint8_t> bytes, COLORREF background) {
    return LoadFromBytes(bytes, background);
}

Bitmap32 LoadPictureFile(const std::wstring& path, COLORREF background) {
    // Pictures bigger than this are not something a crest is made from, and
    // reading them whole would only exhaust memory.
    constexpr ULONGLONG kMaxFileMegabytes = 512;
    constexpr ULONGLONG kMaxFileSize = kMaxFileMegabytes * 1024 * 1024;
    // Another program may have the picture open, even for writing: reading
    // it is still fine.
    UniqueFile file(CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) {
        const DWORD error = GetLastError();
        if (error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND || error == ERROR_INVALID_NAME)
            throw PictureLoadError(PictureLoadError::kFileNotFound, "File not found");
        throw PictureLoadError(PictureLoadError::kFileAccess, "Path/File access error");
    }
    LARGE_INTEGER size{};
    if (!GetFileSizeEx(file.get(), &size) || size.QuadPart <= 0) throw InvalidPicture();
    if (static_cast<ULONGLONG>(size.QuadPart) > kMaxFileSize) {
        const std::string megabytes = std::to_string((size.QuadPart + (1 << 20) - 1) >> 20);
        const std::string limit = std::to_string(kMaxFileMegabytes);
        throw PictureLoadError(PictureLoadError::kOutOfMemory,
                               "The picture file is " + megabytes + " MB, more than the limit of " + limit + " MB.",
                               L"El archivo de la imagen tiene " + std::wstring(megabytes.begin(), megabytes.end()) +
                                   L" MB, m\u00E1s que el l\u00EDmite de " + std::wstring(limit.begin(), limit.end()) +
                                   L" MB.");
    }
    // The decoders read the file itself, never a copy of it in memory: the
    // decoded picture needs that memory.
    std::uint8_t first[64] = {};
    DWORD firstRead = 0;
    if (!ReadFile(file.get(), first, sizeof first, &firstRead, nullptr))
        throw PictureLoadError(PictureLoadError::kFileAccess, "Path/File access error");
    const std::span<const std::uint8_t> header(first, firstRead);
    if (PictureDataProvablyMissing(header, static_cast<std::uint64_t>(size.QuadPart))) throw InvalidPicture();
    clsImage info;
    try {
        info.ReadImageInfo(std::filesystem::path(path));
    } catch (const RunTimeError&) {
    }
    CheckHeader(info, header);
    // GIF pictures go through our own engine, which decodes from memory; the
    // budget above has bounded the file and its logical screen already.
    if (gif::LooksLikeGif(header)) return LoadGifPicture(ReadWholeFile(file.get(), size.QuadPart), background);

    ComApartment com;
    ComPtr<IStream> stream;
    if (FAILED(SHCreateStreamOnFileEx(path.c_str(), STGM_READ | STGM_SHARE_DENY_NONE, FILE_ATTRIBUTE_NORMAL, FALSE,
                                      nullptr, stream.put())))
        throw PictureLoadError(PictureLoadError::kFileAccess, "Path/File access error");
    return Decode(stream.get(), static_cast<LONG>(size.QuadPart), background);
}

}  // namespace vx
