// The character display: the animation plays on the background from
// start-up, a missing animation is named once and the window goes on without
// it, and the rename button changes, draws and keeps the name.
#include <windows.h>
#include <gtest/gtest.h>

#include "app/input_box.h"
#include "app/main_window.h"
#include "app/reference_label.h"
#include "app/settings.h"
#include "support/gif_builder.h"
#include "support/win_test_support.h"

namespace vx {
namespace {

using test::ModalDriver;

constexpr wchar_t kRenameTitle[] = L"Cambiar nombre de personaje";

class CharacterTest : public testing::Test {
protected:
    void SetUp() override { DeleteSetting(L"Vexillor", L"Options", L"Nombre"); }
    void TearDown() override { DeleteSetting(L"Vexillor", L"Options", L"Nombre"); }

    bool Start(const std::wstring& characterFile = L"") {
        Main::Options options;
        options.quitOnDestroy = false;
        options.characterFile = characterFile;
        return main_.Start(options);
    }

    // Compares the label area, above the animation's area.
    static void ExpectLabel(Main& window, const std::wstring& text) {
        const Bitmap32 expected = test::ReferenceLabel(window, text);
        const Bitmap32& image = window.PicFondo.ImageBitmap();
        for (int y = 95; y < 122; ++y)
            for (int x = 300; x < 600; ++x)
                ASSERT_EQ(image.pixel(x, y) & 0xFFFFFF, expected.pixel(x, y) & 0xFFFFFF) << x << "," << y;
    }

    // Returns the box's prompt; `offered` gets the text the box started
    // with when it was all selected, ready to be typed over.
    std::wstring Rename(const std::wstring& answer, bool confirm, std::wstring* offered = nullptr) {
        std::wstring prompt;
        HWND box = nullptr;
        ModalDriver driver({test::WaitForDialog(kRenameTitle, box), [&] {
                                prompt = test::WindowText(GetDlgItem(box, kInputBoxPromptId));
                                HWND edit = GetDlgItem(box, kInputBoxEditId);
                                DWORD from = 0, to = 0;
                                SendMessageW(edit, EM_GETSEL, reinterpret_cast<WPARAM>(&from),
                                             reinterpret_cast<LPARAM>(&to));
                                const std::wstring text = test::WindowText(edit);
                                if (offered && from == 0 && to == text.size()) *offered = text;
                                SetWindowTextW(GetDlgItem(box, kInputBoxEditId), answer.c_str());
                                test::ClickButton(box, confirm ? IDOK : IDCANCEL);
                                return true;
                            }});
        main_.PicRename_Click();
        EXPECT_FALSE(driver.TimedOut());
        return prompt;
    }

    // How many sampled pixels of the animation's area differ from the
    // background picture: a drawn character changes many.
    int ChangedStagePixels() const {
        const Bitmap32& image = main_.PicFondo.ImageBitmap();
        const Bitmap32& background = *main_.PicFondo.Picture();
        int changed = 0;
        for (int y = 123; y < 423; y += 3)
            for (int x = 270; x < 570; x += 3)
                changed += (image.pixel(x, y) & 0xFFFFFF) != (background.pixel(x, y) & 0xFFFFFF);
        return changed;
    }

