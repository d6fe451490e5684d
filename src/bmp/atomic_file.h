// Replacing a file's whole content so that readers only ever see the old
// file or the new one.
#pragma once

#include <cstdint>
#include <filesystem>
#include <span>
#include <string>

#include "base/run_time_error.h"

namespace vx {

// A file layer error about one target of a save, so the user can be told
// which file could not be written.
class FileWriteError : public RunTimeError {
public:
    FileWriteError(const RunTimeError& error, std::filesystem::path target)
        : RunTimeError(error), target_(std::move(target)) {}
    const std::filesystem::path& Target() const noexcept { return target_; }

private:
    std::filesystem::path target_;
};

// Writes `bytes` into a new temporary file in the folder of `target`,
// flushes it to the disk and then moves it over `target` in one step. An
// existing file is never left damaged, truncated or with a stale tail: when
// anything fails, the old file stays as it was, no temporary file is left
// behind and a RunTimeError with the file layer's number (76 path not
// found, 70 permission denied, 61 disk full, 75 when the target is a
// folder, ...) is raised, with `source` as its source.
void WriteFileAtomically(const std::filesystem::path& target, std::span<const std::uint8_t> bytes,
                         const std::string& source);

struct FileContent {
    std::filesystem::path target;
    std::span<const std::uint8_t> bytes;
};

// Several files as one save, all or nothing: a target that is a folder or
// a read-only file is refused before anything is written (75, 70); every
// file is then written completely to its temporary file, and only then are
// they moved over their targets, in order, each replaced file kept as a
// backup. When a move fails (a target locked by another program), the
// files already moved are put back from their backups, or removed when
// they are new, and the error is raised. Backups and temporary files are
// removed either way. What is raised is a FileWriteError naming the target
// that failed.
void WriteFilesAtomically(std::span<const FileContent> files, const std::string& source);

// The platform's one-step move of a finished file over `to` (which may or
// may not exist). Raises RunTimeError on failure; `from` is then left for
// the caller to remove.
void ReplaceFileInOneStep(const std::filesystem::path& from, const std::filesystem::path& to,
                          const std::string& source);

// Moves `from` over the existing file `to`, keeping the old `to` under the
// name `backup`. On failure (RunTimeError) `to` still holds its old content
// under its own name and `from` is left for the caller to remove.
void ReplaceFileKeepingBackup(const std::filesystem::path& from, const std::filesystem::path& to,
                              const std::filesystem::path& backup, const std::string& source);

}  // namespace vx
