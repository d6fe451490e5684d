// vexillor-cli, run as a separate program: its output lines, exit codes,
// and crest files identical to the window's.
#include <windows.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <regex>
#include <vector>

#include "bmp/bmp_file.h"
#include "common/picture_loader.h"
#include "support/win_test_support.h"

namespace vx {
namespace {

using test::DataPath;

test::ProcessResult Cli(const std::wstring& arguments) {
    return test::RunProcess(test::Quoted(test::RepoPath(VX_CLI_PATH)) + L" " + arguments);
}

using test::Quoted;

TEST(CommandLine, InfoPrintsOneLineOfHeaderFacts) {
    const auto png = Cli(L"info " + Quoted(DataPath(L"pictures\\sample.png")));
    EXPECT_EQ(png.exitCode, 0u);
    EXPECT_EQ(png.out, "type=3 width=120 height=80 depth=24 size=272\n");
    const auto bmp = Cli(L"info " + Quoted(DataPath(L"pictures\\sample.bmp")));
    EXPECT_EQ(bmp.out, "type=4 width=120 height=80 depth=24 size=28854\n");
    // A file of no known kind is not an error: zeros and its length.
    const auto text = Cli(L"info " + Quoted(DataPath(L"pictures\\notapicture.txt")));
    EXPECT_EQ(text.exitCode, 0u);
    EXPECT_EQ(text.out, "type=0 width=0 height=0 depth=0 size=36\n");
}

TEST(CommandLine, InfoReportsReaderErrorsWithTheirNumbers) {
    test::TempFolder folder;
    auto bytes = test::ReadFileBytes(DataPath(L"pictures\\sample.bmp"));
    bytes.resize(20);
    test::WriteFileBytes(folder.File(L"short.bmp"), bytes);
    const auto truncated = Cli(L"info " + Quoted(folder.File(L"short.bmp")));
    EXPECT_EQ(truncated.exitCode, 1u);
    EXPECT_TRUE(truncated.err.starts_with("error 9: ")) << truncated.err;
    EXPECT_EQ(truncated.out, "");
    const auto missing = Cli(L"info " + Quoted(folder.File(L"missing.png")));
    EXPECT_EQ(missing.exitCode, 1u);
    EXPECT_TRUE(missing.err.starts_with("error 53: ")) << missing.err;
}

TEST(CommandLine, CrestWritesTheClanFileAndPrintsItsPath) {
    test::TempFolder out;
    const auto result = Cli(L"crest " + Quoted(DataPath(L"pictures\\sample.png")) + L" " + Quoted(out.WidePath()));
    ASSERT_EQ(result.exitCode, 0u) << result.err;
    const std::wstring clan = out.WidePath() + L"\\clan.bmp";
    EXPECT_EQ(result.out, std::string(clan.begin(), clan.end()) + "\n");
    EXPECT_EQ(test::ReadFileBytes(clan).size(), 1270u);
    Bitmap32 crest = LoadPictureFile(clan, 0);
    EXPECT_EQ(crest.pixel(0, 0) & 0xFFFFFF, 0xFF0000u);
    EXPECT_EQ(crest.pixel(15, 11) & 0xFFFFFF, 0xFFFF00u);
}

TEST(CommandLine, CrestWithAllyWritesBothFiles) {
    test::TempFolder out;
    const auto result =
        Cli(L"crest " + Quoted(DataPath(L"pictures\\sample.bmp")) + L" " + Quoted(out.WidePath()) + L" --ally");
    ASSERT_EQ(result.exitCode, 0u) << result.err;
    const std::wstring ally = out.WidePath() + L"\\ally.bmp", clan = out.WidePath() + L"\\clan.bmp";
    EXPECT_EQ(result.out, std::string(ally.begin(), ally.end()) + "\n" + std::string(clan.begin(), clan.end()) + "\n");
    EXPECT_EQ(test::ReadFileBytes(ally).size(), 1174u);
    EXPECT_EQ(test::ReadFileBytes(clan).size(), 1270u);
    // The picture's left third is red (top) and blue (bottom).
    Bitmap32 allyCrest = LoadPictureFile(ally, 0);
    EXPECT_EQ(allyCrest.pixel(2, 1) & 0xFFFFFF, 0xFF0000u);
    EXPECT_EQ(allyCrest.pixel(2, 10) & 0xFFFFFF, 0x0000FFu);
}

TEST(CommandLine, CrestFailuresLeaveTheFolderAsItWas) {
    test::TempFolder out;
    const std::vector<unsigned char> old = {'o', 'l', 'd'};
    test::WriteFileBytes(out.File(L"ally.bmp"), old);
    // clan.bmp is a folder, so the second file cannot be written.
    CreateDirectoryW(out.File(L"clan.bmp").c_str(), nullptr);
    const auto blocked =
        Cli(L"crest " + Quoted(DataPath(L"pictures\\sample.bmp")) + L" " + Quoted(out.WidePath()) + L" --ally");
    EXPECT_EQ(blocked.exitCode, 1u);
    EXPECT_EQ(std::count(blocked.err.begin(), blocked.err.end(), '\n'), 1);
    EXPECT_EQ(test::ReadFileBytes(out.File(L"ally.bmp")), old);

    const auto notPicture =
        Cli(L"crest " + Quoted(DataPath(L"pictures\\notapicture.txt")) + L" " + Quoted(out.WidePath()));
    EXPECT_EQ(notPicture.exitCode, 1u);
    EXPECT_FALSE(notPicture.err.empty());
    const auto noFolder =
        Cli(L"crest " + Quoted(DataPath(L"pictures\\sample.bmp")) + L" " + Quoted(out.File(L"missing")));
    EXPECT_EQ(noFolder.exitCode, 1u);
    EXPECT_EQ(GetFileAttributesW(out.File(L"missing").c_str()), INVALID_FILE_ATTRIBUTES);
}

// A 32 x 24 picture in four quarters: red, green on top; blue, white below.
std::wstring QuarteredPicture(const test::TempFolder& folder) {
    BgraImage picture(32, 24);
    for (int y = 0; y < 24; ++y)
        for (int x = 0; x < 32; ++x)
            picture.SetColor(x, y,
                             y < 12 ? (x < 16 ? MakeColorref(255, 0, 0) : MakeColorref(0, 255, 0))
                                    : (x < 16 ? MakeColorref(0, 0, 255) : MakeColorref(255, 255, 255)));
    const std::wstring path = folder.File(L"quarters.bmp");
    const std::vector<std::uint8_t> bytes = bmp::EncodeBmpFile(picture.View(), 24);
    test::WriteFileBytes(path, {bytes.begin(), bytes.end()});
    return path;
}

TEST(CommandLine, CrestTurnsThePictureRotateThenMirrorThenFlip) {
    test::TempFolder folder;
    const std::wstring picture = QuarteredPicture(folder);
    constexpr std::uint32_t R = 0xFF0000, G = 0x00FF00, B = 0x0000FF, W = 0xFFFFFF;
    const struct {
        const wchar_t* options;
        std::uint32_t topLeft, topRight, bottomLeft, bottomRight;
    } cases[] = {
        {L"", R, G, B, W},
        {L"--mirror", G, R, W, B},
        {L"--flip", B, W, R, G},
        {L"--rotate 90", G, W, R, B},  // anticlockwise: the right edge comes to the top
        {L"--rotate 270", B, R, W, G},
        {L"--mirror --rotate 90", W, G, B, R},  // turned first, then mirrored
        {L"--flip --rotate 180 --mirror", R, G, B, W},
    };
    for (const auto& c : cases) {
        const auto result = Cli(L"crest " + Quoted(picture) + L" " + Quoted(folder.WidePath()) + L" " + c.options);
        ASSERT_EQ(result.exitCode, 0u) << result.err;
        Bitmap32 crest = LoadPictureFile(folder.File(L"clan.bmp"), 0);
        EXPECT_EQ(crest.pixel(2, 2) & 0xFFFFFF, c.topLeft) << c.options;
        EXPECT_EQ(crest.pixel(13, 2) & 0xFFFFFF, c.topRight) << c.options;
        EXPECT_EQ(crest.pixel(2, 9) & 0xFFFFFF, c.bottomLeft) << c.options;
        EXPECT_EQ(crest.pixel(13, 9) & 0xFFFFFF, c.bottomRight) << c.options;
    }
    // With the ally crest too: the strip's left part is the ally crest.
    ASSERT_EQ(Cli(L"crest " + Quoted(picture) + L" " + Quoted(folder.WidePath()) + L" --ally --flip").exitCode, 0u);
    EXPECT_EQ(LoadPictureFile(folder.File(L"ally.bmp"), 0).pixel(2, 2) & 0xFFFFFF, B);
    EXPECT_EQ(LoadPictureFile(folder.File(L"clan.bmp"), 0).pixel(13, 9) & 0xFFFFFF, G);
    DeleteFileW(folder.File(L"clan.bmp").c_str());
    for (const wchar_t* wrong : {L"--rotate 45", L"--rotate", L"--rotate -90", L"--rotate 90 --rotate 90"}) {
        const auto result = Cli(L"crest " + Quoted(picture) + L" " + Quoted(folder.WidePath()) + L" " + wrong);
        EXPECT_EQ(result.exitCode, 2u) << wrong;
        // What is wrong, then the usage line.
        EXPECT_EQ(std::count(result.err.begin(), result.err.end(), '\n'), 2) << result.err;
    }
    EXPECT_EQ(GetFileAttributesW(folder.File(L"clan.bmp").c_str()), INVALID_FILE_ATTRIBUTES);
}

TEST(CommandLine, CrispBringsAnEnlargedCrestBackAndComposesWithTheTurnsAndTheCrop) {
    // A 16 x 12 red and green chequer with one blue corner, enlarged 2.5
    // times, inside a white margin that the crop leaves out.
    auto cell = [](int x, int y) {
        return x == 15 && y == 11 ? MakeColorref(0, 0, 255)
               : (x + y) % 2      ? MakeColorref(0, 255, 0)
                                  : MakeColorref(255, 0, 0);
    };
    test::TempFolder folder;
    BgraImage enlarged(52, 38);
    enlarged.Fill(MakeColorref(255, 255, 255));
    for (int y = 0; y < 30; ++y)
        for (int x = 0; x < 40; ++x) enlarged.SetColor(6 + x, 4 + y, cell(x * 2 / 5, y * 2 / 5));
    const std::wstring picture = folder.File(L"enlarged.bmp");
    const std::vector<std::uint8_t> bytes = bmp::EncodeBmpFile(enlarged.View(), 24);
    test::WriteFileBytes(picture, {bytes.begin(), bytes.end()});
    const auto result =
        Cli(L"crest " + Quoted(picture) + L" " + Quoted(folder.WidePath()) + L" --rotate 180 --crisp --crop 6,4,40,30");
    ASSERT_EQ(result.exitCode, 0u) << result.err;
    Bitmap32 crest = LoadPictureFile(folder.File(L"clan.bmp"), 0);
    for (int y = 0; y < 12; ++y)
        for (int x = 0; x < 16; ++x)
            ASSERT_EQ(crest.pixel(x, y) & 0xFFFFFF, static_cast<std::uint32_t>(ColorrefToRgb(cell(15 - x, 11 - y))))
                << x << "," << y;
}

TEST(CommandLine, CrestKeepsProportionsOnRequest) {
    // 64 x 24: red and blue ends around a green middle that is the picture's 4 : 3 part.
    test::TempFolder folder;
    BgraImage wide(64, 24);
    for (int y = 0; y < 24; ++y)
        for (int x = 0; x < 64; ++x)
            wide.SetColor(x, y,
                          x < 16   ? MakeColorref(255, 0, 0)
                          : x < 48 ? MakeColorref(0, 255, 0)
                                   : MakeColorref(0, 0, 255));
    const std::wstring picture = folder.File(L"wide.bmp");
    const std::vector<std::uint8_t> bytes = bmp::EncodeBmpFile(wide.View(), 24);
    test::WriteFileBytes(picture, {bytes.begin(), bytes.end()});
    const auto result = Cli(L"crest " + Quoted(picture) + L" " + Quoted(folder.WidePath()) + L" --keep-proportions");
    ASSERT_EQ(result.exitCode, 0u) << result.err;
    Bitmap32 crest = LoadPictureFile(folder.File(L"clan.bmp"), 0);
    EXPECT_EQ(crest.pixel(0, 0) & 0xFFFFFF, 0x00FF00u);
    EXPECT_EQ(crest.pixel(15, 11) & 0xFFFFFF, 0x00FF00u);
}

// A crest pair in a folder, as an earlier save left it.
struct OldCrests {
    explicit OldCrests(const test::TempFolder& folder) : folder_(folder) {
        test::WriteFileBytes(folder.File(L"ally.bmp"), ally);
        test::WriteFileBytes(folder.File(L"clan.bmp"), clan);
    }
    test::ProcessResult SaveAlly() const {
        return Cli(L"crest " + Quoted(DataPath(L"pictures\\sample.bmp")) + L" " + Quoted(folder_.WidePath()) +
                   L" --ally");
    }
    void ExpectUnchanged() const {
        EXPECT_EQ(test::ReadFileBytes(folder_.File(L"ally.bmp")), ally);
        EXPECT_EQ(test::ReadFileBytes(folder_.File(L"clan.bmp")), clan);
        std::vector<std::wstring> names;
        for (const auto& entry : std::filesystem::directory_iterator(folder_.WidePath()))
            names.push_back(entry.path().filename().wstring());
        std::sort(names.begin(), names.end());
        EXPECT_EQ(names, (std::vector<std::wstring>{L"ally.bmp", L"clan.bmp"}));
    }
    const test::TempFolder& folder_;
    const std::vector<unsigned char> ally = {'o', 'l', 'd', 'a'}, clan = {'o', 'l', 'd', 'c'};
};

TEST(CommandLine, APairNeverMixesWhenTheClanCrestIsLocked) {
    test::TempFolder out;
    OldCrests old(out);
    // A running game may hold the crest open without sharing.
    HANDLE lock = CreateFileW(out.File(L"clan.bmp").c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(lock, INVALID_HANDLE_VALUE);
    const auto result = old.SaveAlly();
    CloseHandle(lock);
    EXPECT_EQ(result.exitCode, 1u);
    EXPECT_NE(result.err.find("(error 70)"), std::string::npos) << result.err;
    EXPECT_EQ(result.out, "");
    old.ExpectUnchanged();
}

TEST(CommandLine, AReadOnlyClanCrestFailsWithNothingChanged) {
    test::TempFolder out;
    OldCrests old(out);
    SetFileAttributesW(out.File(L"clan.bmp").c_str(), FILE_ATTRIBUTE_READONLY);
    const auto result = old.SaveAlly();
    SetFileAttributesW(out.File(L"clan.bmp").c_str(), FILE_ATTRIBUTE_NORMAL);
    EXPECT_EQ(result.exitCode, 1u);
    EXPECT_NE(result.err.find("read-only"), std::string::npos) << result.err;
    old.ExpectUnchanged();
}

TEST(CommandLine, ErrorsSayWhatHappened) {
    test::TempFolder folder;
    const std::wstring sample = Quoted(DataPath(L"pictures\\sample.bmp"));
    const auto folderAsPicture = Cli(L"crest " + Quoted(folder.WidePath()) + L" " + Quoted(folder.WidePath()));
    EXPECT_EQ(folderAsPicture.exitCode, 1u);
    EXPECT_NE(folderAsPicture.err.find("is a folder, not a picture"), std::string::npos) << folderAsPicture.err;

    test::WriteFileBytes(folder.File(L"file"), {1});
    const auto fileAsFolder = Cli(L"crest " + sample + L" " + Quoted(folder.File(L"file")));
    EXPECT_NE(fileAsFolder.err.find("is a file, not a folder"), std::string::npos) << fileAsFolder.err;

    test::WriteFileBytes(folder.File(L"empty.png"), {});
    const auto empty = Cli(L"crest " + Quoted(folder.File(L"empty.png")) + L" " + Quoted(folder.WidePath()));
    EXPECT_EQ(empty.exitCode, 1u);
    EXPECT_NE(empty.err.find("the file is empty or its header is cut short (error 9)"), std::string::npos) << empty.err;

    // A PNG header declaring a width of 0xFFFFFFFF.
    std::vector<unsigned char> png = {0x89, 'P', 'N', 'G', 0x0D, 0x0A, 0x1A, 0x0A, 0,    0, 0,
                                      13,   'I', 'H', 'D', 'R',  0xFF, 0xFF, 0xFF, 0xFF, 0, 0,
                                      0,    1,   8,   2,   0,    0,    0,    0,    0,    0, 0};
    test::WriteFileBytes(folder.File(L"wide.png"), png);
    const auto wide = Cli(L"info " + Quoted(folder.File(L"wide.png")));
    EXPECT_EQ(wide.exitCode, 1u);
    EXPECT_TRUE(wide.err.starts_with("error 6: ")) << wide.err;
    EXPECT_EQ(wide.out, "");

    // 20000 x 20000 declared: refused by its size before decoding.
    png[16] = 0;
    png[17] = 0;
    png[18] = 0x4E;
    png[19] = 0x20;
    png[20] = 0;
    png[21] = 0;
    png[22] = 0x4E;
    png[23] = 0x20;
    test::WriteFileBytes(folder.File(L"big.png"), png);
    const auto big = Cli(L"crest " + Quoted(folder.File(L"big.png")) + L" " + Quoted(folder.WidePath()));
    EXPECT_EQ(big.exitCode, 1u);
    EXPECT_NE(big.err.find("20000 x 20000 pixels"), std::string::npos) << big.err;
    EXPECT_EQ(std::count(big.err.begin(), big.err.end(), '\n'), 1);
}

TEST(CommandLine, CrestFramesThePictureAndLaysItOverTheBackground) {
    // alpha.png, 20 x 10: its left half transparent, its right half green.
    test::TempFolder folder;
    const std::wstring start = L"crest " + Quoted(DataPath(L"pictures\\alpha.png")) + L" " + Quoted(folder.WidePath());
    const auto corners = [&](const wchar_t* options) {
        const auto result = Cli(start + L" " + options);
        EXPECT_EQ(result.exitCode, 0u) << result.err;
        const Bitmap32 crest = LoadPictureFile(folder.File(L"clan.bmp"), 0);
        return std::pair{crest.pixel(0, 0) & 0xFFFFFF, crest.pixel(15, 11) & 0xFFFFFF};
    };
    constexpr std::uint32_t kGreen = 0x008000;
    EXPECT_EQ(corners(L""), (std::pair{0xF0F0F0u, kGreen}));
    EXPECT_EQ(corners(L"--background ff0000"), (std::pair{0xFF0000u, kGreen}));
    EXPECT_EQ(corners(L"--trim"), (std::pair{kGreen, kGreen}));
    EXPECT_EQ(corners(L"--crop 0,0,10,10 --background 0000FF"), (std::pair{0x0000FFu, 0x0000FFu}));
    // Turned first: a quarter turn anticlockwise brings the green half to the top.
    EXPECT_EQ(corners(L"--crop 0,0,10,10 --rotate 90"), (std::pair{kGreen, kGreen}));

    for (const auto& [options, size] : {std::pair{L"--crop 15,0,10,10", "20 x 10"},
                                        {L"--crop 0,0,0,5", "20 x 10"},
                                        {L"--rotate 90 --crop 0,0,20,10", "10 x 20"},
                                        {L"--trim --crop 1,1,2,2", "20 x 10"}}) {
        const auto result = Cli(start + L" " + options);
        EXPECT_EQ(result.exitCode, 2u) << result.err;
        EXPECT_NE(result.err.find(size), std::string::npos) << result.err;
        EXPECT_EQ(std::count(result.err.begin(), result.err.end(), '\n'), 1) << result.err;
    }
    for (const wchar_t* wrong : {L"--crop 1,2,3", L"--crop", L"--background 12345", L"--background red"})
        EXPECT_EQ(Cli(start + L" " + wrong).exitCode, 2u) << wrong;
}

TEST(CommandLine, HelpAndWrongArguments) {
    const auto help = Cli(L"--help");
    EXPECT_EQ(help.exitCode, 0u);
    EXPECT_NE(help.out.find("vexillor-cli info FILE"), std::string::npos);
    EXPECT_NE(help.out.find("vexillor-cli crest PICTURE FOLDER [--ally]"), std::string::npos);
    EXPECT_NE(help.out.find("[--mirror] [--flip] [--rotate 90|180|270]"), std::string::npos);
    EXPECT_NE(help.out.find("--background RRGGBB (default F0F0F0"), std::string::npos);
    EXPECT_TRUE(Cli(L"").err.starts_with("usage: "));
    // Each mistake names itself before the usage line.
    const struct {
        const wchar_t* arguments;
        const char* problem;
    } wrongs[] = {{L"paint x", "unknown command paint"},
                  {L"info", "info needs a FILE"},
                  {L"info a b", "extra argument b"},
                  {L"crest a b --bogus", "unknown option --bogus"},
                  {L"crest a b --mirror --mirror", "repeated option --mirror"},
                  {L"crest a b c", "extra argument c"}};
    for (const auto& wrong : wrongs) {
        const auto result = Cli(wrong.arguments);
        EXPECT_EQ(result.exitCode, 2u);
        EXPECT_TRUE(result.err.starts_with("vexillor-cli: " + std::string(wrong.problem) + "\nusage: ")) << result.err;
    }
    const auto version = Cli(L"--version");
    EXPECT_EQ(version.exitCode, 0u);
    EXPECT_TRUE(std::regex_match(version.out, std::regex("vexillor-cli [0-9]+\\.[0-9]+\\.[0-9]+\n"))) << version.out;
}

}  // namespace
}  // namespace vx
