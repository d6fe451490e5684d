// Numbered run-time errors: every failure that a caller may want to tell
// apart carries a number, the routine that raised it and a description.
#pragma once

#include <filesystem>
#include <stdexcept>
#include <string>

namespace vx {

// Numbers relied on across the program; the descriptions are the ones that
// StandardErrorDescription gives.
inline constexpr int kErrInvalidArgument = 5;
inline constexpr int kErrOverflow = 6;
inline constexpr int kErrOutOfMemory = 7;
inline constexpr int kErrSubscriptOutOfRange = 9;
inline constexpr int kErrBadFileName = 52;
inline constexpr int kErrFileNotFound = 53;
inline constexpr int kErrDeviceIO = 57;
inline constexpr int kErrDiskFull = 61;
inline constexpr int kErrInputPastEndOfFile = 62;
inline constexpr int kErrPermissionDenied = 70;
inline constexpr int kErrPathFileAccess = 75;
inline constexpr int kErrPathNotFound = 76;
inline constexpr int kErrInvalidPicture = 481;

class RunTimeError : public std::runtime_error {
public:
    RunTimeError(int number, std::string source, std::string description);

    int Number() const noexcept { return number_; }
    const std::string& Source() const noexcept { return source_; }
    const std::string& Description() const noexcept { return description_; }

private:
    int number_;
    std::string source_;
    std::string description_;
};

// "Overflow", "Subscript out of range", "File not found", ...; a generic
// text for numbers without one of their own.
std::string StandardErrorDescription(int number);

// An error with its standard description.
RunTimeError MakeRunTimeError(int number, std::string source);

// Turns the C library's errno after a failed open, read or write of `path`
// into the file layer's numbered error.
RunTimeError FileLayerError(int errnoValue, const std::filesystem::path& path, std::string source);

}  // namespace vx
