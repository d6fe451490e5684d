// Crest quality, side by side: the exact area average, the crisp squeeze
// and the resizers players use instead (box, Lanczos-3, Mitchell), on a
// generated corpus.
//   1. Pixel-art recovery: random 16 x 12 clan and 8 x 12 ally crests,
//      enlarged (nearest, bilinear, bicubic) by 2.5x to 16x with sub-pixel
//      offsets and a margin that a slightly imprecise crop removes, with
//      and without JPEG at quality 75. Score: the share of crest pixels
//      whose every channel is within 12 of the original.
//   2. Thin strokes: light strokes on dark grounds and the reverse, 1/4 to
//      1 crest pixel wide, at random angles and positions, on pictures from
//      160 x 120 to 1600 x 1200. Score: the median contrast kept under the
//      stroke's centre line, and the largest overshoot beyond the source's
//      range.
//   3. Time per crest, and on a 12-megapixel picture.
#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <functional>
#include <string>
#include <vector>

#include "bench_corpus.h"
#include "imaging/crisp_squeeze.h"
#include "imaging/squeeze.h"

#ifdef VX_HAVE_STB_RESIZE
#define STB_IMAGE_RESIZE_IMPLEMENTATION
#define STB_IMAGE_RESIZE_STATIC
#include <stb/stb_image_resize.h>
#endif

using Clock = std::chrono::steady_clock;

namespace {

constexpr double kPi = 3.14159265358979323846;

// A separable resampler with a textbook kernel stretched over the
// reduction, as general-purpose resizers downscale (bytes as they are).
vx::BgraImage Resample(const vx::BgraImage& source, int width, int height, double support,
                       const std::function<double(double)>& kernel) {
    auto pass = [&](int inLength, int outLength) {
        const double scale = double(inLength) / outLength;
        const double reach = support * std::max(1.0, scale);
        std::vector<std::vector<std::pair<int, double>>> taps(static_cast<std::size_t>(outLength));
        for (int i = 0; i < outLength; ++i) {
            const double centre = (i + 0.5) * scale;
            double total = 0;
            auto& t = taps[static_cast<std::size_t>(i)];
            for (int x = static_cast<int>(std::floor(centre - reach)); x <= static_cast<int>(std::ceil(centre + reach));
                 ++x) {
                const double w = kernel((x + 0.5 - centre) / std::max(1.0, scale));
                if (w == 0) continue;
                t.push_back({std::clamp(x, 0, inLength - 1), w});
                total += w;
            }
            for (auto& [x, w] : t) w /= total;
        }
        return taps;
    };
    const auto across = pass(source.Width(), width), down = pass(source.Height(), height);
    std::vector<double> middle(3 * static_cast<std::size_t>(width) * source.Height());
    for (int y = 0; y < source.Height(); ++y)
        for (int x = 0; x < width; ++x)
            for (int k = 0; k < 3; ++k) {
                double v = 0;
                for (auto [sx, w] : across[static_cast<std::size_t>(x)]) v += w * source.Row(y)[4 * sx + k];
                middle[3 * (static_cast<std::size_t>(y) * width + x) + k] = v;
            }
    vx::BgraImage out(width, height);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            for (int k = 0; k < 3; ++k) {
                double v = 0;
                for (auto [sy, w] : down[static_cast<std::size_t>(y)])
                    v += w * middle[3 * (static_cast<std::size_t>(sy) * width + x) + k];
                out.Row(y)[4 * x + k] = static_cast<std::uint8_t>(std::clamp(std::floor(v + 0.5), 0.0, 255.0));
            }
            out.Row(y)[4 * x + 3] = 255;
        }
    return out;
}

double Lanczos3(double x) {
    x = std::abs(x);
    if (x < 1e-12) return 1;
    if (x >= 3) return 0;
    return 3 * std::sin(kPi * x) * std::sin(kPi * x / 3) / (kPi * kPi * x * x);
}

