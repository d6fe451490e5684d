// vexillor-cli info: a picture file's type, size and depth from its header.
#include <filesystem>
#include <string>

#include "app/cli_commands.h"
#include "base/error_sentence.h"
#include "base/run_time_error.h"
#include "imaging/picture_header.h"

namespace vx::cli {

int Info(const std::wstring& file) {
    vx::clsImage reader;
    try {
        reader.ReadImageInfo(std::filesystem::path(file));
    } catch (const vx::RunTimeError& error) {
        PrintLine(stderr, "error " + std::to_string(error.Number()) + ": " + vx::ErrorSentence(error.Number()));
        return kExitFailure;
    }
    PrintLine(stdout, "type=" + std::to_string(reader.ImageType()) + " width=" + std::to_string(reader.Width()) +
                          " height=" + std::to_string(reader.Height()) +
                          " depth=" + std::to_string(static_cast<int>(reader.Depth())) +
                          " size=" + std::to_string(reader.FileSize()));
    return kExitOk;
}

}  // namespace vx::cli
