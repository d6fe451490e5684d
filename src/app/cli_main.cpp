// vexillor-cli: the crest workflow for scripts and batch use.
//
//   vexillor-cli info FILE
//   vexillor-cli crest PICTURE FOLDER [--ally] [--keep-proportions] [--mirror] [--flip] [--rotate 90|180|270]
//   vexillor-cli gif-frames GIF OUTDIR [--background RRGGBB] [--max-output SIZE]
#include <windows.h>

#include <fcntl.h>
#include <io.h>

#include <chrono>
#include <cstdio>
#include <optional>
#include <cwchar>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "app/crest_workflow.h"
#include "app/picture_turn.h"
#include "bmp/bmp_file.h"
#include "common/picture_loader.h"
#include "common/win_handles.h"
#include "gif/gif_animation.h"
#include "gif/gif_export.h"
#include "gif/gif_index.h"
#include "gif/gif_limits.h"
#include "gif/gif_viewer.h"
#include "imaging/cls_image.h"
#include "base/error_sentence.h"
#include "base/run_time_error.h"

namespace {

constexpr int kExitOk = 0;
constexpr int kExitFailure = 1;
constexpr int kExitUsage = 2;

std::string Utf8(const std::wstring& text) {
    if (text.empty()) return {};
    const int length =
        WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0, nullptr, nullptr);
    std::string out(static_cast<std::size_t>(length), '\0');
    WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), out.data(), length, nullptr, nullptr);
    return out;
}

void PrintLine(std::FILE* stream, const std::string& line) {
    std::fwrite(line.data(), 1, line.size(), stream);
    std::fputc('\n', stream);
    std::fflush(stream);
}

const char kUsage[] =
    "usage: vexillor-cli info FILE | crest PICTURE FOLDER [--ally] [--keep-proportions] [--mirror] [--flip] "
    "[--rotate 90|180|270] | gif-frames GIF OUTDIR [--background RRGGBB] [--max-output SIZE] | --help";

void PrintHelp() {
    PrintLine(stdout,
              "vexillor-cli: make Aldmoor crest files from pictures.\n"
              "\n"
              "  vexillor-cli info FILE\n"
              "      Reads the picture's header and prints one line:\n"
              "      type=T width=W height=H depth=D size=S\n"
              "      (type 0 unknown, 1 GIF, 2 JPEG, 3 PNG, 4 BMP, 5 PCX, 6 TIFF; size in bytes).\n"
              "      A header that cannot be read prints 'error N: DESCRIPTION' and exits 1.\n"
              "\n"
              "  vexillor-cli crest PICTURE FOLDER [--ally] [--keep-proportions] [--mirror] [--flip] [--rotate 90|180|270]\n"
              "      Squeezes the whole picture into a 16 x 12 clan crest and writes FOLDER\\clan.bmp;\n"
              "      with --ally into a 24 x 12 strip, written as FOLDER\\ally.bmp (its left 8 columns)\n"
              "      and FOLDER\\clan.bmp (the other 16). Prints each written path. On any failure\n"
              "      it prints one line on standard error, exits 1 and leaves the folder as it was.\n"
              "      --keep-proportions squeezes only the centred part of the picture with the crest's\n"
              "      own proportions (4 : 3 for the clan crest, 2 : 1 for the strip).\n"
              "      Before the squeeze the picture can be turned, in this order whatever the order\n"
              "      of the options: --rotate 90 a quarter turn anticlockwise, 180 a half turn,\n"
              "      270 a quarter turn clockwise; then --mirror left to right; then --flip upside down.\n"
              "\n"
              "  vexillor-cli gif-frames GIF OUTDIR [--background RRGGBB] [--max-output SIZE]\n"
              "      Plays the GIF animation through the program's own viewer and writes every frame,\n"
              "      composed at 1:1 over the background colour (default 000000), as a 24-bit BMP file\n"
              "      OUTDIR\\frame-0001.bmp, frame-0002.bmp, ... of the animation's size (OUTDIR is\n"
              "      created if needed; above 9999 frames the numbers take as many digits as the count).\n"
              "      Prints 'frames=N loop=L width=W height=H', then for each frame\n"
              "      'frame=K delay=MS disposal=D left=X top=Y width=W height=H' (MS: the display time,\n"
              "      at least 50). Output above 2 GB in all is refused unless --max-output raises the\n"
              "      limit (SIZE in bytes, or with K, M or G). A file that cannot be shown or written\n"
              "      prints one line on standard error, removes what it wrote and exits 1.\n"
              "\n"
              "Exit status: 0 done, 1 failed, 2 wrong arguments.");
}

