// Quarter turns and mirrors of a 4000 x 3000 24-bit DIB: cImage's own row
// transforms against PlgBlt with the corner points that describe the same
// turn, on the same DIB. Prints times and how many pixels PlgBlt put
// somewhere other than the exact turn. Run under Wine or on Windows.
#include <windows.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <functional>
#include <memory>
#include <random>

#include "imaging/dib_image.h"

namespace {

using Clock = std::chrono::steady_clock;

double BestMs(int runs, const std::function<void()>& work) {
    double best = 1e300;
    for (int i = 0; i < runs; ++i) {
        const auto start = Clock::now();
        work();
        GdiFlush();
        best = std::min(best, std::chrono::duration<double, std::milli>(Clock::now() - start).count());
    }
    return best;
}

// Pixels of an image that are black (never drawn, with this noise).
long BlackPixels(const vx::cImage& a) {
    GdiFlush();
    long black = 0;
    const auto* pa = static_cast<const std::uint8_t*>(a.DIBitsPtr());
    const std::int32_t stride = a.BytesPerScanLine();
    for (std::int32_t y = 0; y < a.Height(); ++y)
        for (std::int32_t x = 0; x < a.Width(); ++x)
            if (pa[y * stride + 3 * x] == 0 && pa[y * stride + 3 * x + 1] == 0 && pa[y * stride + 3 * x + 2] == 0)
                ++black;
    return black;
}

// Rows that differ between two images of the same shape, counted in pixels.
long DifferentPixels(const vx::cImage& a, const vx::cImage& b) {
    GdiFlush();
    long differ = 0;
    const auto* pa = static_cast<const std::uint8_t*>(a.DIBitsPtr());
    const auto* pb = static_cast<const std::uint8_t*>(b.DIBitsPtr());
    const std::int32_t stride = a.BytesPerScanLine();
    for (std::int32_t y = 0; y < a.Height(); ++y)
        for (std::int32_t x = 0; x < a.Width(); ++x)
            if (std::memcmp(pa + y * stride + 3 * x, pb + y * stride + 3 * x, 3) != 0) ++differ;
    return differ;
}

void RunSize(int width, int height, int runs) {
    vx::cImage image;
    if (!image.Create(width, height, 24)) {
        std::printf("cannot make a %d x %d DIB\n", width, height);
        return;
    }
    std::mt19937 noise(7);
    auto* bits = static_cast<std::uint8_t*>(image.DIBitsPtr());
    const std::size_t bytes = static_cast<std::size_t>(image.BytesPerScanLine()) * height;
    for (std::size_t i = 0; i < bytes; ++i) bits[i] = static_cast<std::uint8_t>(noise() | 1);  // never black
    const double megabytes = static_cast<double>(bytes) / 1e6;

    const struct {
        const char* name;
        int degrees;  // 0: mirror left to right
        POINT corners[3];
    } cases[] = {
        {"rotate 90", 90, {{0, width}, {0, 0}, {height, width}}},
        {"mirror left to right", 0, {{width, 0}, {0, 0}, {width, height}}},
    };
    std::printf("%d x %d at 24 bits (%.1f MB), best of %d, making the new image included\n", width, height, megabytes,
                runs);
    for (const auto& c : cases) {
        std::unique_ptr<vx::cImage> ours;
        const double oursMs = BestMs(runs, [&] { ours = c.degrees ? image.Rotate(c.degrees) : image.Mirror(false); });
        const std::int32_t newWidth = c.degrees ? height : width, newHeight = c.degrees ? width : height;
        vx::cImage platform;
        BOOL drawn = FALSE;
        const double plgMs = BestMs(runs, [&] {
            platform.Create(newWidth, newHeight, 24);
            drawn = PlgBlt(platform.hdc(), c.corners, image.hdc(), 0, 0, width, height, nullptr, 0, 0);
        });
        const long all = static_cast<long>(newWidth) * newHeight;
        std::printf(
            "  %-22s cImage %8.2f ms %6.0f MB/s | PlgBlt %8.2f ms %6.0f MB/s, %s; pixels not where the "
            "exact turn puts them: %ld of %ld, never drawn: %ld\n",
            c.name, oursMs, megabytes / (oursMs / 1000), plgMs, megabytes / (plgMs / 1000),
            drawn ? "reported success" : "reported failure", DifferentPixels(*ours, platform), all,
            BlackPixels(platform));
    }
}

}  // namespace

int main() {
    RunSize(400, 300, 20);
    RunSize(1000, 750, 10);
    RunSize(4000, 3000, 5);
    return 0;
}
