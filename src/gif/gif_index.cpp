#include "gif/gif_index.h"

#include <algorithm>
#include <cstring>
#include <limits>

namespace vx::gif {
namespace {

// Raised only by the readers below and caught by the pass: a read ran past
// the end of the file.
struct EndOfFile {};

// Sequential reader over the file bytes. The position may be moved beyond
// the end (seeks and sub-block skips do that on truncated files); every read
// checks it first.
class Reader {
public:
    explicit Reader(std::span<const uint8_t> bytes) : bytes_(bytes) {}

    uint64_t Position() const { return pos_; }  // 0-based
    void SeekTo(uint64_t pos) { pos_ = pos; }
    void Skip(uint64_t count) { pos_ += count; }
    uint64_t Remaining() const { return pos_ < bytes_.size() ? bytes_.size() - pos_ : 0; }

    uint8_t Byte() {
        if (pos_ >= bytes_.size()) throw EndOfFile{};
        return bytes_[pos_++];
    }

    uint16_t Word() {
        if (Remaining() < 2) throw EndOfFile{};
        uint16_t value = static_cast<uint16_t>(bytes_[pos_] | (bytes_[pos_ + 1] << 8));
        pos_ += 2;
        return value;
    }

    // Reads only when all bytes remain; otherwise leaves zeros and stays put.
    void Bytes(uint8_t* out, std::size_t count) {
        if (Remaining() >= count) {
            std::memcpy(out, bytes_.data() + pos_, count);
            pos_ += count;
        } else {
            std::memset(out, 0, count);
        }
    }

    // Skips a chain of data sub-blocks through its zero-length terminator and
    // returns the number of payload bytes skipped.
    uint64_t SkipSubBlocks() {
        uint64_t payload = 0;
        for (uint8_t size = Byte(); size != 0; size = Byte()) {
            Skip(size);
            payload += size;
        }
        return payload;
    }

