#include "dialogs/open_dialog.h"

#include <commdlg.h>

#include <memory>
#include <vector>

#include "common/picture_loader.h"
#include "dialogs/preview_geometry.h"
#include "base/swallowing_errors.h"

namespace vx::DlgPrev {

HWND OwnerForm = nullptr;

namespace {

constexpr int kFileListId = 0x460;      // the classic list box
constexpr int kShellViewId = 0x461;     // the shell view that holds the list on newer dialogs
constexpr DWORD kPathCapacity = 32768;  // the longest path the platform allows
constexpr COLORREF kPaneBackColor = 0x80000000 | COLOR_BTNFACE;
constexpr wchar_t kNoPreviewText[] = L"Sin vista previa / No preview";

struct ModuleState {
    std::unique_ptr<PictureSurface> previewBox;
    SharedPicture previewPicture;
    std::wstring selectedPath;
};

ModuleState& State() {
    static ModuleState state;
    return state;
}

void FetchSelectedPath(HWND hDlg) {
    HWND dialog = GetParent(hDlg);
    std::vector<wchar_t> buffer(kPathCapacity, L'\0');
    SendMessageW(dialog, CDM_GETFILEPATH, buffer.size(), reinterpret_cast<LPARAM>(buffer.data()));
    buffer.back() = L'\0';
    State().selectedPath = buffer.data();
}

// The visible file list: the list box where the dialog shows one, else the
// shell view that replaces it.
HWND FindFileList(HWND dialog) {
    HWND list = GetDlgItem(dialog, kFileListId);
    if (list && IsWindowVisible(list)) return list;
    HWND view = GetDlgItem(dialog, kShellViewId);
    return view ? view : list;
}

void LayOutDialog(HWND hDlg) {
    PictureSurface* pane = State().previewBox.get();
    if (!pane) return;
    HWND dialog = GetParent(hDlg);
    RECT d{}, l{};
    GetWindowRect(dialog, &d);
    HWND list = FindFileList(dialog);
    if (!list) return;
    GetWindowRect(list, &l);
    POINT corner{l.left, l.top};
    ScreenToClient(dialog, &corner);
    const PaneLayout layout =
        LayOutPreviewPane({d.left, d.top, d.right, d.bottom}, {l.left, l.top, l.right, l.bottom}, corner.x, corner.y,
                          GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN));
    SetParent(pane->hWnd(), dialog);
    pane->Move(layout.paneLeft, layout.paneTop, layout.paneWidth, layout.paneHeight);
    pane->Cls();
    pane->SetVisible(true);
    SetWindowPos(dialog, HWND_TOP, layout.dialogX, layout.dialogY, layout.dialogWidth, layout.dialogHeight,
                 SWP_SHOWWINDOW);
}

void DrawPreview() {
    PictureSurface* pane = State().previewBox.get();
    const SharedPicture& picture = State().previewPicture;
    if (!pane || !picture || !*picture) return;
    const IntRect fit = FitWholePicture(picture->width(), picture->height(), pane->Width(), pane->Height());
    pane->Cls();
    UniqueMemoryDc source(CreateCompatibleDC(pane->hDC()));
    if (fit.Width() <= picture->width() && fit.Height() <= picture->height()) {
        // Shrinking averages every source pixel in, on every platform (some
        // stretch modes only pick one pixel of each block).
        const Bitmap32 shrunk = SqueezeBitmap(*picture, picture->width(), picture->height(), fit.Width(), fit.Height());
        SelectGuard select(source.get(), shrunk.handle());
        BitBlt(pane->hDC(), fit.left, fit.top, fit.Width(), fit.Height(), source.get(), 0, 0, SRCCOPY);
    } else {
        SelectGuard select(source.get(), picture->handle());
        SetStretchBltMode(pane->hDC(), HALFTONE);
        SetBrushOrgEx(pane->hDC(), 0, 0, nullptr);
        StretchBlt(pane->hDC(), fit.left, fit.top, fit.Width(), fit.Height(), source.get(), 0, 0, picture->width(),
                   picture->height(), SRCCOPY);
    }
    GdiFlush();
}

// A file that cannot be shown clears the pane and says so, rather than
// leaving the last good picture there as if it were this one.
void DrawNoPreview() {
    PictureSurface* pane = State().previewBox.get();
    if (!pane) return;
    pane->Cls();
    RECT area{0, 0, pane->Width(), pane->Height()};
    SetBkMode(pane->hDC(), TRANSPARENT);
    SetTextColor(pane->hDC(), GetSysColor(COLOR_GRAYTEXT));
    DrawTextW(pane->hDC(), kNoPreviewText, -1, &area, DT_CENTER | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX);
    GdiFlush();
}

void ShowSelection(HWND hDlg) {
    FetchSelectedPath(hDlg);
    if (State().selectedPath.empty()) return;
    State().previewPicture.reset();
    SwallowingErrors([&] {
        const COLORREF back = PictureSurface::ResolveColor(kPaneBackColor);
        State().previewPicture = std::make_shared<const Bitmap32>(LoadPictureFile(State().selectedPath, back));
    });
    SwallowingErrors([&] { State().previewPicture ? DrawPreview() : DrawNoPreview(); });
    if (PictureSurface* pane = State().previewBox.get()) pane->Refresh();
}

void ReleasePane() {
    ModuleState& state = State();
    if (state.previewBox) state.previewBox->Destroy();
    state.previewBox.reset();
    OwnerForm = nullptr;
    state.previewPicture.reset();
}

}  // namespace

