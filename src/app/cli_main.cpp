// vexillor-cli: the crest workflow for scripts and batch use.
//
//   vexillor-cli info FILE
//   vexillor-cli crest PICTURE FOLDER [--ally] [--keep-proportions] [--mirror] [--flip] [--rotate 90|180|270]
//   vexillor-cli gif-frames GIF OUTDIR [--background RRGGBB]
#include <windows.h>

#include <fcntl.h>
#include <io.h>

#include <cstdio>
#include <optional>
#include <cwchar>
#include <filesystem>
#include <string>
#include <vector>

#include "app/crest_workflow.h"
#include "app/picture_turn.h"
#include "bmp/bmp_file.h"
#include "common/picture_loader.h"
#include "common/win_handles.h"
#include "gif/gif_limits.h"
#include "gif/gif_viewer.h"
#include "imaging/cls_image.h"
#include "imaging/run_time_error.h"

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
    "usage: vexillor-cli info FILE | crest PICTURE FOLDER [--ally] [--keep-proportions] [--mirror] [--flip] [--rotate 90|180|270] | "
    "gif-frames GIF OUTDIR [--background RRGGBB] | "
    "--help";

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
              "  vexillor-cli gif-frames GIF OUTDIR [--background RRGGBB]\n"
              "      Plays the GIF animation through the program's own viewer and writes every frame,\n"
              "      composed at 1:1 over the background colour (default 000000), as a 24-bit BMP file\n"
              "      OUTDIR\\frame-0001.bmp, frame-0002.bmp, ... of the animation's size (OUTDIR is\n"
              "      created if needed). Prints 'frames=N loop=L width=W height=H', then for each frame\n"
              "      'frame=K delay=MS disposal=D left=X top=Y width=W height=H' (MS: the display time,\n"
              "      at least 50). A file that cannot be shown prints one line on standard error, exits 1.\n"
              "\n"
              "Exit status: 0 done, 1 failed, 2 wrong arguments.");
}