    const uint8_t* At() const { return bytes_.data() + pos_; }

private:
    std::span<const uint8_t> bytes_;
    uint64_t pos_ = 0;
};

// Makes palette numbers 0..number exist (keeping earlier ones), then reads
// 2^exponent entries of red, green, blue into that palette.
void ReadColourTable(Reader& reader, GifIndex& index, int32_t number, int exponent) {
    if (index.palettes.size() < static_cast<std::size_t>(number) + 1) {
        index.palettes.resize(static_cast<std::size_t>(number) + 1, Palette{});
    }
    const std::size_t entries = std::size_t{1} << exponent;
    if (reader.Remaining() < 3 * entries) throw EndOfFile{};
    const uint8_t* rgb = reader.At();
    Palette& palette = index.palettes[static_cast<std::size_t>(number)];
    for (std::size_t i = 0; i < entries; ++i) {
        palette[i] = MakeRgb(rgb[3 * i], rgb[3 * i + 1], rgb[3 * i + 2]);
    }
    reader.Skip(3 * entries);
}

bool SignatureAccepted(const uint8_t* signature) {
    char lower[6];
    for (int i = 0; i < 6; ++i) {
        uint8_t c = signature[i];
        lower[i] = static_cast<char>(c >= 'A' && c <= 'Z' ? c + ('a' - 'A') : c);
    }
    return std::memcmp(lower, "gif89a", 6) == 0 || std::memcmp(lower, "gif87a", 6) == 0;
}

bool IsNetscapeIdentifier(const uint8_t* text, std::size_t size) {
    static constexpr char kNetscape[] = "NETSCAPE2.0";
    if (size != sizeof(kNetscape) - 1) return false;
    for (std::size_t i = 0; i < size; ++i) {
        uint8_t c = text[i];
        if (c >= 'a' && c <= 'z') c = static_cast<uint8_t>(c - ('a' - 'A'));
        if (c != static_cast<uint8_t>(kNetscape[i])) return false;
    }
    return true;
}

int32_t OneBased(uint64_t pos) { return static_cast<int32_t>(pos + 1); }

// Walks the blocks after the Logical Screen Descriptor and global table.
// Returns false when the file must be rejected as a whole.
bool WalkBlocks(Reader& reader, GifIndex& index) {
    FrameRecord working{};
    for (;;) {
        const uint8_t introducer = reader.Byte();
        if (introducer == 0x00) continue;

        if (introducer == 0x21) {
            const uint8_t label = reader.Byte();
            if (label == 0xFF) {
                uint8_t text[255];
                const uint8_t size = reader.Byte();
                reader.Bytes(text, size);
                if (IsNetscapeIdentifier(text, size)) {
                    if (reader.Byte() == 3) {
                        reader.Skip(1);  // sub-block identifier
                        index.loopCount = reader.Word();
                    } else {
                        reader.SeekTo(reader.Position() - 1);
                    }
                }
                reader.SkipSubBlocks();
            } else if (label == 0xF9) {
                working = FrameRecord{};
                working.position = OneBased(reader.Position() - 2);
                reader.Byte();  // block size, not used
                const uint8_t packed = reader.Byte();
                working.disposal = static_cast<Disposal>((packed >> 2) & 3);
                if (working.disposal == Disposal::RestorePrevious) index.hasRestorePrevious = true;
                working.delay = int32_t{reader.Word()} * 10;
                working.transparent = packed & 1;
                if (working.transparent) {
                    working.transparent_index = reader.Byte();
                } else {
                    reader.SeekTo(static_cast<uint64_t>(working.position) - 1 + 7);
                }
                reader.SkipSubBlocks();
            } else {
                reader.SkipSubBlocks();
            }
            continue;
        }

        if (introducer != 0x2C) {
            index.end = IndexEnd::Trailer;
            return true;
        }

        const uint64_t separator = reader.Position() - 1;
        if (working.position == 0) working.position = OneBased(separator);
        working.left = reader.Word();
        working.top = reader.Word();
        working.width = reader.Word();
        working.height = reader.Word();
        const uint8_t packed = reader.Byte();
        if (packed & 0x80) {
            working.palette = index.lastPalette + 1;
            ReadColourTable(reader, index, working.palette, (packed & 7) + 1);
            index.lastPalette = working.palette;
        } else if (!index.hasGlobalTable) {
            index.end = IndexEnd::MissingColourTable;
            return false;
        }
        reader.Byte();  // LZW minimum code size, read again by the decoder
        const uint64_t payload = reader.SkipSubBlocks();

        ImageBlock block;
        block.position = static_cast<uint32_t>(OneBased(separator));
        block.length = static_cast<uint32_t>(reader.Position() - separator);
        block.dataBytes = static_cast<uint32_t>(payload);
        index.blocks.push_back(block);
        index.frames.push_back(working);
        index.width = std::max(index.width, working.left + working.width);
        index.height = std::max(index.height, working.top + working.height);
        working = FrameRecord{};  // an extension applies to the next image only

        if (index.frames.size() >= static_cast<std::size_t>(kMaxFrames)) {
            index.end = IndexEnd::FrameLimit;
            return true;
        }
    }
}

}  // namespace

GifIndex IndexGif(std::span<const uint8_t> file) {
    GifIndex index;
    // Positions are 32-bit quantities: a larger file is read as if cut there.
    constexpr std::size_t kMaxFileBytes = std::numeric_limits<int32_t>::max();
    if (file.size() > kMaxFileBytes) file = file.first(kMaxFileBytes);

    if (file.size() < kMinFileSize) {
        index.end = IndexEnd::TooShort;
        return index;
    }
    if (!SignatureAccepted(file.data())) {
        index.end = IndexEnd::BadSignature;
        return index;
    }

    Reader reader(file);
    bool keep = true;
    try {
        reader.SeekTo(10);
        const uint8_t packed = reader.Byte();
        index.backgroundIndex = reader.Byte();
        reader.SeekTo(13);
        if (packed & 0x80) {
            ReadColourTable(reader, index, 0, (packed & 7) + 1);
            index.lastPalette = 0;
            index.hasGlobalTable = true;
        }
        keep = WalkBlocks(reader, index);
    } catch (const EndOfFile&) {
        index.end = IndexEnd::EndOfFile;
    }

    if (!keep) {
        GifIndex rejected;
        rejected.end = index.end;
        return rejected;
    }
    return index;
}

}  // namespace vx::gif
