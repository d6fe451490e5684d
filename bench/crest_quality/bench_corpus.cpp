#include "bench_corpus.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <stdexcept>
#include <vector>

#include <jpeglib.h>

namespace bench {

namespace {

// Heraldic tinctures and a few more, 0x00RRGGBB.
constexpr std::uint32_t kTinctures[] = {0xF2C12E, 0xF4F4F4, 0xC8102E, 0x1F4FA8, 0x138A36,
                                        0x7A2E8C, 0x141414, 0xE87722, 0x6B4423, 0x8FD3F4};

void Put(vx::BgraImage& picture, int x, int y, std::uint32_t rgb) {
    std::uint8_t* p = picture.Row(y) + 4 * x;
    p[0] = static_cast<std::uint8_t>(rgb);
    p[1] = static_cast<std::uint8_t>(rgb >> 8);
    p[2] = static_cast<std::uint8_t>(rgb >> 16);
    p[3] = 255;
}

// 5 x 7 capitals, one row a byte, high bit on the left.
constexpr std::uint8_t kGlyphs[][7] = {
    {0x70, 0x88, 0x88, 0xF8, 0x88, 0x88, 0x88},  // A
    {0x88, 0x90, 0xA0, 0xC0, 0xA0, 0x90, 0x88},  // K
    {0x88, 0x88, 0x88, 0x88, 0x88, 0x50, 0x20},  // V
    {0x88, 0x88, 0x50, 0x20, 0x50, 0x88, 0x88},  // X
    {0xF8, 0x80, 0x80, 0xF0, 0x80, 0x80, 0xF8},  // E
    {0x88, 0xD8, 0xA8, 0xA8, 0x88, 0x88, 0x88},  // M
};

std::uint32_t OtherTincture(Random& random, std::uint32_t than) {
    for (;;) {
        const std::uint32_t t = kTinctures[random.Below(10)];
        if (t != than) return t;
    }
}

double Kernel(Enlargement how, double x, double a) {
    x = std::abs(x);
    if (how == Enlargement::Bilinear) return x < 1 ? 1 - x : 0;
    if (x < 1) return (a + 2) * x * x * x - (a + 3) * x * x + 1;
    if (x < 2) return a * x * x * x - 5 * a * x * x + 8 * a * x - 4 * a;
    return 0;
}

}  // namespace

vx::BgraImage MakeCrest(Random& random, CrestKind kind, int width, int height) {
    vx::BgraImage crest(width, height);
    const std::uint32_t a = kTinctures[random.Below(10)];
    const std::uint32_t b = OtherTincture(random, a);
    const std::uint32_t c = OtherTincture(random, b);
    switch (kind) {
        case CrestKind::Heraldic: {
            const int design = random.Below(8);
            for (int y = 0; y < height; ++y)
                for (int x = 0; x < width; ++x) {
                    const double u = (x + 0.5) / width, v = (y + 0.5) / height;
                    bool inB = false, inC = false;
                    switch (design) {
                        case 0:
                            inB = u > 0.5;
                            break;  // per pale
                        case 1:
                            inB = v > 0.5;
                            break;  // per fess
                        case 2:
                            inB = std::abs(u - 0.5) < 0.14 || std::abs(v - 0.5) < 0.18;
                            break;  // cross
                        case 3:
                            inB = std::abs(u - v) < 0.15 || std::abs(u + v - 1) < 0.15;
                            break;  // saltire
                        case 4:
                            inB = std::abs(v - (1.1 - std::abs(u - 0.5) * 1.2)) < 0.2;
                            break;  // chevron
                        case 5:
                            inB = x == 0 || y == 0 || x == width - 1 || y == height - 1;
                            break;  // bordure
                        case 6:
                            inB = (u > 0.5) != (v > 0.5);
                            break;  // quarterly
                        default:
                            inB = std::abs(u - v) < 0.2;
                            break;  // bend
                    }
                    inC = design >= 5 && std::hypot(u - 0.5, v - 0.5) < 0.18;  // a roundel on some
                    Put(crest, x, y, inC ? c : inB ? b : a);
                }
            break;
        }
        case CrestKind::Letter: {
            const auto& glyph = kGlyphs[random.Below(6)];
            const int scale = std::max(1, std::min(width / 6, height / 8));
            const int left = (width - 5 * scale) / 2, top = (height - 7 * scale) / 2;
            crest.Fill(vx::Colorref{0});
            for (int y = 0; y < height; ++y)
                for (int x = 0; x < width; ++x) {
                    const int gx = (x - left) / scale, gy = (y - top) / scale;
                    const bool on = x >= left && y >= top && gx < 5 && gy < 7 && (glyph[gy] & (0x80 >> gx));
                    Put(crest, x, y, on ? b : a);
                }
            break;
        }
        case CrestKind::Stripes: {
            const int direction = random.Below(3);
            const int stripe = 1 + random.Below(3);
            for (int y = 0; y < height; ++y)
                for (int x = 0; x < width; ++x) {
                    const int along = direction == 0 ? x : direction == 1 ? y : x + y;
                    Put(crest, x, y, (along / stripe) % 2 ? b : a);
                }
            break;
        }
        case CrestKind::Noise:
            for (int y = 0; y < height; ++y)
                for (int x = 0; x < width; ++x) Put(crest, x, y, static_cast<std::uint32_t>(random.Below(1 << 24)));
            break;
    }
    return crest;
}

vx::BgraImage Enlarge(const vx::BgraImage& crest, Enlargement how, double factor, double offset, int margin,
                      std::uint32_t marginColour) {
    const int n = crest.Width(), m = crest.Height();
    const int innerW = static_cast<int>(std::ceil(offset + n * factor));
    const int innerH = static_cast<int>(std::ceil(offset + m * factor));
    vx::BgraImage picture(innerW + 2 * margin, innerH + 2 * margin);
    const double a = how == Enlargement::Bicubic ? (margin % 2 ? -0.75 : -0.5) : 0;
    // Per axis: the cells and weights of each picture position.
    struct Taps {
        int first = 0;
        double w[4] = {};
        bool inside = false;
    };
    auto taps = [&](int length, int cells) {
        std::vector<Taps> t(static_cast<std::size_t>(length));
        for (int x = 0; x < length; ++x) {
            const double pos = x + 0.5 - margin - offset;
            Taps& tap = t[static_cast<std::size_t>(x)];
            tap.inside = pos >= 0 && pos < cells * factor;
            const double u = pos / factor - 0.5;
            if (how == Enlargement::Nearest) {
                tap.first = static_cast<int>(std::floor(pos / factor));
                tap.w[0] = 1;
            } else {
                tap.first = static_cast<int>(std::floor(u)) - 1;
                for (int q = 0; q < 4; ++q) tap.w[q] = Kernel(how, u - (tap.first + q), a);
            }
        }
        return t;
    };
    const std::vector<Taps> across = taps(picture.Width(), n), down = taps(picture.Height(), m);
    for (int y = 0; y < picture.Height(); ++y)
        for (int x = 0; x < picture.Width(); ++x) {
            const Taps& tx = across[static_cast<std::size_t>(x)];
            const Taps& ty = down[static_cast<std::size_t>(y)];
            std::uint8_t* p = picture.Row(y) + 4 * x;
            if (!tx.inside || !ty.inside) {
                Put(picture, x, y, marginColour);
                continue;
            }
            for (int k = 0; k < 3; ++k) {
                double v = 0;
                for (int qy = 0; qy < 4; ++qy)
                    for (int qx = 0; qx < 4; ++qx) {
                        const double w = tx.w[qx] * ty.w[qy];
                        if (w == 0) continue;
                        const int cx = std::clamp(tx.first + qx, 0, n - 1), cy = std::clamp(ty.first + qy, 0, m - 1);
                        v += w * crest.Row(cy)[4 * cx + k];
                    }
                p[k] = static_cast<std::uint8_t>(std::clamp(std::floor(v + 0.5), 0.0, 255.0));
            }
            p[3] = 255;
        }
    return picture;
}

vx::BgraImage ThroughJpeg(const vx::BgraImage& picture, int quality) {
    jpeg_compress_struct c{};
    jpeg_error_mgr cerr{};
    c.err = jpeg_std_error(&cerr);
    jpeg_create_compress(&c);
    unsigned char* buffer = nullptr;
    unsigned long size = 0;
    jpeg_mem_dest(&c, &buffer, &size);
    c.image_width = static_cast<JDIMENSION>(picture.Width());
    c.image_height = static_cast<JDIMENSION>(picture.Height());
    c.input_components = 3;
    c.in_color_space = JCS_RGB;
    jpeg_set_defaults(&c);
    jpeg_set_quality(&c, quality, TRUE);
    jpeg_start_compress(&c, TRUE);
    std::vector<JSAMPLE> line(3 * static_cast<std::size_t>(picture.Width()));
    while (c.next_scanline < c.image_height) {
        const std::uint8_t* row = picture.Row(static_cast<int>(c.next_scanline));
        for (int x = 0; x < picture.Width(); ++x)
            for (int k = 0; k < 3; ++k) line[3 * static_cast<std::size_t>(x) + k] = row[4 * x + 2 - k];
        JSAMPROW rows[1] = {line.data()};
        jpeg_write_scanlines(&c, rows, 1);
    }
    jpeg_finish_compress(&c);
    jpeg_destroy_compress(&c);

    jpeg_decompress_struct d{};
    jpeg_error_mgr derr{};
    d.err = jpeg_std_error(&derr);
    jpeg_create_decompress(&d);
    jpeg_mem_src(&d, buffer, size);
    jpeg_read_header(&d, TRUE);
    d.out_color_space = JCS_RGB;
    jpeg_start_decompress(&d);
    vx::BgraImage back(static_cast<int>(d.output_width), static_cast<int>(d.output_height));
    while (d.output_scanline < d.output_height) {
        std::uint8_t* row = back.Row(static_cast<int>(d.output_scanline));
        JSAMPROW rows[1] = {line.data()};
        jpeg_read_scanlines(&d, rows, 1);
        for (int x = 0; x < back.Width(); ++x) {
            for (int k = 0; k < 3; ++k) row[4 * x + 2 - k] = line[3 * static_cast<std::size_t>(x) + k];
            row[4 * x + 3] = 255;
        }
    }
    jpeg_finish_decompress(&d);
    jpeg_destroy_decompress(&d);
    std::free(buffer);
    return back;
}

vx::BgraImage Crop(const vx::BgraImage& picture, int x, int y, int width, int height) {
    vx::BgraImage part(width, height);
    for (int row = 0; row < height; ++row) std::copy_n(picture.Row(y + row) + 4 * x, 4 * width, part.Row(row));
    return part;
}

vx::BgraImage Stroke(int pictureWidth, int pictureHeight, double cx, double cy, double angle, double width, int tone,
                     int ground) {
    auto linear = [](int byte) {
        const double c = byte / 255.0;
        return c <= 0.04045 ? c / 12.92 : std::pow((c + 0.055) / 1.055, 2.4);
    };
    auto encode = [](double l) {
        const double c = l <= 0.0031308 ? 12.92 * l : 1.055 * std::pow(l, 1 / 2.4) - 0.055;
        return static_cast<std::uint8_t>(std::clamp(std::floor(c * 255 + 0.5), 0.0, 255.0));
    };
    const double lt = linear(tone), lg = linear(ground);
    std::uint8_t shade[256];
    for (int i = 0; i < 256; ++i) shade[i] = encode(lg + (lt - lg) * i / 255.0);
    vx::BgraImage picture(pictureWidth, pictureHeight);
    const double s = std::sin(angle), c = std::cos(angle);
    for (int y = 0; y < pictureHeight; ++y) {
        std::uint8_t* row = picture.Row(y);
        for (int x = 0; x < pictureWidth; ++x) {
            const double d = std::abs(-(x + 0.5 - cx) * s + (y + 0.5 - cy) * c);
            const double coverage = std::clamp(width / 2 - d + 0.5, 0.0, 1.0);
            const std::uint8_t v = shade[static_cast<int>(std::floor(coverage * 255 + 0.5))];
            row[4 * x] = row[4 * x + 1] = row[4 * x + 2] = v;
            row[4 * x + 3] = 255;
        }
    }
    return picture;
}

}  // namespace bench
