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

}  // namespace

int main() {
    constexpr int kWidth = 4000, kHeight = 3000, kRuns = 5;
    vx::cImage image;
    if (!image.Create(kWidth, kHeight, 24)) {
        std::printf("cannot make a %d x %d DIB\n", kWidth, kHeight);
        return 1;
    }
    std::mt19937 noise(7);
    auto* bits = static_cast<std::uint8_t*>(image.DIBitsPtr());
    const std::size_t bytes = static_cast<std::size_t>(image.BytesPerScanLine()) * kHeight;
    for (std::size_t i = 0; i < bytes; ++i) bits[i] = static_cast<std::uint8_t>(noise());
    const double megabytes = static_cast<double>(bytes) / 1e6;

    const struct {
        const char* name;
        int degrees;  // 0: mirror left to right
        POINT corners[3];
    } cases[] = {
        {"rotate 90", 90, {{0, kWidth}, {0, 0}, {kHeight, kWidth}}},
        {"mirror left to right", 0, {{kWidth, 0}, {0, 0}, {kWidth, kHeight}}},
    };
    std::printf("4000 x 3000 at 24 bits (%.0f MB), best of %d, new image included\n", megabytes, kRuns);
    for (const auto& c : cases) {
        std::unique_ptr<vx::cImage> ours;
        auto turn = [&] { ours = c.degrees ? image.Rotate(c.degrees) : image.Mirror(false); };
        const double oursMs = BestMs(kRuns, turn);
        const std::int32_t width = c.degrees ? kHeight : kWidth, height = c.degrees ? kWidth : kHeight;
        vx::cImage platform;
        const double plgMs = BestMs(kRuns, [&] {
            platform.Create(width, height, 24);
            PlgBlt(platform.hdc(), c.corners, image.hdc(), 0, 0, kWidth, kHeight, nullptr, 0, 0);
        });
        std::printf("  %-22s cImage %8.1f ms (%5.0f MB/s)   PlgBlt %8.1f ms (%5.0f MB/s)   PlgBlt/cImage %5.1f x"
                    "   pixels PlgBlt put elsewhere: %ld of %ld\n",
                    c.name, oursMs, megabytes / (oursMs / 1000), plgMs, megabytes / (plgMs / 1000), plgMs / oursMs,
                    DifferentPixels(*ours, platform), static_cast<long>(width) * height);
    }
    return 0;
}
