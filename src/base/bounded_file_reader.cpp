#include "base/bounded_file_reader.h"

#include <sys/stat.h>

#include <algorithm>
#include <cerrno>
#include <cstring>

#include "base/run_time_error.h"

namespace vx {

namespace {

// Big enough that a forward scan reads in large steps, small enough that a
// header costs almost nothing.
constexpr std::size_t kWindowBytes = 64 * 1024;
constexpr std::int64_t kWindowAlignment = 4096;

std::FILE* OpenForReading(const std::filesystem::path& path) {
#ifdef _WIN32
    return _wfopen(path.c_str(), L"rb");
#else
    return std::fopen(path.c_str(), "rb");
#endif
}

int SeekTo(std::FILE* file, std::int64_t position) {
#ifdef _WIN32
    return _fseeki64(file, position, SEEK_SET);
#else
    return fseeko(file, static_cast<off_t>(position), SEEK_SET);
#endif
}

// Length of an open file; -1 with errno set when it is not a regular file
// or cannot be examined.
std::int64_t RegularFileSize(std::FILE* file) {
#ifdef _WIN32
    struct _stat64 info;
    if (_fstat64(_fileno(file), &info) != 0) return -1;
    if ((info.st_mode & _S_IFMT) == _S_IFDIR) {
        errno = EISDIR;
        return -1;
    }
#else
    struct stat info;
    if (fstat(fileno(file), &info) != 0) return -1;
    if (S_ISDIR(info.st_mode)) {
        errno = EISDIR;
        return -1;
    }
#endif
    return static_cast<std::int64_t>(info.st_size);
}

}  // namespace

BoundedFileReader::BoundedFileReader(const std::filesystem::path& path, std::string source)
    : path_(path), source_(std::move(source)), window_(new std::uint8_t[kWindowBytes + 1]) {
    errno = 0;
    file_ = OpenForReading(path);
    if (file_ == nullptr) {
        int error = errno;
        // The Windows runtime refuses a folder as "permission denied"; say what it is.
        std::error_code ec;
        if (std::filesystem::is_directory(path, ec)) error = EISDIR;
        throw FileLayerError(error, path_, source_);
    }
    size_ = RegularFileSize(file_);
    if (size_ < 0) {
        const int error = errno;
        std::fclose(file_);
        file_ = nullptr;
        throw FileLayerError(error, path_, source_);
    }
    // Nothing is buffered yet: the first read loads the window.
    windowStart_ = 0;
    windowLength_ = 0;
}

BoundedFileReader::BoundedFileReader(std::span<const std::uint8_t> bytes, std::string source)
    : memory_(bytes),
      source_(std::move(source)),
      size_(static_cast<std::int64_t>(bytes.size())),
      window_(new std::uint8_t[kWindowBytes + 1]) {}

BoundedFileReader::~BoundedFileReader() {
    if (file_ != nullptr) std::fclose(file_);
}

void BoundedFileReader::RaiseOutOfRange() const { throw MakeRunTimeError(kErrSubscriptOutOfRange, source_); }

std::uint8_t BoundedFileReader::AtSlow(std::int64_t position) {
    if (position < 0 || position > size_) RaiseOutOfRange();
    LoadWindowAt(position);
    return window_[static_cast<std::size_t>(position - windowStart_)];
}

void BoundedFileReader::LoadWindowAt(std::int64_t position) {
    const std::int64_t start = position - position % kWindowAlignment;
    const std::size_t wanted = static_cast<std::size_t>(std::min<std::int64_t>(kWindowBytes, size_ - start));
    // Invalidate first, so that a failed read never leaves a half-filled window.
    windowLength_ = 0;
    windowStart_ = start;
    if (wanted > 0 && file_ == nullptr) {
        std::memcpy(window_.get(), memory_.data() + start, wanted);
    } else if (wanted > 0) {
        if (SeekTo(file_, start) != 0) throw FileLayerError(errno, path_, source_);
        const std::size_t got = std::fread(window_.get(), 1, wanted, file_);
        if (got != wanted) {
            // The file shrank since it was opened, or the device failed.
            if (std::ferror(file_)) throw MakeRunTimeError(kErrDeviceIO, source_);
            throw MakeRunTimeError(kErrInputPastEndOfFile, source_);
        }
    }
    std::size_t length = wanted;
    if (start + static_cast<std::int64_t>(wanted) == size_) window_[length++] = 0;
    windowLength_ = length;
}

std::int64_t BoundedFileReader::FindByte(std::int64_t from, std::int64_t limit, std::uint8_t value) {
    std::int64_t position = from;
    while (position < limit) {
        At(position);  // loads the window holding `position`, or raises error 9
        const std::int64_t windowEnd =
            std::min<std::int64_t>(limit, windowStart_ + static_cast<std::int64_t>(windowLength_));
        const std::uint8_t* begin = window_.get() + (position - windowStart_);
        const std::size_t count = static_cast<std::size_t>(windowEnd - position);
        const void* hit = std::memchr(begin, value, count);
        if (hit != nullptr) {
            return position + (static_cast<const std::uint8_t*>(hit) - begin);
        }
        position = windowEnd;
    }
    return limit;
}

}  // namespace vx
