// Decodes a set of GIF files with our decoder (index pass + frame strip) and
// with giflib (DGifSlurp) in one run and prints megapixels per second for
// each, their ratio, and the peak memory of loading a 200-frame animation.
// The files are small icons, committed test files, 1000 x 1000 pictures and
// the animation, all but the committed ones generated here with giflib's
// encoder. Usage: gif_bench [seconds per measurement, default 0.3] [only
// the files whose description contains this text]
#include <gif_lib.h>
#include <sys/resource.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iterator>
#include <new>
#include <random>
#include <string>
#include <vector>

#include "gif/gif_decode.h"
#include "gif/gif_index.h"
#include "gif/gif_stream.h"

// ------------------------------------------------- heap accounting (ours)

namespace {
std::atomic<std::size_t> gHeapNow{0};
std::atomic<std::size_t> gHeapPeak{0};
}  // namespace

void* operator new(std::size_t size) {
    void* block = std::malloc(size + 16);
    if (!block) throw std::bad_alloc();
    *static_cast<std::size_t*>(block) = size;
    const std::size_t now = gHeapNow += size;
    std::size_t peak = gHeapPeak.load();
    while (now > peak && !gHeapPeak.compare_exchange_weak(peak, now)) {
    }
    return static_cast<char*>(block) + 16;
}
void operator delete(void* p) noexcept {
    if (!p) return;
    void* block = static_cast<char*>(p) - 16;
    gHeapNow -= *static_cast<std::size_t*>(block);
    std::free(block);
}
void operator delete(void* p, std::size_t) noexcept { operator delete(p); }

namespace {

using Bytes = std::vector<uint8_t>;
using Clock = std::chrono::steady_clock;

// --------------------------------------------------- writing test files

struct Writer {
    Bytes bytes;
    static int Put(GifFileType* file, const GifByteType* data, int count) {
        auto* self = static_cast<Writer*>(file->UserData);
        self->bytes.insert(self->bytes.end(), data, data + count);
        return count;
    }
};

ColorMapObject* MakeColours(int count, unsigned seed) {
    std::mt19937 random(seed);
    std::vector<GifColorType> colours(static_cast<std::size_t>(count));
    for (auto& c : colours) {
        c.Red = static_cast<GifByteType>(random());
        c.Green = static_cast<GifByteType>(random());
        c.Blue = static_cast<GifByteType>(random());
    }
    return GifMakeMapObject(count, colours.data());
}

struct Picture {
    int width, height;
    std::vector<uint8_t> pixels;
};

// Writes the pictures as frames of one file (loops for ever when several).
Bytes WriteGif(const std::vector<Picture>& frames, int colourBits, bool interlace, int delayCs) {
    Writer writer;
    int error = 0;
    GifFileType* file = EGifOpen(&writer, Writer::Put, &error);
    ColorMapObject* colours = MakeColours(1 << colourBits, 5);
    EGifSetGifVersion(file, true);
    EGifPutScreenDesc(file, frames[0].width, frames[0].height, colourBits, 0, colours);
    if (frames.size() > 1) {
        const GifByteType netscape[] = "NETSCAPE2.0";
        const GifByteType loop[] = {1, 0, 0};
        EGifPutExtensionLeader(file, APPLICATION_EXT_FUNC_CODE);
        EGifPutExtensionBlock(file, 11, netscape);
        EGifPutExtensionBlock(file, 3, loop);
        EGifPutExtensionTrailer(file);
    }
    for (const Picture& frame : frames) {
        if (delayCs > 0) {
            GraphicsControlBlock gcb{DISPOSAL_UNSPECIFIED, false, delayCs, NO_TRANSPARENT_COLOR};
            GifByteType extension[4];
            const std::size_t length = EGifGCBToExtension(&gcb, extension);
            EGifPutExtension(file, GRAPHICS_EXT_FUNC_CODE, static_cast<int>(length), extension);
        }
        EGifPutImageDesc(file, 0, 0, frame.width, frame.height, interlace, nullptr);
        std::vector<int> rows;
        if (interlace) {
            for (int pass = 0; pass < 4; ++pass) {
                static const int first[] = {0, 4, 2, 1}, step[] = {8, 8, 4, 2};
                for (int y = first[pass]; y < frame.height; y += step[pass]) rows.push_back(y);
            }
        } else {
            for (int y = 0; y < frame.height; ++y) rows.push_back(y);
        }
        for (int y : rows) {
            EGifPutLine(file, const_cast<GifPixelType*>(frame.pixels.data() + std::size_t(y) * frame.width),
                        frame.width);
        }
    }
    EGifCloseFile(file, &error);
    GifFreeMapObject(colours);
    return writer.bytes;
}

// A photograph-like picture: smooth colour ramps with dither noise.
Picture Photo(int width, int height, int colours, unsigned seed) {
    std::mt19937 random(seed);
    Picture p{width, height, std::vector<uint8_t>(std::size_t(width) * height)};
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            const int smooth = (x * 3 + y * 2) / 8 + static_cast<int>(random() % 6);
            p.pixels[std::size_t(y) * width + x] = static_cast<uint8_t>(smooth % colours);
        }
    }
    return p;
}

