// vexillor-cli crest: a picture squeezed into the crest files of a folder.
#include <windows.h>

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "app/cli_commands.h"
#include "app/crest_workflow.h"
#include "app/failure_messages.h"
#include "app/picture_failure.h"
#include "app/picture_turn.h"
#include "base/error_sentence.h"
#include "base/run_time_error.h"
#include "common/picture_loader.h"
#include "imaging/picture_header.h"

namespace vx::cli {
namespace {

// What is wrong with the two paths of `crest` before anything is read, or
// nothing.
std::optional<std::string> CrestPathsFailure(const std::wstring& picturePath, const std::wstring& folder) {
    std::error_code ec;
    if (std::filesystem::is_directory(std::filesystem::path(picturePath), ec))
        return vx::PictureFailureLine(vx::Utf8FromWide(picturePath), {vx::PictureFailure::Stage::Folder, 0, {}, {}});
    const std::filesystem::file_status status = std::filesystem::status(std::filesystem::path(folder), ec);
    if (std::filesystem::is_directory(status)) return std::nullopt;
    if (std::filesystem::exists(status)) return vx::Utf8FromWide(folder) + " is a file, not a folder";
    return "the folder does not exist: " + vx::Utf8FromWide(folder);
}

int Crest(const std::wstring& picturePath, const std::wstring& folder, bool ally, bool keepProportions, bool crisp,
          const vx::PictureTurn& turn) {
    const std::string shownPicture = vx::Utf8FromWide(picturePath);
    if (const auto failure = CrestPathsFailure(picturePath, folder)) {
        PrintLine(stderr, "vexillor-cli: " + *failure);
        return kExitFailure;
    }
    vx::clsImage reader;
    try {
        reader.ReadImageInfo(std::filesystem::path(picturePath));
    } catch (const vx::RunTimeError& error) {
        PrintLine(stderr,
                  "vexillor-cli: " +
                      vx::PictureFailureLine(shownPicture, {vx::PictureFailure::Stage::Read, error.Number(), {}, {}}));
        return kExitFailure;
    }
    vx::Bitmap32 picture;
    try {
        picture = vx::LoadPictureFile(picturePath, GetSysColor(COLOR_BTNFACE));
    } catch (const vx::PictureLoadError& error) {
        PrintLine(stderr, "vexillor-cli: " + vx::PictureFailureLine(shownPicture, vx::LoadFailureOf(error)));
        return kExitFailure;
    }

    const vx::PixelSize header =
        vx::CrestSourceSize({reader.Width(), reader.Height()}, {picture.width(), picture.height()});
    SIZE source{header.width, header.height};
    if (turn.Any()) {
        picture = vx::TurnPicture(picture, source, turn);
        if (!picture) {
            PrintLine(stderr, "vexillor-cli: not enough memory to turn " + shownPicture);
            return kExitFailure;
        }
        source = {picture.width(), picture.height()};
    }

    const vx::CrestMode mode = ally ? vx::CrestMode::AllyClan : vx::CrestMode::Clan;
    const vx::BgraImage crest = vx::ComposeCrest(
        mode, picture.View(), {static_cast<int>(source.cx), static_cast<int>(source.cy)}, keepProportions, crisp);
    const std::vector<vx::CrestFile> files = vx::PlanCrestFiles(mode, crest.View(), folder);
    std::wstring failedFile;
    if (const std::optional<vx::RunTimeError> failure = vx::WriteCrestFiles(files, &failedFile)) {
        if (failedFile.empty()) failedFile = files.front().path;
        PrintLine(stderr, "vexillor-cli: " + vx::SaveFailureLine(vx::Utf8FromWide(failedFile), failure->Number()));
        return kExitFailure;
    }
    for (const vx::CrestFile& file : files) PrintLine(stdout, vx::Utf8FromWide(file.path));
    return kExitOk;
}

// The options after `crest PICTURE FOLDER`, in any order, each at most
// once. On a mistake `problem` gets the one line to print.
bool ParseCrestOptions(const std::vector<std::wstring>& options, bool& ally, bool& keepProportions, bool& crisp,
                       vx::PictureTurn& turn, std::string& problem) {
    bool rotateSeen = false;
    for (std::size_t i = 0; i < options.size(); ++i) {
        const std::wstring& option = options[i];
        bool* flag = option == L"--ally"               ? &ally
                     : option == L"--keep-proportions" ? &keepProportions
                     : option == L"--mirror"           ? &turn.mirror
                     : option == L"--flip"             ? &turn.flip
                     : option == L"--crisp"            ? &crisp
                                                       : nullptr;
        if (flag && !*flag) {
            *flag = true;
        } else if (option == L"--rotate" && !rotateSeen) {
            rotateSeen = true;
            const bool given = i + 1 < options.size();
            turn.rotateDegrees = given ? vx::ParseRotation(options[++i]) : 0;
            if (turn.rotateDegrees == 0) {
                problem = "--rotate takes 90, 180 or 270" + (given ? ", not " + vx::Utf8FromWide(options[i]) : "");
                return false;
            }
        } else {
            const bool known = flag || option == L"--rotate";
            problem = ArgumentProblem(option, known);
            return false;
        }
    }
    return true;
}

}  // namespace

int CrestCommand(const std::vector<std::wstring>& args) {
    bool ally = false;
    bool keepProportions = false;
    bool crisp = false;
    vx::PictureTurn turn;
    std::string problem;
    if (!ParseCrestOptions({args.begin() + 2, args.end()}, ally, keepProportions, crisp, turn, problem))
        return WrongArguments(problem);
    return Crest(args[0], args[1], ally, keepProportions, crisp, turn);
}

}  // namespace vx::cli
