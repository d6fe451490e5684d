// vexillor-cli crest: a picture squeezed into the crest files of a folder.
#include <windows.h>

#include <filesystem>
#include <new>
#include <optional>
#include <string>
#include <vector>

#include "app/cli_commands.h"
#include "app/crest_document.h"
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

// What the options of `crest` ask for.
struct CrestRequest {
    vx::CrestOptions options;
    std::optional<vx::PixelRect> crop;
    bool trim = false;
};

std::string SizeText(const vx::BgraImage& turned) {
    return std::to_string(turned.Width()) + " x " + std::to_string(turned.Height());
}

std::string RectText(const vx::PixelRect& rect) {
    return std::to_string(rect.x) + "," + std::to_string(rect.y) + "," + std::to_string(rect.width) + "," +
           std::to_string(rect.height);
}

// The frame the request asks of the turned picture; on a mistake
// `problem` gets the one line to print.
std::optional<vx::PixelRect> FrameOf(const CrestRequest& request, const vx::BgraImage& turned, std::string& problem) {
    if (request.crop && request.trim) {
        problem = "vexillor-cli: --crop and --trim cannot be used together (the picture is " + SizeText(turned) +
                  " after its turns)";
        return std::nullopt;
    }
    if (request.trim) return vx::TrimRect(turned.View());
    if (request.crop && !vx::RectInside(*request.crop, turned.Width(), turned.Height())) {
        problem = "vexillor-cli: --crop " + RectText(*request.crop) +
                  " is not a rectangle inside the picture, which is " + SizeText(turned) + " after its turns";
        return std::nullopt;
    }
    return request.crop;
}

int Crest(const std::wstring& picturePath, const std::wstring& folder, const CrestRequest& request) {
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
    vx::CrestDocument document;
    try {
        const vx::Bitmap32 picture = vx::LoadPictureFile(picturePath, vx::kKeepAlpha);
        const vx::PixelSize source =
            vx::CrestSourceSize({reader.Width(), reader.Height()}, {picture.width(), picture.height()});
        document.SetPicture(vx::CopyRect(picture.View(), {0, 0, source.width, source.height}));
        vx::CrestOptions options = request.options;
        options.frame.reset();
        document.SetOptions(options);
    } catch (const vx::PictureLoadError& error) {
        PrintLine(stderr, "vexillor-cli: " + vx::PictureFailureLine(shownPicture, vx::LoadFailureOf(error)));
        return kExitFailure;
    } catch (const std::bad_alloc&) {
        PrintLine(stderr, "vexillor-cli: not enough memory to make a crest of " + shownPicture);
        return kExitFailure;
    }
    std::string problem;
    const std::optional<vx::PixelRect> frame = FrameOf(request, document.TurnedPicture(), problem);
    if (!problem.empty()) {
        PrintLine(stderr, problem);
        return kExitUsage;
    }
    vx::CrestOptions options = document.Options();
    options.frame = frame;
    document.SetOptions(options);

    const vx::CrestMode mode = options.mode;
    const std::vector<vx::CrestFile> files = vx::PlanCrestFiles(mode, document.Crest().View(), folder);
    std::wstring failedFile;
    if (const std::optional<vx::RunTimeError> failure = vx::WriteCrestFiles(files, &failedFile)) {
        if (failedFile.empty()) failedFile = files.front().path;
        PrintLine(stderr, "vexillor-cli: " + vx::SaveFailureLine(vx::Utf8FromWide(failedFile), failure->Number()));
        return kExitFailure;
    }
    for (const vx::CrestFile& file : files) PrintLine(stdout, vx::Utf8FromWide(file.path));
    return kExitOk;
}

// "X,Y,W,H": four whole numbers, each within the 32-bit range.
std::optional<vx::PixelRect> ParseRect(const std::wstring& text) {
    int values[4] = {};
    std::size_t at = 0;
    for (int i = 0; i < 4; ++i) {
        const bool negative = at < text.size() && text[at] == L'-';
        if (negative) ++at;
        long long value = 0;
        const std::size_t digitsStart = at;
        while (at < text.size() && text[at] >= L'0' && text[at] <= L'9' && value <= 0x7FFFFFFF)
            value = value * 10 + (text[at++] - L'0');
        if (at == digitsStart || value > 0x7FFFFFFF) return std::nullopt;
        values[i] = static_cast<int>(negative ? -value : value);
        if (i < 3 && (at >= text.size() || text[at++] != L',')) return std::nullopt;
    }
    if (at != text.size()) return std::nullopt;
    return vx::PixelRect{values[0], values[1], values[2], values[3]};
}

// The options after `crest PICTURE FOLDER`, in any order, each at most
// once. On a mistake `problem` gets the line that says what is wrong.
bool ParseCrestOptions(const std::vector<std::wstring>& options, CrestRequest& request, std::string& problem) {
    bool ally = false, rotateSeen = false, backgroundSeen = false;
    vx::PictureTurn& turn = request.options.turn;
    for (std::size_t i = 0; i < options.size(); ++i) {
        const std::wstring& option = options[i];
        const bool given = i + 1 < options.size();
        bool* flag = option == L"--ally"               ? &ally
                     : option == L"--keep-proportions" ? &request.options.keepProportions
                     : option == L"--mirror"           ? &turn.mirror
                     : option == L"--flip"             ? &turn.flip
                     : option == L"--trim"             ? &request.trim
                     : option == L"--crisp"            ? &request.options.crisp
                                                       : nullptr;
        if (flag && !*flag) {
            *flag = true;
        } else if (option == L"--rotate" && !rotateSeen) {
            rotateSeen = true;
            turn.rotateDegrees = given ? vx::ParseRotation(options[++i]) : 0;
            if (turn.rotateDegrees == 0) {
                problem = "--rotate takes 90, 180 or 270" + (given ? ", not " + vx::Utf8FromWide(options[i]) : "");
                return false;
            }
        } else if (option == L"--crop" && !request.crop) {
            request.crop = given ? ParseRect(options[++i]) : std::nullopt;
            if (!request.crop) {
                problem =
                    "--crop takes X,Y,W,H (whole numbers)" + (given ? ", not " + vx::Utf8FromWide(options[i]) : "");
                return false;
            }
        } else if (option == L"--background" && !backgroundSeen) {
            backgroundSeen = true;
            const std::optional<vx::Colorref> colour = given ? vx::ParseRrggbb(options[++i]) : std::nullopt;
            if (!colour) {
                problem =
                    "--background takes a colour as RRGGBB" + (given ? ", not " + vx::Utf8FromWide(options[i]) : "");
                return false;
            }
            request.options.background = *colour;
        } else {
            const bool known = flag || option == L"--rotate" || option == L"--crop" || option == L"--background";
            problem = ArgumentProblem(option, known);
            return false;
        }
    }
    request.options.mode = ally ? vx::CrestMode::AllyClan : vx::CrestMode::Clan;
    return true;
}

}  // namespace

int CrestCommand(const std::vector<std::wstring>& args) {
    CrestRequest request;
    std::string problem;
    if (!ParseCrestOptions({args.begin() + 2, args.end()}, request, problem)) return WrongArguments(problem);
    return Crest(args[0], args[1], request);
}

}  // namespace vx::cli
