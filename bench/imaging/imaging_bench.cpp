// Figures for the crest workflow's portable steps, side by side:
//   - reading the header of a 500 MB picture file against a small one;
//   - squeezing a 6000 x 4000 picture into 16 x 12, against the box-filter
//     resize of the Python imaging library on the same pixels;
//   - building the colour table and writing a crest file;
//   - quarter turns and mirrors of a 4000 x 3000 24-bit DIB's rows.
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <random>
#include <string>
#include <vector>

#include <unistd.h>

#include "bmp/bmp_file.h"
#include "bmp/color_quantizer.h"
#include "imaging/picture_header.h"
#include "imaging/dib_transform.h"
#include "imaging/squeeze.h"

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

namespace {

// Best (lowest) time of `runs` calls, in milliseconds.
double BestMs(int runs, const std::function<void()>& work) {
    double best = 1e300;
    for (int i = 0; i < runs; ++i) {
        const auto start = Clock::now();
        work();
        best = std::min(best, std::chrono::duration<double, std::milli>(Clock::now() - start).count());
    }
    return best;
}

void WriteBytes(const fs::path& file, const std::vector<std::uint8_t>& bytes) {
    std::ofstream out(file, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}

std::vector<std::uint8_t> BmpHeader() {
    std::vector<std::uint8_t> b(54, 0);
    b[0] = 'B';
    b[1] = 'M';
    auto put32 = [&](std::size_t at, std::uint32_t v) {
        for (int k = 0; k < 4; ++k) b[at + k] = static_cast<std::uint8_t>(v >> (8 * k));
    };
    put32(14, 40);
    put32(18, 6000);
    put32(22, 4000);
    b[26] = 1;
    b[28] = 24;
    return b;
}

// A JPEG stream whose frame header follows a 60 KB comment segment.
std::vector<std::uint8_t> JpegHeader() {
    std::vector<std::uint8_t> b{0xFF, 0xD8, 0xFF, 0xFE, 0xEA, 0x60};
    b.resize(b.size() + 0xEA60 - 2, 'x');
    const std::vector<std::uint8_t> frame{0xFF, 0xC0, 0, 17, 8, 0x0F, 0xA0, 0x17, 0x70, 3};
    b.insert(b.end(), frame.begin(), frame.end());
    return b;
}

fs::path MakeFile(const fs::path& folder, const std::string& name, const std::vector<std::uint8_t>& header,
                  std::uintmax_t length) {
    const fs::path file = folder / name;
    WriteBytes(file, header);
    fs::resize_file(file, length);  // sparse: no disk space used
    return file;
}

// A photo-like picture: smooth ramps with some grain.
vx::BgraImage Photo(int width, int height) {
    vx::BgraImage picture(width, height);
    std::mt19937 grain(42);
    for (int y = 0; y < height; ++y) {
        std::uint8_t* row = picture.Row(y);
        for (int x = 0; x < width; ++x) {
            const unsigned g = grain() & 15;
            row[4 * x] = static_cast<std::uint8_t>((x * 200 / width + g) & 0xFF);
            row[4 * x + 1] = static_cast<std::uint8_t>(((x + y) * 120 / (width + height) + 3 * g) & 0xFF);
            row[4 * x + 2] = static_cast<std::uint8_t>((y * 230 / height + (g >> 1)) & 0xFF);
            row[4 * x + 3] = 255;
        }
    }
    return picture;
}

struct PillowResult {
    bool ran = false;
    double ms = 0;
    std::vector<std::uint8_t> rgb;  // 16 x 12 x 3
};

PillowResult PillowBoxResize(const fs::path& folder, const vx::BgraImage& picture, int runs) {
    PillowResult result;
    const fs::path raw = folder / "picture.bgra";
    const fs::path out = folder / "pillow.rgb";
    const fs::path script = folder / "pillow_box.py";
    WriteBytes(raw, picture.Bytes());
    std::ofstream(script) << R"(import sys, time
from PIL import Image
raw, out, w, h, runs = sys.argv[1], sys.argv[2], int(sys.argv[3]), int(sys.argv[4]), int(sys.argv[5])
with open(raw, 'rb') as f:
    data = f.read()
im = Image.frombuffer('RGB', (w, h), data, 'raw', 'BGRX', 0, 1)
im.load()
best = 1e300
for _ in range(runs):
    t = time.perf_counter()
    small = im.resize((16, 12), Image.BOX)
    best = min(best, time.perf_counter() - t)
with open(out, 'wb') as f:
    f.write(small.tobytes())
print('%.3f' % (best * 1000.0))
)";
    const std::string command = "/usr/bin/python3 '" + script.string() + "' '" + raw.string() + "' '" + out.string() +
                                "' " + std::to_string(picture.Width()) + " " + std::to_string(picture.Height()) + " " +
                                std::to_string(runs);
    FILE* pipe = popen(command.c_str(), "r");
    if (pipe == nullptr) return result;
    char line[128] = {};
    const bool got = std::fgets(line, sizeof line, pipe) != nullptr;
    if (pclose(pipe) != 0 || !got) return result;
    result.ran = true;
    result.ms = std::atof(line);
    std::ifstream in(out, std::ios::binary);
    result.rgb.assign(std::istreambuf_iterator<char>(in), {});
    fs::remove(raw);
    return result;
}

}  // namespace

