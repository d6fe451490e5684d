#include "bmp/atomic_file.h"

#include <fcntl.h>
#include <sys/stat.h>

#include <atomic>
#include <cerrno>
#include <chrono>
#include <string>
#include <vector>

#include "base/run_time_error.h"

#ifdef _WIN32
#include <io.h>
#include <process.h>
#else
#include <unistd.h>
#endif

namespace vx {

namespace {

// A file descriptor that is closed on every path out.
class OpenFile {
public:
    explicit OpenFile(int descriptor) : descriptor_(descriptor) {}
    ~OpenFile() { Close(); }
    OpenFile(const OpenFile&) = delete;
    OpenFile& operator=(const OpenFile&) = delete;

    int Descriptor() const { return descriptor_; }

    // Returns errno of a failed close, 0 otherwise.
    int Close() {
        if (descriptor_ < 0) return 0;
#ifdef _WIN32
        const int result = _close(descriptor_);
#else
        const int result = ::close(descriptor_);
#endif
        descriptor_ = -1;
        return result == 0 ? 0 : errno;
    }

private:
    int descriptor_;
};

int CreateNewFile(const std::filesystem::path& path) {
#ifdef _WIN32
    return _wopen(path.c_str(), _O_WRONLY | _O_CREAT | _O_EXCL | _O_BINARY, _S_IREAD | _S_IWRITE);
#else
    return ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
#endif
}

// Writes everything; returns errno on failure, 0 on success. A write that
// stops short means the medium took no more: that is a full disk, whatever
// the runtime says (the Windows runtime reports a short write as EINVAL).
int WriteAll(int descriptor, std::span<const std::uint8_t> bytes) {
    std::size_t done = 0;
    bool shortWrite = false;
    while (done < bytes.size()) {
        const std::size_t chunk = std::min<std::size_t>(bytes.size() - done, 1u << 30);
#ifdef _WIN32
        const int written = _write(descriptor, bytes.data() + done, static_cast<unsigned>(chunk));
#else
        const ssize_t written = ::write(descriptor, bytes.data() + done, chunk);
#endif
        if (written < 0) {
            if (errno == EINTR) continue;
#ifdef _WIN32
            if (errno == EINVAL) return ENOSPC;
#endif
            return shortWrite ? ENOSPC : errno;
        }
        if (written == 0) return ENOSPC;
        if (static_cast<std::size_t>(written) < chunk) shortWrite = true;
        done += static_cast<std::size_t>(written);
    }
    return 0;
}

int FlushToDisk(int descriptor) {
#ifdef _WIN32
    return _commit(descriptor) == 0 ? 0 : errno;
#else
    return ::fsync(descriptor) == 0 ? 0 : errno;
#endif
}

int ProcessId() {
#ifdef _WIN32
    return _getpid();
#else
    return static_cast<int>(::getpid());
#endif
}

std::filesystem::path TemporaryNameFor(const std::filesystem::path& target, unsigned attempt,
                                       const char* extension = ".tmp") {
    static std::atomic<unsigned> counter{0};
    const auto ticks = static_cast<unsigned long long>(std::chrono::steady_clock::now().time_since_epoch().count());
    std::string name = "~";
    name += target.filename().string();
    for (const unsigned long long part : {static_cast<unsigned long long>(ProcessId()),
                                          static_cast<unsigned long long>(counter++), (ticks + attempt) % 100000}) {
        name += '.';
        name += std::to_string(part);
    }
    name += extension;
    std::filesystem::path temporary = target;
    temporary.replace_filename(name);
    return temporary;
}

void RemoveQuietly(const std::filesystem::path& path) {
    std::error_code ignored;
    std::filesystem::remove(path, ignored);
}

// Writes a complete, flushed new file beside `target` and returns its path;
// on failure nothing is left behind.
std::filesystem::path WriteTemporaryBeside(const std::filesystem::path& target, std::span<const std::uint8_t> bytes,
                                           const std::string& source) {
    std::filesystem::path temporary;
    int descriptor = -1;
    for (unsigned attempt = 0; attempt < 100 && descriptor < 0; ++attempt) {
        temporary = TemporaryNameFor(target, attempt);
        errno = 0;
        descriptor = CreateNewFile(temporary);
        if (descriptor < 0 && errno != EEXIST) throw FileLayerError(errno, temporary, source);
    }
    if (descriptor < 0) throw MakeRunTimeError(kErrPathFileAccess, source);

    OpenFile file(descriptor);
    int error = WriteAll(file.Descriptor(), bytes);
    if (error == 0) error = FlushToDisk(file.Descriptor());
    const int closeError = file.Close();
    if (error == 0) error = closeError;
    if (error != 0) {
        RemoveQuietly(temporary);
        throw FileLayerError(error, target, source);
    }
    return temporary;
}

// A name beside `target` that no file has yet.
std::filesystem::path BackupNameFor(const std::filesystem::path& target) {
    for (unsigned attempt = 0;; ++attempt) {
        std::filesystem::path backup = TemporaryNameFor(target, attempt, ".bak");
        std::error_code ec;
        if (!std::filesystem::exists(backup, ec) || attempt >= 100) return backup;
    }
}

// Windows refuses to replace a read-only file and POSIX does not; refusing
// it here makes both the same, before anything is written.
bool IsReadOnlyFile(const std::filesystem::path& path) {
    std::error_code ec;
    const std::filesystem::file_status status = std::filesystem::status(path, ec);
    if (ec || !std::filesystem::is_regular_file(status)) return false;
    return (status.permissions() & std::filesystem::perms::owner_write) == std::filesystem::perms::none;
}

// One target moved into place: where its old content waits, if it had one.
struct Moved {
    std::filesystem::path target;
    std::filesystem::path backup;  // empty: the target is new
};

// Puts every moved target back as it was, latest first. Best effort: the
// error being raised is the one the caller reports.
void PutBack(const std::vector<Moved>& moved, const std::string& source) {
    for (auto it = moved.rbegin(); it != moved.rend(); ++it) {
        if (it->backup.empty()) {
            RemoveQuietly(it->target);
            continue;
        }
        try {
            ReplaceFileInOneStep(it->backup, it->target, source);
        } catch (const RunTimeError&) {
            // The old content stays under the backup name rather than being lost.
        }
    }
}

}  // namespace

void WriteFilesAtomically(std::span<const FileContent> files, const std::string& source) {
    // A target that is a folder can never be replaced, nor can a read-only
    // one; finding that out only when moving would mean undoing earlier moves.
    for (const FileContent& file : files) {
        std::error_code ec;
        if (std::filesystem::is_directory(file.target, ec))
            throw FileWriteError(MakeRunTimeError(kErrPathFileAccess, source), file.target);
        if (IsReadOnlyFile(file.target))
            throw FileWriteError(MakeRunTimeError(kErrPermissionDenied, source), file.target);
    }
    std::vector<std::filesystem::path> temporaries;
    std::vector<Moved> moved;
    const std::filesystem::path* current = nullptr;  // the target being written or moved
    const auto undo = [&] {
        PutBack(moved, source);
        for (const auto& temporary : temporaries)
            if (!temporary.empty()) RemoveQuietly(temporary);
    };
    try {
        for (const FileContent& file : files) {
            current = &file.target;
            temporaries.push_back(WriteTemporaryBeside(file.target, file.bytes, source));
        }
        for (std::size_t i = 0; i < files.size(); ++i) {
            const std::filesystem::path& target = files[i].target;
            current = &target;
            std::error_code ec;
            if (std::filesystem::exists(target, ec)) {
                const std::filesystem::path backup = BackupNameFor(target);
                ReplaceFileKeepingBackup(temporaries[i], target, backup, source);
                moved.push_back({target, backup});
            } else {
                ReplaceFileInOneStep(temporaries[i], target, source);
                moved.push_back({target, {}});
            }
            temporaries[i].clear();
        }
    } catch (const RunTimeError& error) {
        undo();
        if (current == nullptr) throw;
        throw FileWriteError(error, *current);
    } catch (...) {
        undo();
        throw;
    }
    for (const Moved& done : moved)
        if (!done.backup.empty()) RemoveQuietly(done.backup);
}

void WriteFileAtomically(const std::filesystem::path& target, std::span<const std::uint8_t> bytes,
                         const std::string& source) {
    const FileContent file{target, bytes};
    WriteFilesAtomically(std::span<const FileContent>(&file, 1), source);
}

}  // namespace vx
