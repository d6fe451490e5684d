#include "imaging/detail_squeeze.h"

#include <algorithm>
#include <cstdlib>
#include <stdexcept>
#include <string>
#include <vector>

#include "imaging/area_cover.h"
#include "imaging/linear_light.h"
#include "imaging/squeeze.h"

namespace vx {

namespace {

constexpr int kReducedPixelsPerCrestPixel = 16;
constexpr int kReadPerReducedPixel = 4;
// Deviations (as a share of the byte range) below about this level weigh
// alike: 6 levels, the grain of a photo or a JPEG.
constexpr double kFlatDeviation = 6.0 / 255.0;
constexpr double kFlatWeight = kFlatDeviation * kFlatDeviation * kFlatDeviation * kFlatDeviation;

// A picture in linear light (0..65535) and in tone (the byte scale,
// 0..255), three channels a pixel in the order blue, green, red.
struct LightPicture {
    int width = 0;
    int height = 0;
    std::vector<double> light;
    std::vector<double> tone;
};

// The source as it is, when it is small enough.
LightPicture AsLight(ConstBgraView source) {
    LightPicture picture{source.width, source.height, {}, {}};
    const std::size_t count = 3 * static_cast<std::size_t>(source.width) * static_cast<std::size_t>(source.height);
    picture.light.resize(count);
    picture.tone.resize(count);
    std::size_t at = 0;
    for (int y = 0; y < source.height; ++y) {
        const std::uint8_t* row = source.Row(y);
        for (int x = 0; x < source.width; ++x)
            for (int k = 0; k < 3; ++k, ++at) {
                picture.light[at] = kLinearOfByte[row[4 * x + k]];
                picture.tone[at] = row[4 * x + k];
            }
    }
    return picture;
}

// Every how many source pixels along an axis of `source` pixels are read
// for a reduced axis of `reduced` pixels: all of them up to twice
// kReadPerReducedPixel pixels per reduced pixel, then at least that many.
int ReadingStep(int source, int reduced) { return std::max(1, source / reduced / kReadPerReducedPixel); }

// The area average of the source in linear light at `width` x `height`.
// Whole source pixels inside a reduced pixel are summed in integers,
// straight from the bytes; only the two partial ones at each end of a
// cover take a fraction. This pass is most of the squeeze's cost on a
// large picture, so there only every few rows and columns are read (a
// reduced pixel is still the average of dozens of them).
LightPicture Reduced(ConstBgraView source, int width, int height) {
    const std::vector<AreaCover> columns = AreaCovers(source.width, width);
    const std::vector<AreaCover> rows = AreaCovers(source.height, height);
    const int columnStep = ReadingStep(source.width, width);
    const int rowStep = ReadingStep(source.height, height);
    const std::size_t lanes = 3 * static_cast<std::size_t>(width);
    LightPicture picture{width, height, std::vector<double>(lanes * static_cast<std::size_t>(height), 0.0), {}};
    const std::uint16_t* light = kLinearOfByte.data();
    std::vector<double> weight(static_cast<std::size_t>(width) * height, 0.0);
    for (int ry = 0; ry < height; ++ry) {
        const AreaCover& r = rows[static_cast<std::size_t>(ry)];
        double* out = picture.light.data() + lanes * static_cast<std::size_t>(ry);
        double* rowWeight = weight.data() + static_cast<std::size_t>(width) * ry;
        for (int y = r.first; y <= r.last; ++y) {
            const double rowShare = y == r.first ? r.firstShare : y == r.last ? r.lastShare : 1.0;
            if (rowShare <= 0 || (y != r.first && y != r.last && (y - r.first) % rowStep != 0)) continue;
            const std::uint8_t* row = source.Row(y);
            for (int rx = 0; rx < width; ++rx) {
                const AreaCover& c = columns[static_cast<std::size_t>(rx)];
                std::uint64_t blue = 0, green = 0, red = 0;
                int whole = 0;
                const std::uint8_t* p = row + 4 * static_cast<std::ptrdiff_t>(c.first + 1);
                for (int x = c.first + 1; x < c.last; x += columnStep, p += 4 * columnStep, ++whole) {
                    blue += light[p[0]];
                    green += light[p[1]];
                    red += light[p[2]];
                }
                const std::uint8_t* first = row + 4 * static_cast<std::ptrdiff_t>(c.first);
                const std::uint8_t* last = row + 4 * static_cast<std::ptrdiff_t>(c.last);
                const double lastShare = c.last != c.first ? c.lastShare : 0.0;
                rowWeight[rx] += rowShare * (whole + c.firstShare + lastShare);
                double* o = out + 3 * static_cast<std::size_t>(rx);
                o[0] += rowShare *
                        (static_cast<double>(blue) + c.firstShare * light[first[0]] + lastShare * light[last[0]]);
                o[1] += rowShare *
                        (static_cast<double>(green) + c.firstShare * light[first[1]] + lastShare * light[last[1]]);
                o[2] +=
                    rowShare * (static_cast<double>(red) + c.firstShare * light[first[2]] + lastShare * light[last[2]]);
            }
        }
        for (std::size_t i = 0; i < lanes; ++i) out[i] /= rowWeight[i / 3];
    }
    picture.tone.resize(picture.light.size());
    for (std::size_t i = 0; i < picture.light.size(); ++i) picture.tone[i] = ToneOfLinear(picture.light[i]);
    return picture;
}

// Calls visit(index of the pixel's first channel, share) for every pixel of
// `picture` under one crest pixel.
template <class Visit>
void ForCovered(const LightPicture& picture, const AreaCover& column, const AreaCover& row, Visit visit) {
    for (int y = row.first; y <= row.last; ++y) {
        const double rowShare = y == row.first ? row.firstShare : y == row.last ? row.lastShare : 1.0;
        if (rowShare <= 0) continue;
        for (int x = column.first; x <= column.last; ++x) {
            const double columnShare = x == column.first  ? column.firstShare
                                       : x == column.last ? column.lastShare
                                                          : 1.0;
            if (columnShare <= 0) continue;
            visit(3 * (static_cast<std::size_t>(y) * static_cast<std::size_t>(picture.width) + x),
                  rowShare * columnShare);
        }
    }
}

}  // namespace

void DetailSqueeze(ConstBgraView source, BgraView crest) {
    CheckSqueezeViews(source, crest);
    const int reducedWidth = std::min(source.width, kReducedPixelsPerCrestPixel * crest.width);
    const int reducedHeight = std::min(source.height, kReducedPixelsPerCrestPixel * crest.height);
    const LightPicture picture = reducedWidth == source.width && reducedHeight == source.height
                                     ? AsLight(source)
                                     : Reduced(source, reducedWidth, reducedHeight);
    const std::vector<AreaCover> columns = AreaCovers(picture.width, crest.width);
    const std::vector<AreaCover> rows = AreaCovers(picture.height, crest.height);

    // The tone average of each crest pixel, then of its 5 x 5 surroundings
    // (weights 1 2 3 2 1 each way, the edge repeated): wide enough that a
    // stroke a whole crest pixel wide is still the lesser part of it.
    const std::size_t crestPixels = static_cast<std::size_t>(crest.width) * static_cast<std::size_t>(crest.height);
    std::vector<double> tone(3 * crestPixels, 0.0);
    for (int cy = 0; cy < crest.height; ++cy)
        for (int cx = 0; cx < crest.width; ++cx) {
            double* t = &tone[3 * (static_cast<std::size_t>(cy) * crest.width + cx)];
            double total = 0;
            ForCovered(picture, columns[static_cast<std::size_t>(cx)], rows[static_cast<std::size_t>(cy)],
                       [&](std::size_t at, double share) {
                           total += share;
                           for (int k = 0; k < 3; ++k) t[k] += share * picture.tone[at + k];
                       });
            for (int k = 0; k < 3; ++k) t[k] /= total;
        }
    auto toneAt = [&](int cx, int cy, int k) {
        cx = std::clamp(cx, 0, crest.width - 1);
        cy = std::clamp(cy, 0, crest.height - 1);
        return tone[3 * (static_cast<std::size_t>(cy) * crest.width + cx) + k];
    };
    constexpr double kSpread[5] = {1, 2, 3, 2, 1};

    for (int cy = 0; cy < crest.height; ++cy) {
        std::uint8_t* out = crest.Row(cy);
        for (int cx = 0; cx < crest.width; ++cx) {
            double surroundings[3] = {0, 0, 0};
            for (int dy = -2; dy <= 2; ++dy)
                for (int dx = -2; dx <= 2; ++dx)
                    for (int k = 0; k < 3; ++k)
                        surroundings[k] += kSpread[dx + 2] * kSpread[dy + 2] * toneAt(cx + dx, cy + dy, k) / 81.0;
            double light[3] = {0, 0, 0};
            double totalWeight = 0;
            ForCovered(picture, columns[static_cast<std::size_t>(cx)], rows[static_cast<std::size_t>(cy)],
                       [&](std::size_t at, double share) {
                           double deviation = 0;
                           for (int k = 0; k < 3; ++k)
                               deviation = std::max(deviation, std::abs(picture.tone[at + k] - surroundings[k]));
                           deviation /= 255.0;
                           const double squared = deviation * deviation;
                           const double weight = share * (kFlatWeight + squared * squared);
                           totalWeight += weight;
                           for (int k = 0; k < 3; ++k) light[k] += weight * picture.light[at + k];
                       });
            for (int k = 0; k < 3; ++k) out[4 * cx + k] = ByteOfLinear(light[k] / totalWeight);
            out[4 * cx + 3] = 255;
        }
    }
}

}  // namespace vx