// The textbook Mitchell filter, for machines without stb_image_resize.
[[maybe_unused]] double Mitchell(double x) {
    x = std::abs(x);
    const double b = 1.0 / 3, c = 1.0 / 3;
    if (x < 1) return ((12 - 9 * b - 6 * c) * x * x * x + (-18 + 12 * b + 6 * c) * x * x + (6 - 2 * b)) / 6;
    if (x < 2)
        return ((-b - 6 * c) * x * x * x + (6 * b + 30 * c) * x * x + (-12 * b - 48 * c) * x + (8 * b + 24 * c)) / 6;
    return 0;
}

#ifdef VX_HAVE_STB_RESIZE
vx::BgraImage Stb(const vx::BgraImage& source, int width, int height, stbir_filter filter) {
    vx::BgraImage out(width, height);
    stbir_resize_uint8_generic(source.Row(0), source.Width(), source.Height(), static_cast<int>(source.Stride()),
                               out.Row(0), width, height, static_cast<int>(out.Stride()), 4, STBIR_ALPHA_CHANNEL_NONE,
                               0, STBIR_EDGE_CLAMP, filter, STBIR_COLORSPACE_LINEAR, nullptr);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) out.Row(y)[4 * x + 3] = 255;
    return out;
}
#endif

struct Method {
    const char* name;
    std::function<vx::BgraImage(const vx::BgraImage&, int, int)> squeeze;
    double seconds = 0;
    long calls = 0;
};

std::vector<Method> Methods() {
    std::vector<Method> methods;
    methods.push_back({"exact", [](const vx::BgraImage& s, int w, int h) { return vx::Squeeze(s.View(), w, h); }});
    methods.push_back({"crisp", [](const vx::BgraImage& s, int w, int h) { return vx::CrispSqueeze(s.View(), w, h); }});
#ifdef VX_HAVE_STB_RESIZE
    methods.push_back({"box", [](const vx::BgraImage& s, int w, int h) { return Stb(s, w, h, STBIR_FILTER_BOX); }});
#else
    methods.push_back({"box", [](const vx::BgraImage& s, int w, int h) {
                           return Resample(s, w, h, 0.5, [](double x) { return std::abs(x) <= 0.5 ? 1.0 : 0.0; });
                       }});
#endif
    methods.push_back(
        {"lanczos3", [](const vx::BgraImage& s, int w, int h) { return Resample(s, w, h, 3, Lanczos3); }});
#ifdef VX_HAVE_STB_RESIZE
    methods.push_back(
        {"mitchell", [](const vx::BgraImage& s, int w, int h) { return Stb(s, w, h, STBIR_FILTER_MITCHELL); }});
#else
    methods.push_back(
        {"mitchell", [](const vx::BgraImage& s, int w, int h) { return Resample(s, w, h, 2, Mitchell); }});
#endif
    return methods;
}

vx::BgraImage Run(Method& method, const vx::BgraImage& source, int width, int height) {
    const auto start = Clock::now();
    vx::BgraImage out = method.squeeze(source, width, height);
    method.seconds += std::chrono::duration<double>(Clock::now() - start).count();
    ++method.calls;
    return out;
}

// Share of pixels whose every channel is within 12 of the original.
double Recovered(const vx::BgraImage& original, const vx::BgraImage& crest) {
    int good = 0;
    for (int y = 0; y < original.Height(); ++y)
        for (int x = 0; x < original.Width(); ++x) {
            bool ok = true;
            for (int k = 0; k < 3; ++k) ok = ok && std::abs(original.Row(y)[4 * x + k] - crest.Row(y)[4 * x + k]) <= 12;
            good += ok;
        }
    return double(good) / (original.Width() * original.Height());
}

double Median(std::vector<double> values) {
    if (values.empty()) return 0;
    std::nth_element(values.begin(), values.begin() + values.size() / 2, values.end());
    return values[values.size() / 2];
}

