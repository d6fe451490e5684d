// What the window adds around the crest workflow: a picture given on the
// command line is composed at start-up.
#include <windows.h>
#include <gtest/gtest.h>

#include "app/main_window.h"
#include "bmp/bmp_file.h"
#include "support/win_test_support.h"

namespace vx {
namespace {

using test::ModalDriver;
using test::TempFolder;

// A 32 x 24 24-bit BMP whose left half is red and right half blue.
std::wstring WriteHalves(const TempFolder& folder) {
    BgraImage image(32, 24);
    for (int y = 0; y < 24; ++y)
        for (int x = 0; x < 32; ++x) image.SetColor(x, y, x < 16 ? Rgb(255, 0, 0) : Rgb(0, 0, 255));
    const std::wstring path = folder.File(L"halves.bmp");
    const auto bytes = bmp::EncodeBmpFile(image.View(), 24);
    test::WriteFileBytes(path, std::vector<unsigned char>(bytes.begin(), bytes.end()));
    return path;
}

Main::Options WindowOptions() {
    Main::Options options;
    options.quitOnDestroy = false;
    return options;
}

TEST(OpenWith, APictureOnTheCommandLineIsComposedOnceTheWindowIsUp) {
    TempFolder folder;
    Main::Options options = WindowOptions();
    options.initialPicture = WriteHalves(folder);
    Main main;
    ASSERT_TRUE(main.Start(options));
    const SharedPicture crest = main.PicClanCrest.Image();
    EXPECT_EQ(crest->pixel(0, 5), 0xFF0000u);
    EXPECT_EQ(crest->pixel(15, 5), 0x0000FFu);
}

TEST(OpenWith, APathThatCannotBeLoadedGetsTheFailedOpenMessage) {
    TempFolder folder;
    test::WriteFileBytes(folder.File(L"broken.bmp"), {'B', 'M', 0, 0});
    Main::Options options = WindowOptions();
    options.initialPicture = folder.File(L"broken.bmp");
    std::wstring text;
    ModalDriver driver({test::AnswerMessageBox(L"Vexillor", text)});
    Main main;
    ASSERT_TRUE(main.Start(options));
    EXPECT_FALSE(driver.TimedOut());
    EXPECT_FALSE(text.empty());
    // The crest keeps its back colour.
    EXPECT_EQ(main.PicClanCrest.Image()->pixel(0, 0), 0xC0C000u);
}

}  // namespace
}  // namespace vx