int Info(const std::wstring& file) {
    vx::clsImage reader;
    try {
        reader.ReadImageInfo(std::filesystem::path(file));
    } catch (const vx::RunTimeError& error) {
        PrintLine(stderr, "error " + std::to_string(error.Number()) + ": " + error.Description());
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

int Crest(const std::wstring& picturePath, const std::wstring& folder, bool ally, bool keepProportions,
          const vx::PictureTurn& turn) {
    const std::string shownPicture = Utf8(picturePath);
    std::error_code ec;
    if (!std::filesystem::is_directory(std::filesystem::path(folder), ec)) {
        PrintLine(stderr, "vexillor-cli: the folder does not exist: " + Utf8(folder));
        return kExitFailure;
    }
    vx::clsImage reader;
    try {
        reader.ReadImageInfo(std::filesystem::path(picturePath));
    } catch (const vx::RunTimeError& error) {
        PrintLine(stderr, "vexillor-cli: cannot read " + shownPicture + ": error " + std::to_string(error.Number()) +
                              ": " + error.Description());
        return kExitFailure;
    }
    vx::Bitmap32 picture;
    try {
        picture = vx::LoadPictureFile(picturePath, GetSysColor(COLOR_BTNFACE));
    } catch (const vx::PictureLoadError& error) {
        PrintLine(stderr, "vexillor-cli: cannot load " + shownPicture + ": " + error.what());
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
    if (const std::optional<std::string> failure = vx::WriteCrestFiles(files)) {
        PrintLine(stderr, "vexillor-cli: cannot write the crest files into " + Utf8(folder) + ": " + *failure);
        return kExitFailure;
    }
    for (const vx::CrestFile& file : files) PrintLine(stdout, Utf8(file.path));
    return kExitOk;
}

// Plays a GIF through the viewer with itself as the client: every frame is
// composed over a colour in the viewer's animation buffer, shown on a
// canvas of the animation's size and written out from there.
class FrameExporter : public vx::IGifRender {
public:
    FrameExporter(vx::cGIFViewer& viewer, COLORREF background, std::filesystem::path folder)
        : viewer_(viewer), background_(background), folder_(std::move(folder)) {}
    ~FrameExporter() override {
        if (canvasDc_ && oldBitmap_) SelectObject(canvasDc_.get(), oldBitmap_);
    }

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
    int Written() const { return written_; }

private:
    void Prepare() {
        const int width = viewer_.Width(), height = viewer_.Height();
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
        // Only an animation that can be written gets its folder.
        std::error_code ec;
        std::filesystem::create_directories(folder_, ec);
        if (!std::filesystem::is_directory(folder_, ec)) {
            failure_ = "cannot make the folder " + Utf8(folder_.wstring());
            return;
        }
        try {
            canvas_ = vx::Bitmap32(width, height);
        } catch (const std::bad_alloc&) {
            failure_ = "not enough memory for a " + std::to_string(width) + " x " + std::to_string(height) + " canvas";
            return;
        }
        std::fill(canvas_.pixels().begin(), canvas_.pixels().end(), vx::ColorRefToPixel(background_));
        canvasDc_.reset(CreateCompatibleDC(nullptr));
        if (canvasDc_) oldBitmap_ = SelectObject(canvasDc_.get(), canvas_.handle());
        if (!canvasDc_ || !oldBitmap_ || !viewer_.SetAnimationBkg(0, background_, 0, 0, width, height, 0, -1, -1))
            failure_ = "the animation is too large to compose";
    }

    void Save(std::int32_t frame) {
        if (!failure_.empty() || !canvasDc_) return;
        GdiFlush();
        wchar_t name[32];
        std::swprintf(name, 32, L"frame-%04d.bmp", static_cast<int>(frame));
        const std::filesystem::path path = folder_ / name;
        const vx::ConstBgraView view{reinterpret_cast<const std::uint8_t*>(canvas_.pixels().data()), canvas_.width(),
                                     canvas_.height(), static_cast<std::ptrdiff_t>(canvas_.stride())};
        try {
            vx::bmp::WriteBmpFile(path, view, 24);
            ++written_;
        } catch (const vx::RunTimeError& error) {
            failure_ = "cannot write " + Utf8(path.wstring()) + ": " + error.Description();
        }
    }

    vx::cGIFViewer& viewer_;
    COLORREF background_;
    std::filesystem::path folder_;
    vx::Bitmap32 canvas_;
    vx::UniqueMemoryDc canvasDc_;
    HGDIOBJ oldBitmap_ = nullptr;
    std::string failure_;
    int written_ = 0;
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
    colour = RGB((value >> 16) & 0xFF, (value >> 8) & 0xFF, value & 0xFF);
    return true;
}

int GifFrames(const std::wstring& gifPath, const std::wstring& outDir, COLORREF background) {
    // The viewer paces frames with timers on a window; this one is never shown.
    vx::UniqueWindow timerWindow(CreateWindowExW(0, L"STATIC", L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                                                 GetModuleHandleW(nullptr), nullptr));
    vx::cGIFViewer viewer;
    FrameExporter exporter(viewer, background, std::filesystem::path(outDir));
    const std::int32_t frames = viewer.LoadGIF(gifPath, 1, &exporter, timerWindow.get());
    if (frames == 0) {
        PrintLine(stderr, "vexillor-cli: cannot display GIF file " + Utf8(gifPath) + ": " +
                              vx::gif::Describe(viewer.LastReport()));
        return kExitFailure;
    }
    if (frames < 0) {
        PrintLine(stderr, "vexillor-cli: cannot play " + Utf8(gifPath) + ": no timer for the animation");
        return kExitFailure;
    }
    // The first frame was shown while loading; each step shows the next.
    for (std::int32_t k = 2; k <= frames && exporter.Failure().empty(); ++k)
        viewer.SetAnimationState(vx::cGIFViewer::kStepped);
    std::string failure = exporter.Failure();
    if (failure.empty() && exporter.Written() != frames)
        failure = "only " + std::to_string(exporter.Written()) + " of " + std::to_string(frames) + " frames were drawn";
    if (!failure.empty()) {
        PrintLine(stderr, "vexillor-cli: " + Utf8(gifPath) + ": " + failure);
        return kExitFailure;
    }

    PrintLine(stdout, "frames=" + std::to_string(frames) + " loop=" + std::to_string(viewer.LoopCount()) +
                          " width=" + std::to_string(viewer.Width()) + " height=" + std::to_string(viewer.Height()));
    for (std::int32_t k = 1; k <= frames; ++k) {
        PrintLine(stdout, "frame=" + std::to_string(k) + " delay=" + std::to_string(viewer.FrameProperty(k, 0)) +
                              " disposal=" + std::to_string(viewer.FrameProperty(k, 5)) +
                              " left=" + std::to_string(viewer.FrameProperty(k, 1)) +
                              " top=" + std::to_string(viewer.FrameProperty(k, 2)) +
                              " width=" + std::to_string(viewer.FrameProperty(k, 3)) +
                              " height=" + std::to_string(viewer.FrameProperty(k, 4)));
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
    if ((args.size() == 3 || args.size() == 5) && args[0] == L"gif-frames") {
        COLORREF background = RGB(0, 0, 0);
        if (args.size() == 5 && (args[3] != L"--background" || !ParseColour(args[4], background))) {
            PrintLine(stderr, kUsage);
            return kExitUsage;
        }
        return GifFrames(args[1], args[2], background);
    }
    PrintLine(stderr, kUsage);
    return kExitUsage;
}
