// The README's side-by-side picture of the two squeezes, generated: three
// rows (an enlarged pixel-art crest through JPEG, a logo of thin strokes,
// a smoothly enlarged letter crest), each the source, the exact area
// average and the crisp squeeze, the crests zoomed 12 times.
//   crisp_side_by_side OUTPUT.png
#include <cmath>
#include <cstdio>
#include <vector>

#include <png.h>

#include "bench_corpus.h"
#include "imaging/crisp_squeeze.h"
#include "imaging/squeeze.h"

namespace {

constexpr int kZoom = 12;
constexpr int kCell = 16 * kZoom;  // 192 x 144 a panel
constexpr int kGap = 8;

void Paste(std::vector<std::uint8_t>& canvas, int canvasWidth, const vx::BgraImage& panel, int left, int top,
           int zoom) {
    for (int y = 0; y < panel.Height() * zoom; ++y)
        for (int x = 0; x < panel.Width() * zoom; ++x) {
            const std::uint8_t* from = panel.Row(y / zoom) + 4 * (x / zoom);
            std::uint8_t* to = &canvas[4 * (static_cast<std::size_t>(top + y) * canvasWidth + left + x)];
            to[0] = from[2];
            to[1] = from[1];
            to[2] = from[0];
            to[3] = 255;
        }
}

vx::BgraImage Logo() {
    // A ring and a cross of strokes a third of a crest pixel wide, on 640 x 480.
    vx::BgraImage logo(640, 480);
    for (int y = 0; y < 480; ++y)
        for (int x = 0; x < 640; ++x) {
            const double r = std::hypot(x + 0.5 - 320, y + 0.5 - 240);
            const bool ring = std::abs(r - 170) < 7;
            const bool cross = std::abs(x + 0.5 - 320) < 6.5 || std::abs(y + 0.5 - 240) < 6.5;
            const bool diagonal = std::abs((x + 0.5 - 320) - (y + 0.5 - 240)) < 9 && r < 170;
            logo.SetColor(x, y,
                          ring       ? vx::MakeColorref(250, 210, 60)
                          : cross    ? vx::MakeColorref(240, 240, 240)
                          : diagonal ? vx::MakeColorref(200, 30, 40)
                                     : vx::MakeColorref(20, 40, 90));
        }
    return logo;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: crisp_side_by_side OUTPUT.png\n");
        return 2;
    }
    bench::Random random(7);
    std::vector<vx::BgraImage> sources;
    sources.push_back(bench::ThroughJpeg(bench::Enlarge(bench::MakeCrest(random, bench::CrestKind::Heraldic, 16, 12),
                                                        bench::Enlargement::Nearest, 3.7, 0.4, 0, 0),
                                         75));
    sources.push_back(Logo());
    sources.push_back(bench::Enlarge(bench::MakeCrest(random, bench::CrestKind::Letter, 16, 12),
                                     bench::Enlargement::Bilinear, 6.2, 0.25, 0, 0));

    const int width = 3 * kCell + 4 * kGap;
    const int height =
        static_cast<int>(sources.size()) * (kCell * 3 / 4) + (static_cast<int>(sources.size()) + 1) * kGap;
    std::vector<std::uint8_t> canvas(4 * static_cast<std::size_t>(width) * height, 0);
    for (std::size_t i = 0; i < canvas.size(); i += 4)
        canvas[i] = canvas[i + 1] = canvas[i + 2] = 96, canvas[i + 3] = 255;
    for (std::size_t row = 0; row < sources.size(); ++row) {
        const int top = kGap + static_cast<int>(row) * (kCell * 3 / 4 + kGap);
        // The source as it looks at the panel's size.
        Paste(canvas, width, vx::Squeeze(sources[row].View(), kCell, kCell * 3 / 4), kGap, top, 1);
        Paste(canvas, width, vx::Squeeze(sources[row].View(), 16, 12), 2 * kGap + kCell, top, kZoom);
        Paste(canvas, width, vx::CrispSqueeze(sources[row].View(), 16, 12), 3 * kGap + 2 * kCell, top, kZoom);
    }
    png_image image{};
    image.version = PNG_IMAGE_VERSION;
    image.width = static_cast<png_uint_32>(width);
    image.height = static_cast<png_uint_32>(height);
    image.format = PNG_FORMAT_RGBA;
    if (!png_image_write_to_file(&image, argv[1], 0, canvas.data(), 0, nullptr)) {
        std::fprintf(stderr, "crisp_side_by_side: %s\n", image.message);
        return 1;
    }
    return 0;
}
