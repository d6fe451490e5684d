// GIF-flavoured LZW: a decoder for the code streams of any GIF image and the
// encoder used to write single frames back out. Portable: no platform headers.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <span>
#include <vector>

namespace vx::gif {

enum class LzwStatus {
    Complete,            // every requested pixel was produced (later codes are ignored)
    EndedEarly,          // an End-of-Information code came before the image was full
    DataEnded,           // the data ran out before the image was full (no End code)
    BadCode,             // a code beyond the table, or a string code right after a Clear
    BadMinimumCodeSize,  // minimum code size outside 1..8: nothing decoded
};

struct LzwResult {
    LzwStatus status = LzwStatus::Complete;
    std::size_t produced = 0;  // pixels decoded before the stream stopped (<= requested)
};

// Largest number of pixels that `dataBytes` bytes of LZW codes can possibly
// expand to (codes of at least 2 bits; the k-th code after a Clear yields at
// most k pixels and no string is longer than the table). Used to refuse
// image sizes that a file cannot hold.
uint64_t MaxPixelsFromData(uint64_t dataBytes);

// Decodes one image's code stream. Keeps its tables and output buffer
// between calls, so one decoder serves all frames of a file without
// reallocating.
class LzwDecoder {
public:
    // Decodes at most `pixelCount` pixels from `codes`, the image's data
    // sub-blocks already joined (no length bytes). Afterwards Pixels() holds
    // exactly `pixelCount` colour indices in stream order; those not
    // produced are 0. Hostile streams only end the decoding early.
    // pixelCount is capped at kMaxPixels.
    LzwResult Decode(std::span<const uint8_t> codes, int minimumCodeSize, std::size_t pixelCount);

    // The same, reading the data sub-blocks in place: `chain` starts at the
    // first sub-block's length byte and may run on past the terminator or stop
    // short of it.
    LzwResult DecodeSubBlocks(std::span<const uint8_t> chain, int minimumCodeSize, std::size_t pixelCount);

    // The same, writing the pixels straight to dest[0 .. pixelCount).
    LzwResult DecodeSubBlocksInto(std::span<const uint8_t> chain, int minimumCodeSize, uint8_t* dest,
                                  std::size_t pixelCount);

    // The pixels of the last Decode or DecodeSubBlocks.
    std::span<const uint8_t> Pixels() const { return {scratch_.get(), pixelCount_}; }

    static constexpr std::size_t kMaxPixels = std::size_t{1} << 31;

private:
    uint8_t* Scratch(std::size_t pixelCount);
    template <typename BitSource>
    LzwResult Run(BitSource bits, int minimumCodeSize, uint8_t* dest, std::size_t pixelCount);

    std::unique_ptr<uint8_t[]> scratch_;
    std::size_t scratchCapacity_ = 0;
    std::size_t pixelCount_ = 0;
    // The code table: code c stands for lengths_[c] pixels at strings_[c], a
    // run of earlier output or a root's own pixel. Entries are written before
    // they are read, so the table needs no clearing; the last slot takes the
    // writes made while the table is full.
    const uint8_t* strings_[4096 + 1];
    uint32_t lengths_[4096 + 1];
    uint32_t rootsReady_ = 0;  // codes 0 .. rootsReady_ - 1 hold the root strings
};

// The compress-style LZW encoder of GIF frames written by the viewer: 8-bit
// pixels, Clear 256, End 257, codes of 9 to 12 bits, a 5003-slot hash table,
// data sub-blocks of 254 bytes. The same pixels always give the same bytes.
class LzwEncoder {
public:
    // Appends the data sub-blocks for width x height pixels (rows top to
    // bottom, row r at topRow + r * rowStep) to `out`. The zero-length block
    // terminator is not written.
    void Encode(const uint8_t* topRow, std::ptrdiff_t rowStep, int32_t width, int32_t height,
                std::vector<uint8_t>& out);

    static constexpr int kHashSize = 5003;

private:
    void Emit(int code);
    void Flush();
    void WritePacket();
    void ClearHash();

    std::vector<uint8_t>* out_ = nullptr;
    uint8_t packet_[255] = {};
    int packetBytes_ = 0;
    uint32_t accumulator_ = 0;
    int bitsHeld_ = 0;
    int width_ = 9;
    int32_t hash_[kHashSize] = {};
    int32_t codes_[kHashSize] = {};
};

}  // namespace vx::gif