int Info(const std::wstring& file) {
    vx::clsImage reader;
    try {
        reader.ReadImageInfo(std::filesystem::path(file));
    } catch (const vx::RunTimeError& error) {
        PrintLine(stderr, "error " + std::to_string(error.Number()) + ": " + vx::ErrorSentence(error.Number()));
        return kExitFailure;
    }
    PrintLine(stdout, "type=" + std::to_string(reader.ImageType()) + " width=" + std::to_string(reader.Width()) +
                          " height=" + std::to_string(reader.Height()) + " depth=" +
                          std::to_string(static_cast<int>(reader.Depth())) +
                          " size=" + std::to_string(reader.FileSize()));
    return kExitOk;
}

vx::ConstBgraView ViewOf(const vx::Bitmap32& bitmap) {
    return {reinterpret_cast<const std::uint8_t*>(bitmap.pixels().data()), bitmap.width(), bitmap.height(),
            static_cast<std::ptrdiff_t>(bitmap.stride())};
}

// What is wrong with the two paths of `crest` before anything is read, or
// nothing.
std::optional<std::string> CrestPathsFailure(const std::wstring& picturePath, const std::wstring& folder) {
    std::error_code ec;
    if (std::filesystem::is_directory(std::filesystem::path(picturePath), ec))
        return Utf8(picturePath) + " is a folder, not a picture";
    const std::filesystem::file_status status = std::filesystem::status(std::filesystem::path(folder), ec);
    if (std::filesystem::is_directory(status)) return std::nullopt;
    if (std::filesystem::exists(status)) return Utf8(folder) + " is a file, not a folder";
    return "the folder does not exist: " + Utf8(folder);
}

std::string ReadFailure(const std::string& shownPicture, const vx::RunTimeError& error) {
    return "cannot read " + shownPicture + ": " + vx::ErrorSentenceWithNumber(error.Number());
}

// Limits name their figures in the loader's own sentence; everything else
// is told by its number.
std::string LoadFailure(const std::string& shownPicture, const vx::PictureLoadError& error) {
    const std::string reason = error.spanish().empty()
                                   ? vx::ErrorSentenceWithNumber(static_cast<int>(error.number()))
                                   : std::string(error.what()) + " (error " + std::to_string(error.number()) + ")";
    return "cannot load " + shownPicture + ": " + reason;
}


int Crest(const std::wstring& picturePath, const std::wstring& folder, bool ally, bool keepProportions,
          const vx::PictureTurn& turn) {
    const std::string shownPicture = Utf8(picturePath);
    if (const auto failure = CrestPathsFailure(picturePath, folder)) {
        PrintLine(stderr, "vexillor-cli: " + *failure);
        return kExitFailure;
    }
    vx::clsImage reader;
    try {
        reader.ReadImageInfo(std::filesystem::path(picturePath));
    } catch (const vx::RunTimeError& error) {
        PrintLine(stderr, "vexillor-cli: " + ReadFailure(shownPicture, error));
        return kExitFailure;
    }
    vx::Bitmap32 picture;
    try {
        picture = vx::LoadPictureFile(picturePath, GetSysColor(COLOR_BTNFACE));
    } catch (const vx::PictureLoadError& error) {
        PrintLine(stderr, "vexillor-cli: " + LoadFailure(shownPicture, error));
        return kExitFailure;
    }

    const vx::PixelSize header = vx::CrestSourceSize({reader.Width(), reader.Height()}, {picture.width(), picture.height()});
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
    const vx::BgraImage crest = vx::ComposeCrest(mode, ViewOf(picture), {static_cast<int>(source.cx), static_cast<int>(source.cy)}, keepProportions);
    const std::vector<vx::CrestFile> files = vx::PlanCrestFiles(mode, crest.View(), folder);
    if (const std::optional<vx::RunTimeError> failure = vx::WriteCrestFiles(files)) {
        PrintLine(stderr, "vexillor-cli: cannot write the crest files into " + Utf8(folder) + ": " +
                              vx::ErrorSentenceWithNumber(failure->Number()));
        return kExitFailure;
    }
    for (const vx::CrestFile& file : files) PrintLine(stdout, Utf8(file.path));
    return kExitOk;
}

