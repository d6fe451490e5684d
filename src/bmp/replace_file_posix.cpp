#include <cerrno>
#include <cstdio>

#include <unistd.h>

#include "bmp/atomic_file.h"
#include "base/run_time_error.h"

namespace vx {

void ReplaceFileInOneStep(const std::filesystem::path& from, const std::filesystem::path& to,
                          const std::string& source) {
    if (std::rename(from.c_str(), to.c_str()) != 0) throw FileLayerError(errno, to, source);
}

void ReplaceFileKeepingBackup(const std::filesystem::path& from, const std::filesystem::path& to,
                              const std::filesystem::path& backup, const std::string& source) {
    // A second name for the old file keeps it while the new one takes `to`.
    if (::link(to.c_str(), backup.c_str()) != 0) throw FileLayerError(errno, to, source);
    if (std::rename(from.c_str(), to.c_str()) != 0) {
        const int error = errno;
        ::unlink(backup.c_str());
        throw FileLayerError(error, to, source);
    }
}

}  // namespace vx
