#include "imaging/linear_light.h"

#include <algorithm>

namespace vx {

namespace {

// The first byte whose linear light is not below `linear`.
int FirstByteNotBelow(double linear) {
    const auto at = std::lower_bound(kLinearOfByte.begin(), kLinearOfByte.end(), linear,
                                     [](std::uint16_t entry, double value) { return entry < value; });
    return static_cast<int>(at - kLinearOfByte.begin());
}

}  // namespace

std::uint8_t ByteOfLinear(double linear) {
    const int above = FirstByteNotBelow(linear);
    if (above == 0) return 0;
    if (above == 256) return 255;
    const double toAbove = kLinearOfByte[static_cast<std::size_t>(above)] - linear;
    const double toBelow = linear - kLinearOfByte[static_cast<std::size_t>(above - 1)];
    return static_cast<std::uint8_t>(toAbove <= toBelow ? above : above - 1);
}

double ToneOfLinear(double linear) {
    const int above = FirstByteNotBelow(linear);
    if (above == 0) return 0;
    if (above == 256) return 255;
    const double low = kLinearOfByte[static_cast<std::size_t>(above - 1)];
    const double high = kLinearOfByte[static_cast<std::size_t>(above)];
    return (above - 1) + (linear - low) / (high - low);
}

}  // namespace vx