// Plays a GIF through the viewer with itself as the client: every frame is
// composed over a colour in the viewer's animation buffer, shown on a
// canvas of the animation's size and written out from there. Everything
// is checked before the folder is made; on a failure the exporter removes
// what it wrote (RemoveWritten).
class FrameExporter : public vx::IGifRender {
public:
    FrameExporter(vx::cGIFViewer& viewer, COLORREF background, std::filesystem::path folder,
                  std::uint64_t maxOutput)
        : viewer_(viewer), background_(background), folder_(std::move(folder)), maxOutput_(maxOutput),
          showProgress_(_isatty(_fileno(stderr)) != 0) {}

    void GetRenderDC(std::int32_t, std::int32_t, HDC& destDC, HWND& hwndRefresh, bool& bAutoRedraw,
                     bool& PostNotify) override {
        destDC = failure_.empty() ? canvasDc_.get() : nullptr;
        hwndRefresh = nullptr;
        bAutoRedraw = false;
        PostNotify = true;
    }

    void Rendered(std::int32_t, std::int32_t FrameIndex, std::int32_t Message, std::intptr_t MsgValue) override {
        // Only the first loading-start notification: after frame 1 of more
        // than 100 frames the progress is 0 as well, and preparing again
        // would wipe frame 1 from the canvas and the background.
        if (Message == vx::cGIFViewer::kMsgLoading && MsgValue == 0 && !prepared_) {
            prepared_ = true;
            Prepare();
        }
        if (Message == vx::cGIFViewer::kMsgFrameDrawn) Save(FrameIndex);
    }

    const std::string& Failure() const { return failure_; }
    int Written() const { return static_cast<int>(written_.size()); }

    // Removes every file written in this run, and the folders it made.
    void RemoveWritten() {
        std::error_code ec;
        for (const std::filesystem::path& file : written_) std::filesystem::remove(file, ec);
        written_.clear();
        for (auto it = madeFolders_.rbegin(); it != madeFolders_.rend(); ++it) std::filesystem::remove(*it, ec);
        madeFolders_.clear();
    }

    void EndProgress() {
        if (progressShown_) std::fputc('\n', stderr);
        progressShown_ = false;
    }

private:
    void Prepare() {
        const int width = viewer_.Width(), height = viewer_.Height();
        frames_ = viewer_.FrameProperty(1, vx::gif::kPropFrameCount);
        if (width <= 0 || height <= 0) {
            failure_ = "the animation is " + std::to_string(width) + " x " + std::to_string(height) +
                       " pixels, which cannot be composed";
            return;
        }
        const vx::gif::GifReport canvas = vx::gif::CheckBuffer(width, height, 1);
        if (canvas.status != vx::gif::GifStatus::Loaded) {
            failure_ = vx::gif::Describe(canvas);
            return;
        }
        const std::uint64_t output = vx::gif::ExportBytes(frames_, width, height);
        if (output > maxOutput_) {
            failure_ = "the frames would take " + std::to_string(output) + " bytes (" + std::to_string(frames_) +
                       " frames of " + std::to_string(width) + " x " + std::to_string(height) +
                       "), more than the limit of " + vx::gif::DescribeBytes(maxOutput_) +
                       "; --max-output SIZE raises it";
            return;
        }
        digits_ = vx::gif::FrameNumberDigits(frames_);
        if (!MakeFolder()) return;
        try {
            canvas_ = vx::Bitmap32(width, height);
        } catch (const std::bad_alloc&) {
            failure_ = "not enough memory for a " + std::to_string(width) + " x " + std::to_string(height) + " canvas";
            return;
        }
        std::fill(canvas_.pixels().begin(), canvas_.pixels().end(), vx::ColorRefToPixel(background_));
        if (!canvasDc_.SelectBitmap(canvas_.handle()) ||
            !viewer_.SetAnimationBkg(vx::cGIFViewer::kBkgColour, background_, 0, 0, width, height,
                                     vx::gif::kStretchNone, -1, -1))
            failure_ = "the animation is too large to compose";
    }

