// The crest-quality benchmark's generated corpus: random crests, the
// enlargers that make pixel art out of them, JPEG noise, thin strokes.
// Deterministic: its own random mapping from a fixed-seed generator.
#pragma once

#include <cstdint>
#include <random>

#include "base/bgra_image.h"

namespace bench {

class Random {
public:
    explicit Random(std::uint32_t seed) : engine_(seed) {}
    double Uniform() { return engine_() / 4294967296.0; }  // [0, 1)
    double Between(double low, double high) { return low + (high - low) * Uniform(); }
    int Below(int count) { return static_cast<int>(Uniform() * count); }

private:
    std::mt19937 engine_;
};

enum class CrestKind { Heraldic, Letter, Stripes, Noise };
enum class Enlargement { Nearest, Bilinear, Bicubic };

vx::BgraImage MakeCrest(Random& random, CrestKind kind, int width, int height);

// `crest` enlarged by `factor`, its cells starting `offset` pixels in,
// inside a margin of `margin` pixels of one colour.
vx::BgraImage Enlarge(const vx::BgraImage& crest, Enlargement how, double factor, double offset, int margin,
                      std::uint32_t marginColour);

// The picture through a JPEG file of `quality` and back.
vx::BgraImage ThroughJpeg(const vx::BgraImage& picture, int quality);

// The part of `picture` from (x, y), `width` x `height`.
vx::BgraImage Crop(const vx::BgraImage& picture, int x, int y, int width, int height);

// A straight stroke of `tone` on a ground of `ground` (grey bytes), drawn
// with its coverage blended in linear light, `width` pixels wide through
// (cx, cy) at `angle` radians.
vx::BgraImage Stroke(int pictureWidth, int pictureHeight, double cx, double cy, double angle, double width, int tone,
                     int ground);

}  // namespace bench