// A drawing: flat areas, outlines, a few colours.
Picture Drawing(int width, int height, int colours, int phase) {
    Picture p{width, height, std::vector<uint8_t>(std::size_t(width) * height)};
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            int c = (y * 4 / height) + 1;  // sky bands
            const int dx = x - (width / 3 + phase * 3 % width), dy = y - height / 2;
            if (dx * dx + dy * dy < (height / 5) * (height / 5)) c = 5 + (x / 7 + y / 9) % 3;
            if (y > height * 3 / 4) c = 9 + ((x + phase) / 16 + y / 12) % 2;
            if ((x + y + phase) % 97 == 0) c = 0;
            p.pixels[std::size_t(y) * width + x] = static_cast<uint8_t>(c % colours);
        }
    }
    return p;
}

Bytes ReadFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return Bytes(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// ------------------------------------------------------------- decoding

struct MemoryInput {
    const Bytes* bytes;
    std::size_t pos;
};

int ReadFromMemory(GifFileType* file, GifByteType* out, int count) {
    auto* input = static_cast<MemoryInput*>(file->UserData);
    const std::size_t n = std::min<std::size_t>(std::size_t(count), input->bytes->size() - input->pos);
    std::memcpy(out, input->bytes->data() + input->pos, n);
    input->pos += n;
    return static_cast<int>(n);
}

// Returns the frames' total pixel count, 0 on failure.
uint64_t DecodeGiflib(const Bytes& bytes) {
    MemoryInput input{&bytes, 0};
    int error = 0;
    GifFileType* file = DGifOpen(&input, ReadFromMemory, &error);
    if (!file) return 0;
    uint64_t pixels = 0;
    if (DGifSlurp(file) == GIF_OK) {
        for (int i = 0; i < file->ImageCount; ++i) {
            pixels += uint64_t(file->SavedImages[i].ImageDesc.Width) * file->SavedImages[i].ImageDesc.Height;
        }
    }
    DGifCloseFile(file, &error);
    return pixels;
}

uint64_t DecodeOurs(const Bytes& bytes) {
    const vx::gif::GifIndex index = vx::gif::IndexGif(bytes);
    vx::gif::FrameStrip strip;
    if (vx::gif::DecodeFrameStrip(bytes, index, strip) != vx::gif::StripStatus::Ok) return 0;
    uint64_t pixels = 0;
    for (const auto& frame : index.frames) pixels += uint64_t(frame.width) * frame.height;
    return pixels;
}

// True when both decoders give every frame the same indices.
bool SamePixels(const Bytes& bytes) {
    const vx::gif::GifIndex index = vx::gif::IndexGif(bytes);
    vx::gif::FrameStrip strip;
    if (vx::gif::DecodeFrameStrip(bytes, index, strip) != vx::gif::StripStatus::Ok) return false;
    MemoryInput input{&bytes, 0};
    int error = 0;
    GifFileType* file = DGifOpen(&input, ReadFromMemory, &error);
    bool same = file && DGifSlurp(file) == GIF_OK && std::size_t(file->ImageCount) == index.frames.size();
    for (std::size_t k = 0; same && k < index.frames.size(); ++k) {
        const auto& frame = index.frames[k];
        const GifByteType* raster = file->SavedImages[k].RasterBits;
        for (int y = 0; same && y < frame.height; ++y) {
            for (int x = 0; x < frame.width; ++x) same &= strip.At(k, x, y) == raster[std::size_t(y) * frame.width + x];
        }
    }
    if (file) DGifCloseFile(file, &error);
    return same;
}

// Best rate in megapixels per second over several timed batches.
template <typename Decode>
double MegapixelsPerSecond(const Bytes& bytes, Decode decode, double seconds) {
    double best = 0;
    for (int round = 0; round < 3; ++round) {
        uint64_t pixels = 0;
        const auto start = Clock::now();
        double elapsed = 0;
        do {
            pixels += decode(bytes);
            elapsed = std::chrono::duration<double>(Clock::now() - start).count();
        } while (elapsed < seconds / 3);
        best = std::max(best, double(pixels) / elapsed / 1e6);
    }
    return best;
}

long MaxResidentKiB() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss;
}

// Child mode: load FILE once with one decoder and print the peak resident
// memory that loading added, in KiB.
int MeasureLoad(const std::string& decoder, const std::string& path) {
    const Bytes bytes = ReadFile(path);
    const long before = MaxResidentKiB();
    const uint64_t pixels = decoder == "ours" ? DecodeOurs(bytes) : DecodeGiflib(bytes);
    std::printf("%ld\n", pixels > 0 ? MaxResidentKiB() - before : -1);
    return 0;
}

