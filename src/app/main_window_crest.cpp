// The window's crest workflow: the crest mode and keep-proportions menu,
// composing an opened picture into the crest surfaces and the zoom, and
// saving the crest files.
#include <filesystem>
#include <string>
#include <vector>

#include "app/crest_zoom.h"
#include "app/files.h"
#include "app/main_window.h"
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

void Main::ReflectDocument() {
    const CrestOptions& options = document_.Options();
    const bool clan = options.mode == vx::CrestMode::Clan;
    CheckMenuItem(crestMenu_, kMenuClanId, MF_BYCOMMAND | (clan ? MF_CHECKED : MF_UNCHECKED));
    CheckMenuItem(crestMenu_, kMenuAllyClanId, MF_BYCOMMAND | (clan ? MF_UNCHECKED : MF_CHECKED));
    CheckMenuItem(crestMenu_, kMenuKeepProportionsId,
                  MF_BYCOMMAND | (options.keepProportions ? MF_CHECKED : MF_UNCHECKED));
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
    // Without this the menu would not close when the user clicks elsewhere.
    SetForegroundWindow(hwnd_);
    TrackPopupMenu(crestMenu_, 0, at.x, at.y, 0, hwnd_, nullptr);
    PostMessageW(hwnd_, WM_NULL, 0, 0);
}

void Main::ShowTooLargeMessage() {
    MessageBoxW(hwnd_,
                L"Hubo un problema al cargar esta imagen. Puede ser que sea demasiado grande. Intente reducir el "
                L"tama\u00F1ao ( menor a 800 x 600 ) e intente nuevamente\r\n\r\n"
                L"Error loading image. May be very Big, try resize to 800 x 600.",
                kAppTitle, MB_OK);
}

void Main::PicBrowseImage_Click() {
    if (!OpenDialog) return;
    DlgPrev::OwnerForm = hwnd_;
    lastChosenPath_ = OpenDialog->Abrir(hwnd_);
    if (lastChosenPath_.empty()) return;
    ComposePicture(lastChosenPath_);
}

void Main::ComposePicture(const std::wstring& path) {
    try {
        if (!ImageInfo) ImageInfo = std::make_unique<clsImage>();
        ImageInfo->ReadImageInfo(std::filesystem::path(path));
        const PixelSize header{ImageInfo->Width(), ImageInfo->Height()};

        SharedPicture picture;
        try {
            // Transparency stays in the picture: the document lays it over
            // the crest's background, which can change afterwards.
            picture = std::make_shared<const Bitmap32>(LoadPictureFile(path, kKeepAlpha));
        } catch (const PictureLoadError& error) {
            MessageBoxW(hwnd_, PictureLoadMessage(error).c_str(), kAppTitle, MB_OK);
            return;
        }
        const PixelSize source = CrestSourceSize(header, {picture->width(), picture->height()});
        ShowPicture(std::move(picture), source);
    } catch (const RunTimeError& error) {
        if (error.Number() == kErrSubscriptOutOfRange) ShowTooLargeMessage();
    } catch (...) {
        // Anything else leaves the crest as it was, without a message.
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
    if (const std::optional<RunTimeError> failure = WriteCrestFiles(files)) {
        MessageBoxW(hwnd_, WideFromUtf8(bmp::kFailureTextStart + failure->Description()).c_str(), kAppTitle, MB_OK);
        return false;
    }
    MessageBoxW(hwnd_, ConfirmationText(mode, files).c_str(), ConfirmationTitle(mode).c_str(),
                MB_OK | MB_ICONINFORMATION);
    return true;
}

}  // namespace vx
