#include "base/run_time_error.h"

#include <cerrno>
#include <system_error>
#include <utility>

namespace vx {

RunTimeError::RunTimeError(int number, std::string source, std::string description)
    : std::runtime_error(description),
      number_(number),
      source_(std::move(source)),
      description_(std::move(description)) {}

std::string StandardErrorDescription(int number) {
    switch (number) {
        case kErrInvalidArgument:
            return "Invalid procedure call or argument";
        case kErrOverflow:
            return "Overflow";
        case kErrOutOfMemory:
            return "Out of memory";
        case kErrSubscriptOutOfRange:
            return "Subscript out of range";
        case kErrBadFileName:
            return "Bad file name or number";
        case kErrFileNotFound:
            return "File not found";
        case kErrDeviceIO:
            return "Device I/O error";
        case kErrDiskFull:
            return "Disk full";
        case kErrInputPastEndOfFile:
            return "Input past end of file";
        case kErrPermissionDenied:
            return "Permission denied";
        case kErrPathFileAccess:
            return "Path/File access error";
        case kErrPathNotFound:
            return "Path not found";
        case kErrInvalidPicture:
            return "Invalid picture";
        default:
            return "Application-defined or object-defined error";
    }
}

RunTimeError MakeRunTimeError(int number, std::string source) {
    return RunTimeError(number, std::move(source), StandardErrorDescription(number));
}

namespace {

bool FolderExists(const std::filesystem::path& path) {
    std::error_code ec;
    std::filesystem::path folder = path.parent_path();
    if (folder.empty()) return true;  // relative to the current folder
    return std::filesystem::is_directory(folder, ec);
}

int FileLayerNumber(int errnoValue, const std::filesystem::path& path) {
    switch (errnoValue) {
        case ENOENT:
        case ENOTDIR:
            return FolderExists(path) ? kErrFileNotFound : kErrPathNotFound;
        case EACCES:
        case EPERM:
        case EROFS:
        case EBUSY:
            return kErrPermissionDenied;
        case ENOSPC:
#ifdef EDQUOT
        case EDQUOT:
#endif
            return kErrDiskFull;
        case EISDIR:
        case EEXIST:
            return kErrPathFileAccess;
        case EINVAL:
        case ENAMETOOLONG:
        case EBADF:
            return kErrBadFileName;
        default:
            return kErrDeviceIO;
    }
}

}  // namespace

RunTimeError FileLayerError(int errnoValue, const std::filesystem::path& path, std::string source) {
    return MakeRunTimeError(FileLayerNumber(errnoValue, path), std::move(source));
}

}  // namespace vx
