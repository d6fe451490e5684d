#include "gif/gif_lzw.h"

#include <algorithm>
#include <cstring>

namespace vx::gif {
namespace {

constexpr int kMaxCodeWidth = 12;
constexpr uint32_t kTableSize = 1u << kMaxCodeWidth;
constexpr std::size_t kCopyChunk = 16;
// The length given to the Clear and End codes' table entries: longer than
// any image (at most 2^31 pixels), and small enough that adding it to an
// output address cannot wrap.
constexpr uint32_t kControlLength = UINT32_MAX;

// The strings of the root codes, padded so that a whole copy chunk can be
// read from any of them.
struct RootStrings {
    uint8_t bytes[256 + kCopyChunk];
    constexpr RootStrings() : bytes() {
        for (int i = 0; i < 256; ++i) bytes[i] = static_cast<uint8_t>(i);
    }
};
constexpr RootStrings kRoots;

// Copies a string from earlier output (or a root string) to dst with the
// semantics of a byte-by-byte forward copy, so that a string that overlaps
// its own source repeats it. Writes up to kCopyChunk - 1 bytes past the
// end: only for use where the destination has that much room left.
inline void CopyStringFast(const uint8_t* src, uint8_t* dst, std::size_t length) {
    if (reinterpret_cast<uintptr_t>(dst) - reinterpret_cast<uintptr_t>(src) >= kCopyChunk) {
        std::memcpy(dst, src, kCopyChunk);
        for (std::size_t done = kCopyChunk; done < length; done += kCopyChunk) {
            std::memcpy(dst + done, src + done, kCopyChunk);
        }
    } else {
        for (std::size_t i = 0; i < length; ++i) dst[i] = src[i];
    }
}

// Up to 63 bits of the code stream, least significant first, and the two
// ways both readers fill it.
struct BitReservoir {
    uint64_t bits = 0;
    int count = 0;

    // Tops up from 8 readable bytes; returns how many of them it kept.
    std::size_t TopUpFromWord(const uint8_t* at) {
        uint64_t word;
        std::memcpy(&word, at, 8);  // little-endian hosts (x86-64)
        bits |= word << count;
        const auto kept = static_cast<std::size_t>((63 - count) >> 3);
        count |= 56;
        return kept;
    }
    void Push(uint8_t byte) {
        bits |= uint64_t{byte} << count;
        count += 8;
    }
    uint32_t Take(int width, uint32_t mask) {
        const uint32_t code = static_cast<uint32_t>(bits) & mask;
        bits >>= width;
        count -= width;
        return code;
    }
};

// Codes from one contiguous run of bytes.
class ContiguousBits {
public:
    explicit ContiguousBits(std::span<const uint8_t> bytes) : data_(bytes.data()), size_(bytes.size()) {}

    // Takes the next `width`-bit code; false when fewer bits remain.
    bool Next(int width, uint32_t mask, uint32_t& code) {
        if (held_.count < width) {
            if (pos_ + 8 <= size_) {
                pos_ += held_.TopUpFromWord(data_ + pos_);
            } else {
                while (held_.count <= 56 && pos_ < size_) held_.Push(data_[pos_++]);
                if (held_.count < width) return false;
            }
        }
        code = held_.Take(width, mask);
        return true;
    }

private:
    const uint8_t* data_;
    std::size_t size_;
    std::size_t pos_ = 0;
    BitReservoir held_;
};

// Codes from a chain of data sub-blocks read in place: a length byte, that
// many bytes, and so on until a zero length or the end of the bytes.
class SubBlockBits {
public:
    explicit SubBlockBits(std::span<const uint8_t> chain)
        : next_(chain.data()), blockEnd_(chain.data()), end_(chain.data() + chain.size()) {}