// Runs this program again in child mode, so that memory freed by earlier
// measurements does not hide what loading needs.
long PeakLoadKiB(const char* self, const std::string& decoder, const std::string& path) {
    const std::string command = std::string(self) + " --peak " + decoder + " " + path;
    FILE* child = popen(command.c_str(), "r");
    if (!child) return -1;
    long kib = -1;
    if (std::fscanf(child, "%ld", &kib) != 1) kib = -1;
    pclose(child);
    return kib;
}

struct BenchFile {
    std::string name;
    Bytes bytes;
};

}  // namespace

int main(int argc, char** argv) {
    if (argc == 4 && std::string(argv[1]) == "--peak") return MeasureLoad(argv[2], argv[3]);
    const double seconds = argc > 1 ? std::atof(argv[1]) : 0.3;
    const std::string only = argc > 2 ? argv[2] : "";

    std::vector<Picture> animation;
    for (int i = 0; i < 200; ++i) animation.push_back(Drawing(400, 300, 16, i));

    std::vector<BenchFile> files;
    files.push_back({"icon 16x16, 4 colours", WriteGif({Drawing(16, 16, 4, 0)}, 2, false, 0)});
    files.push_back({"icon 32x32, 16 colours", WriteGif({Photo(32, 32, 16, 1)}, 4, false, 0)});
    files.push_back({"pillow_photo.gif 160x120 interlaced", ReadFile(VX_TEST_DATA_DIR "/gif/pillow_photo.gif")});
    files.push_back({"pillow_sprite.gif 10 frames", ReadFile(VX_TEST_DATA_DIR "/gif/pillow_sprite.gif")});
    files.push_back({"photo 1000x1000, 256 colours", WriteGif({Photo(1000, 1000, 256, 2)}, 8, false, 0)});
    files.push_back({"photo 1000x1000 interlaced", WriteGif({Photo(1000, 1000, 256, 3)}, 8, true, 0)});
    files.push_back({"drawing 1000x1000, 16 colours", WriteGif({Drawing(1000, 1000, 16, 0)}, 4, false, 0)});
    {
        const Picture photo = Photo(1000, 1000, 256, 4);
        vx::gif::Palette palette{};
        files.push_back({"photo 1000x1000, written by our encoder",
                         vx::gif::EncodeFrameGif(photo.pixels.data(), 1000, 1000, 1000, palette, std::nullopt)});
    }
    files.push_back({"animation 200 frames 400x300", WriteGif(animation, 4, false, 8)});
    const Bytes& animationBytes = files.back().bytes;

    std::printf("%-42s %9s %12s %12s %7s\n", "file", "bytes", "ours Mpx/s", "giflib Mpx/s", "ratio");
    bool allFaster = true;
    for (const BenchFile& file : files) {
        if (file.name.find(only) == std::string::npos) continue;
        if (!SamePixels(file.bytes)) {
            std::printf("%-42s the decoders disagree\n", file.name.c_str());
            return 1;
        }
        const double ours = MegapixelsPerSecond(file.bytes, DecodeOurs, seconds);
        const double theirs = MegapixelsPerSecond(file.bytes, DecodeGiflib, seconds);
        allFaster &= ours >= theirs;
        std::printf("%-42s %9zu %12.1f %12.1f %7.2f\n", file.name.c_str(), file.bytes.size(), ours, theirs,
                    ours / theirs);
    }

    gHeapNow = 0;
    gHeapPeak = 0;
    DecodeOurs(animationBytes);
    const double heapPeakMib = double(gHeapPeak) / (1 << 20);
    const std::string path = "/tmp/vx_gif_bench_animation_" + std::to_string(getpid()) + ".gif";
    {
        std::ofstream out(path, std::ios::binary);
        out.write(reinterpret_cast<const char*>(animationBytes.data()), std::streamsize(animationBytes.size()));
    }
    const long oursKib = PeakLoadKiB(argv[0], "ours", path);
    const long giflibKib = PeakLoadKiB(argv[0], "giflib", path);
    std::remove(path.c_str());
    std::printf("\nloading the 200-frame animation (%zu bytes, 200 x 400 x 300 = 24.0 Mpx of frames):\n",
                animationBytes.size());
    std::printf("  ours:   peak heap %.1f MiB, peak resident memory added %.1f MiB\n", heapPeakMib, oursKib / 1024.0);
    std::printf("  giflib: peak resident memory added %.1f MiB\n", giflibKib / 1024.0);
    std::printf("\nours at least as fast as giflib on every file: %s\n", allFaster ? "yes" : "no");
    return 0;
}
