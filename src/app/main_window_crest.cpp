// The window's crest workflow: the crest mode and keep-proportions menu,
// composing an opened picture into the crest surfaces and the zoom, and
// saving the crest files.
#include <filesystem>
#include <string>
#include <vector>

#include "app/crest_zoom.h"
#include "app/files.h"
#include "app/main_window.h"
#include "app/picture_failure.h"
#include "app/settings.h"
#include "base/run_time_error.h"
#include "bmp/bmp_file.h"
#include "common/picture_loader.h"
#include "common/utf8.h"
#include "dialogs/open_dialog.h"

namespace vx {
namespace {

// Crest pixels onto a crest surface's persistent image, with the fourth
// byte 0 as in every picture the surfaces hold.
Bitmap32 BitmapOf(const BgraImage& pixels) {
    Bitmap32 bitmap(pixels.Width(), pixels.Height());
    GdiFlush();
    Bgra* out = bitmap.pixels().data();
    for (int y = 0; y < pixels.Height(); ++y)
        for (int x = 0; x < pixels.Width(); ++x) *out++ = PixelOf(ColorrefToRgb(pixels.ColorAt(x, y)));
    return bitmap;
}

void DrawPixels(PictureSurface& target, const BgraImage& pixels) {
    const Bitmap32 bitmap = BitmapOf(pixels);
    UniqueMemoryDc source(CreateCompatibleDC(target.hDC()));
    {
        SelectGuard select(source.get(), bitmap.handle());
        BitBlt(target.hDC(), 0, 0, bitmap.width(), bitmap.height(), source.get(), 0, 0, SRCCOPY);
    }
    GdiFlush();
}

}  // namespace

CrestMode Main::CrestMode() const { return document_.Options().mode; }

void Main::mnuClan_Click() { SwitchCrestMode(vx::CrestMode::Clan); }

void Main::mnuAllyClan_Click() { SwitchCrestMode(vx::CrestMode::AllyClan); }

void Main::SwitchCrestMode(vx::CrestMode mode) {
    document_.SetMode(mode);
    SaveSetting(kAppTitle, kSettingsSection, kCrestModeKey, mode == vx::CrestMode::Clan ? L"Clan" : L"AllyClan");
    // Before any picture the placeholder moves over; after one, the
    // document's crest for the new mode is shown.
    if (!document_.HasPicture()) {
        PictureSurface& shown = mode == vx::CrestMode::Clan ? ImgClanCrest : ImgAllyCrest;
        PictureSurface& hidden = mode == vx::CrestMode::Clan ? ImgAllyCrest : ImgClanCrest;
        shown.SetPicture(hidden.Picture());
    }
    ReflectDocument();
}

bool Main::KeepProportions() const { return document_.Options().keepProportions; }

void Main::mnuKeepProportions_Click() {
    const bool keep = !KeepProportions();
    document_.SetKeepProportions(keep);
    SaveSetting(kAppTitle, kSettingsSection, kKeepProportionsKey, keep ? L"1" : L"0");
    ReflectDocument();
}

bool Main::Crisp() const { return document_.Options().crisp; }

void Main::mnuCrisp_Click() {
    const bool crisp = !Crisp();
    document_.SetCrisp(crisp);
    SaveSetting(kAppTitle, kSettingsSection, kCrispKey, crisp ? L"1" : L"0");
    ReflectDocument();
}

void Main::ReflectDocument() {
    const CrestOptions& options = document_.Options();
    const bool clan = options.mode == vx::CrestMode::Clan;
    CheckMenuItem(crestMenu_, kMenuClanId, MF_BYCOMMAND | (clan ? MF_CHECKED : MF_UNCHECKED));
    CheckMenuItem(crestMenu_, kMenuAllyClanId, MF_BYCOMMAND | (clan ? MF_UNCHECKED : MF_CHECKED));
    CheckMenuItem(crestMenu_, kMenuKeepProportionsId,
                  MF_BYCOMMAND | (options.keepProportions ? MF_CHECKED : MF_UNCHECKED));
    CheckMenuItem(crestMenu_, kMenuCrispId, MF_BYCOMMAND | (options.crisp ? MF_CHECKED : MF_UNCHECKED));
    (clan ? ImgAllyCrest : ImgClanCrest).SetVisible(false);
    (clan ? ImgClanCrest : ImgAllyCrest).SetVisible(true);
    if (document_.HasPicture()) ShowComposedCrest(options.mode);
    ShowZoomedCrest();
}

CrestZoom Main::ZoomOf(bool strip) {
    CrestZoom zoom;
    zoom.scale = strip ? kStripZoom : kClanZoom;
    zoom.dividerAfterColumn = strip ? kAllyCrestWidth : 0;
    zoom.backColour = MakeColorref(14, 12, 18);       // the frame's recess in the artwork
    zoom.dividerColour = MakeColorref(200, 156, 74);  // the frame's gold
    return zoom;
}

void Main::ShowZoomedCrest() {
    const vx::CrestMode mode = CrestMode();
    // Before a picture is opened the placeholder stands for the crest.
    const bool hasPicture = document_.HasPicture();
    const SharedPicture crest = !hasPicture                   ? placeholder_
                                : mode == vx::CrestMode::Clan ? PicClanCrest.Image()
                                                              : PicCrestAlly.Image();
    if (!crest) return;
    GdiFlush();
    const BgraImage zoomed =
        ZoomCrest(crest->View(), ZoomOf(hasPicture && mode == vx::CrestMode::AllyClan), kZoomWidth, kZoomHeight);
    ImgZoomCrest.SetPicture(std::make_shared<const Bitmap32>(BitmapOf(zoomed)));
}

void Main::PicTypeCrest_Click() {
    POINT at{};
    GetCursorPos(&at);
    ShowCrestMenu(at, false);
}

void Main::ShowCrestMenu(POINT at, bool fromKeyboard) {
    // Without this the menu would not close when the user clicks elsewhere.
    SetForegroundWindow(hwnd_);
    // From the keyboard the first item starts lit, for the arrow keys.
    if (fromKeyboard) PostMessageW(hwnd_, WM_KEYDOWN, VK_DOWN, 0);
    TrackPopupMenu(crestMenu_, 0, at.x, at.y, 0, hwnd_, nullptr);
    PostMessageW(hwnd_, WM_NULL, 0, 0);
}

void Main::ShowTooLargeMessage() { MessageBoxW(hwnd_, WideFromUtf8(kPictureTooBigMessage).c_str(), kAppTitle, MB_OK); }

void Main::ShowPictureFailure(const std::wstring& path, const PictureFailure& failure) {
    MessageBoxW(hwnd_, WideFromUtf8(PictureFailureMessage(Utf8FromWide(path), failure)).c_str(), kAppTitle,
                MB_OK | MB_ICONEXCLAMATION);
}

std::wstring Main::PictureFolder() const {
    const std::wstring last = GetSetting(kAppTitle, kSettingsSection, kPictureFolderKey, L"");
    std::error_code ec;
    if (!last.empty() && std::filesystem::is_directory(std::filesystem::path(last), ec)) return last;
    return ProgramFolder();
}

void Main::PicBrowseImage_Click() {
    if (!OpenDialog) return;
    OpenDialog->SetInitDir(PictureFolder());
    DlgPrev::OwnerForm = hwnd_;
    lastChosenPath_ = OpenDialog->Abrir(hwnd_);
    if (lastChosenPath_.empty()) return;
    ComposePicture(lastChosenPath_);
}

void Main::ComposePicture(const std::wstring& path) {
    // Every road out of here either shows the new crest or tells why not;
    // a failure leaves the crest as it was.
    std::error_code ec;
    if (std::filesystem::is_directory(std::filesystem::path(path), ec)) {
        ShowPictureFailure(path, {PictureFailure::Stage::Folder, kErrPathFileAccess, {}, {}});
        return;
    }
    try {
        if (!ImageInfo) ImageInfo = std::make_unique<clsImage>();
        try {
            ImageInfo->ReadImageInfo(std::filesystem::path(path));
        } catch (const RunTimeError& error) {
            ShowPictureFailure(path, {PictureFailure::Stage::Read, error.Number(), {}, {}});
            return;
        }
        const PixelSize header{ImageInfo->Width(), ImageInfo->Height()};

        SharedPicture picture;
        try {
            // Transparency stays in the picture: the document lays it over
            // the crest's background, which can change afterwards.
            picture = std::make_shared<const Bitmap32>(LoadPictureFile(path, kKeepAlpha));
        } catch (const PictureLoadError& error) {
            if (RanOutOfMemory(error))
                ShowTooLargeMessage();
            else
                ShowPictureFailure(path, LoadFailureOf(error));
            return;
        }
        const PixelSize source = CrestSourceSize(header, {picture->width(), picture->height()});
        ShowPicture(std::move(picture), source);
        SaveSetting(kAppTitle, kSettingsSection, kPictureFolderKey,
                    std::filesystem::path(path).parent_path().wstring());
    } catch (const std::bad_alloc&) {
        ShowTooLargeMessage();
    } catch (const RunTimeError& error) {
        ShowPictureFailure(path, {PictureFailure::Stage::Load, error.Number(), {}, {}});
    }
}

void Main::ShowPicture(SharedPicture picture, PixelSize source) {
    BgraImage pixels = CopyRect(picture->View(), {0, 0, source.width, source.height});
    PicBuff.SetPicture(std::move(picture));
    document_.SetPicture(std::move(pixels));
    ReflectDocument();
}

void Main::ShowComposedCrest(vx::CrestMode mode) {
    PictureSurface& target = mode == vx::CrestMode::Clan ? PicClanCrest : PicCrestAlly;
    PictureSurface& preview = mode == vx::CrestMode::Clan ? ImgClanCrest : ImgAllyCrest;
    const BgraImage& crest = document_.Crest();
    if (crest.Width() == CrestWidth(mode)) DrawPixels(target, crest);
    target.Refresh();
    preview.SetPicture(target.Image());
}

void Main::PicSave_Click() {
    // Without a picture the crest surfaces hold only their back colour:
    // writing that would replace a real crest with a blank one.
    if (!document_.HasPicture()) {
        MessageBoxW(hwnd_, WideFromUtf8(kOpenPictureFirstMessage).c_str(), kAppTitle, MB_OK | MB_ICONINFORMATION);
        return;
    }
    const vx::CrestMode mode = CrestMode();
    const std::wstring lastFolder = GetSetting(kAppTitle, kSettingsSection, kCrestFolderKey, L"");
    const std::wstring folder = Files::BrowseForFolder(hwnd_, FolderBrowserTitle(mode), lastFolder);
    if (folder.empty()) return;
    const auto remember = [&](bool saved) {
        if (saved) SaveSetting(kAppTitle, kSettingsSection, kCrestFolderKey, folder);
    };
    if (mode == vx::CrestMode::Clan) {
        remember(SaveClanCrest(folder));
        return;
    }
    // The cut surfaces hold exactly the pieces the save writes.
    const std::vector<CrestFile> pieces = PlanCrestFiles(mode, PicCrestAlly.Image()->View(), folder);
    DrawPixels(PicCrestAlly1, pieces[0].pixels);
    DrawPixels(PicCrestAlly2, pieces[1].pixels);
    PicCrestAlly1.Refresh();
    PicCrestAlly2.Refresh();
    remember(SaveAllyAndClanCrests(folder));
}

bool Main::SaveClanCrest(const std::wstring& folder) {
    return SaveCrestFiles(vx::CrestMode::Clan,
                          PlanCrestFiles(vx::CrestMode::Clan, PicClanCrest.Image()->View(), folder));
}

bool Main::SaveAllyAndClanCrests(const std::wstring& folder) {
    return SaveCrestFiles(vx::CrestMode::AllyClan,
                          PlanCrestFiles(vx::CrestMode::AllyClan, PicCrestAlly.Image()->View(), folder));
}

bool Main::SaveCrestFiles(vx::CrestMode mode, const std::vector<CrestFile>& files) {
    // Every file is encoded and written aside before any crest is replaced:
    // a failed save leaves the folder's crests as they were.
    std::wstring failedFile;
    if (const std::optional<RunTimeError> failure = WriteCrestFiles(files, &failedFile)) {
        if (failedFile.empty()) failedFile = files.front().path;
        MessageBoxW(hwnd_, WideFromUtf8(SaveFailureMessage(Utf8FromWide(failedFile), failure->Number())).c_str(),
                    kAppTitle, MB_OK | MB_ICONEXCLAMATION);
        return false;
    }
    MessageBoxW(hwnd_, ConfirmationText(mode, files).c_str(), ConfirmationTitle(mode).c_str(),
                MB_OK | MB_ICONINFORMATION);
    return true;
}

}  // namespace vx
