#include "bmp/color_quantizer.h"

#include <algorithm>
#include <array>
#include <cstdlib>
#include <stdexcept>

#include "base/nearest_entry.h"

namespace vx::bmp {

namespace {

// Colours keyed by their Rgb word: its natural order is the table order.
using Key = Rgb;

Key KeyOfPixel(const std::uint8_t* bgra) { return MakeRgb(bgra[2], bgra[1], bgra[0]); }
Key KeyOfQuad(const RgbQuad& q) { return MakeRgb(q.red, q.green, q.blue); }
RgbQuad QuadOfKey(Key k) {
    return RgbQuad{static_cast<std::uint8_t>(BlueOf(k)), static_cast<std::uint8_t>(GreenOf(k)),
                   static_cast<std::uint8_t>(RedOf(k)), 0};
}

void CheckPicture(const ConstBgraView& picture) {
    if (picture.top == nullptr || picture.width < 1 || picture.height < 1) throw std::invalid_argument("empty picture");
    if (std::abs(picture.stride) < 4 * static_cast<std::ptrdiff_t>(picture.width))
        throw std::invalid_argument("picture rows overlap");
}

// Least significant byte first; three passes sort 24-bit keys in linear time.
void RadixSort(std::vector<Key>& keys) {
    std::vector<Key> buffer(keys.size());
    for (int shift = 0; shift < 24; shift += 8) {
        std::array<std::size_t, 257> starts{};
        for (Key k : keys) ++starts[((k >> shift) & 0xFF) + 1];
        for (std::size_t i = 1; i < starts.size(); ++i) starts[i] += starts[i - 1];
        for (Key k : keys) buffer[starts[(k >> shift) & 0xFF]++] = k;
        keys.swap(buffer);
    }
}

struct ColorCount {
    Key key;
    std::uint64_t count;
};

// Distinct colours of the picture in ascending order, with their pixel counts.
std::vector<ColorCount> DistinctColors(const ConstBgraView& picture) {
    std::vector<Key> keys;
    keys.reserve(static_cast<std::size_t>(picture.width) * static_cast<std::size_t>(picture.height));
    for (int y = 0; y < picture.height; ++y) {
        const std::uint8_t* row = picture.Row(y);
        for (int x = 0; x < picture.width; ++x) keys.push_back(KeyOfPixel(row + 4 * x));
    }
    if (keys.size() < 4096)
        std::sort(keys.begin(), keys.end());
    else
        RadixSort(keys);

    std::vector<ColorCount> distinct;
    for (Key k : keys) {
        if (distinct.empty() || distinct.back().key != k) distinct.push_back({k, 0});
        ++distinct.back().count;
    }
    return distinct;
}

struct Sample {
    std::array<int, 3> channel;  // red, green, blue
    Key key;
    std::uint64_t count;
};

struct Box {
    std::size_t begin = 0, end = 0;
    double squaredError = 0;
    int axis = 0;  // channel of the widest spread
    std::uint64_t count = 0;
    std::array<std::uint64_t, 3> sum{};
};

Box MakeBox(const std::vector<Sample>& samples, std::size_t begin, std::size_t end) {
    Box box;
    box.begin = begin;
    box.end = end;
    std::array<double, 3> squares{};
    for (std::size_t i = begin; i < end; ++i) {
        const Sample& s = samples[i];
        box.count += s.count;
        for (int c = 0; c < 3; ++c) {
            box.sum[c] += s.count * static_cast<std::uint64_t>(s.channel[c]);
            squares[c] += static_cast<double>(s.count) * s.channel[c] * s.channel[c];
        }
    }
    double widest = -1;
    for (int c = 0; c < 3; ++c) {
        const double meanPart =
            static_cast<double>(box.sum[c]) * static_cast<double>(box.sum[c]) / static_cast<double>(box.count);
        const double spread = std::max(0.0, squares[c] - meanPart);
        box.squaredError += spread;
        if (spread > widest) {
            widest = spread;
            box.axis = c;
        }
    }
    if (end - begin < 2) box.squaredError = 0;  // one colour cannot be split
    return box;
}

// Splits along the box's widest channel at the point that leaves the least
// squared error in the two halves.
std::pair<Box, Box> Split(std::vector<Sample>& samples, const Box& box) {
    // Stable counting sort by the channel: the order within equal values
    // stays what it was, so the result depends on the colours alone.
    const int axis = box.axis;
    std::array<std::size_t, 257> starts{};
    for (std::size_t i = box.begin; i < box.end; ++i) ++starts[static_cast<std::size_t>(samples[i].channel[axis]) + 1];
    for (std::size_t v = 1; v < starts.size(); ++v) starts[v] += starts[v - 1];
    const std::vector<Sample> unsorted(samples.begin() + static_cast<std::ptrdiff_t>(box.begin),
                                       samples.begin() + static_cast<std::ptrdiff_t>(box.end));
    for (const Sample& sample : unsorted)
        samples[box.begin + starts[static_cast<std::size_t>(sample.channel[axis])]++] = sample;
    std::uint64_t leftCount = 0;
    std::array<std::uint64_t, 3> leftSum{};
    double bestScore = -1;
    std::size_t bestSplit = box.begin + 1;
    for (std::size_t i = box.begin; i + 1 < box.end; ++i) {
        leftCount += samples[i].count;
        for (int c = 0; c < 3; ++c) leftSum[c] += samples[i].count * static_cast<std::uint64_t>(samples[i].channel[c]);
        const std::uint64_t rightCount = box.count - leftCount;
        double leftPart = 0, rightPart = 0;
        for (int c = 0; c < 3; ++c) {
            const double l = static_cast<double>(leftSum[c]);
            const double r = static_cast<double>(box.sum[c] - leftSum[c]);
            leftPart += l * l;
            rightPart += r * r;
        }
        // Maximising this minimises the squared error of the two halves.
        const double score = leftPart / static_cast<double>(leftCount) + rightPart / static_cast<double>(rightCount);
        if (score > bestScore) {
            bestScore = score;
            bestSplit = i + 1;
        }
    }
    return {MakeBox(samples, box.begin, bestSplit), MakeBox(samples, bestSplit, box.end)};
}

std::uint8_t RoundedMean(std::uint64_t sum, std::uint64_t count) {
    return static_cast<std::uint8_t>((2 * sum + count) / (2 * count));
}

std::vector<RgbQuad> SplitColorSpace(const std::vector<ColorCount>& distinct, int entries) {
    std::vector<Sample> samples;
    samples.reserve(distinct.size());
    for (const ColorCount& c : distinct)
        samples.push_back(
            {{static_cast<int>(RedOf(c.key)), static_cast<int>(GreenOf(c.key)), static_cast<int>(BlueOf(c.key))},
             c.key,
             c.count});

    std::vector<Box> boxes{MakeBox(samples, 0, samples.size())};
    while (boxes.size() < static_cast<std::size_t>(entries)) {
        std::size_t worst = 0;
        for (std::size_t i = 1; i < boxes.size(); ++i)
            if (boxes[i].squaredError > boxes[worst].squaredError) worst = i;
        if (boxes[worst].squaredError <= 0) break;
        auto [first, second] = Split(samples, boxes[worst]);
        boxes[worst] = first;
        boxes.push_back(second);
    }

    std::vector<RgbQuad> table;
    for (const Box& box : boxes) {
        table.push_back(RgbQuad{RoundedMean(box.sum[2], box.count), RoundedMean(box.sum[1], box.count),
                                RoundedMean(box.sum[0], box.count), 0});
    }
    return table;
}

// Moves each entry to the mean of the colours nearest to it until nothing
// changes (or a few rounds have passed).
void Refine(const std::vector<ColorCount>& distinct, std::vector<RgbQuad>& table) {
    constexpr int kRounds = 8;
    for (int round = 0; round < kRounds; ++round) {
        NearestEntry nearest(table, distinct.size());
        std::vector<std::uint64_t> count(table.size(), 0);
        std::vector<std::array<std::uint64_t, 3>> sum(table.size(), {0, 0, 0});
        for (std::size_t k = 0; k < distinct.size(); ++k) {
            const ColorCount& c = distinct[k];
            const std::size_t i = nearest.Find(c.key);
            count[i] += c.count;
            sum[i][0] += c.count * RedOf(c.key);
            sum[i][1] += c.count * GreenOf(c.key);
            sum[i][2] += c.count * BlueOf(c.key);
        }
        bool changed = false;
        for (std::size_t i = 0; i < table.size(); ++i) {
            if (count[i] == 0) continue;  // keeps its colour
            const RgbQuad moved{RoundedMean(sum[i][2], count[i]), RoundedMean(sum[i][1], count[i]),
                                RoundedMean(sum[i][0], count[i]), 0};
            if (!(moved == table[i])) {
                table[i] = moved;
                changed = true;
            }
        }
        if (!changed) break;
    }
}

// Index of every pixel, given the index of every distinct colour.
std::vector<std::uint8_t> IndexPixels(const ConstBgraView& picture, const std::vector<ColorCount>& distinct,
                                      const std::vector<std::uint8_t>& indexOfDistinct) {
    std::vector<std::uint8_t> indices;
    indices.reserve(static_cast<std::size_t>(picture.width) * static_cast<std::size_t>(picture.height));
    if (distinct.size() > 4096) {
        std::vector<std::uint8_t> dense(std::size_t{1} << 24, 0);
        for (std::size_t i = 0; i < distinct.size(); ++i) dense[distinct[i].key] = indexOfDistinct[i];
        for (int y = 0; y < picture.height; ++y) {
            const std::uint8_t* row = picture.Row(y);
            for (int x = 0; x < picture.width; ++x) indices.push_back(dense[KeyOfPixel(row + 4 * x)]);
        }
        return indices;
    }
    for (int y = 0; y < picture.height; ++y) {
        const std::uint8_t* row = picture.Row(y);
        for (int x = 0; x < picture.width; ++x) {
            const Key k = KeyOfPixel(row + 4 * x);
            const auto it = std::lower_bound(distinct.begin(), distinct.end(), k,
                                             [](const ColorCount& c, Key key) { return c.key < key; });
            indices.push_back(indexOfDistinct[static_cast<std::size_t>(it - distinct.begin())]);
        }
    }
    return indices;
}

IndexedPicture Indexed(const ConstBgraView& picture, const std::vector<ColorCount>& distinct,
                       const std::vector<std::uint8_t>& indexOfDistinct, std::vector<RgbQuad> table, bool exact) {
    IndexedPicture result;
    result.width = picture.width;
    result.height = picture.height;
    result.indices = IndexPixels(picture, distinct, indexOfDistinct);
    result.colorTable = std::move(table);
    result.exact = exact;
    return result;
}

IndexedPicture MapDistinct(const ConstBgraView& picture, const std::vector<ColorCount>& distinct,
                           std::vector<RgbQuad> table) {
    NearestEntry nearest(table, distinct.size());
    std::vector<std::uint8_t> indexOfDistinct(distinct.size());
    bool exact = true;
    for (std::size_t i = 0; i < distinct.size(); ++i) {
        const unsigned index = nearest.Find(distinct[i].key);
        indexOfDistinct[i] = static_cast<std::uint8_t>(index);
        if (KeyOfQuad(table[static_cast<std::size_t>(index)]) != distinct[i].key) exact = false;
    }
    return Indexed(picture, distinct, indexOfDistinct, std::move(table), exact);
}

}  // namespace

IndexedPicture QuantizePicture(ConstBgraView picture, int entries) {
    CheckPicture(picture);
    if (entries < 1 || entries > 256) throw std::invalid_argument("colour table size out of range");
    const std::vector<ColorCount> distinct = DistinctColors(picture);

    if (distinct.size() <= static_cast<std::size_t>(entries)) {
        std::vector<RgbQuad> table(static_cast<std::size_t>(entries));
        for (std::size_t i = 0; i < distinct.size(); ++i) table[i] = QuadOfKey(distinct[i].key);
        std::vector<std::uint8_t> indexOfDistinct(distinct.size());
        for (std::size_t i = 0; i < distinct.size(); ++i) indexOfDistinct[i] = static_cast<std::uint8_t>(i);
        return Indexed(picture, distinct, indexOfDistinct, std::move(table), true);
    }

    std::vector<RgbQuad> table = SplitColorSpace(distinct, entries);
    Refine(distinct, table);
    std::sort(table.begin(), table.end(),
              [](const RgbQuad& a, const RgbQuad& b) { return KeyOfQuad(a) < KeyOfQuad(b); });
    return MapDistinct(picture, distinct, std::move(table));
}

IndexedPicture MapToColorTable(ConstBgraView picture, std::vector<RgbQuad> table) {
    CheckPicture(picture);
    if (table.empty() || table.size() > 256) throw std::invalid_argument("colour table size out of range");
    return MapDistinct(picture, DistinctColors(picture), std::move(table));
}

}  // namespace vx::bmp