void PixelArt(std::vector<Method>& methods) {
    const char* enlargerNames[] = {"nearest", "bilinear", "bicubic"};
    struct Band {
        const char* name;
        double low, high;
    } bands[] = {{"2.5-4x", 2.5, 4}, {"4-8x", 4, 8}, {"8-16x", 8, 16}};
    constexpr int kCrests = 48;  // per enlarger, band and noise setting: 36 clan, 12 ally
    std::printf("Pixel-art recovery: share of crest pixels within 12 of the original, %d crests a row\n", kCrests);
    std::printf("  %-8s %-7s %-5s", "enlarger", "factor", "jpeg");
    for (const Method& m : methods) std::printf(" %9s", m.name);
    std::printf("\n");
    for (int jpeg = 0; jpeg < 2; ++jpeg)
        for (int e = 0; e < 3; ++e)
            for (const Band& band : bands) {
                bench::Random random(1000u + 100u * jpeg + 10u * e + static_cast<std::uint32_t>(&band - bands));
                std::vector<double> scores(methods.size(), 0.0);
                for (int i = 0; i < kCrests; ++i) {
                    const bool ally = i % 4 == 3;
                    const int w = ally ? 8 : 16, h = 12;
                    const vx::BgraImage crest =
                        bench::MakeCrest(random, static_cast<bench::CrestKind>(random.Below(4)), w, h);
                    // A third of the factors whole.
                    double factor = random.Between(band.low, band.high);
                    if (i % 3 == 0) factor = std::max(band.low, std::floor(factor));
                    if (factor < 2.5) factor = 2.5;
                    const double offset = random.Uniform();
                    const int margin = 2 + random.Below(4);
                    const std::uint32_t marginColour = static_cast<std::uint32_t>(random.Below(1 << 24));
                    vx::BgraImage picture =
                        bench::Enlarge(crest, static_cast<bench::Enlargement>(e), factor, offset, margin, marginColour);
                    if (jpeg) picture = bench::ThroughJpeg(picture, 75);
                    // The crop removes the margin to within a pixel each side.
                    const int left = margin + random.Below(3) - 1, top = margin + random.Below(3) - 1;
                    const int right = margin + random.Below(3) - 1, bottom = margin + random.Below(3) - 1;
                    const vx::BgraImage cropped = bench::Crop(picture, left, top, picture.Width() - left - right,
                                                              picture.Height() - top - bottom);
                    for (std::size_t m = 0; m < methods.size(); ++m)
                        scores[m] += Recovered(crest, Run(methods[m], cropped, w, h));
                }
                std::printf("  %-8s %-7s %-5s", enlargerNames[e], band.name, jpeg ? "q75" : "no");
                for (double s : scores) std::printf(" %8.1f%%", 100 * s / kCrests);
                std::printf("\n");
            }
}

