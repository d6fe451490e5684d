// What the window adds around the crest workflow: the zoomed crest in the
// banner, keep-proportions, the last save folder, and a picture given on
// the command line.
#include <windows.h>
#include <commdlg.h>
#include <gtest/gtest.h>
#include <shlobj.h>

#include <cstring>

#include "app/frame_dialog.h"
#include "app/frame_editor.h"
#include "app/main_window.h"
#include "app/settings.h"
#include "bmp/bmp_file.h"
#include "common/picture_loader.h"
#include "imaging/packed_dib.h"
#include "support/win_test_support.h"

namespace vx {
namespace {

using test::ModalDriver;
using test::TempFolder;

constexpr std::uint32_t kRed = 0xFF0000, kGreen = 0x00FF00, kBlue = 0x0000FF, kWhite = 0xFFFFFF;

std::wstring WritePicture(const TempFolder& folder, const std::wstring& name, int width, int height,
                          std::uint32_t (*pixel)(int, int)) {
    BgraImage image(width, height);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            const std::uint32_t p = pixel(x, y);
            image.SetColor(x, y, MakeColorref(p >> 16, (p >> 8) & 0xFF, p & 0xFF));
        }
    const std::wstring path = folder.File(name);
    const auto bytes = bmp::EncodeBmpFile(image.View(), 24);
    test::WriteFileBytes(path, std::vector<unsigned char>(bytes.begin(), bytes.end()));
    return path;
}

// 48 x 24: four colours in quarters, so every crest pixel is a pure colour.
std::uint32_t Quarters(int x, int y) { return y < 12 ? (x < 24 ? kRed : kGreen) : (x < 24 ? kBlue : kWhite); }
// 64 x 24: red and blue ends around a green middle that is its 4 : 3 part.
std::uint32_t GreenMiddle(int x, int) { return x < 16 ? kRed : x < 48 ? kGreen : kBlue; }

Main::Options WindowOptions(const std::wstring& picture = {}) {
    Main::Options options;
    options.quitOnDestroy = false;
    options.characterFile = test::AssetPath(L"char0.dat");
    options.initialPicture = picture;
    return options;
}

// What the zoomed crest's window shows on screen.
Bitmap32 ZoomOnScreen(Main& main) {
    HWND zoom = main.ImgZoomCrest.hWnd();
    RedrawWindow(zoom, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
    test::PumpFor(100);
    HDC dc = GetDC(zoom);
    Bitmap32 shown = Bitmap32::CopyFromDc(dc, 0, 0, Main::kZoomWidth, Main::kZoomHeight);
    ReleaseDC(zoom, dc);
    return shown;
}

// Checks that `shown` holds each saved crest's pixels as `scale` x `scale`
// blocks, the crests side by side with one divider column between them,
// the whole centred in the frame.
void ExpectZoomOf(const Bitmap32& shown, std::initializer_list<std::wstring> savedFiles, int scale) {
    std::vector<Bitmap32> saved;
    for (const std::wstring& file : savedFiles) saved.push_back(LoadPictureFile(file, 0));
    int width = static_cast<int>(saved.size()) - 1;
    for (const Bitmap32& crest : saved) width += crest.width() * scale;
    int left = (Main::kZoomWidth - width) / 2;
    const int top = (Main::kZoomHeight - 12 * scale) / 2;
    for (const Bitmap32& crest : saved) {
        for (int y = 0; y < 12 * scale; ++y)
            for (int x = 0; x < crest.width() * scale; ++x)
                ASSERT_EQ(shown.pixel(left + x, top + y) & 0xFFFFFF, crest.pixel(x / scale, y / scale) & 0xFFFFFF)
                    << "at " << left + x << "," << top + y;
        left += crest.width() * scale + 1;
    }
}

void Save(Main& main, const std::wstring& folder) {
    std::wstring text;
    ModalDriver driver({test::ChooseFolder(folder), test::AnswerMessageBox(ConfirmationTitle(main.CrestMode()), text)});
    main.PicSave_Click();
    ASSERT_FALSE(driver.TimedOut());
}

class CrestOptionsTest : public testing::Test {
protected:
    void SetUp() override { Reset(); }
    void TearDown() override { Reset(); }
    static void Reset() {
        DeleteSetting(L"Vexillor", L"Options", Main::kKeepProportionsKey);
        DeleteSetting(L"Vexillor", L"Options", Main::kCrispKey);
        DeleteSetting(L"Vexillor", L"Options", Main::kCrestFolderKey);
        DeleteSetting(L"Vexillor", L"Options", Main::kCrestBackgroundKey);
    }
    TempFolder folder_;
};

TEST_F(CrestOptionsTest, TheBannerShowsExactlyTheSavedCrestEnlarged) {
    Main main;
    ASSERT_TRUE(main.Start(WindowOptions(WritePicture(folder_, L"quarters.bmp", 48, 24, Quarters))));
    Save(main, folder_.WidePath());
    ExpectZoomOf(ZoomOnScreen(main), {folder_.File(L"clan.bmp")}, 8);

    // After a switch the strip is shown at 6x with its divider, as saved.
    main.mnuAllyClan_Click();
    Save(main, folder_.WidePath());
    ExpectZoomOf(ZoomOnScreen(main), {folder_.File(L"ally.bmp"), folder_.File(L"clan.bmp")}, 6);
    EXPECT_EQ(LoadPictureFile(folder_.File(L"ally.bmp"), 0).pixel(0, 0) & 0xFFFFFF, kRed);
}

TEST_F(CrestOptionsTest, KeepProportionsAppliesAtOnceAndSurvivesARestart) {
    const std::wstring wide = WritePicture(folder_, L"wide.bmp", 64, 24, GreenMiddle);
    {
        Main main;
        ASSERT_TRUE(main.Start(WindowOptions(wide)));
        EXPECT_FALSE(main.KeepProportions());
        EXPECT_EQ(main.PicClanCrest.Image()->pixel(0, 0), kRed);
        main.mnuKeepProportions_Click();
        EXPECT_TRUE(main.KeepProportions());
        EXPECT_EQ(main.PicClanCrest.Image()->pixel(0, 0), kGreen);
        EXPECT_EQ(main.ImgZoomCrest.Picture()->pixel(78, 54) & 0xFFFFFF, kGreen);
        EXPECT_EQ(main.CrestMode(), CrestMode::Clan);
    }
    Main again;
    ASSERT_TRUE(again.Start(WindowOptions(wide)));
    EXPECT_TRUE(again.KeepProportions());
    EXPECT_TRUE(GetMenuState(again.MnuTypeCrest(), Main::kMenuKeepProportionsId, MF_BYCOMMAND) & MF_CHECKED);
    EXPECT_EQ(again.PicClanCrest.Image()->pixel(15, 11), kGreen);
    again.mnuKeepProportions_Click();
    EXPECT_EQ(GetSetting(L"Vexillor", L"Options", Main::kKeepProportionsKey, L""), L"0");
    EXPECT_EQ(again.PicClanCrest.Image()->pixel(15, 11), kBlue);
}

// 40 x 30: a 16 x 12 red and green chequer enlarged 2.5 times, which the
// exact average blurs and the crisp squeeze takes back.
std::uint32_t EnlargedChequer(int x, int y) { return (x * 2 / 5 + y * 2 / 5) % 2 ? kGreen : kRed; }

TEST_F(CrestOptionsTest, CrispAppliesAtOnceAndSurvivesARestart) {
    const std::wstring chequer = WritePicture(folder_, L"chequer.bmp", 40, 30, EnlargedChequer);
    {
        Main main;
        ASSERT_TRUE(main.Start(WindowOptions(chequer)));
        EXPECT_FALSE(main.Crisp());
        EXPECT_NE(main.PicClanCrest.Image()->pixel(1, 0), kGreen);
        main.mnuCrisp_Click();
        EXPECT_TRUE(main.Crisp());
        EXPECT_EQ(main.PicClanCrest.Image()->pixel(1, 0), kGreen);
        EXPECT_EQ(main.PicClanCrest.Image()->pixel(2, 0), kRed);
    }
    Main again;
    ASSERT_TRUE(again.Start(WindowOptions(chequer)));
    EXPECT_TRUE(GetMenuState(again.MnuTypeCrest(), Main::kMenuCrispId, MF_BYCOMMAND) & MF_CHECKED);
    EXPECT_EQ(again.PicClanCrest.Image()->pixel(1, 0), kGreen);
    again.mnuCrisp_Click();
    EXPECT_EQ(GetSetting(L"Vexillor", L"Options", Main::kCrispKey, L""), L"0");
}

TEST_F(CrestOptionsTest, SavingOpensTheBrowserAtTheLastSavedFolder) {
    CreateDirectoryW(folder_.File(L"Crests").c_str(), nullptr);
    Main main;
    ASSERT_TRUE(main.Start(WindowOptions(WritePicture(folder_, L"quarters.bmp", 48, 24, Quarters))));
    Save(main, folder_.File(L"Crests"));
    EXPECT_EQ(GetSetting(L"Vexillor", L"Options", Main::kCrestFolderKey, L""), folder_.File(L"Crests"));
    std::wstring selected;
    ModalDriver driver({test::ReadFolderSelection(L"Crests", selected)});
    main.PicSave_Click();
    ASSERT_FALSE(driver.TimedOut());
    EXPECT_EQ(selected, L"Crests");
}

TEST_F(CrestOptionsTest, APictureOnTheCommandLineIsComposedOnceTheWindowIsUp) {
    {
        Main main;
        ASSERT_TRUE(main.Start(WindowOptions(WritePicture(folder_, L"quarters.bmp", 48, 24, Quarters))));
        EXPECT_EQ(main.PicClanCrest.Image()->pixel(0, 0), kRed);
        EXPECT_EQ(main.PicClanCrest.Image()->pixel(15, 11), kWhite);
    }

    // One that cannot be loaded gets the failed open's message.
    test::WriteFileBytes(folder_.File(L"broken.bmp"), {'B', 'M', 0, 0});
    std::wstring text;
    ModalDriver driver({test::AnswerMessageBox(L"Vexillor", text)});
    Main broken;
    ASSERT_TRUE(broken.Start(WindowOptions(folder_.File(L"broken.bmp"))));
    EXPECT_FALSE(driver.TimedOut());
    EXPECT_FALSE(text.empty());
    EXPECT_EQ(broken.PicClanCrest.Image()->pixel(0, 0), 0xC0C000u);
}

TEST_F(CrestOptionsTest, OpenWithAMissingPathOrAFolderSaysSo) {
    const std::wstring missing = folder_.File(L"gone.png");
    for (const std::wstring& path : {missing, folder_.WidePath()}) {
        std::wstring text;
        ModalDriver driver({test::AnswerMessageBox(L"Vexillor", text)});
        Main main;
        ASSERT_TRUE(main.Start(WindowOptions(path)));
        EXPECT_FALSE(driver.TimedOut());
        EXPECT_NE(text.find(path), std::wstring::npos) << std::string(text.begin(), text.end());
        EXPECT_NE(text.find(path == missing ? L"the file does not exist" : L"is a folder, not a picture"),
                  std::wstring::npos);
    }
}

TEST_F(CrestOptionsTest, TheModeAndThePicturesFolderSurviveARestart) {
    CreateDirectoryW(folder_.File(L"Logos").c_str(), nullptr);
    const std::wstring logo = WritePicture(folder_, L"Logos\\quarters.bmp", 48, 24, Quarters);
    {
        Main main;
        ASSERT_TRUE(main.Start(WindowOptions(logo)));
        main.mnuAllyClan_Click();
    }
    Main again;
    ASSERT_TRUE(again.Start(WindowOptions()));
    EXPECT_EQ(again.CrestMode(), CrestMode::AllyClan);
    EXPECT_TRUE(GetMenuState(again.MnuTypeCrest(), Main::kMenuAllyClanId, MF_BYCOMMAND) & MF_CHECKED);
    EXPECT_TRUE(IsWindowVisible(again.ImgAllyCrest.hWnd()));
    EXPECT_FALSE(IsWindowVisible(again.ImgClanCrest.hWnd()));

    // The open dialog starts where the last picture came from.
    HWND dlg = nullptr;
    std::wstring shownFolder(MAX_PATH, L'\0');
    ModalDriver driver({test::WaitForDialog(L"Abrir archivo de imagen", dlg), [&] {
                            SendMessageW(dlg, CDM_GETFOLDERPATH, shownFolder.size(),
                                         reinterpret_cast<LPARAM>(shownFolder.data()));
                            PostMessageW(dlg, WM_COMMAND, IDCANCEL, 0);
                            return true;
                        }});
    again.PicBrowseImage_Click();
    ASSERT_FALSE(driver.TimedOut());
    EXPECT_EQ(std::wstring(shownFolder.c_str()), folder_.File(L"Logos"));
}

// The middle of clan crest pixel (x, y) on the 8x zoom.
LPARAM ZoomPoint(int x, int y) { return MAKELPARAM(14 + 8 * x + 4, 6 + 8 * y + 4); }

TEST_F(CrestOptionsTest, TransparencyLiesOnTheChosenBackgroundKeptInTheSettings) {
    // alpha.png: its left half transparent, its right half opaque green.
    const std::wstring alpha = test::DataPath(L"pictures\\alpha.png");
    const std::uint32_t face = RgbOf(PixelOf(ColorrefToRgb(ColorrefOf(GetSysColor(COLOR_BTNFACE)))));
    {
        Main main;
        ASSERT_TRUE(main.Start(WindowOptions(alpha)));
        EXPECT_EQ(main.PicClanCrest.Image()->pixel(0, 0), face);
        main.SetCrestBackground(MakeColorref(255, 0, 0));
        EXPECT_EQ(main.PicClanCrest.Image()->pixel(0, 0), kRed);
        EXPECT_EQ(main.PicClanCrest.Image()->pixel(15, 0), 0x008000u);
        EXPECT_EQ(GetSetting(L"Vexillor", L"Options", Main::kCrestBackgroundKey, L""), L"FF0000");
        main.Undo_Click();
        EXPECT_EQ(main.PicClanCrest.Image()->pixel(0, 0), face);
    }
    Main again;
    ASSERT_TRUE(again.Start(WindowOptions(alpha)));
    EXPECT_EQ(again.PicClanCrest.Image()->pixel(0, 0), kRed);
}

TEST_F(CrestOptionsTest, ADragOnTheZoomTouchesUpTheSavedCrestAndUndoRestoresIt) {
    Main main;
    ASSERT_TRUE(main.Start(WindowOptions(WritePicture(folder_, L"quarters.bmp", 48, 24, Quarters))));
    HWND zoom = main.ImgZoomCrest.hWnd();
    // The right button takes a pixel's colour: blue from the lower left.
    SendMessageW(zoom, WM_RBUTTONDOWN, MK_RBUTTON, ZoomPoint(0, 11));
    EXPECT_EQ(main.TouchColour(), MakeColorref(0, 0, 255));
    SendMessageW(zoom, WM_LBUTTONDOWN, MK_LBUTTON, ZoomPoint(0, 0));
    SendMessageW(zoom, WM_MOUSEMOVE, MK_LBUTTON, ZoomPoint(1, 0));
    SendMessageW(zoom, WM_LBUTTONUP, 0, ZoomPoint(1, 0));
    SendMessageW(zoom, WM_MOUSEMOVE, 0, ZoomPoint(2, 0));  // released: no paint
    Save(main, folder_.WidePath());
    const Bitmap32 touched = LoadPictureFile(folder_.File(L"clan.bmp"), 0);
    EXPECT_EQ(touched.pixel(0, 0) & 0xFFFFFF, kBlue);
    EXPECT_EQ(touched.pixel(1, 0) & 0xFFFFFF, kBlue);
    EXPECT_EQ(touched.pixel(2, 0) & 0xFFFFFF, kRed);
    ExpectZoomOf(ZoomOnScreen(main), {folder_.File(L"clan.bmp")}, 8);

    // The stroke goes in one step, and comes back.
    SendMessageW(main.hWnd(), WM_COMMAND, Main::kCommandUndoId, 0);
    EXPECT_EQ(main.PicClanCrest.Image()->pixel(0, 0), kRed);
    EXPECT_EQ(main.PicClanCrest.Image()->pixel(1, 0), kRed);
    SendMessageW(main.hWnd(), WM_COMMAND, Main::kCommandRedoId, 0);
    EXPECT_EQ(main.PicClanCrest.Image()->pixel(1, 0), kBlue);
}

// Replaces the clipboard's content by `bytes` in `format`, or empties it.
void SetClipboard(UINT format, const std::vector<std::uint8_t>& bytes) {
    ASSERT_TRUE(OpenClipboard(nullptr));
    EmptyClipboard();
    if (!bytes.empty()) {
        HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE, bytes.size());
        std::memcpy(GlobalLock(memory), bytes.data(), bytes.size());
        GlobalUnlock(memory);
        SetClipboardData(format, memory);
    }
    CloseClipboard();
}

std::vector<std::uint8_t> ClipboardData(UINT format) {
    std::vector<std::uint8_t> bytes;
    if (!OpenClipboard(nullptr)) return bytes;
    if (HANDLE data = GetClipboardData(format)) {
        const auto* p = static_cast<const std::uint8_t*>(GlobalLock(data));
        bytes.assign(p, p + GlobalSize(data));
        GlobalUnlock(data);
    }
    CloseClipboard();
    return bytes;
}

TEST_F(CrestOptionsTest, PastingABitmapOrACopiedFileOpensItAndCopyingGivesTheSavedCrest) {
    Main main;
    ASSERT_TRUE(main.Start(WindowOptions()));
    BgraImage quarters(48, 24);
    for (int y = 0; y < 24; ++y)
        for (int x = 0; x < 48; ++x) quarters.SetColor(x, y, RgbToColorref(Rgb{Quarters(x, y)}));
    SetClipboard(CF_DIB, PackDib24(quarters.View()));
    SendMessageW(main.hWnd(), WM_COMMAND, Main::kMenuPasteId, 0);
    EXPECT_EQ(main.PicClanCrest.Image()->pixel(0, 0), kRed);
    EXPECT_EQ(main.PicClanCrest.Image()->pixel(15, 11), kWhite);

    // A file copied in a file manager: the first one is opened.
    const std::wstring wide = WritePicture(folder_, L"wide.bmp", 64, 24, GreenMiddle);
    std::vector<std::uint8_t> drop(sizeof(DROPFILES));
    reinterpret_cast<DROPFILES*>(drop.data())->pFiles = sizeof(DROPFILES);
    reinterpret_cast<DROPFILES*>(drop.data())->fWide = TRUE;
    const auto* name = reinterpret_cast<const std::uint8_t*>(wide.c_str());
    drop.insert(drop.end(), name, name + 2 * (wide.size() + 1));
    drop.insert(drop.end(), {0, 0});
    SetClipboard(CF_HDROP, drop);
    SendMessageW(main.hWnd(), WM_COMMAND, Main::kMenuPasteId, 0);
    EXPECT_EQ(main.PicClanCrest.Image()->pixel(0, 0), kRed);
    EXPECT_EQ(main.PicClanCrest.Image()->pixel(8, 0), kGreen);

    // Copying puts the crest at actual size and 8x as PNG.
    SendMessageW(main.hWnd(), WM_COMMAND, Main::kCommandCopyId, 0);
    const DibPicture copied = ReadPackedDib(ClipboardData(CF_DIB));
    ASSERT_EQ(copied.status, DibStatus::Loaded) << copied.problem;
    ASSERT_EQ(copied.pixels.Width(), 16);
    EXPECT_EQ(copied.pixels.ColorAt(8, 0), MakeColorref(0, 255, 0));
    const Bitmap32 big = LoadPictureBytes(ClipboardData(RegisterClipboardFormatW(L"PNG")), 0);
    ASSERT_EQ(big.width(), 128);
    EXPECT_EQ(big.pixel(8 * 8 + 3, 5) & 0xFFFFFF, kGreen);
    EXPECT_EQ(big.pixel(7, 95) & 0xFFFFFF, kRed);

    // Nothing usable: a message, and the crest stays.
    SetClipboard(CF_TEXT, {'h', 'i', 0});
    std::wstring text;
    ModalDriver driver({test::AnswerMessageBox(L"Vexillor", text)});
    SendMessageW(main.hWnd(), WM_COMMAND, Main::kMenuPasteId, 0);
    EXPECT_FALSE(driver.TimedOut());
    EXPECT_NE(text.find(L"There is no picture on the clipboard."), std::wstring::npos);
    EXPECT_EQ(main.PicClanCrest.Image()->pixel(8, 0), kGreen);
}

TEST_F(CrestOptionsTest, TheFramingDialogAppliesItsFrameOnOkAndNothingOnCancel) {
    Main main;
    ASSERT_TRUE(main.Start(WindowOptions(WritePicture(folder_, L"quarters.bmp", 48, 24, Quarters))));
    HWND dialog = nullptr;
    const auto dragCornerToMiddle = [&dialog] {
        // 48 x 24 fitted and centred: its bottom-right corner, dragged to
        // the view's middle, leaves the red top-left quarter.
        HWND view = GetDlgItem(dialog, kFrameViewId);
        RECT client{};
        GetClientRect(view, &client);
        const double room = 2.0 * FrameEditor::kFitMargin;
        const double scale = std::min((client.right - room) / 48.0, (client.bottom - room) / 24.0);
        const int cornerX = static_cast<int>((client.right + scale * 48) / 2) - 1;
        const int cornerY = static_cast<int>((client.bottom + scale * 24) / 2) - 1;
        SendMessageW(view, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(cornerX, cornerY));
        SendMessageW(view, WM_MOUSEMOVE, MK_LBUTTON,
                     MAKELPARAM(cornerX - static_cast<int>(scale * 24), cornerY - static_cast<int>(scale * 12)));
        SendMessageW(view, WM_LBUTTONUP, 0, 0);
        test::ClickButton(dialog, IDOK);
        return true;
    };
    {
        ModalDriver driver({test::WaitForDialog(kFrameDialogTitle, dialog), dragCornerToMiddle});
        SendMessageW(main.hWnd(), WM_COMMAND, Main::kMenuFrameId, 0);
        ASSERT_FALSE(driver.TimedOut());
    }
    EXPECT_EQ(main.Document().Options().frame, (PixelRect{0, 0, 24, 12}));
    EXPECT_EQ(main.PicClanCrest.Image()->pixel(15, 11), kRed);

    // Cancel leaves the frame as it was, even after "Whole picture".
    {
        ModalDriver driver({test::WaitForDialog(kFrameDialogTitle, dialog), [&dialog] {
                                test::ClickButton(dialog, kFrameWholeId);
                                test::ClickButton(dialog, IDCANCEL);
                                return true;
                            }});
        SendMessageW(main.hWnd(), WM_COMMAND, Main::kMenuFrameId, 0);
        ASSERT_FALSE(driver.TimedOut());
    }
    EXPECT_EQ(main.PicClanCrest.Image()->pixel(15, 11), kRed);
    // A new frame is one undo step.
    main.Undo_Click();
    EXPECT_EQ(main.PicClanCrest.Image()->pixel(15, 11), kWhite);
}

}  // namespace
}  // namespace vx
