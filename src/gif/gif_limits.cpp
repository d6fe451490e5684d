#include "gif/gif_limits.h"

#include <algorithm>

namespace vx::gif {
namespace {

constexpr uint64_t kMegabyte = uint64_t{1} << 20;

std::string Megabytes(uint64_t bytes) { return std::to_string((bytes + kMegabyte - 1) / kMegabyte) + " MB"; }

std::string Frames(const GifReport& report) {
    std::string text = std::to_string(report.frames) + (report.frames == 1 ? " frame" : " frames");
    if (report.frameWidth > 0)
        text += " of " + std::to_string(report.frameWidth) + " x " + std::to_string(report.frameHeight);
    return text;
}

}  // namespace

std::string Describe(const GifReport& r) {
    switch (r.status) {
        case GifStatus::Loaded:
            return "The GIF file was loaded.";
        case GifStatus::FileUnreadable:
            return "The GIF file cannot be opened or read.";
        case GifStatus::FileTooLarge:
            return "GIF too large: the file has " + Megabytes(r.needed) + ", the limit is " + Megabytes(r.limit);
        case GifStatus::TooShort:
            return "Not a GIF file: it is shorter than " + std::to_string(kMinFileSize) + " bytes.";
        case GifStatus::BadSignature:
            return "Not a GIF file: it does not start with GIF87a or GIF89a.";
        case GifStatus::MissingColourTable:
            return "Damaged GIF file: an image has no colour table to take its colours from.";
        case GifStatus::NoFrames:
            return "Damaged GIF file: it holds no complete image.";
        case GifStatus::StripTooLarge:
            return "GIF too large: " + Frames(r) + " need " + Megabytes(r.needed) + ", the limit is " +
                   Megabytes(r.limit);
        case GifStatus::FramesBeyondData:
            return "Damaged GIF file: " + Frames(r) + " hold " + std::to_string(r.needed) +
                   " pixels, more than its data could fill (at most " + std::to_string(r.limit) + ").";
        case GifStatus::OutOfMemory:
            return "Not enough memory for the GIF's frames: " + Frames(r) + " need " + Megabytes(r.needed) + ".";
        case GifStatus::BufferTooLarge:
            return "GIF too large to compose: " + std::to_string(r.width) + " x " + std::to_string(r.height) +
                   " pixels need a buffer of " + std::to_string(r.needed) + " pixels, the limit is " +
                   std::to_string(r.limit) + ".";
        case GifStatus::Abandoned:
            return "Loading the GIF file was abandoned.";
    }
    return "Unknown GIF status.";
}

GifReport CheckIndex(const GifIndex& index) {
    GifReport report;
    report.frames = index.frames.size();
    if (!index.frames.empty()) return report;
    switch (index.end) {
        case IndexEnd::TooShort:
            report.status = GifStatus::TooShort;
            break;
        case IndexEnd::BadSignature:
            report.status = GifStatus::BadSignature;
            break;
        case IndexEnd::MissingColourTable:
            report.status = GifStatus::MissingColourTable;
            break;
        default:
            report.status = GifStatus::NoFrames;
            break;
    }
    return report;
}

GifReport CheckBuffer(int64_t width, int64_t height, int32_t rows) {
    GifReport report;
    report.width = width;
    report.height = height;
    const uint64_t pixels = static_cast<uint64_t>(std::max<int64_t>(0, width)) *
                            static_cast<uint64_t>(std::max<int64_t>(0, height)) *
                            static_cast<uint64_t>(std::max<int32_t>(0, rows));
    if (pixels > kMaxBufferPixels) {
        report.status = GifStatus::BufferTooLarge;
        report.needed = pixels;
        report.limit = kMaxBufferPixels;
    }
    return report;
}

}  // namespace vx::gif
