#include "imaging/linear_light.h"

#include <array>

namespace vx {

namespace {

// For each 64th of the light, the first byte whose light reaches it: a
// start for the search below, which then steps over a few bytes at most.
std::array<std::uint8_t, 1025> FirstBytes() {
    std::array<std::uint8_t, 1025> first{};
    int byte = 0;
    for (int i = 0; i <= 1024; ++i) {
        while (byte < 255 && kLinearOfByte[static_cast<std::size_t>(byte)] < 64 * i) ++byte;
        first[static_cast<std::size_t>(i)] = static_cast<std::uint8_t>(byte);
    }
    return first;
}

// The first byte whose linear light is not below `linear`.
int FirstByteNotBelow(double linear) {
    static const std::array<std::uint8_t, 1025> kFirst = FirstBytes();
    if (!(linear > 0)) return 0;
    if (linear > 65535) return 256;
    // Light 64 * i is reached at kFirst[i] at the earliest.
    int byte = kFirst[static_cast<std::size_t>(linear / 64)];
    if (byte > 0) --byte;
    while (byte < 256 && kLinearOfByte[static_cast<std::size_t>(byte)] < linear) ++byte;
    return byte;
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