PictureSurface* PreviewBox() { return State().previewBox.get(); }
const SharedPicture& PreviewPicture() { return State().previewPicture; }
const std::wstring& SelectedPath() { return State().selectedPath; }

void CreatePreviewBox() {
    auto pane = std::make_unique<PictureSurface>();
    PictureSurface::Layout layout;
    layout.width = 1;
    layout.height = 1;
    layout.visible = false;
    layout.backColor = kPaneBackColor;
    pane->Create(OwnerForm, L"MiPicture1", layout);
    State().previewBox = std::move(pane);
}

void OnDialogNotify(HWND hDlg, int code) {
    switch (static_cast<UINT>(code)) {
        case CDN_INITDONE:
            LayOutDialog(hDlg);
            break;
        case CDN_SELCHANGE:
            ShowSelection(hDlg);
            break;
        case CDN_SHAREVIOLATION:
            MessageBoxW(hDlg, L"Error general!", L"Vexillor", MB_OK | MB_ICONERROR);
            break;
        case CDN_FILEOK:
            FetchSelectedPath(hDlg);
            break;
        default:
            break;
    }
}

UINT_PTR CALLBACK PreviewHook(HWND hDlg, UINT uMsg, WPARAM, LPARAM lParam) {
    // Nothing may escape into the dialog's own code.
    SwallowingErrors([&] {
        if (uMsg == WM_DESTROY) {
            ReleasePane();
        } else if (uMsg == WM_NOTIFY && lParam) {
            const auto* header = reinterpret_cast<const NMHDR*>(lParam);
            OnDialogNotify(hDlg, static_cast<int>(header->code));
        }
    });
    return 0;
}

std::wstring OpenWithPreview(HWND ownerForm, const std::wstring& filter, const std::wstring& initDir,
                             const std::wstring& title, std::int16_t filterIndex, std::int32_t flags,
                             DWORD& extendedError) {
    std::vector<wchar_t> file(kPathCapacity, L'\0');
    // The list must end in two NULs; the text carries none of its own.
    std::wstring filterList = filter;
    filterList.append(2, L'\0');

    OPENFILENAMEW ofn{};
    // The short record of the classic dialog: the full one adds the places
    // bar down the left side, and the pane's layout, measured from the
    // list's left margin, then runs the dialog off a small screen.
    ofn.lStructSize = OPENFILENAME_SIZE_VERSION_400W;
    ofn.hwndOwner = ownerForm;
    ofn.lpstrFilter = filter.empty() ? nullptr : filterList.c_str();
    ofn.nFilterIndex = static_cast<DWORD>(filterIndex < 0 ? 0 : filterIndex);
    ofn.lpstrFile = file.data();
    ofn.nMaxFile = kPathCapacity;
    ofn.lpstrInitialDir = initDir.empty() ? nullptr : initDir.c_str();
    ofn.lpstrTitle = title.empty() ? nullptr : title.c_str();
    ofn.Flags = static_cast<DWORD>(flags);
    ofn.lpfnHook = &PreviewHook;

    if (!OwnerForm) OwnerForm = ownerForm;
    CreatePreviewBox();
    const BOOL chosen = GetOpenFileNameW(&ofn);
    extendedError = CommDlgExtendedError();
    // A dialog that failed to open never sent WM_DESTROY to the hook.
    if (State().previewBox) ReleasePane();
    if (!chosen) return {};
    file.back() = L'\0';
    return file.data();
}

}  // namespace vx::DlgPrev
