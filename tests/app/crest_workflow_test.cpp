// The crest workflow in the window: opening a picture squeezes it whole
// into the crest of the current mode, the menu switches modes, and saving
// writes the game's 8-bit BMP files into the folder the user picks.
#include <windows.h>
#include <commdlg.h>
#include <shellapi.h>
#include <shlobj.h>
#include <gtest/gtest.h>

#include <cstring>

#include "app/main_window.h"
#include "bmp/bmp_file.h"
#include "common/picture_loader.h"
#include "support/gif_builder.h"
#include "support/win_test_support.h"

namespace vx {
namespace {

using test::ModalDriver;
using test::TempFolder;

constexpr wchar_t kOpenTitle[] = L"Abrir archivo de imagen";

// A 24-bit BMP of the given pixels (0x00RRGGBB words, top row first).
std::wstring WritePicture(const TempFolder& folder, const std::wstring& name, int width, int height,
                          const std::function<std::uint32_t(int, int)>& pixel) {
    BgraImage image(width, height);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            const std::uint32_t p = pixel(x, y);
            image.SetColor(x, y, MakeColorref((p >> 16) & 0xFF, (p >> 8) & 0xFF, p & 0xFF));
        }
    const std::wstring path = folder.File(name);
    const auto bytes = bmp::EncodeBmpFile(image.View(), 24);
    test::WriteFileBytes(path, std::vector<unsigned char>(bytes.begin(), bytes.end()));
    return path;
}

std::uint32_t BlockColour(int bx, int by) { return ((bx * 16) << 16) | ((by * 21) << 8) | ((bx + by) * 7); }

// Waits for the next message box and records the window that owns it.
ModalDriver::Step OwnerOfNextBox(HWND& owner) {
    return [&owner] {
        const std::vector<HWND> boxes = test::ThreadDialogs();
        if (boxes.empty()) return false;
        owner = GetWindow(boxes.front(), GW_OWNER);
        return true;
    };
}

class CrestWorkflowTest : public testing::Test {
protected:
    void SetUp() override {
        Main::Options options;
        options.quitOnDestroy = false;
        ASSERT_TRUE(main_.Start(options));
    }

    void Open(const std::wstring& path) {
        HWND dlg = nullptr;
        ModalDriver driver({test::WaitForDialog(kOpenTitle, dlg), [&] {
                                SendMessageW(dlg, CDM_SETCONTROLTEXT, 0x480, reinterpret_cast<LPARAM>(path.c_str()));
                                PostMessageW(dlg, WM_COMMAND, IDOK, 0);
                                return true;
                            }});
        main_.PicBrowseImage_Click();
        ASSERT_FALSE(driver.TimedOut());
    }

    // Saves through the folder browser and returns the confirmation text.
    std::wstring Save(const std::wstring& folder, const wchar_t* confirmationTitle) {
        std::wstring text;
        ModalDriver driver({test::ChooseFolder(folder), test::AnswerMessageBox(confirmationTitle, text)});
        main_.PicSave_Click();
        EXPECT_FALSE(driver.TimedOut());
        return text;
    }

    // A 640 x 480 picture of 40 x 40 blocks, each its own colour.
    std::wstring BlockPicture() {
        return WritePicture(folder_, L"blocks.bmp", 640, 480, [](int x, int y) { return BlockColour(x / 40, y / 40); });
    }

