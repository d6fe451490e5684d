// The real open-file dialog, driven from the test: the chosen path comes
// back whole, cancel gives empty text, the filter list follows the mask,
// and the preview pane sits beside the list showing the whole picture.
#include <windows.h>
#include <commctrl.h>
#include <gtest/gtest.h>

#include <commdlg.h>
#include <dlgs.h>

#include <cmath>

#include "dialogs/open_dialog.h"
#include "dialogs/open_picture_dialog.h"
#include "support/win_test_support.h"

namespace vx {
namespace {

using test::ModalDriver;

constexpr wchar_t kTitle[] = L"Abrir archivo de imagen";

class OpenDialogTest : public testing::Test {
protected:
    void SetUp() override {
        owner_ = CreateWindowExW(0, L"STATIC", L"owner", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0, 300, 200, nullptr,
                                 nullptr, nullptr, nullptr);
        ASSERT_TRUE(owner_);
        dialog_.SetCancelError(true);
        dialog_.SetInitDir(test::DataPath(L"pictures"));
        dialog_.SetDialogTitle(kTitle);
        dialog_.SetFilter2(1);
    }
    void TearDown() override { DestroyWindow(owner_); }

    std::wstring Open() {
        DlgPrev::OwnerForm = owner_;
        return dialog_.Abrir(owner_);
    }

