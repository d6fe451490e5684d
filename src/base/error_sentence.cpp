#include "base/error_sentence.h"

#include "base/run_time_error.h"

namespace vx {

std::string ErrorSentence(int number) {
    switch (number) {
        case kErrInvalidArgument:
            return "the request is not valid";
        case kErrOverflow:
            return "a size or depth in the file is beyond what the format allows";
        case kErrOutOfMemory:
            return "there is not enough memory";
        case kErrSubscriptOutOfRange:
            return "the file is empty or its header is cut short";
        case kErrBadFileName:
            return "the file name is not valid";
        case kErrFileNotFound:
            return "the file does not exist";
        case kErrDeviceIO:
            return "the device failed while reading or writing";
        case kErrDiskFull:
            return "the disk is full";
        case kErrInputPastEndOfFile:
            return "the file ended before its data";
        case kErrPermissionDenied:
            return "permission denied: the file is read-only, locked by another program or not accessible";
        case kErrPathFileAccess:
            return "the path is a folder or cannot be used as a file";
        case kErrPathNotFound:
            return "the folder does not exist";
        case kErrInvalidPicture:
            return "invalid picture: not one the program can load, or its pixel data is missing";
        default:
            return StandardErrorDescription(number);
    }
}

std::string ErrorSentenceWithNumber(int number) {
    return ErrorSentence(number) + " (error " + std::to_string(number) + ")";
}

}  // namespace vx