    TempFolder folder_;
    Main main_;
};

TEST_F(CrestWorkflowTest, AClanCrestAveragesFortyByFortyBlocksOfTheWholePicture) {
    Open(BlockPicture());
    const SharedPicture crest = main_.PicClanCrest.Image();
    for (int y = 0; y < 12; ++y)
        for (int x = 0; x < 16; ++x) ASSERT_EQ(crest->pixel(x, y), BlockColour(x, y)) << x << "," << y;
    // The preview shows the crest at its real size.
    EXPECT_EQ(main_.ImgClanCrest.Picture()->pixel(5, 7), BlockColour(5, 7));
    EXPECT_EQ(main_.PicCrestAlly.Image()->pixel(0, 0), 0xC0C000u);
}

TEST_F(CrestWorkflowTest, TheAllyModeSqueezesTheWholePictureIntoTheStrip) {
    main_.mnuAllyClan_Click();
    // Left third red, the rest blue: the strip's first 8 columns are red.
    Open(WritePicture(folder_, L"thirds.bmp", 240, 60, [](int x, int) { return x < 80 ? 0xFF0000u : 0x0000FFu; }));
    const SharedPicture strip = main_.PicCrestAlly.Image();
    for (int x = 0; x < 24; ++x) EXPECT_EQ(strip->pixel(x, 6), x < 8 ? 0xFF0000u : 0x0000FFu) << x;
    EXPECT_EQ(main_.ImgAllyCrest.Picture()->pixel(3, 3), 0xFF0000u);
    EXPECT_EQ(main_.PicClanCrest.Image()->pixel(0, 0), 0xC0C000u);
}

TEST_F(CrestWorkflowTest, BeforeAnyPictureSwitchingHandsEachPreviewTheOthersPicture) {
    const SharedPicture placeholder = main_.ImgClanCrest.Picture();
    main_.mnuAllyClan_Click();
    EXPECT_EQ(main_.CrestMode(), CrestMode::AllyClan);
    EXPECT_TRUE(main_.ImgAllyCrest.Visible());
    EXPECT_FALSE(main_.ImgClanCrest.Visible());
    EXPECT_EQ(main_.ImgAllyCrest.Picture(), placeholder);
    EXPECT_EQ(main_.PicCrestAlly.Image()->pixel(10, 5), 0xC0C000u);
    main_.mnuClan_Click();
    EXPECT_EQ(main_.CrestMode(), CrestMode::Clan);
    EXPECT_TRUE(main_.ImgClanCrest.Visible());
    EXPECT_EQ(main_.ImgClanCrest.Picture(), placeholder);
    const UINT clanState = GetMenuState(main_.MnuTypeCrest(), Main::kMenuClanId, MF_BYCOMMAND);
    const UINT allyState = GetMenuState(main_.MnuTypeCrest(), Main::kMenuAllyClanId, MF_BYCOMMAND);
    EXPECT_TRUE(clanState & MF_CHECKED);
    EXPECT_FALSE(allyState & MF_CHECKED);
}

TEST_F(CrestWorkflowTest, AfterAPictureTheSwitchShowsAndSavesTheNewModesCrest) {
    // Left third red, the rest blue.
    Open(WritePicture(folder_, L"thirds.bmp", 240, 60, [](int x, int) { return x < 80 ? 0xFF0000u : 0x0000FFu; }));
    main_.mnuAllyClan_Click();
    EXPECT_TRUE(main_.ImgAllyCrest.Visible());
    const SharedPicture strip = main_.PicCrestAlly.Image();
    for (int x = 0; x < 24; ++x) ASSERT_EQ(strip->pixel(x, 6), x < 8 ? 0xFF0000u : 0x0000FFu) << x;
    // What the preview shows is what a save writes.
    const SharedPicture shown = main_.ImgAllyCrest.Picture();
    ASSERT_EQ(shown->width(), 24);
    EXPECT_EQ(shown->pixel(2, 2), 0xFF0000u);
    EXPECT_EQ(shown->pixel(20, 2), 0x0000FFu);
    TempFolder out;
    Save(out.WidePath(), L"Done");
    Bitmap32 ally = LoadPictureFile(out.WidePath() + L"\\ally.bmp", 0);
    EXPECT_EQ(ally.pixel(4, 4) & 0xFFFFFF, 0xFF0000u);

    // Back to the clan crest, composed again from the same picture.
    main_.mnuClan_Click();
    EXPECT_EQ(main_.PicClanCrest.Image()->pixel(2, 2), 0xFF0000u);
    EXPECT_EQ(main_.ImgClanCrest.Picture()->pixel(12, 2), 0x0000FFu);
}

TEST_F(CrestWorkflowTest, ChoosingTheModeAlreadySetKeepsShowingItsCrest) {
    Open(BlockPicture());
    main_.mnuClan_Click();
    EXPECT_EQ(main_.ImgClanCrest.Picture()->pixel(1, 1), BlockColour(1, 1));
    EXPECT_EQ(main_.PicClanCrest.Image()->pixel(1, 1), BlockColour(1, 1));
}

TEST_F(CrestWorkflowTest, AGifIsSqueezedWithItsLogicalScreen) {
    // Screen 32 x 24; the first image, red, covers only its bottom-right quarter.
    gif::fixtures::GifPlan plan;
    plan.globalPalette = {0x000000, 0xFF0000, 0x00FF00};
    plan.frames.push_back(gif::fixtures::SolidFrame(16, 12, 16, 12, 1));
    plan.frames.push_back(gif::fixtures::SolidFrame(0, 0, 32, 24, 2));
    const std::wstring path = folder_.File(L"screen.gif");
    test::WriteFileBytes(path, gif::fixtures::WriteGif(plan));
    main_.ComposePicture(path);
    const SharedPicture crest = main_.PicClanCrest.Image();
    const Bgra back = PixelOf(ColorrefToRgb(ColorrefOf(GetSysColor(COLOR_BTNFACE))));
    EXPECT_EQ(crest->pixel(0, 0), back);
    EXPECT_EQ(crest->pixel(7, 11), back);
    EXPECT_EQ(crest->pixel(15, 5), back);
    EXPECT_EQ(crest->pixel(8, 6), 0xFF0000u);
    EXPECT_EQ(crest->pixel(15, 11), 0xFF0000u);
}

TEST_F(CrestWorkflowTest, ThePictureStoreIsTheSizeOfTheLastPicture) {
    Open(WritePicture(folder_, L"wide.bmp", 800, 100, [](int, int) { return 0x102030u; }));
    Open(WritePicture(folder_, L"tall.bmp", 100, 800, [](int, int) { return 0x102030u; }));
    EXPECT_EQ(main_.PicBuff.ImageBitmap().width(), 100);
    EXPECT_EQ(main_.PicBuff.ImageBitmap().height(), 800);
}

TEST_F(CrestWorkflowTest, SavingAClanCrestWritesTheGamesFileAndConfirms) {
    Open(BlockPicture());
    TempFolder out;
    const std::wstring text = Save(out.WidePath(), L"Listo! / Done");
    const std::wstring path = out.WidePath() + L"\\clan.bmp";
    EXPECT_EQ(text, L"Your clan crest as been saved in : \r\n\r\n" + path +
                        L" ( clan crest )\r\nAhora puedes entrar en Aldmoor, la imagen ya esta lista para seteada como "
                        L"bandera de tu clan!.\r\n\r\n You can now login into the game and load this image!. You don't "
                        L"need do any additional task, the image are ready to use!");
    const auto bytes = test::ReadFileBytes(path);
    ASSERT_EQ(bytes.size(), 1270u);
    EXPECT_EQ(bytes[28], 8);
    // Byte for byte what the writer makes of the crest's colours.
    BgraImage expected(16, 12);
    for (int y = 0; y < 12; ++y)
        for (int x = 0; x < 16; ++x) {
            const std::uint32_t p = BlockColour(x, y);
            expected.SetColor(x, y, MakeColorref((p >> 16) & 0xFF, (p >> 8) & 0xFF, p & 0xFF));
        }
    const auto want = bmp::EncodeBmpFile(expected.View(), 8);
    EXPECT_TRUE(std::equal(bytes.begin(), bytes.end(), want.begin(), want.end()));
    // An independent reader sees exactly the crest's colours: no palette loss.
    Bitmap32 decoded = LoadPictureFile(path, 0);
    for (int y = 0; y < 12; ++y)
        for (int x = 0; x < 16; ++x) ASSERT_EQ(decoded.pixel(x, y), BlockColour(x, y));
}

TEST_F(CrestWorkflowTest, SavingTheAllyStripCutsItIntoAllyAndClanFiles) {
    main_.mnuAllyClan_Click();
    Open(WritePicture(folder_, L"strip.bmp", 24, 12, [](int x, int) { return x < 8 ? 0xFF0000u : 0x0000FFu; }));
    TempFolder out;
    const std::wstring text = Save(out.WidePath(), L"Done");
    const std::wstring ally = out.WidePath() + L"\\ally.bmp", clan = out.WidePath() + L"\\clan.bmp";
    EXPECT_EQ(text,
              L"Your images has been saved as: \r\n\r\n" + ally + L" ( ally crest )\r\n" + clan +
                  L" ( clan crest )\r\n\r\nAhora puedes entrar en Aldmoor, la imagen ya esta lista para seteada "
                  L"como bandera de tu clan!.\r\n\r\n You can now login into the game and load these images!. You "
                  L"don't need do any additional task, these images are ready to use!");
    EXPECT_EQ(test::ReadFileBytes(ally).size(), 1174u);
    EXPECT_EQ(test::ReadFileBytes(clan).size(), 1270u);
    Bitmap32 allyPixels = LoadPictureFile(ally, 0), clanPixels = LoadPictureFile(clan, 0);
    ASSERT_EQ(allyPixels.width(), 8);
    ASSERT_EQ(clanPixels.width(), 16);
    for (std::uint32_t p : allyPixels.pixels()) EXPECT_EQ(p & 0xFFFFFF, 0xFF0000u);
    for (std::uint32_t p : clanPixels.pixels()) EXPECT_EQ(p & 0xFFFFFF, 0x0000FFu);
}

TEST_F(CrestWorkflowTest, SavingBeforeAnyPictureAsksForOneAndWritesNothing) {
    std::wstring text;
    HWND owner = nullptr;
    ModalDriver driver({OwnerOfNextBox(owner), test::AnswerMessageBox(L"Vexillor", text)});
    main_.PicSave_Click();
    EXPECT_EQ(text, L"Primero abre una imagen. / Open a picture first.");
    EXPECT_EQ(owner, main_.hWnd());
    // The folder browser never opened, so nothing could be written.
    EXPECT_TRUE(driver.Finished());
}

TEST_F(CrestWorkflowTest, CancellingTheDialogsChangesNothing) {
    HWND dlg = nullptr;
    ModalDriver openDriver({test::WaitForDialog(kOpenTitle, dlg), [&] {
                                PostMessageW(dlg, WM_COMMAND, IDCANCEL, 0);
                                return true;
                            }});
    main_.PicBrowseImage_Click();
    EXPECT_EQ(main_.PicClanCrest.Image()->pixel(0, 0), 0xC0C000u);
    EXPECT_FALSE(main_.ImageInfo);

    Open(BlockPicture());
    TempFolder out;
    ModalDriver saveDriver({test::ChooseFolder(L"")});
    main_.PicSave_Click();
    EXPECT_TRUE(saveDriver.Finished());
    EXPECT_TRUE(test::ThreadDialogs().empty());
    EXPECT_EQ(GetFileAttributesW((out.WidePath() + L"\\clan.bmp").c_str()), INVALID_FILE_ATTRIBUTES);
}

TEST_F(CrestWorkflowTest, AnEmptyPictureIsNamedAndSaysWhatIsWrongAndKeepsTheCrest) {
    Open(BlockPicture());
    const std::wstring empty = folder_.File(L"empty.png");
    test::WriteFileBytes(empty, {});
    std::wstring text;
    ModalDriver driver({test::AnswerMessageBox(L"Vexillor", text)});
    main_.ComposePicture(empty);
    EXPECT_NE(text.find(L"No se pudo abrir la imagen " + empty + L": el archivo est\u00E1 vac\u00EDo"),
              std::wstring::npos);
    EXPECT_NE(text.find(L"Cannot open the picture " + empty + L": the file is empty or its header is cut short"),
              std::wstring::npos);
    EXPECT_EQ(text.find(L"800 x 600"), std::wstring::npos);
    EXPECT_EQ(main_.PicClanCrest.Image()->pixel(3, 4), BlockColour(3, 4));
}

TEST_F(CrestWorkflowTest, APictureTheLoaderRejectsIsReportedAndChangesNothing) {
    Open(BlockPicture());
    std::wstring text;
    ModalDriver driver({test::AnswerMessageBox(L"Vexillor", text)});
    main_.ComposePicture(test::DataPath(L"pictures\\notapicture.txt"));
    EXPECT_NE(text.find(L"notapicture.txt: invalid picture"), std::wstring::npos);
    EXPECT_EQ(main_.PicClanCrest.Image()->pixel(3, 4), BlockColour(3, 4));
}

TEST_F(CrestWorkflowTest, PicturesWithoutAHeaderSizeUseTheirOwnSize) {
    // Icons have no size the header reader knows; the picture's own counts.
    main_.ComposePicture(test::DataPath(L"pictures\\sample.ico"));
    const SharedPicture crest = main_.PicClanCrest.Image();
    EXPECT_EQ(crest->pixel(0, 0), 0xFF0000u);
    EXPECT_EQ(crest->pixel(15, 0), 0x00FF00u);
    EXPECT_EQ(crest->pixel(0, 11), 0x0000FFu);
    EXPECT_EQ(crest->pixel(15, 11), 0xFFFF00u);
}

TEST_F(CrestWorkflowTest, ADroppedFileIsComposedLikeAChosenOne) {
    const std::wstring path = BlockPicture();
    const std::size_t bytes = sizeof(DROPFILES) + (path.size() + 2) * sizeof(wchar_t);
    HGLOBAL memory = GlobalAlloc(GHND, bytes);
    auto* drop = static_cast<DROPFILES*>(GlobalLock(memory));
    drop->pFiles = sizeof(DROPFILES);
    drop->fWide = TRUE;
    std::memcpy(reinterpret_cast<char*>(drop) + sizeof(DROPFILES), path.c_str(), path.size() * sizeof(wchar_t));
    GlobalUnlock(memory);
    SendMessageW(main_.hWnd(), WM_DROPFILES, reinterpret_cast<WPARAM>(memory), 0);
    EXPECT_EQ(main_.PicClanCrest.Image()->pixel(9, 2), BlockColour(9, 2));
}

TEST_F(CrestWorkflowTest, AFailedWriteIsReportedOnceWithoutAConfirmation) {
    Open(BlockPicture());
    TempFolder out;
    // A folder where the crest file should go: the write must fail.
    CreateDirectoryW((out.WidePath() + L"\\clan.bmp").c_str(), nullptr);
    std::wstring failure;
    HWND owner = nullptr;
    ModalDriver driver(
        {test::ChooseFolder(out.WidePath()), OwnerOfNextBox(owner), test::AnswerMessageBox(L"Vexillor", failure)});
    main_.PicSave_Click();
    EXPECT_TRUE(failure.starts_with(L"Fehler!\r\n")) << std::string(failure.begin(), failure.end());
    EXPECT_EQ(owner, main_.hWnd());
    test::PumpFor(200);
    EXPECT_TRUE(test::ThreadDialogs().empty());
}

TEST_F(CrestWorkflowTest, AReadOnlyClanCrestIsNamedAndNoCrestChanges) {
    Open(BlockPicture());
    TempFolder out;
    const std::wstring clan = out.WidePath() + L"\\clan.bmp";
    test::WriteFileBytes(clan, {'o', 'l', 'd'});
    SetFileAttributesW(clan.c_str(), FILE_ATTRIBUTE_READONLY);
    std::wstring failure;
    ModalDriver driver({test::ChooseFolder(out.WidePath()), test::AnswerMessageBox(L"Vexillor", failure)});
    main_.PicSave_Click();
    SetFileAttributesW(clan.c_str(), FILE_ATTRIBUTE_NORMAL);
    EXPECT_TRUE(failure.starts_with(L"Fehler!\r\n")) << std::string(failure.begin(), failure.end());
    EXPECT_NE(failure.find(L"Cannot write " + clan + L": permission denied: the file is read-only"),
              std::wstring::npos);
    EXPECT_NE(failure.find(L"No crest was changed."), std::wstring::npos);
    EXPECT_EQ(test::ReadFileBytes(clan), (std::vector<unsigned char>{'o', 'l', 'd'}));
}

TEST_F(CrestWorkflowTest, AFailedAllyAndClanSaveReplacesNeitherFile) {
    main_.mnuAllyClan_Click();
    Open(BlockPicture());
    TempFolder out;
    const std::wstring ally = out.WidePath() + L"\\ally.bmp";
    test::WriteFileBytes(ally, {'o', 'l', 'd'});
    CreateDirectoryW((out.WidePath() + L"\\clan.bmp").c_str(), nullptr);
    std::wstring failure;
    ModalDriver driver({test::ChooseFolder(out.WidePath()), test::AnswerMessageBox(L"Vexillor", failure)});
    main_.PicSave_Click();
    EXPECT_TRUE(failure.starts_with(L"Fehler!\r\n")) << std::string(failure.begin(), failure.end());
    EXPECT_EQ(test::ReadFileBytes(ally), (std::vector<unsigned char>{'o', 'l', 'd'}));
    test::PumpFor(200);
    EXPECT_TRUE(test::ThreadDialogs().empty());
}

}  // namespace
}  // namespace vx
