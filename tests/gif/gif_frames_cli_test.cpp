// vexillor-cli gif-frames, run as a separate program: its report lines, the
// composed frames it writes as 24-bit BMP files, and its failures.
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

#include "common/picture_loader.h"
#include "support/gif_builder.h"
#include "gif/gif_index.h"
#include "support/win_test_support.h"

namespace vx {
namespace {

using gif::fixtures::Frame;
using gif::fixtures::FramePlan;
using gif::fixtures::GifPlan;
using gif::fixtures::WriteGif;

constexpr std::uint32_t kGrey = 0x0A0A0A, kRed = 0xFF0000, kGreen = 0x00FF00, kBlue = 0x0000FF, kWhite = 0xFFFFFF;
constexpr std::uint32_t kMagenta = 0xFF00FF;

test::ProcessResult Cli(const std::wstring& arguments) {
    return test::RunProcess(test::Quoted(test::RepoPath(VX_CLI_PATH)) + L" " + arguments);
}
using test::Quoted;

// Red field; transparent frame, disposal 2; opaque frame, disposal 3; a
// frame with its own palette; a frame without extension.
GifPlan Animation() {
    GifPlan plan;
    plan.globalPalette = {kGrey, kRed, kGreen, kBlue};
    plan.loops = 3;
    plan.frames.push_back(Frame(0, 0, 4, 4, std::vector<std::uint8_t>(16, 1), gif::Disposal::Keep));
    plan.frames.push_back(Frame(1, 1, 2, 2, {0, 2, 2, 0}, gif::Disposal::RestoreBackground, 0));
    plan.frames[1].delay = 30;
    plan.frames.push_back(Frame(0, 0, 2, 2, {3, 3, 3, 0}, gif::Disposal::RestorePrevious));
    plan.frames.push_back(Frame(3, 3, 1, 1, {0}, gif::Disposal::Unspecified));
    plan.frames.back().localPalette = {kWhite};
    plan.frames.push_back(Frame(0, 3, 1, 1, {0}, gif::Disposal::Unspecified));
    plan.frames.back().extension = false;
    plan.frames.back().delay = 7;
    return plan;
}

using Grid = std::vector<std::vector<std::uint32_t>>;

Grid ReadBmp(const std::wstring& path) {
    const std::vector<unsigned char> bytes = test::ReadFileBytes(path);
    EXPECT_GE(bytes.size(), 54u);
    if (bytes.size() >= 30) {
        EXPECT_EQ(bytes[28], 24) << "bits per pixel";
    }
    const Bitmap32 picture = LoadPictureFile(path, 0);
    Grid grid(static_cast<std::size_t>(picture.height()), std::vector<std::uint32_t>(picture.width()));
    for (int y = 0; y < picture.height(); ++y)
        for (int x = 0; x < picture.width(); ++x) grid[y][x] = picture.pixel(x, y) & 0xFFFFFF;
    return grid;
}

TEST(GifFramesCommand, ReportsTheFramesAndWritesEachComposedFrame) {
    test::TempFolder folder;
    test::WriteFileBytes(folder.File(L"anim.gif"), WriteGif(Animation()));
    const std::wstring out = folder.File(L"frames");
    const auto result =
        Cli(L"gif-frames " + Quoted(folder.File(L"anim.gif")) + L" " + Quoted(out) + L" --background ff00FF");
    ASSERT_EQ(result.exitCode, 0u) << result.err;
    EXPECT_EQ(result.err, "");
    EXPECT_EQ(result.out,
              "frames=5 loop=3 width=4 height=4\n"
              "frame=1 delay=50 disposal=1 left=0 top=0 width=4 height=4\n"
              "frame=2 delay=300 disposal=2 left=1 top=1 width=2 height=2\n"
              "frame=3 delay=50 disposal=3 left=0 top=0 width=2 height=2\n"
              "frame=4 delay=50 disposal=0 left=3 top=3 width=1 height=1\n"
              "frame=5 delay=50 disposal=0 left=0 top=3 width=1 height=1\n");

    const std::uint32_t R = kRed, G = kGreen, B = kBlue, g = kGrey, W = kWhite, M = kMagenta;
    const std::vector<Grid> expected = {
        {{R, R, R, R}, {R, R, R, R}, {R, R, R, R}, {R, R, R, R}},
        {{R, R, R, R}, {R, R, G, R}, {R, G, R, R}, {R, R, R, R}},
        {{B, B, R, R}, {B, g, M, R}, {R, M, M, R}, {R, R, R, R}},
        {{R, R, R, R}, {R, M, M, R}, {R, M, M, R}, {R, R, R, W}},
        {{R, R, R, R}, {R, M, M, R}, {R, M, M, R}, {g, R, R, W}},
    };
    for (int k = 1; k <= 5; ++k) {
        const std::wstring name = L"frame-000" + std::to_wstring(k) + L".bmp";
        EXPECT_EQ(ReadBmp(out + L"\\" + name), expected[k - 1]) << k;
    }
    EXPECT_EQ(GetFileAttributesW((out + L"\\frame-0006.bmp").c_str()), INVALID_FILE_ATTRIBUTES);
}

TEST(GifFramesCommand, TheDefaultBackgroundIsBlack) {
    test::TempFolder folder;
    GifPlan plan;
    plan.globalPalette = {kGrey, kRed};
    plan.frames.push_back(Frame(0, 0, 2, 1, {0, 1}, gif::Disposal::Unspecified, 0));
    test::WriteFileBytes(folder.File(L"one.gif"), WriteGif(plan));
    const auto result = Cli(L"gif-frames " + Quoted(folder.File(L"one.gif")) + L" " + Quoted(folder.WidePath()));
    ASSERT_EQ(result.exitCode, 0u) << result.err;
    EXPECT_EQ(result.out,
              "frames=1 loop=0 width=2 height=1\n"
              "frame=1 delay=50 disposal=0 left=0 top=0 width=2 height=1\n");
    EXPECT_EQ(ReadBmp(folder.File(L"frame-0001.bmp")), (Grid{{0u, kRed}}));
}

TEST(GifFramesCommand, FilesThatCannotBeShownFailWithOneLine) {
    test::TempFolder folder;
    test::WriteFileBytes(folder.File(L"text.gif"), std::vector<unsigned char>(100, 'x'));
    // Tiny frames far apart: an animation of 60001 x 60001 pixels.
    GifPlan spread;
    spread.globalPalette = {kGrey, kRed};
    spread.frames.push_back(Frame(0, 0, 1, 1, {1}, gif::Disposal::Unspecified));
    spread.frames.push_back(Frame(60000, 60000, 1, 1, {1}, gif::Disposal::Unspecified));
    test::WriteFileBytes(folder.File(L"spread.gif"), WriteGif(spread));

    for (const wchar_t* name : {L"text.gif", L"missing.gif", L"spread.gif"}) {
        const auto result = Cli(L"gif-frames " + Quoted(folder.File(name)) + L" " + Quoted(folder.File(L"out")));
        EXPECT_EQ(result.exitCode, 1u) << name;
        EXPECT_EQ(result.out, "") << name;
        EXPECT_EQ(GetFileAttributesW(folder.File(L"out").c_str()), INVALID_FILE_ATTRIBUTES) << name;
        EXPECT_EQ(std::count(result.err.begin(), result.err.end(), '\n'), 1) << result.err;
        EXPECT_TRUE(result.err.starts_with("vexillor-cli: ")) << result.err;
    }

    // A folder that cannot be made (a file is in its way).
    test::WriteFileBytes(folder.File(L"taken"), {1});
    test::WriteFileBytes(folder.File(L"anim.gif"), WriteGif(Animation()));
    const auto blocked = Cli(L"gif-frames " + Quoted(folder.File(L"anim.gif")) + L" " + Quoted(folder.File(L"taken")));
    EXPECT_EQ(blocked.exitCode, 1u);
    EXPECT_NE(blocked.err.find("cannot make the folder"), std::string::npos) << blocked.err;
}

TEST(GifFramesCommand, MoreThanAHundredFramesKeepWhatTheFirstLeft) {
    // Progress after frame 1 (and frame 2 of 201) is 0 as well as at the
    // start; the canvas is prepared once, so the kept red field stays.
    for (int count : {101, 201}) {
        test::TempFolder folder;
        test::WriteFileBytes(folder.File(L"many.gif"),
                             WriteGif(gif::fixtures::ClearFramesAfterARedOne(count, gif::Disposal::Keep)));
        const auto result = Cli(L"gif-frames " + Quoted(folder.File(L"many.gif")) + L" " + Quoted(folder.File(L"out")) +
                                L" --background 0000FF");
        ASSERT_EQ(result.exitCode, 0u) << result.err;
        const Grid third = ReadBmp(folder.File(L"out\\frame-0003.bmp"));
        ASSERT_EQ(third.size(), 10u);
        EXPECT_EQ(third[0][0], kGreen) << count;
        EXPECT_EQ(third[5][5], kRed) << count;
        EXPECT_EQ(third[9][9], kRed) << count;
    }
}

TEST(GifFramesCommand, ARefusedFileSaysWhichLimitRefusedIt) {
    // 1100 frames of 500 x 500 need a strip beyond the strip limit.
    std::vector<unsigned char> gif = {'G', 'I', 'F', '8', '9', 'a', 1, 0, 1, 0, 0x80, 0, 0, 0, 0, 0, 255, 255, 255};
    for (int k = 0; k < 1100; ++k)
        gif.insert(gif.end(), {0x2C, 0, 0, 0, 0, 0xF4, 0x01, 0xF4, 0x01, 0, 2, 2, 0x4C, 0x01, 0});
    gif.push_back(0x3B);
    test::TempFolder folder;
    test::WriteFileBytes(folder.File(L"huge.gif"), gif);
    const auto result = Cli(L"gif-frames " + Quoted(folder.File(L"huge.gif")) + L" " + Quoted(folder.File(L"out")));
    EXPECT_EQ(result.exitCode, 1u);
    EXPECT_NE(result.err.find("GIF too large: 1100 frames of 500 x 500 need 263 MB, the limit is 256 MB"),
              std::string::npos)
        << result.err;
}

GifPlan Squares(int frames, std::uint16_t side) {
    GifPlan plan;
    plan.globalPalette = {kGrey, kRed};
    for (int k = 0; k < frames; ++k)
        plan.frames.push_back(Frame(0, 0, side, side, std::vector<std::uint8_t>(std::size_t{side} * side, k % 2),
                                    gif::Disposal::Unspecified));
    return plan;
}

TEST(GifFramesCommand, OutputAboveTheLimitIsRefusedBeforeAnythingIsWritten) {
    test::TempFolder folder;
    // 3 frames of 100 x 100: 3 x (58 + 300 x 100) = 90174 bytes.
    test::WriteFileBytes(folder.File(L"three.gif"), WriteGif(Squares(3, 100)));
    const std::wstring command =
        L"gif-frames " + Quoted(folder.File(L"three.gif")) + L" " + Quoted(folder.File(L"out"));
    const auto refused = Cli(command + L" --max-output 50K");
    EXPECT_EQ(refused.exitCode, 1u);
    EXPECT_NE(refused.err.find("90174 bytes"), std::string::npos) << refused.err;
    EXPECT_NE(refused.err.find("50 KB"), std::string::npos) << refused.err;
    EXPECT_EQ(GetFileAttributesW(folder.File(L"out").c_str()), INVALID_FILE_ATTRIBUTES);
    const auto raised = Cli(command + L" --max-output 100K --background 102030");
    EXPECT_EQ(raised.exitCode, 0u) << raised.err;
    EXPECT_EQ(ReadBmp(folder.File(L"out\\frame-0003.bmp"))[0][0], kGrey);
}

TEST(GifFramesCommand, AFailureRemovesWhatThisRunWrote) {
    test::TempFolder folder;
    test::WriteFileBytes(folder.File(L"anim.gif"), WriteGif(Animation()));
    // The third frame's name is taken by a folder, which no file replaces.
    CreateDirectoryW(folder.File(L"out").c_str(), nullptr);
    CreateDirectoryW(folder.File(L"out\\frame-0003.bmp").c_str(), nullptr);
    test::WriteFileBytes(folder.File(L"out\\frame-0003.bmp\\inside"), {1});
    test::WriteFileBytes(folder.File(L"out\\mine.txt"), {2});
    const auto result = Cli(L"gif-frames " + Quoted(folder.File(L"anim.gif")) + L" " + Quoted(folder.File(L"out")));
    EXPECT_EQ(result.exitCode, 1u);
    EXPECT_EQ(std::count(result.err.begin(), result.err.end(), '\n'), 1) << result.err;
    EXPECT_NE(result.err.find("frame-0003.bmp"), std::string::npos) << result.err;
    std::vector<std::wstring> left;
    for (const auto& entry : std::filesystem::directory_iterator(folder.File(L"out")))
        left.push_back(entry.path().filename().wstring());
    std::sort(left.begin(), left.end());
    EXPECT_EQ(left, (std::vector<std::wstring>{L"frame-0003.bmp", L"mine.txt"}));
}

bool SlowTestsWanted() { return GetEnvironmentVariableW(L"VX_SLOW_TESTS", nullptr, 0) != 0; }

TEST(GifFramesCommandSlow, MoreThan9999FramesTakeFiveDigitNames) {
    if (!SlowTestsWanted()) GTEST_SKIP() << "slow: set VX_SLOW_TESTS=1";
    test::TempFolder folder;
    test::WriteFileBytes(folder.File(L"many.gif"), WriteGif(Squares(10000, 1)));
    const auto result = Cli(L"gif-frames " + Quoted(folder.File(L"many.gif")) + L" " + Quoted(folder.File(L"out")));
    ASSERT_EQ(result.exitCode, 0u) << result.err;
    EXPECT_EQ(GetFileAttributesW(folder.File(L"out\\frame-00001.bmp").c_str()) & FILE_ATTRIBUTE_DIRECTORY, 0u);
    EXPECT_EQ(GetFileAttributesW(folder.File(L"out\\frame-10000.bmp").c_str()) & FILE_ATTRIBUTE_DIRECTORY, 0u);
    EXPECT_EQ(GetFileAttributesW(folder.File(L"out\\frame-0001.bmp").c_str()), INVALID_FILE_ATTRIBUTES);
}

TEST(GifFramesCommandSlow, FramesPastTheEnginesLimitAreReportedInOneLine) {
    if (!SlowTestsWanted()) GTEST_SKIP() << "slow: set VX_SLOW_TESTS=1";
    test::TempFolder folder;
    test::WriteFileBytes(folder.File(L"endless.gif"), WriteGif(Squares(gif::kMaxFrames + 2, 1)));
    const auto result = Cli(L"gif-frames " + Quoted(folder.File(L"endless.gif")) + L" " + Quoted(folder.File(L"out")));
    EXPECT_EQ(result.exitCode, 0u);
    EXPECT_NE(result.err.find("read 32765 frames"), std::string::npos) << result.err;
    EXPECT_NE(result.err.find("left out"), std::string::npos) << result.err;
    EXPECT_EQ(std::count(result.err.begin(), result.err.end(), '\n'), 1) << result.err;
}

TEST(GifFramesCommand, WrongArgumentsShowTheUsage) {
    for (const wchar_t* wrong :
         {L"gif-frames a.gif", L"gif-frames a.gif out --background", L"gif-frames a.gif out --background 12345",
          L"gif-frames a.gif out --background 12345G", L"gif-frames a.gif out --colour 123456",
          L"gif-frames a.gif out --max-output", L"gif-frames a.gif out --max-output 2T"}) {
        const auto result = Cli(wrong);
        EXPECT_EQ(result.exitCode, 2u) << std::string(wrong, wrong + wcslen(wrong));
        // The first line says what is wrong, the second how it is used.
        EXPECT_TRUE(result.err.starts_with("vexillor-cli: ")) << result.err;
        EXPECT_NE(result.err.find("\nusage: "), std::string::npos) << result.err;
    }
    const auto help = Cli(L"--help");
    EXPECT_NE(help.out.find("vexillor-cli gif-frames GIF OUTDIR [--background RRGGBB]"), std::string::npos);
}

}  // namespace
}  // namespace vx
