// vexillor-cli: the crest workflow for scripts and batch use.
//
//   vexillor-cli info FILE
//   vexillor-cli crest PICTURE FOLDER [--ally]
#include <windows.h>

#include <fcntl.h>
#include <io.h>

#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "app/crest.h"
#include "bmp/atomic_file.h"
#include "bmp/bmp_file.h"
#include "common/picture_loader.h"
#include "common/win_handles.h"
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

const char kUsage[] = "usage: vexillor-cli info FILE | crest PICTURE FOLDER [--ally] | --help";

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
              "  vexillor-cli crest PICTURE FOLDER [--ally]\n"
              "      Squeezes the whole picture into a 16 x 12 clan crest and writes FOLDER\\clan.bmp;\n"
              "      with --ally into a 24 x 12 strip, written as FOLDER\\ally.bmp (its left 8 columns)\n"
              "      and FOLDER\\clan.bmp (the other 16). Prints each written path. On any failure\n"
              "      it prints one line on standard error, exits 1 and leaves the folder as it was.\n"
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

struct CrestFile {
    std::wstring path;
    std::vector<std::uint8_t> bytes;
};

std::vector<std::uint8_t> EncodeColumns(const vx::Bitmap32& strip, int left, int width) {
    vx::BgraImage part(width, strip.height());
    for (int y = 0; y < strip.height(); ++y)
        for (int x = 0; x < width; ++x) {
            const std::uint32_t p = strip.pixel(left + x, y);
            part.SetColor(x, y, vx::Rgb((p >> 16) & 0xFF, (p >> 8) & 0xFF, p & 0xFF));
        }
    static constexpr std::int32_t kPalette[2] = {0, 1};
    return vx::bmp::EncodeBmpFile(part.View(), 8, kPalette);
}

int Crest(const std::wstring& picturePath, const std::wstring& folder, bool ally) {
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

    const vx::CrestMode mode = ally ? vx::CrestMode::AllyClan : vx::CrestMode::Clan;
    const vx::Bitmap32 crest =
        vx::SqueezeIntoCrest(picture, vx::CrestSourceSize(reader.Width(), reader.Height(), picture),
                             vx::CrestWidth(mode), vx::kCrestHeight);
    // Encode everything before touching the folder.
    std::vector<CrestFile> files;
    if (ally) {
        files.push_back({folder + L"\\ally.bmp", EncodeColumns(crest, 0, vx::kAllyCrestWidth)});
        files.push_back({folder + L"\\clan.bmp", EncodeColumns(crest, vx::kAllyCrestWidth, vx::kClanCrestWidth)});
    } else {
        files.push_back({folder + L"\\clan.bmp", EncodeColumns(crest, 0, vx::kClanCrestWidth)});
    }
    std::vector<vx::FileContent> contents;
    for (const CrestFile& file : files) contents.push_back({std::filesystem::path(file.path), file.bytes});
    try {
        vx::WriteFilesAtomically(contents, "vexillor-cli");
    } catch (const vx::RunTimeError& error) {
        PrintLine(stderr, "vexillor-cli: cannot write the crest files into " + Utf8(folder) + ": " +
                              error.Description());
        return kExitFailure;
    }
    for (const CrestFile& file : files) PrintLine(stdout, Utf8(file.path));
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
    if ((args.size() == 3 || args.size() == 4) && args[0] == L"crest") {
        bool ally = false;
        if (args.size() == 4) {
            if (args[3] != L"--ally") {
                PrintLine(stderr, kUsage);
                return kExitUsage;
            }
            ally = true;
        }
        return Crest(args[1], args[2], ally);
    }
    PrintLine(stderr, kUsage);
    return kExitUsage;
}
