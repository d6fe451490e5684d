#include "gif/gif_export.h"

#include <limits>

#include "gif/gif_index.h"

namespace vx::gif {

namespace {

constexpr std::uint64_t kSaturated = std::numeric_limits<std::uint64_t>::max();
constexpr std::uint64_t kFrameFileHeaderBytes = 14 + 40 + 4;

constexpr std::uint8_t kExtensionIntroducer = 0x21;
constexpr std::uint8_t kImageSeparator = 0x2C;

}  // namespace

std::uint64_t FrameFileBytes(std::int64_t width, std::int64_t height) {
    if (width <= 0 || height <= 0) return kFrameFileHeaderBytes;
    const std::uint64_t stride = (static_cast<std::uint64_t>(width) * 3 + 3) / 4 * 4;
    return kFrameFileHeaderBytes + stride * static_cast<std::uint64_t>(height);
}

std::uint64_t ExportBytes(std::int64_t frames, std::int64_t width, std::int64_t height) {
    if (frames <= 0) return 0;
    const std::uint64_t each = FrameFileBytes(width, height);
    if (each > kSaturated / static_cast<std::uint64_t>(frames)) return kSaturated;
    return each * static_cast<std::uint64_t>(frames);
}

int FrameNumberDigits(std::int64_t frames) {
    int digits = 1;
    for (std::int64_t rest = frames; rest >= 10; rest /= 10) ++digits;
    return digits < 4 ? 4 : digits;
}

std::string FrameFileName(std::int64_t frame, int digits) {
    std::string number = std::to_string(frame);
    if (static_cast<int>(number.size()) < digits) number.insert(0, digits - number.size(), '0');
    return "frame-" + number + ".bmp";
}

std::string DescribeBytes(std::uint64_t bytes) {
    static constexpr struct {
        std::uint64_t size;
        const char* name;
    } kUnits[] = {{std::uint64_t{1} << 40, " TB"}, {1u << 30, " GB"}, {1u << 20, " MB"}, {1u << 10, " KB"}};
    for (const auto& unit : kUnits)
        if (bytes >= unit.size && bytes % unit.size == 0) return std::to_string(bytes / unit.size) + unit.name;
    return std::to_string(bytes) + " bytes";
}

std::optional<std::uint64_t> ParseByteSize(const std::string& text) {
    std::uint64_t value = 0;
    std::size_t i = 0;
    for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i) {
        const std::uint64_t digit = static_cast<std::uint64_t>(text[i] - '0');
        if (value > (kSaturated - digit) / 10) return std::nullopt;
        value = value * 10 + digit;
    }
    if (i == 0) return std::nullopt;
    std::string unit = text.substr(i);
    for (char& c : unit) c = static_cast<char>(c >= 'a' && c <= 'z' ? c - 'a' + 'A' : c);
    if (unit.size() == 2 && unit[1] == 'B') unit.resize(1);
    int shift = 0;
    if (unit == "K")
        shift = 10;
    else if (unit == "M")
        shift = 20;
    else if (unit == "G")
        shift = 30;
    else if (!unit.empty() && unit != "B")
        return std::nullopt;
    if (value > (kSaturated >> shift)) return std::nullopt;
    return value << shift;
}

bool ImagesLeftOut(std::span<const std::uint8_t> file) {
    const GifIndex index = IndexGif(file);
    if (index.end != IndexEnd::FrameLimit || index.blocks.empty()) return false;
    // Walk on from the end of the last image kept: extensions may stand
    // before the next image separator.
    std::uint64_t at = index.blocks.back().position - 1 + index.blocks.back().length;
    while (at < file.size() && file[at] == kExtensionIntroducer) {
        at += 2;  // introducer and label
        while (at < file.size() && file[at] != 0) at += 1 + file[at];
        ++at;  // the terminator
    }
    return at < file.size() && file[at] == kImageSeparator;
}

}  // namespace vx::gif
