// vexillor-cli gif-frames: every frame of a GIF animation, composed by the
// program's own viewer, written as a BMP file.
#include <windows.h>

#include <io.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <string>
#include <utility>
#include <vector>

#include "app/cli_commands.h"
#include "app/crest_document.h"
#include "base/error_sentence.h"
#include "base/run_time_error.h"
#include "bmp/bmp_file.h"
#include "common/bitmap32.h"
#include "common/win_handles.h"
#include "gif/gif_animation.h"
#include "gif/gif_export.h"
#include "gif/gif_index.h"
#include "gif/gif_limits.h"
#include "gif/gif_viewer.h"

namespace vx::cli {
namespace {

// Plays a GIF through the viewer with itself as the client: every frame is
// composed over a colour in the viewer's animation buffer, shown on a
// canvas of the animation's size and written out from there. Everything
// is checked before the folder is made; on a failure the exporter removes
// what it wrote (RemoveWritten).
class FrameExporter : public vx::IGifRender {
public:
    FrameExporter(vx::cGIFViewer& viewer, COLORREF background, std::filesystem::path folder, std::uint64_t maxOutput)
        : viewer_(viewer),
          background_(background),
          folder_(std::move(folder)),
          maxOutput_(maxOutput),
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
        std::fill(canvas_.pixels().begin(), canvas_.pixels().end(),
                  vx::PixelOf(vx::ColorrefToRgb(vx::ColorrefOf(background_))));
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
        failure_ = "cannot make the folder " + vx::Utf8FromWide(folder_.wstring());
        if (std::filesystem::exists(folder_, ec)) failure_ += ": it is a file, not a folder";
        return false;
    }

    void Save(std::int32_t frame) {
        if (!failure_.empty() || !canvasDc_) return;
        GdiFlush();
        const std::string name = vx::gif::FrameFileName(frame, digits_);
        const std::filesystem::path path = folder_ / std::wstring(name.begin(), name.end());
        const vx::ConstBgraView view = std::as_const(canvas_).View();
        try {
            vx::bmp::WriteBmpFile(path, view, 24);
            written_.push_back(path);
        } catch (const vx::RunTimeError& error) {
            failure_ =
                "cannot write " + vx::Utf8FromWide(path.wstring()) + ": " + vx::ErrorSentenceWithNumber(error.Number());
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

// RRGGBB, as in web colours.
bool ParseColour(const std::wstring& text, COLORREF& colour) {
    const std::optional<vx::Colorref> parsed = vx::ParseRrggbb(text);
    if (parsed) colour = *parsed;
    return parsed.has_value();
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
        PrintLine(stderr, "vexillor-cli: " + vx::Utf8FromWide(gifPath) + ": read " + std::to_string(frames) +
                              " frames, the most the engine keeps; the rest of the file was left out");
}

int GifFrames(const std::wstring& gifPath, const std::wstring& outDir, COLORREF background, std::uint64_t maxOutput) {
    std::error_code ec;
    if (std::filesystem::exists(std::filesystem::path(outDir), ec) &&
        !std::filesystem::is_directory(std::filesystem::path(outDir), ec)) {
        PrintLine(stderr,
                  "vexillor-cli: cannot make the folder " + vx::Utf8FromWide(outDir) + ": it is a file, not a folder");
        return kExitFailure;
    }
    // The viewer paces frames with timers on a window; this one is never shown.
    vx::UniqueWindow timerWindow(
        CreateWindowExW(0, L"STATIC", L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, GetModuleHandleW(nullptr), nullptr));
    vx::cGIFViewer viewer;
    FrameExporter exporter(viewer, background, std::filesystem::path(outDir), maxOutput);
    const std::int32_t frames = viewer.LoadGIF(gifPath, 1, &exporter, timerWindow.get());
    if (frames == 0) {
        exporter.RemoveWritten();
        PrintLine(stderr, "vexillor-cli: cannot display GIF file " + vx::Utf8FromWide(gifPath) + ": " +
                              vx::gif::Describe(viewer.LastReport()));
        return kExitFailure;
    }
    if (frames < 0) {
        exporter.RemoveWritten();
        PrintLine(stderr, "vexillor-cli: cannot play " + vx::Utf8FromWide(gifPath) + ": no timer for the animation");
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
        PrintLine(stderr, "vexillor-cli: " + vx::Utf8FromWide(gifPath) + ": " + failure);
        return kExitFailure;
    }
    ReportFramesLeftOut(gifPath, frames);
    PrintLine(stdout, "frames=" + std::to_string(frames) + " loop=" + std::to_string(viewer.LoopCount()) +
                          " width=" + std::to_string(viewer.Width()) + " height=" + std::to_string(viewer.Height()));
    for (std::int32_t k = 1; k <= frames; ++k) {
        PrintLine(stdout, "frame=" + std::to_string(k) +
                              " delay=" + std::to_string(viewer.FrameProperty(k, vx::gif::kPropDelay)) +
                              " disposal=" + std::to_string(viewer.FrameProperty(k, vx::gif::kPropDisposal)) +
                              " left=" + std::to_string(viewer.FrameProperty(k, vx::gif::kPropLeft)) +
                              " top=" + std::to_string(viewer.FrameProperty(k, vx::gif::kPropTop)) +
                              " width=" + std::to_string(viewer.FrameProperty(k, vx::gif::kPropWidth)) +
                              " height=" + std::to_string(viewer.FrameProperty(k, vx::gif::kPropHeight)));
    }
    return kExitOk;
}

}  // namespace

int GifFramesCommand(const std::vector<std::wstring>& args) {
    COLORREF background = RGB(0, 0, 0);
    std::uint64_t maxOutput = vx::gif::kDefaultMaxExportBytes;
    bool backgroundSeen = false, maxOutputSeen = false;
    for (std::size_t i = 2; i < args.size(); i += 2) {
        const std::wstring& option = args[i];
        bool* seen = option == L"--background" ? &backgroundSeen : option == L"--max-output" ? &maxOutputSeen : nullptr;
        if (!seen || *seen) return WrongArguments(ArgumentProblem(option, seen != nullptr));
        *seen = true;
        if (i + 1 >= args.size()) return WrongArguments(vx::Utf8FromWide(option) + " needs a value");
        const std::wstring& value = args[i + 1];
        bool valid = true;
        if (seen == &backgroundSeen) {
            valid = ParseColour(value, background);
        } else {
            const auto size = vx::gif::ParseByteSize(vx::Utf8FromWide(value));
            valid = size.has_value();
            if (size) maxOutput = *size;
        }
        if (!valid) return WrongArguments(vx::Utf8FromWide(option) + " does not take " + vx::Utf8FromWide(value));
    }
    return GifFrames(args[0], args[1], background, maxOutput);
}

}  // namespace vx::cli
