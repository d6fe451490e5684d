#include <cerrno>
#include <cstdio>

#include "bmp/atomic_file.h"
#include "imaging/run_time_error.h"

namespace vx {

void ReplaceFileInOneStep(const std::filesystem::path& from, const std::filesystem::path& to,
                          const std::string& source) {
  if (std::rename(from.c_str(), to.c_str()) != 0) throw FileLayerError(errno, to, source);
}

}  // namespace vx