    // Makes the folder and the missing folders above it, noting each one
    // made so that a failure can take them away again.
    bool MakeFolder() {
        std::error_code ec;
        std::vector<std::filesystem::path> missing;
        for (std::filesystem::path p = folder_; !p.empty() && !std::filesystem::exists(p, ec); p = p.parent_path()) {
            missing.push_back(p);
            if (p == p.parent_path()) break;
        }
        for (auto it = missing.rbegin(); it != missing.rend(); ++it) {
            if (!std::filesystem::create_directory(*it, ec)) break;
            madeFolders_.push_back(*it);
        }
        if (std::filesystem::is_directory(folder_, ec)) return true;
        failure_ = "cannot make the folder " + Utf8(folder_.wstring());
        if (std::filesystem::exists(folder_, ec)) failure_ += ": it is a file, not a folder";
        return false;
    }

    void Save(std::int32_t frame) {
        if (!failure_.empty() || !canvasDc_) return;
        GdiFlush();
        const std::string name = vx::gif::FrameFileName(frame, digits_);
        const std::filesystem::path path = folder_ / std::wstring(name.begin(), name.end());
        const vx::ConstBgraView view{reinterpret_cast<const std::uint8_t*>(canvas_.pixels().data()), canvas_.width(),
                                     canvas_.height(), static_cast<std::ptrdiff_t>(canvas_.stride())};
        try {
            vx::bmp::WriteBmpFile(path, view, 24);
            written_.push_back(path);
        } catch (const vx::RunTimeError& error) {
            failure_ = "cannot write " + Utf8(path.wstring()) + ": " + vx::ErrorSentenceWithNumber(error.Number());
        }
        ShowProgress(frame);
    }

    // On a terminal only, and at most a few times a second: long exports
    // take minutes, and scripts reading standard error want no noise.
    void ShowProgress(std::int32_t frame) {
        if (!showProgress_) return;
        const auto now = std::chrono::steady_clock::now();
        if (frame != frames_ && now - lastProgress_ < std::chrono::milliseconds(250)) return;
        lastProgress_ = now;
        std::fprintf(stderr, "\rwriting frame %d of %d", static_cast<int>(frame), static_cast<int>(frames_));
        std::fflush(stderr);
        progressShown_ = true;
    }

    vx::cGIFViewer& viewer_;
    COLORREF background_;
    std::filesystem::path folder_;
    std::uint64_t maxOutput_;
    bool showProgress_;
    bool progressShown_ = false;
    std::chrono::steady_clock::time_point lastProgress_{};
    std::int32_t frames_ = 0;
    int digits_ = 4;
    std::vector<std::filesystem::path> madeFolders_;
    std::vector<std::filesystem::path> written_;
    vx::Bitmap32 canvas_;
    vx::BitmapDc canvasDc_;  // after the canvas: gives it back before it goes
    std::string failure_;
    bool prepared_ = false;
};