    bool Next(int width, uint32_t mask, uint32_t& code) {
        if (held_.count < width) {
            if (blockEnd_ - next_ >= 8) {
                next_ += held_.TopUpFromWord(next_);
            } else {
                while (held_.count <= 56 && !finished_) {
                    if (next_ == blockEnd_) {
                        const std::size_t length = next_ == end_ ? 0 : *next_++;
                        if (length == 0) {
                            finished_ = true;
                            break;
                        }
                        blockEnd_ = next_ + std::min(length, static_cast<std::size_t>(end_ - next_));
                        continue;
                    }
                    held_.Push(*next_++);
                }
                if (held_.count < width) return false;
            }
        }
        code = held_.Take(width, mask);
        return true;
    }

private:
    const uint8_t* next_;      // next byte to read
    const uint8_t* blockEnd_;  // end of the current sub-block's bytes
    const uint8_t* end_;       // end of the chain
    bool finished_ = false;
    BitReservoir held_;
};

}  // namespace

uint64_t MaxPixelsFromData(uint64_t dataBytes) {
    if (dataBytes > (uint64_t{1} << 40)) return UINT64_MAX;
    const uint64_t codes = dataBytes * 4;  // codes are at least 2 bits wide
    if (codes >= 2 * kTableSize) return codes * kTableSize;
    return codes * (codes + 1) / 2;
}

uint8_t* LzwDecoder::Scratch(std::size_t pixelCount) {
    pixelCount_ = std::min(pixelCount, kMaxPixels);
    if (scratchCapacity_ < pixelCount_ || !scratch_) {
        // Not zero-filled: the decoder writes every pixel, decoded or 0.
        scratchCapacity_ = std::max<std::size_t>(pixelCount_, 1);
        scratch_.reset(new uint8_t[scratchCapacity_]);
    }
    return scratch_.get();
}

LzwResult LzwDecoder::Decode(std::span<const uint8_t> codes, int minimumCodeSize, std::size_t pixelCount) {
    uint8_t* dest = Scratch(pixelCount);
    return Run(ContiguousBits(codes), minimumCodeSize, dest, pixelCount_);
}

LzwResult LzwDecoder::DecodeSubBlocks(std::span<const uint8_t> chain, int minimumCodeSize, std::size_t pixelCount) {
    uint8_t* dest = Scratch(pixelCount);
    return Run(SubBlockBits(chain), minimumCodeSize, dest, pixelCount_);
}

LzwResult LzwDecoder::DecodeSubBlocksInto(std::span<const uint8_t> chain, int minimumCodeSize, uint8_t* dest,
                                          std::size_t pixelCount) {
    return Run(SubBlockBits(chain), minimumCodeSize, dest, pixelCount);
}

template <typename BitSource>
LzwResult LzwDecoder::Run(BitSource bits, int minimumCodeSize, uint8_t* dest, std::size_t pixelCount) {
    LzwResult result;
    if (minimumCodeSize < 1 || minimumCodeSize > 8) {
        if (pixelCount > 0) std::memset(dest, 0, pixelCount);
        result.status = LzwStatus::BadMinimumCodeSize;
        return result;
    }
    if (pixelCount == 0) return result;

    const uint32_t clear = 1u << minimumCodeSize;
    const uint32_t end = clear + 1;
    const int firstWidth = minimumCodeSize + 1;
    // Codes only ever define entries above End, so the roots set up for an
    // earlier image stay valid. Clear and End get a length that no image has
    // room for, which sends them down the same rare path as the image's last
    // pixels instead of testing every code for them.
    const uint8_t** const strings = strings_;
    uint32_t* const lengths = lengths_;
    for (uint32_t c = rootsReady_; c < clear; ++c) {
        strings[c] = &kRoots.bytes[c];
        lengths[c] = 1;
    }
    rootsReady_ = clear;
    strings[clear] = strings[end] = nullptr;
    lengths[clear] = lengths[end] = kControlLength;

    int width = firstWidth;
    uint32_t mask = (1u << width) - 1;
    uint32_t nextFree = end + 1;
    // The code after this one is one bit wider once the code number this one
    // stands for no longer fits. Counting codes rather than table entries
    // gives the same widths for every minimum code size from 2 up, and for
    // size 1 the widths that common decoders and encoders use. Past the first
    // code after a Clear, the code number is nextFree + 1. At 12 bits the
    // same test catches the table becoming full.
    uint32_t widenAt = 1u << width;

    uint8_t* out = dest;
    uint8_t* const outEnd = dest + pixelCount;
    // A string ending at or before this address leaves room for the copy
    // chunk that its fast copy may write beyond it.
    const uintptr_t fastLimit =
        pixelCount > kCopyChunk ? reinterpret_cast<uintptr_t>(outEnd) - kCopyChunk : reinterpret_cast<uintptr_t>(dest);
    // The previous string is always the one that ends at `out`.
    const uint8_t* previous = dest;
    uint32_t code = 0;
    result.status = LzwStatus::Complete;
    for (;;) {
        // At the start and after a Clear: no previous string, so only a root
        // (or another Clear) is acceptable.
        if (!bits.Next(width, mask, code)) {
            result.status = LzwStatus::DataEnded;
            break;
        }
        if (code >= clear) {
            if (code == clear) continue;
            result.status = code == end ? LzwStatus::EndedEarly : LzwStatus::BadCode;
            break;
        }
        *out = static_cast<uint8_t>(code);
        previous = out;
        ++out;
        if (end + 2 > widenAt) {
            ++width;
            mask = (1u << width) - 1;
            widenAt = 1u << width;
        }
        if (out == outEnd) break;

        for (;;) {
            if (!bits.Next(width, mask, code)) {
                result.status = LzwStatus::DataEnded;
                goto finished;
            }
            // The entry this code defines is the previous string plus the first
            // pixel of this one; entering it first lets a code that names it (the
            // string being defined) decode like any other, by an overlapping copy.
            // A full table takes no more entries: the write lands on the spare
            // slot past its end. (After Clear or End the entry is never used.)
            strings[nextFree] = previous;
            lengths[nextFree] = static_cast<uint32_t>(out - previous) + 1;
            ++nextFree;
            if (code >= nextFree) [[unlikely]] {
                result.status = LzwStatus::BadCode;
                goto finished;
            }
            if (nextFree >= widenAt) [[unlikely]] {
                if (width < kMaxCodeWidth) {
                    ++width;
                    mask = (1u << width) - 1;
                    widenAt = 1u << width;
                } else {
                    nextFree = kTableSize;
                }
            }
            const uint8_t* const string = strings[code];
            const uint32_t length = lengths[code];
            if (reinterpret_cast<uintptr_t>(out) + length <= fastLimit) [[likely]] {
                CopyStringFast(string, out, length);
                previous = out;
                out += length;
                continue;
            }
            if (length == kControlLength) {
                if (code == end) {
                    result.status = LzwStatus::EndedEarly;
                    goto finished;
                }
                width = firstWidth;
                mask = (1u << width) - 1;
                nextFree = end + 1;
                widenAt = 1u << width;
                break;
            }
            // The image's last pixels: exact byte copies, cut at its end.
            const std::size_t count = std::min<std::size_t>(length, static_cast<std::size_t>(outEnd - out));
            for (std::size_t i = 0; i < count; ++i) out[i] = string[i];
            previous = out;
            out += count;
            if (out == outEnd) goto finished;
        }
    }
finished:

    result.produced = static_cast<std::size_t>(out - dest);
    if (result.produced >= pixelCount) result.status = LzwStatus::Complete;
    // Whatever was not decoded reads as index 0, including bytes that string
    // copies wrote ahead of a stream that then stopped.
    if (result.produced < pixelCount) std::memset(out, 0, pixelCount - result.produced);
    return result;
}

void LzwEncoder::ClearHash() { std::fill(std::begin(hash_), std::end(hash_), -1); }

void LzwEncoder::WritePacket() {
    out_->push_back(static_cast<uint8_t>(packetBytes_));
    out_->insert(out_->end(), packet_, packet_ + packetBytes_);
    packetBytes_ = 0;
}

void LzwEncoder::Emit(int code) {
    accumulator_ |= static_cast<uint32_t>(code) << bitsHeld_;
    bitsHeld_ += width_;
    while (bitsHeld_ >= 8) {
        packet_[packetBytes_++] = static_cast<uint8_t>(accumulator_ & 0xFF);
        accumulator_ >>= 8;
        bitsHeld_ -= 8;
        if (packetBytes_ == 254) WritePacket();
    }
}

void LzwEncoder::Flush() {
    if (bitsHeld_ > 0) {
        packet_[packetBytes_++] = static_cast<uint8_t>(accumulator_ & 0xFF);
        accumulator_ = 0;
        bitsHeld_ = 0;
    }
    if (packetBytes_ > 0) WritePacket();
}

void LzwEncoder::Encode(const uint8_t* topRow, std::ptrdiff_t rowStep, int32_t width, int32_t height,
                        std::vector<uint8_t>& out) {
    constexpr int kClear = 256;
    constexpr int kEnd = 257;
    out_ = &out;
    packetBytes_ = 0;
    accumulator_ = 0;
    bitsHeld_ = 0;
    width_ = 9;
    int maxCode = (1 << width_) - 1;
    int freeCode = 258;

    ClearHash();
    Emit(kClear);
    if (width <= 0 || height <= 0) {
        Emit(kEnd);
        Flush();
        return;
    }

    int prefix = topRow[0];
    for (int32_t y = 0; y < height; ++y) {
        const uint8_t* row = topRow + y * rowStep;
        for (int32_t x = (y == 0 ? 1 : 0); x < width; ++x) {
            const int pixel = row[x];
            const int32_t fcode = (pixel << 12) + prefix;
            int slot = (pixel << 4) ^ prefix;
            if (slot > kHashSize - 1) slot = 0;

            if (hash_[slot] == fcode) {
                prefix = codes_[slot];
                continue;
            }
            bool found = false;
            if (hash_[slot] >= 0) {
                const int displacement = slot == 0 ? 1 : kHashSize - slot;
                do {
                    slot -= displacement;
                    if (slot < 0) slot += kHashSize;
                    if (hash_[slot] == fcode) {
                        prefix = codes_[slot];
                        found = true;
                        break;
                    }
                } while (hash_[slot] > 0);
            }
            if (found) continue;

            Emit(prefix);
            prefix = pixel;
            codes_[slot] = freeCode;
            hash_[slot] = fcode;
            if (freeCode > maxCode) {
                if (freeCode == 4096) {
                    Emit(kClear);
                    ClearHash();
                    freeCode = 257;
                    width_ = 9;
                } else {
                    ++width_;
                }
                maxCode = (1 << width_) - 1;
            }
            ++freeCode;
        }
    }
    Emit(prefix);
    Emit(kEnd);
    Flush();
    out_ = nullptr;
}

}  // namespace vx::gif
