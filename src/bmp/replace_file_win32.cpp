#include <windows.h>

#include "bmp/atomic_file.h"
#include "base/run_time_error.h"

namespace vx {

namespace {

int FileLayerNumber(DWORD error) {
    switch (error) {
        case ERROR_FILE_NOT_FOUND:
            return kErrFileNotFound;
        case ERROR_PATH_NOT_FOUND:
        case ERROR_INVALID_DRIVE:
        case ERROR_BAD_NETPATH:
            return kErrPathNotFound;
        case ERROR_ACCESS_DENIED:
        case ERROR_SHARING_VIOLATION:
        case ERROR_LOCK_VIOLATION:
        case ERROR_WRITE_PROTECT:
        case ERROR_UNABLE_TO_REMOVE_REPLACED:
        case ERROR_UNABLE_TO_MOVE_REPLACEMENT:
        case ERROR_UNABLE_TO_MOVE_REPLACEMENT_2:
            return kErrPermissionDenied;
        case ERROR_DISK_FULL:
        case ERROR_HANDLE_DISK_FULL:
            return kErrDiskFull;
        case ERROR_INVALID_NAME:
        case ERROR_FILENAME_EXCED_RANGE:
            return kErrBadFileName;
        default:
            return kErrPathFileAccess;
    }
}

}  // namespace

void ReplaceFileInOneStep(const std::filesystem::path& from, const std::filesystem::path& to,
                          const std::string& source) {
    if (MoveFileExW(from.c_str(), to.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) return;
    throw MakeRunTimeError(FileLayerNumber(GetLastError()), source);
}

void ReplaceFileKeepingBackup(const std::filesystem::path& from, const std::filesystem::path& to,
                              const std::filesystem::path& backup, const std::string& source) {
    if (ReplaceFileW(to.c_str(), from.c_str(), backup.c_str(), REPLACEFILE_WRITE_THROUGH, nullptr, nullptr)) return;
    const DWORD error = GetLastError();
    // The old file already went to its backup name but the new one could not
    // take its place: the old one goes back, so `to` is as it was.
    if (error == ERROR_UNABLE_TO_MOVE_REPLACEMENT_2)
        MoveFileExW(backup.c_str(), to.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH);
    throw MakeRunTimeError(FileLayerNumber(error), source);
}

}  // namespace vx
