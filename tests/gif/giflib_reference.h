// The independent decoder the GIF tests compare against: giflib.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <vector>

namespace vx::gif::testing {

struct ReferenceFrame {
    int left = 0, top = 0, width = 0, height = 0;
    bool interlaced = false;
    int localEntries = 0;                // 0 without a local table
    std::vector<uint32_t> localColours;  // 0x00RRGGBB
    bool hasGce = false;
    int delayCs = 0;
    int disposal = 0;
    int transparent = -1;         // -1 when not transparent
    std::vector<uint8_t> pixels;  // width x height, de-interlaced
};

struct ReferenceGif {
    std::vector<ReferenceFrame> frames;
    std::vector<uint32_t> globalColours;
    int background = 0;
    int loopCount = 0;  // NETSCAPE2.0 value, 0 when absent
    std::string error;  // empty on success
};

// Decodes a whole file with giflib's DGifSlurp.
ReferenceGif DecodeWithGiflib(std::span<const uint8_t> bytes);

}  // namespace vx::gif::testing