// The options after `crest PICTURE FOLDER`, in any order, each at most
// once. On a mistake `problem` gets the one line to print.
bool ParseCrestOptions(const std::vector<std::wstring>& options, bool& ally, bool& keepProportions, vx::PictureTurn& turn,
                       std::string& problem) {
    bool rotateSeen = false;
    for (std::size_t i = 0; i < options.size(); ++i) {
        const std::wstring& option = options[i];
        bool* flag = option == L"--ally"                 ? &ally
                     : option == L"--keep-proportions" ? &keepProportions
                     : option == L"--mirror" ? &turn.mirror
                     : option == L"--flip"   ? &turn.flip
                                             : nullptr;
        if (flag && !*flag) {
            *flag = true;
        } else if (option == L"--rotate" && !rotateSeen) {
            rotateSeen = true;
            const bool given = i + 1 < options.size();
            turn.rotateDegrees = given ? vx::ParseRotation(options[++i]) : 0;
            if (turn.rotateDegrees == 0) {
                problem = "vexillor-cli: --rotate takes 90, 180 or 270" + (given ? ", not " + Utf8(options[i]) : "");
                return false;
            }
        } else {
            problem = kUsage;
            return false;
        }
    }
    return true;
}

// RRGGBB, as in web colours.
bool ParseColour(const std::wstring& text, COLORREF& colour) {
    if (text.size() != 6) return false;
    unsigned value = 0;
    for (wchar_t c : text) {
        unsigned digit;
        if (c >= L'0' && c <= L'9') digit = c - L'0';
        else if (c >= L'a' && c <= L'f') digit = c - L'a' + 10;
        else if (c >= L'A' && c <= L'F') digit = c - L'A' + 10;
        else return false;
        value = value * 16 + digit;
    }
    colour = vx::RgbToColorref(value);
    return true;
}

// The engine keeps at most gif::kMaxFrames frames; when the file held more,
// say so rather than lose them without a word.
void ReportFramesLeftOut(const std::wstring& gifPath, std::int32_t frames) {
    if (frames != vx::gif::kMaxFrames) return;
    std::vector<std::uint8_t> bytes;
    try {
        const std::uintmax_t size = std::filesystem::file_size(std::filesystem::path(gifPath));
        if (size > vx::cGIFViewer::kMaxFileBytes) return;
        bytes.resize(static_cast<std::size_t>(size));
        std::FILE* file = _wfopen(gifPath.c_str(), L"rb");
        if (!file) return;
        const std::size_t got = std::fread(bytes.data(), 1, bytes.size(), file);
        std::fclose(file);
        bytes.resize(got);
    } catch (const std::exception&) {
        return;
    }
    if (vx::gif::ImagesLeftOut(bytes))
        PrintLine(stderr, "vexillor-cli: " + Utf8(gifPath) + ": read " + std::to_string(frames) +
                              " frames, the most the engine keeps; the rest of the file was left out");
}