void Strokes(std::vector<Method>& methods) {
    const int sizes[][2] = {{160, 120}, {400, 300}, {800, 600}, {1600, 1200}};
    const double widths[] = {0.25, 0.5, 0.75, 1.0};
    constexpr int kStrokes = 24;  // per width and size, half light on dark
    std::printf("\nThin strokes: median contrast kept (share of full), %d strokes a width per size, 4 sizes\n",
                kStrokes);
    std::printf("  %-9s %-14s", "width", "ground");
    for (const Method& m : methods) std::printf(" %9s", m.name);
    std::printf("\n");
    std::vector<double> overshoot(methods.size(), 0.0);
    for (double width : widths)
        for (int dark = 1; dark >= 0; --dark) {
            bench::Random random(5000u + static_cast<std::uint32_t>(width * 100) + 7u * dark);
            std::vector<std::vector<double>> contrasts(methods.size());
            for (const auto& size : sizes)
                for (int i = 0; i < kStrokes / 2; ++i) {
                    const int pw = size[0], ph = size[1];
                    const double crestPixel = pw / 16.0;
                    const int ground = dark ? random.Below(60) : 195 + random.Below(60);
                    const int tone = dark ? 195 + random.Below(60) : random.Below(60);
                    const double angle = random.Uniform() * kPi;
                    const double cx = random.Between(0.35, 0.65) * pw, cy = random.Between(0.35, 0.65) * ph;
                    const vx::BgraImage picture =
                        bench::Stroke(pw, ph, cx, cy, angle, width * crestPixel, tone, ground);
                    for (std::size_t m = 0; m < methods.size(); ++m) {
                        const vx::BgraImage crest = Run(methods[m], picture, 16, 12);
                        // Under the centre line, every half crest pixel, away from the edges.
                        std::vector<double> along;
                        for (double t = -20; t <= 20; t += 0.5) {
                            const double x = cx / crestPixel + t * std::cos(angle);
                            const double y = cy / crestPixel + t * std::sin(angle);
                            if (x < 1 || y < 1 || x >= 15 || y >= 11) continue;
                            const int v = crest.Row(static_cast<int>(y))[4 * static_cast<int>(x)];
                            along.push_back(double(v - ground) / (tone - ground));
                        }
                        contrasts[m].push_back(Median(along));
                        const int low = std::min(tone, ground), high = std::max(tone, ground);
                        for (int y = 0; y < 12; ++y)
                            for (int x = 0; x < 16; ++x)
                                for (int k = 0; k < 3; ++k) {
                                    const int v = crest.Row(y)[4 * x + k];
                                    overshoot[m] = std::max(overshoot[m], double(std::max(v - high, low - v)));
                                }
                    }
                }
            std::printf("  %-9.2f %-14s", width, dark ? "light on dark" : "dark on light");
            for (const auto& c : contrasts) std::printf(" %9.2f", Median(c));
            std::printf("\n");
        }
    std::printf("  %-24s", "largest overshoot (levels)");
    for (double o : overshoot) std::printf(" %9.0f", o);
    std::printf("\n");
}

void Timing(std::vector<Method>& methods) {
    std::printf("\nTime per crest over the corpus above (ms)\n  %-24s", "");
    for (const Method& m : methods) std::printf(" %9.3f", 1000 * m.seconds / std::max(1L, m.calls));
    std::printf("\n");
    // A 12-megapixel photo-like picture: smooth ramps, grain and a few hard shapes.
    vx::BgraImage photo(4000, 3000);
    bench::Random random(77);
    for (int y = 0; y < 3000; ++y)
        for (int x = 0; x < 4000; ++x) {
            std::uint8_t* p = photo.Row(y) + 4 * x;
            const int g = random.Below(16);
            const bool disc = std::hypot(x - 2600.0, y - 1200.0) < 700;
            p[0] = static_cast<std::uint8_t>(disc ? 40 + g : x * 200 / 4000 + g);
            p[1] = static_cast<std::uint8_t>(disc ? 180 + g : (x + y) * 120 / 7000 + 3 * g);
            p[2] = static_cast<std::uint8_t>(disc ? 220 : y * 230 / 3000 + (g >> 1));
            p[3] = 255;
        }
    std::printf("\n12-megapixel picture (4000 x 3000) -> 16 x 12, best of 5 (ms)\n  %-24s", "");
    double exactMs = 0;
    for (Method& m : methods) {
        double best = 1e300;
        for (int run = 0; run < 5; ++run) {
            const auto start = Clock::now();
            (void)m.squeeze(photo, 16, 12);
            best = std::min(best, std::chrono::duration<double, std::milli>(Clock::now() - start).count());
        }
        if (std::string(m.name) == "exact") exactMs = best;
        std::printf(" %9.2f", best);
        if (std::string(m.name) == "crisp") std::printf(" (%.2fx)", best / exactMs);
    }
    std::printf("\n");
}

}  // namespace

int main() {
    std::vector<Method> methods = Methods();
#ifdef VX_HAVE_STB_RESIZE
    std::printf("box and mitchell: stb_image_resize; lanczos3: textbook separable resampler\n\n");
#else
    std::printf("box, lanczos3 and mitchell: textbook separable resamplers (stb_image_resize not installed)\n\n");
#endif
    PixelArt(methods);
    Strokes(methods);
    Timing(methods);
    return 0;
}
