// Reads single bytes of a file on demand, through a small window, so that
// the header of a file of any size costs the same few reads.
//
// The readable positions are 0 to Size() inclusive: position Size() holds
// a 0 byte that is not in the file, so a field that ends exactly at the end
// of the file can still be read one byte past it. Any other position raises
// the out-of-range error (9).
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <memory>
#include <span>
#include <string>

namespace vx {

class BoundedFileReader {
public:
    // Opens the file for reading; a file that cannot be opened raises the file
    // layer's error (53 file not found, 76 path not found, 70 permission
    // denied, 75 for a folder, ...). `source` names the raising routine.
    BoundedFileReader(const std::filesystem::path& path, std::string source);
    // Reads from bytes already in memory (which must outlive the reader), with
    // the same bounds as a file of that length.
    BoundedFileReader(std::span<const std::uint8_t> bytes, std::string source);
    ~BoundedFileReader();

    BoundedFileReader(const BoundedFileReader&) = delete;
    BoundedFileReader& operator=(const BoundedFileReader&) = delete;

    std::int64_t Size() const noexcept { return size_; }

    std::uint8_t At(std::int64_t position) {
        const std::uint64_t offset = static_cast<std::uint64_t>(position - windowStart_);
        if (offset < windowLength_) return window_[offset];
        return AtSlow(position);
    }

    // First position p with from <= p < limit whose byte is `value`, or
    // `limit` when there is none. Every position searched must be readable.
    std::int64_t FindByte(std::int64_t from, std::int64_t limit, std::uint8_t value);

private:
    std::uint8_t AtSlow(std::int64_t position);
    void LoadWindowAt(std::int64_t position);
    [[noreturn]] void RaiseOutOfRange() const;

    std::FILE* file_ = nullptr;
    std::span<const std::uint8_t> memory_;  // used when there is no file
    std::filesystem::path path_;
    std::string source_;
    std::int64_t size_ = 0;
    std::int64_t windowStart_ = 0;
    std::size_t windowLength_ = 0;
    std::unique_ptr<std::uint8_t[]> window_;
};

}  // namespace vx