int main() {
    const fs::path folder = fs::temp_directory_path() / ("vx-imaging-bench-" + std::to_string(getpid()));
    fs::create_directories(folder);

    // ---- header reading
    constexpr std::uintmax_t k500MB = 500ull * 1024 * 1024;
    const fs::path smallBmp = MakeFile(folder, "small.bmp", BmpHeader(), 4096);
    const fs::path bigBmp = MakeFile(folder, "big.bmp", BmpHeader(), k500MB);
    const fs::path bigJpg = MakeFile(folder, "big.jpg", JpegHeader(), k500MB);
    const fs::path bigOther = MakeFile(folder, "big.dat", {'n', 'o', 't', ' ', 'a', ' ', 'p'}, k500MB);

    vx::clsImage reader;
    auto headerMs = [&](const fs::path& file) { return BestMs(200, [&] { reader.ReadImageInfo(file); }); };
    std::printf("Header reading (clsImage::ReadImageInfo), best of 200\n");
    std::printf("  %-44s %9.4f ms\n", "BMP, 4 KB file", headerMs(smallBmp));
    std::printf("  %-44s %9.4f ms   (%d x %d)\n", "BMP, 500 MB file", headerMs(bigBmp), reader.Width(),
                reader.Height());
    std::printf("  %-44s %9.4f ms   (%d x %d)\n", "JPEG, frame after 60 KB segment, 500 MB file", headerMs(bigJpg),
                reader.Width(), reader.Height());
    const double scanMs = BestMs(3, [&] { reader.ReadImageInfo(bigOther); });
    std::printf("  %-44s %9.1f ms   (no signature: the JPEG search reads it all)\n", "unrecognised 500 MB file",
                scanMs);

    // ---- the squeeze
    const vx::BgraImage photo = Photo(6000, 4000);
    vx::BgraImage crest(16, 12);
    constexpr int kRuns = 7;
    const double squeezeMs = BestMs(kRuns, [&] { vx::Squeeze(photo.View(), crest.View()); });
    const PillowResult pillow = PillowBoxResize(folder, photo, kRuns);
    std::printf("\nSqueeze 6000 x 4000 -> 16 x 12, best of %d\n", kRuns);
    std::printf("  %-44s %9.2f ms\n", "vx::Squeeze (exact area average)", squeezeMs);
    if (pillow.ran) {
        std::printf("  %-44s %9.2f ms\n", "Pillow resize((16, 12), BOX), mode RGB", pillow.ms);
        std::printf("  %-44s %9.2f x  (Pillow time / ours; above 1 is faster)\n", "ratio", pillow.ms / squeezeMs);
        int maxDifference = 0;
        for (int y = 0; y < 12 && pillow.rgb.size() == 16 * 12 * 3; ++y)
            for (int x = 0; x < 16; ++x)
                for (int k = 0; k < 3; ++k) {
                    const int ours = crest.Row(y)[4 * x + (2 - k)];
                    const int theirs = pillow.rgb[static_cast<std::size_t>((y * 16 + x) * 3 + k)];
                    maxDifference = std::max(maxDifference, std::abs(ours - theirs));
                }
        std::printf("  %-44s %9d\n", "largest channel difference to Pillow", maxDifference);
    } else {
        std::printf("  Pillow (/usr/bin/python3 with PIL) not available\n");
    }
    const vx::BgraImage stripSource = Photo(640, 480);
    vx::BgraImage strip(24, 12);
    std::printf("  %-44s %9.3f ms\n", "vx::Squeeze 640 x 480 -> 24 x 12",
                BestMs(50, [&] { vx::Squeeze(stripSource.View(), strip.View()); }));

    // ---- colour table and file
    std::printf("\nCrest file\n");
    std::printf("  %-44s %9.4f ms\n", "colour table + BMP bytes, 16 x 12 at 8 bits",
                BestMs(200, [&] { (void)vx::bmp::EncodeBmpFile(crest.View(), 8); }));
    std::int64_t length = 0;
    const double writeMs = BestMs(20, [&] { length = vx::bmp::WriteBmpFile(folder / "clan.bmp", crest.View(), 8); });
    std::printf("  %-44s %9.4f ms   (%lld bytes)\n", "WriteBmpFile clan.bmp (temp file, flush, move)", writeMs,
                static_cast<long long>(length));
    const vx::BgraImage many = Photo(640, 480);
    bool exact = true;
    const double quantiseMs = BestMs(3, [&] { exact = vx::bmp::QuantizePicture(many.View(), 256).exact; });
    std::printf("  %-44s %9.2f ms   (%s)\n", "quantise 640 x 480 photo to 256 colours", quantiseMs,
                exact ? "exact" : "quantised");

    // ---- DIB turns
    {
        constexpr int kWidth = 4000, kHeight = 3000;
        const std::int32_t stride = *vx::dib::ScanLineBytes(kWidth, 24);
        std::vector<std::uint8_t> rows(static_cast<std::size_t>(stride) * kHeight);
        std::mt19937 noise(7);
        for (std::uint8_t& b : rows) b = static_cast<std::uint8_t>(noise());
        std::vector<std::uint8_t> turned(rows.size());
        const vx::dib::ConstDibView source{rows.data(), kWidth, kHeight, 24, stride};
        const double megabytes = static_cast<double>(rows.size()) / 1e6;
        std::printf("\nDIB rows, 4000 x 3000 at 24 bits (%.0f MB), best of 7\n", megabytes);
        const struct {
            const char* name;
            vx::dib::Turn turn;
        } turns[] = {{"rotate 90 (quarter turn anticlockwise)", vx::dib::Turn::QuarterAnticlockwise},
                     {"rotate 270 (quarter turn clockwise)", vx::dib::Turn::QuarterClockwise},
                     {"rotate 180", vx::dib::Turn::Half},
                     {"mirror left to right", vx::dib::Turn::MirrorLeftRight},
                     {"mirror upside down", vx::dib::Turn::MirrorUpsideDown}};
        // The floor on this machine: the same bytes copied straight.
        const double copyMs = BestMs(7, [&] { std::memcpy(turned.data(), rows.data(), rows.size()); });
        std::printf("  %-44s %9.2f ms   %7.0f MB/s\n", "plain copy of the rows (memcpy)", copyMs,
                    megabytes / (copyMs / 1000.0));
        for (const auto& t : turns) {
            const vx::dib::Size size = vx::dib::TurnedSize(t.turn, kWidth, kHeight);
            const vx::dib::DibView target{turned.data(), size.width, size.height, 24,
                                          *vx::dib::ScanLineBytes(size.width, 24)};
            const double ms = BestMs(7, [&] { vx::dib::TurnPixels(source, target, t.turn); });
            std::printf("  %-44s %9.2f ms   %7.0f MB/s\n", t.name, ms, megabytes / (ms / 1000.0));
        }
    }

    std::error_code ignored;
    fs::remove_all(folder, ignored);
    return 0;
}
