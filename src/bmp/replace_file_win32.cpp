#include <windows.h>

#include "bmp/atomic_file.h"
#include "imaging/run_time_error.h"

namespace vx {

namespace {

int FileLayerNumber(DWORD error) {
  switch (error) {
    case ERROR_FILE_NOT_FOUND: return kErrFileNotFound;
    case ERROR_PATH_NOT_FOUND:
    case ERROR_INVALID_DRIVE:
    case ERROR_BAD_NETPATH: return kErrPathNotFound;
    case ERROR_ACCESS_DENIED:
    case ERROR_SHARING_VIOLATION:
    case ERROR_LOCK_VIOLATION:
    case ERROR_WRITE_PROTECT: return kErrPermissionDenied;
    case ERROR_DISK_FULL:
    case ERROR_HANDLE_DISK_FULL: return kErrDiskFull;
    case ERROR_INVALID_NAME:
    case ERROR_FILENAME_EXCED_RANGE: return kErrBadFileName;
    default: return kErrPathFileAccess;
  }
}

}  // namespace

void ReplaceFileInOneStep(const std::filesystem::path& from, const std::filesystem::path& to,
                          const std::string& source) {
  if (MoveFileExW(from.c_str(), to.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) return;
  throw MakeRunTimeError(FileLayerNumber(GetLastError()), source);
}

}  // namespace vx