int GifFrames(const std::wstring& gifPath, const std::wstring& outDir, COLORREF background,
              std::uint64_t maxOutput) {
    std::error_code ec;
    if (std::filesystem::exists(std::filesystem::path(outDir), ec) &&
        !std::filesystem::is_directory(std::filesystem::path(outDir), ec)) {
        PrintLine(stderr, "vexillor-cli: cannot make the folder " + Utf8(outDir) + ": it is a file, not a folder");
        return kExitFailure;
    }
    // The viewer paces frames with timers on a window; this one is never shown.
    vx::UniqueWindow timerWindow(CreateWindowExW(0, L"STATIC", L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                                                 GetModuleHandleW(nullptr), nullptr));
    vx::cGIFViewer viewer;
    FrameExporter exporter(viewer, background, std::filesystem::path(outDir), maxOutput);
    const std::int32_t frames = viewer.LoadGIF(gifPath, 1, &exporter, timerWindow.get());
    if (frames == 0) {
        exporter.RemoveWritten();
        PrintLine(stderr, "vexillor-cli: cannot display GIF file " + Utf8(gifPath) + ": " +
                              vx::gif::Describe(viewer.LastReport()));
        return kExitFailure;
    }
    if (frames < 0) {
        exporter.RemoveWritten();
        PrintLine(stderr, "vexillor-cli: cannot play " + Utf8(gifPath) + ": no timer for the animation");
        return kExitFailure;
    }
    // The first frame was shown while loading; each step shows the next.
    for (std::int32_t k = 2; k <= frames && exporter.Failure().empty(); ++k)
        viewer.SetAnimationState(vx::cGIFViewer::kStepped);
    exporter.EndProgress();
    std::string failure = exporter.Failure();
    if (failure.empty() && exporter.Written() != frames)
        failure = "only " + std::to_string(exporter.Written()) + " of " + std::to_string(frames) + " frames were drawn";
    if (!failure.empty()) {
        exporter.RemoveWritten();
        PrintLine(stderr, "vexillor-cli: " + Utf8(gifPath) + ": " + failure);
        return kExitFailure;
    }
    ReportFramesLeftOut(gifPath, frames);
    PrintLine(stdout, "frames=" + std::to_string(frames) + " loop=" + std::to_string(viewer.LoopCount()) +
                          " width=" + std::to_string(viewer.Width()) + " height=" + std::to_string(viewer.Height()));
    for (std::int32_t k = 1; k <= frames; ++k) {
        PrintLine(stdout, "frame=" + std::to_string(k) + " delay=" + std::to_string(viewer.FrameProperty(k, vx::gif::kPropDelay)) +
                              " disposal=" + std::to_string(viewer.FrameProperty(k, vx::gif::kPropDisposal)) +
                              " left=" + std::to_string(viewer.FrameProperty(k, vx::gif::kPropLeft)) +
                              " top=" + std::to_string(viewer.FrameProperty(k, vx::gif::kPropTop)) +
                              " width=" + std::to_string(viewer.FrameProperty(k, vx::gif::kPropWidth)) +
                              " height=" + std::to_string(viewer.FrameProperty(k, vx::gif::kPropHeight)));
    }
    return kExitOk;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    vx::ComApartment com;
    // Lines end in a bare line feed, the same for every caller.
    _setmode(_fileno(stdout), _O_BINARY);
    _setmode(_fileno(stderr), _O_BINARY);
    std::vector<std::wstring> args(argv + 1, argv + argc);
    if (args.size() == 1 && (args[0] == L"--help" || args[0] == L"-h" || args[0] == L"/?")) {
        PrintHelp();
        return kExitOk;
    }
    if (args.size() == 2 && args[0] == L"info") return Info(args[1]);
    if (args.size() >= 3 && args[0] == L"crest") {
        bool ally = false;
        bool keepProportions = false;
        vx::PictureTurn turn;
        std::string problem;
        if (!ParseCrestOptions({args.begin() + 3, args.end()}, ally, keepProportions, turn, problem)) {
            PrintLine(stderr, problem);
            return kExitUsage;
        }
        return Crest(args[1], args[2], ally, keepProportions, turn);
    }
    if (args.size() >= 3 && args[0] == L"gif-frames") {
        COLORREF background = RGB(0, 0, 0);
        std::uint64_t maxOutput = vx::gif::kDefaultMaxExportBytes;
        bool valid = true;
        for (std::size_t i = 3; i < args.size() && valid; i += 2) {
            if (i + 1 >= args.size()) {
                valid = false;
            } else if (args[i] == L"--background") {
                valid = ParseColour(args[i + 1], background);
            } else if (args[i] == L"--max-output") {
                const auto size = vx::gif::ParseByteSize(Utf8(args[i + 1]));
                valid = size.has_value();
                if (size) maxOutput = *size;
            } else {
                valid = false;
            }
        }
        if (!valid) {
            PrintLine(stderr, kUsage);
            return kExitUsage;
        }
        return GifFrames(args[1], args[2], background, maxOutput);
    }
    PrintLine(stderr, kUsage);
    return kExitUsage;
}
