// vexillor-cli: the crest workflow for scripts and batch use.
//
//   vexillor-cli info FILE
//   vexillor-cli crest PICTURE FOLDER [--ally] [--keep-proportions] [--mirror] [--flip] [--rotate 90|180|270]
//                      [--crop X,Y,W,H | --trim] [--background RRGGBB] [--crisp]
//   vexillor-cli gif-frames GIF OUTDIR [--background RRGGBB] [--max-output SIZE]
#include <windows.h>

#include <fcntl.h>
#include <io.h>

#include <string>
#include <vector>

#include "app/cli_commands.h"
#include "common/version_info.h"
#include "common/win_handles.h"

namespace vx::cli {

const char kUsage[] =
    "usage: vexillor-cli info FILE | crest PICTURE FOLDER [--ally] [--keep-proportions] [--mirror] [--flip] "
    "[--rotate 90|180|270] [--crop X,Y,W,H | --trim] [--background RRGGBB] [--crisp] | gif-frames GIF OUTDIR "
    "[--background RRGGBB] [--max-output SIZE] | --help | --version";

void PrintLine(std::FILE* stream, const std::string& line) {
    std::fwrite(line.data(), 1, line.size(), stream);
    std::fputc('\n', stream);
    std::fflush(stream);
}

int WrongArguments(const std::string& problem) {
    if (!problem.empty()) PrintLine(stderr, "vexillor-cli: " + problem);
    PrintLine(stderr, kUsage);
    return kExitUsage;
}

std::string ArgumentProblem(const std::wstring& argument, bool known) {
    if (!argument.starts_with(L"--")) return "extra argument " + Utf8FromWide(argument);
    return (known ? "repeated option " : "unknown option ") + Utf8FromWide(argument);
}

namespace {

void PrintHelp() {
    PrintLine(
        stdout,
        "vexillor-cli: make Aldmoor crest files from pictures.\n"
        "\n"
        "  vexillor-cli info FILE\n"
        "      Reads the picture's header and prints one line:\n"
        "      type=T width=W height=H depth=D size=S\n"
        "      (type 0 unknown, 1 GIF, 2 JPEG, 3 PNG, 4 BMP, 5 PCX, 6 TIFF; size in bytes).\n"
        "      A header that cannot be read prints 'error N: DESCRIPTION' and exits 1.\n"
        "\n"
        "  vexillor-cli crest PICTURE FOLDER [--ally] [--keep-proportions] [--mirror] [--flip] [--rotate 90|180|270]\n"
        "                    [--crop X,Y,W,H | --trim] [--background RRGGBB] [--crisp]\n"
        "      Squeezes the whole picture into a 16 x 12 clan crest and writes FOLDER\\clan.bmp;\n"
        "      with --ally into a 24 x 12 strip, written as FOLDER\\ally.bmp (its left 8 columns)\n"
        "      and FOLDER\\clan.bmp (the other 16). Prints each written path. On any failure\n"
        "      it prints one line on standard error, exits 1 and leaves the folder as it was.\n"
        "      --keep-proportions squeezes only the centred part of the picture with the crest's\n"
        "      own proportions (4 : 3 for the clan crest, 2 : 1 for the strip).\n"
        "      --crisp squeezes with the crisp squeeze: an enlarged pixel-art picture comes back\n"
        "      to its own pixels, and thin strokes stay lines instead of grey smears.\n"
        "      Before the squeeze the picture can be turned, in this order whatever the order\n"
        "      of the options: --rotate 90 a quarter turn anticlockwise, 180 a half turn,\n"
        "      270 a quarter turn clockwise; then --mirror left to right; then --flip upside down.\n"
        "      Then --crop X,Y,W,H squeezes only that rectangle of the turned picture (left, top,\n"
        "      width, height in its pixels), or --trim only the smallest rectangle holding every\n"
        "      pixel that is not fully transparent (in a picture without transparency, every pixel\n"
        "      that differs from its four corners when they agree); --keep-proportions then takes\n"
        "      the centred part of that rectangle. A rectangle not inside the picture, or both\n"
        "      options together, exits 2 naming the picture's size.\n"
        "      Transparent pixels are laid over --background RRGGBB (default F0F0F0, the colour\n"
        "      the window uses until a player picks one).\n"
        "\n"
        "  vexillor-cli --version\n"
        "      Prints the program's version.\n"
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

}  // namespace
}  // namespace vx::cli

using namespace vx::cli;

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
    if (args.size() == 1 && args[0] == L"--version") {
        PrintLine(stdout, "vexillor-cli " + vx::Utf8FromWide(vx::ProgramVersion()));
        return kExitOk;
    }
    if (args.empty()) return WrongArguments({});
    const std::wstring& command = args[0];
    if (command == L"info") {
        if (args.size() == 2) return Info(args[1]);
        return WrongArguments(args.size() < 2 ? "info needs a FILE" : ArgumentProblem(args[2], false));
    }
    if (command == L"crest") {
        if (args.size() >= 3) return CrestCommand({args.begin() + 1, args.end()});
        return WrongArguments("crest needs a PICTURE and a FOLDER");
    }
    if (command == L"gif-frames") {
        if (args.size() >= 3) return GifFramesCommand({args.begin() + 1, args.end()});
        return WrongArguments("gif-frames needs a GIF and an OUTDIR");
    }
    return WrongArguments(command.starts_with(L"--") ? ArgumentProblem(command, false)
                                                     : "unknown command " + vx::Utf8FromWide(command));
}