    HWND owner_ = nullptr;
    CVistaPrevia dialog_;
};

ModalDriver::Step ChooseFile(HWND& dialog, const std::wstring& path) {
    return [&dialog, path] {
        SendMessageW(dialog, CDM_SETCONTROLTEXT, edt1, reinterpret_cast<LPARAM>(path.c_str()));
        PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
        return true;
    };
}

ModalDriver::Step Cancel(HWND& dialog) {
    return [&dialog] {
        PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0);
        return true;
    };
}

TEST_F(OpenDialogTest, ReturnsTheFullPathOfTheChosenPicture) {
    HWND dlg = nullptr;
    const std::wstring path = test::DataPath(L"pictures\\sample.png");
    ModalDriver driver({test::WaitForDialog(kTitle, dlg), ChooseFile(dlg, path)});
    EXPECT_EQ(Open(), path);
    EXPECT_TRUE(driver.Finished());
    EXPECT_FALSE(driver.TimedOut());
}

TEST_F(OpenDialogTest, ReturnsPathsWithAnyCharactersWhole) {
    test::TempFolder folder;
    const std::wstring path = folder.File(L"escudo \u00F1and\u00FA \u6F22\u5B57 \u0416.png");
    test::WriteFileBytes(path, test::ReadFileBytes(test::DataPath(L"pictures\\sample.png")));
    dialog_.SetInitDir(folder.WidePath());
    HWND dlg = nullptr;
    ModalDriver driver({test::WaitForDialog(kTitle, dlg), ChooseFile(dlg, path)});
    EXPECT_EQ(Open(), path);
}

TEST_F(OpenDialogTest, CancelGivesEmptyTextAndFlagsAreAlwaysTheDialogsOwn) {
    dialog_.SetFlags(0x1234);
    dialog_.SetFileName(L"kept.bmp");
    HWND dlg = nullptr;
    ModalDriver driver({test::WaitForDialog(kTitle, dlg), Cancel(dlg)});
    EXPECT_EQ(Open(), L"");
    EXPECT_TRUE(dialog_.CancelError());
    EXPECT_EQ(dialog_.Flags(), 0x281824);
    EXPECT_EQ(dialog_.FileName(), L"kept.bmp");
    EXPECT_EQ(DlgPrev::PreviewBox(), nullptr);
    EXPECT_EQ(DlgPrev::OwnerForm, nullptr);
}

std::vector<std::wstring> FilterChoices(HWND dialog) {
    std::vector<std::wstring> items;
    HWND combo = GetDlgItem(dialog, cmb1);
    const LRESULT count = SendMessageW(combo, CB_GETCOUNT, 0, 0);
    for (LRESULT i = 0; i < count; ++i) {
        wchar_t text[256] = {};
        SendMessageW(combo, CB_GETLBTEXT, i, reinterpret_cast<LPARAM>(text));
        items.push_back(text);
    }
    return items;
}

TEST_F(OpenDialogTest, ShowsTheFilterChoicesOfTheMask) {
    struct Case {
        std::int32_t mask;
        std::vector<std::wstring> expected;
    };
    const Case cases[] = {
        {1, {L"Todas las imagenes (JPG,BMP,GIF)"}},
        {3, {L"Todas las imagenes (JPG,BMP,GIF)"}},
        {0x82, {L"Imagen de Mapa de Bits (*.bmp)", L"Archivo JPG (*.jpg)"}},
        {0x800, {L"Windows Metafile (*.wmf)"}},
        {0, {}},
        {4, {}},
    };
    for (const Case& c : cases) {
        dialog_.SetFilter2(c.mask);
        std::vector<std::wstring> seen;
        HWND dlg = nullptr;
        ModalDriver driver({test::WaitForDialog(kTitle, dlg),
                            [&] {
                                seen = FilterChoices(dlg);
                                return true;
                            },
                            Cancel(dlg)});
        Open();
        EXPECT_EQ(seen, c.expected) << "mask " << c.mask;
        EXPECT_EQ(dialog_.Filter2(), c.mask);
    }
}

// Selects a file in the dialog's visible list, as a click would.
bool SelectInList(HWND dialog, const std::wstring& name) {
    HWND view = GetDlgItem(dialog, lst2);
    HWND list = view ? FindWindowExW(view, nullptr, WC_LISTVIEWW, nullptr) : nullptr;
    if (!list) list = FindWindowExW(dialog, nullptr, WC_LISTVIEWW, nullptr);
    if (!list) return false;
    LVFINDINFOW find{};
    find.flags = LVFI_STRING;
    find.psz = name.c_str();
    int index =
        static_cast<int>(SendMessageW(list, LVM_FINDITEMW, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(&find)));
    if (index < 0) {
        const std::wstring stem = name.substr(0, name.find_last_of(L'.'));
        find.psz = stem.c_str();
        index = static_cast<int>(
            SendMessageW(list, LVM_FINDITEMW, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(&find)));
    }
    if (index < 0) return false;
    LVITEMW item{};
    item.stateMask = LVIS_SELECTED | LVIS_FOCUSED;
    item.state = LVIS_SELECTED | LVIS_FOCUSED;
    SendMessageW(list, LVM_SETITEMSTATE, index, reinterpret_cast<LPARAM>(&item));
    return true;
}

TEST_F(OpenDialogTest, PreviewPaneSitsBesideTheListAndShowsTheWholePicture) {
    dialog_.SetFilter2(0);  // every file listed, the PNG included
    HWND dlg = nullptr;
    RECT pane{}, list{}, dialogRect{};
    POINT listCorner{};
    Bitmap32 shown;
    COLORREF back = GetSysColor(COLOR_BTNFACE);
    ModalDriver driver({
        test::WaitForDialog(kTitle, dlg),
        [&] { return SelectInList(dlg, L"wide.png"); },
        [&] {
            PictureSurface* box = DlgPrev::PreviewBox();
            if (!box || !DlgPrev::PreviewPicture()) return false;
            GetWindowRect(box->hWnd(), &pane);
            MapWindowPoints(nullptr, dlg, reinterpret_cast<POINT*>(&pane), 2);
            HWND l = GetDlgItem(dlg, lst1);
            if (!l || !IsWindowVisible(l)) l = GetDlgItem(dlg, lst2);
            GetWindowRect(l, &list);
            listCorner = {list.left, list.top};
            ScreenToClient(dlg, &listCorner);
            GetWindowRect(dlg, &dialogRect);
            shown = box->ImageBitmap().Clone();
            EXPECT_EQ(GetParent(box->hWnd()), dlg);
            EXPECT_TRUE(IsWindowVisible(box->hWnd()));
            return true;
        },
        Cancel(dlg),
    });
    Open();
    ASSERT_FALSE(driver.TimedOut());
    const int listHeight = list.bottom - list.top;
    EXPECT_EQ(pane.bottom - pane.top, listHeight);
    EXPECT_NEAR(pane.right - pane.left, 1.2 * listHeight, 0.5);
    EXPECT_EQ(pane.left, 3 * listCorner.x + (list.right - list.left));
    EXPECT_EQ(pane.top, listCorner.y);
    EXPECT_EQ(dialogRect.right, static_cast<LONG>(std::lround(1.2 * listHeight + list.right + 4 * listCorner.x)));

    // 200 x 100 red with a blue border, fitted whole: full width, half height, centred.
    const int w = pane.right - pane.left, h = pane.bottom - pane.top;
    const int drawnHeight = (100 * w + 100) / 200;
    const int top = (h - drawnHeight) / 2;
    EXPECT_EQ(RgbToColorref(RgbOf(shown.pixel(w / 2, 2))), back);
    EXPECT_EQ(RgbToColorref(RgbOf(shown.pixel(w / 2, h - 3))), back);
    const std::uint32_t centre = shown.pixel(w / 2, h / 2);
    EXPECT_GT((centre >> 16) & 0xFF, 200u);
    EXPECT_LT(centre & 0xFF, 60u);
    const std::uint32_t border = shown.pixel(w / 2, top + 1);
    EXPECT_GT(border & 0xFF, 150u) << std::hex << border;
    const std::uint32_t leftEdge = shown.pixel(1, h / 2);
    EXPECT_GT(leftEdge & 0xFF, 150u) << std::hex << leftEdge;
}

TEST_F(OpenDialogTest, TheClassicDialogHoldsThePaneCloseBesideTheList) {
    HWND dlg = nullptr;
    RECT pane{}, list{}, dialogRect{}, client{};
    bool classicName = false;
    ModalDriver driver({
        test::WaitForDialog(kTitle, dlg),
        [&] {
            PictureSurface* box = DlgPrev::PreviewBox();
            if (!box || !IsWindowVisible(box->hWnd())) return false;
            GetWindowRect(box->hWnd(), &pane);
            MapWindowPoints(nullptr, dlg, reinterpret_cast<POINT*>(&pane), 2);
            HWND l = GetDlgItem(dlg, lst1);
            if (!l || !IsWindowVisible(l)) l = GetDlgItem(dlg, lst2);
            GetWindowRect(l, &list);
            MapWindowPoints(nullptr, dlg, reinterpret_cast<POINT*>(&list), 2);
            GetWindowRect(dlg, &dialogRect);
            GetClientRect(dlg, &client);
            HWND name = GetDlgItem(dlg, edt1);
            classicName = name && IsWindowVisible(name);
            return true;
        },
        Cancel(dlg),
    });
    Open();
    ASSERT_FALSE(driver.TimedOut());
    const int width = dialogRect.right - dialogRect.left;
    // No places bar down the left: the list starts near the edge.
    EXPECT_TRUE(classicName);
    EXPECT_LT(width, 700) << width;
    EXPECT_EQ(pane.left - list.right, 2 * list.left);
    EXPECT_LE(pane.left - list.right, 16);
    EXPECT_LE(client.right - pane.right, 16);
}

TEST_F(OpenDialogTest, ASelectionThatIsNoPictureClearsThePreviewAndSaysSo) {
    HWND dlg = nullptr;
    SharedPicture first, after;
    int written = 0, panePixels = 0;  // pixels of the pane that are not its back colour
    ModalDriver driver({
        test::WaitForDialog(kTitle, dlg),
        [&] { return SelectInList(dlg, L"sample.bmp"); },
        [&] {
            first = DlgPrev::PreviewPicture();
            return first != nullptr;
        },
        [&] { return SelectInList(dlg, L"damaged.jpg"); },
        [&] { return DlgPrev::SelectedPath().ends_with(L"damaged.jpg"); },
        [&] {
            test::PumpFor(300);
            after = DlgPrev::PreviewPicture();
            const Bitmap32& pane = DlgPrev::PreviewBox()->ImageBitmap();
            const std::uint32_t back = pane.pixel(0, 0) & 0xFFFFFF;
            for (int y = 0; y < pane.height(); ++y)
                for (int x = 0; x < pane.width(); ++x) written += (pane.pixel(x, y) & 0xFFFFFF) != back;
            panePixels = pane.width() * pane.height();
            return true;
        },
        Cancel(dlg),
    });
    Open();
    ASSERT_FALSE(driver.TimedOut());
    ASSERT_TRUE(first);
    EXPECT_EQ(after, nullptr);
    // A line of text on a cleared pane, not the picture before.
    EXPECT_GT(written, 0);
    EXPECT_LT(written, panePixels / 10);
    EXPECT_EQ(DlgPrev::PreviewPicture(), nullptr);
}

TEST_F(OpenDialogTest, ASharingViolationIsReportedAndTheDialogGoesOn) {
    std::wstring text;
    bool errorIcon = false;
    ModalDriver driver({test::AnswerMessageBox(L"Vexillor", text, IDOK, &errorIcon)});
    DlgPrev::OnDialogNotify(owner_, CDN_SHAREVIOLATION);
    EXPECT_EQ(text, L"Error general!");
    EXPECT_TRUE(errorIcon);
}

}  // namespace
}  // namespace vx