    Main main_;
};

TEST_F(CharacterTest, TheAnimationPlaysInItsAreaFromStartUp) {
    ASSERT_TRUE(Start());
    ASSERT_TRUE(main_.GifViewer);
    EXPECT_EQ(main_.GifViewer->AnimationState(), cGIFViewer::kPlaying);
    EXPECT_GE(main_.GifViewer->FrameProperty(1, gif::kPropFrameCount), 8);
    // The character is drawn over the background inside its area only.
    EXPECT_GT(ChangedStagePixels(), 100);
    const Bitmap32& image = main_.PicFondo.ImageBitmap();
    const Bitmap32& background = *main_.PicFondo.Picture();
    for (int y = 0; y < 480; y += 7) {
        EXPECT_EQ(image.pixel(265, y) & 0xFFFFFF, background.pixel(265, y) & 0xFFFFFF);
        EXPECT_EQ(image.pixel(575, y) & 0xFFFFFF, background.pixel(575, y) & 0xFFFFFF);
    }
    const std::int32_t first = main_.GifViewer->AnimationIndex();
    test::PumpFor(400);
    EXPECT_NE(main_.GifViewer->AnimationIndex(), first);
}

TEST_F(CharacterTest, MoreThanAHundredFramesKeepTheFirstOutOfTheBackground) {
    // Progress after frame 1 (and frame 2 of 201) is 0 as well as at the start.
    for (int count : {101, 201}) {
        test::TempFolder folder;
        const std::wstring file = folder.File(L"many.gif");
        test::WriteFileBytes(file, gif::fixtures::WriteGif(gif::fixtures::ClearFramesAfterARedOne(count)));
        Main window;
        Main::Options options;
        options.quitOnDestroy = false;
        options.characterFile = file;
        ASSERT_TRUE(window.Start(options));
        window.GifViewer->SetAnimationState(cGIFViewer::kPaused);
        window.GifViewer->SetAnimationState(cGIFViewer::kStepped);
        window.GifViewer->SetAnimationState(cGIFViewer::kStepped);
        ASSERT_EQ(window.GifViewer->AnimationIndex(), 3);
        // Never enlarged, the animation lies at 1:1 at the area's corner;
        // all but its top-left pixel show the background picture again.
        const Bitmap32& image = window.PicFondo.ImageBitmap();
        const Bitmap32& background = *window.PicFondo.Picture();
        EXPECT_EQ(image.pixel(Main::kCharacterX, Main::kCharacterY) & 0xFFFFFF, 0x00FF00u);
        for (int y = 0; y < 10; ++y)
            for (int x = y == 0 ? 1 : 0; x < 10; ++x) {
                const int sx = Main::kCharacterX + x, sy = Main::kCharacterY + y;
                ASSERT_EQ(image.pixel(sx, sy) & 0xFFFFFF, background.pixel(sx, sy) & 0xFFFFFF)
                    << count << ": " << x << "," << y;
            }
    }
}

TEST_F(CharacterTest, AMissingAnimationIsNamedOnceAndTheWindowWorksWithoutIt) {
    const std::wstring missing = test::DataPath(L"pictures\\no-such-char0.dat");
    std::wstring text;
    bool warningIcon = false;
    ModalDriver driver({test::AnswerMessageBox(L"Vexillor", text, IDOK, &warningIcon)});
    ASSERT_TRUE(Start(missing));
    EXPECT_TRUE(text.starts_with(L"Cannot display GIF file"));
    EXPECT_NE(text.find(missing + L": the file does not exist"), std::wstring::npos);
    EXPECT_TRUE(warningIcon);
    EXPECT_TRUE(IsWindowVisible(main_.hWnd()));
    EXPECT_EQ(main_.GifViewer, nullptr);
    test::PumpFor(100);
    EXPECT_TRUE(test::ThreadDialogs().empty());
    EXPECT_EQ(ChangedStagePixels(), 0);
    ExpectLabel(main_, L"Korvald");
}

TEST_F(CharacterTest, AFileThatIsNoGifIsNamedWithWhatIsWrong) {
    const std::wstring notGif = test::DataPath(L"pictures\\sample.png");
    std::wstring text;
    ModalDriver driver({test::AnswerMessageBox(L"Vexillor", text)});
    ASSERT_TRUE(Start(notGif));
    EXPECT_TRUE(text.starts_with(L"Cannot display GIF file"));
    EXPECT_NE(text.find(notGif + L": "), std::wstring::npos);
    EXPECT_TRUE(main_.hWnd());
}

TEST_F(CharacterTest, RenamingDrawsStoresAndKeepsTheNameForTheNextStart) {
    ASSERT_TRUE(Start());
    main_.GifViewer->SetAnimationState(cGIFViewer::kStopped);  // keep the frame still while comparing
    const std::wstring prompt = Rename(L"Ulf", true);
    EXPECT_EQ(prompt, L"Please enter the new name\r\nIngrese el nuevo nombre");
    EXPECT_EQ(GetSetting(L"Vexillor", L"Options", L"Nombre", L""), L"Ulf");
    ExpectLabel(main_, L"Ulf");

    // The box offers the name to change; a longer name after a shorter one
    // leaves no trace of it, is cut short with an ellipsis inside the plate
    // and is stored whole; the next start shows the stored name.
    const std::wstring longName = L"Brunhilde of the Northern Marches";
    std::wstring offered;
    Rename(longName, true, &offered);
    EXPECT_EQ(offered, L"Ulf");
    EXPECT_EQ(GetSetting(L"Vexillor", L"Options", L"Nombre", L""), longName);
    const std::wstring shown = main_.NameLabelText(longName);
    EXPECT_TRUE(shown.ends_with(L"\u2026")) << std::string(shown.begin(), shown.end());
    ExpectLabel(main_, shown);
    const Bitmap32& image = main_.PicFondo.ImageBitmap();
    for (int y = 95; y < 122; ++y)
        for (int x = Main::kNameRight + 1; x < 600; ++x)
            ASSERT_EQ(image.pixel(x, y) & 0xFFFFFF, main_.PicFondo.Picture()->pixel(x, y) & 0xFFFFFF) << x << "," << y;
    main_.Close();
    Main nextStart;
    Main::Options options;
    options.quitOnDestroy = false;
    ASSERT_TRUE(nextStart.Start(options));
    nextStart.GifViewer->SetAnimationState(cGIFViewer::kStopped);
    ExpectLabel(nextStart, shown);
}

TEST_F(CharacterTest, CancellingTheRenameKeepsTheOldName) {
    ASSERT_TRUE(Start());
    main_.GifViewer->SetAnimationState(cGIFViewer::kStopped);
    Rename(L"Ignored", false);
    EXPECT_EQ(GetSetting(L"Vexillor", L"Options", L"Nombre", L"(none)"), L"(none)");
    ExpectLabel(main_, L"Korvald");
}

TEST_F(CharacterTest, ASingleSpaceIsANameToo) {
    ASSERT_TRUE(Start());
    main_.GifViewer->SetAnimationState(cGIFViewer::kStopped);
    Rename(L" ", true);
    EXPECT_EQ(GetSetting(L"Vexillor", L"Options", L"Nombre", L""), L" ");
    ExpectLabel(main_, L" ");
}

TEST_F(CharacterTest, RepaintingAStoppedAnimationRedrawsItsFrame) {
    ASSERT_TRUE(Start());
    main_.GifViewer->SetAnimationState(cGIFViewer::kStopped);
    const std::int32_t index = main_.GifViewer->AnimationIndex();
    main_.PicFondo.Cls();  // wipe the frame, as a rename does
    main_.Form_Paint();
    EXPECT_EQ(main_.GifViewer->AnimationIndex(), index);
    EXPECT_GT(ChangedStagePixels(), 100);
}

}  // namespace
}  // namespace vx
