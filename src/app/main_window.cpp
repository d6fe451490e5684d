// The main window: start-up, the skin's controls and menus, the character's
// animation and name, and the dispatch of its messages.
#include "app/main_window.h"

#include <commctrl.h>
#include <shellapi.h>

#include <filesystem>
#include <stdexcept>
#include <vector>

#include "app/dpi_scale.h"
#include "app/input_box.h"
#include "app/name_label.h"
#include "app/resource_ids.h"
#include "app/settings.h"
#include "base/error_sentence.h"
#include "base/run_time_error.h"
#include "common/picture_loader.h"
#include "common/utf8.h"
#include "dialogs/filter_text.h"
#include "common/window_object.h"

namespace vx {
namespace {

constexpr wchar_t kWindowClass[] = L"VexillorMain";
constexpr COLORREF kWhite = 0x00FFFFFF;
constexpr COLORREF kBlack = 0;
constexpr COLORREF kCrestYellow = 0x0000FFFF;
constexpr COLORREF kCrestOlive = 0x0000C0C0;

SharedPicture LoadResourcePicture(int id) {
    HMODULE module = GetModuleHandleW(nullptr);
    HRSRC info = FindResourceW(module, MAKEINTRESOURCEW(id), RT_RCDATA);
    if (!info) throw std::runtime_error("missing picture resource");
    HGLOBAL data = LoadResource(module, info);
    const void* bytes = data ? LockResource(data) : nullptr;
    const DWORD size = SizeofResource(module, info);
    if (!bytes || size == 0) throw std::runtime_error("unreadable picture resource");
    auto span = std::span<const std::uint8_t>(static_cast<const std::uint8_t*>(bytes), size);
    return std::make_shared<const Bitmap32>(LoadPictureBytes(span, GetSysColor(COLOR_BTNFACE)));
}

PictureSurface::Layout At(int x, int y, int width, int height, bool visible = true) {
    PictureSurface::Layout layout;
    layout.x = x;
    layout.y = y;
    layout.width = width;
    layout.height = height;
    layout.visible = visible;
    return layout;
}

PictureSurface::Layout Hidden(int width, int height, COLORREF back = 0x80000000 | COLOR_BTNFACE) {
    PictureSurface::Layout layout = At(0, 0, width, height, false);
    layout.backColor = back;
    return layout;
}

}  // namespace

Main::Main() = default;

Main::~Main() {
    if (hwnd_) {
        options_.quitOnDestroy = false;
        DestroyWindow(hwnd_);
    }
}

std::wstring Main::ProgramFolder() {
    std::vector<wchar_t> buffer(32768, L'\0');
    const DWORD length = GetModuleFileNameW(nullptr, buffer.data(), static_cast<DWORD>(buffer.size()));
    std::wstring path(buffer.data(), length);
    const auto slash = path.find_last_of(L"\\/");
    return slash == std::wstring::npos ? std::wstring() : path.substr(0, slash);
}

void Main::DoEvents() {
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
        if (msg.message == WM_QUIT) {
            // Leave the quit for the real message loop.
            PostQuitMessage(static_cast<int>(msg.wParam));
            break;
        }
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
}

bool Main::Start(const Options& options) {
    options_ = options;
    Form_Initialize();

    HINSTANCE instance = GetModuleHandleW(nullptr);
    bigIcon_.reset(static_cast<HICON>(LoadImageW(instance, MAKEINTRESOURCEW(IDI_VEXILLOR), IMAGE_ICON, 32, 32, 0)));
    smallIcon_.reset(static_cast<HICON>(LoadImageW(instance, MAKEINTRESOURCEW(IDI_VEXILLOR), IMAGE_ICON,
                                                   GetSystemMetrics(SM_CXSMICON), GetSystemMetrics(SM_CYSMICON), 0)));
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof(wc);
    wc.lpfnWndProc = &Main::WindowProc;
    wc.hInstance = instance;
    wc.hIcon = bigIcon_.get();
    wc.hIconSm = smallIcon_.get();
    wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    wc.lpszClassName = kWindowClass;
    UnregisterClassW(kWindowClass, instance);  // a test may start several windows in turn
    if (!RegisterClassExW(&wc)) throw std::runtime_error("cannot register the main window class");

    const DWORD style = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX | WS_CLIPCHILDREN;
    RECT frame{0, 0, kClientWidth, kClientHeight};
    AdjustWindowRectEx(&frame, style, FALSE, 0);
    const int width = frame.right - frame.left;
    const int height = frame.bottom - frame.top;
    const int x = (GetSystemMetrics(SM_CXSCREEN) - width) / 2;
    const int y = (GetSystemMetrics(SM_CYSCREEN) - height) / 2;
    hwnd_ = CreateWindowExW(0, kWindowClass, kAppTitle, style, x, y, width, height, nullptr, nullptr, instance, this);
    if (!hwnd_) throw std::runtime_error("cannot create the main window");
    accelerators_ = LoadAcceleratorsW(instance, MAKEINTRESOURCEW(IDA_MAIN));

    CreateControls();
    CreateMenus();
    if (GetSetting(kAppTitle, kSettingsSection, kCrestModeKey, L"Clan") == L"AllyClan")
        SwitchCrestMode(vx::CrestMode::AllyClan);
    WireEvents();
    DescribeForScreenReaders();
    FitToMonitor(TextDpi(), nullptr);
    Form_Load();
    if (!hwnd_) return false;
    ShowWindow(hwnd_, options_.showCommand);
    UpdateWindow(hwnd_);
    if (!characterFailure_.empty())
        MessageBoxW(hwnd_, characterFailure_.c_str(), kAppTitle, MB_OK | MB_ICONEXCLAMATION);
    if (!options_.initialPicture.empty()) ComposePicture(options_.initialPicture);
    return true;
}

void Main::CreateControls() {
    PicBarra.Create(hwnd_, L"PicBarra", At(76, 425, 507, 49));
    PicTaringa.Create(PicBarra.hWnd(), L"PicTaringa", At(226, 12, 32, 32));
    PicRename.Create(PicBarra.hWnd(), L"PicRename", At(150, 10, 32, 32));
    PicFB.Create(PicBarra.hWnd(), L"PicFB", At(190, 12, 32, 32));
    PicTypeCrest.Create(PicBarra.hWnd(), L"PicTypeCrest", At(112, 10, 32, 32));
    PicSave.Create(PicBarra.hWnd(), L"PicSave", At(74, 10, 32, 32));
    PicBrowseImage.Create(PicBarra.hWnd(), L"PicBrowseImage", At(36, 10, 32, 32));
    PicSalir.Create(PicBarra.hWnd(), L"PicSalir", At(455, 10, 32, 32));
    PicFondo.Create(hwnd_, L"PicFondo", At(0, 0, 640, 480));

    struct Store {
        PictureSurface* surface;
        const wchar_t* name;
        int resource;
    };
    const Store stores[] = {
        {&Pic7a, L"Pic7a", IDR_PIC7A}, {&Pic7b, L"Pic7b", IDR_PIC7B}, {&Pic6a, L"Pic6a", IDR_PIC6A},
        {&Pic6b, L"Pic6b", IDR_PIC6B}, {&Pic5a, L"Pic5a", IDR_PIC5A}, {&Pic5b, L"Pic5b", IDR_PIC5B},
        {&Pic4a, L"Pic4a", IDR_PIC4A}, {&Pic4b, L"Pic4b", IDR_PIC4B}, {&Pic3a, L"Pic3a", IDR_PIC3A},
        {&Pic3b, L"Pic3b", IDR_PIC3B}, {&Pic2b, L"Pic2b", IDR_PIC2B}, {&Pic2a, L"Pic2a", IDR_PIC2A},
        {&Pic1b, L"Pic1b", IDR_PIC1B}, {&Pic1a, L"Pic1a", IDR_PIC1A},
    };
    for (const Store& store : stores) {
        store.surface->Create(PicFondo.hWnd(), store.name, Hidden(32, 32));
        store.surface->SetPicture(LoadResourcePicture(store.resource));
    }
    PicBuff.Create(PicFondo.hWnd(), L"PicBuff", Hidden(81, 36));
    Pictemp.Create(PicFondo.hWnd(), L"Pictemp", Hidden(76, 26));
    PicCrestAlly1.Create(PicFondo.hWnd(), L"PicCrestAlly1", Hidden(8, 12, kCrestYellow));
    PicCrestAlly2.Create(PicFondo.hWnd(), L"PicCrestAlly2", Hidden(16, 12, kCrestOlive));
    PicCrestAlly.Create(PicFondo.hWnd(), L"PicCrestAlly", Hidden(24, 12, kCrestOlive));
    PicClanCrest.Create(PicFondo.hWnd(), L"PicClanCrest", Hidden(16, 12, kCrestOlive));

    PictureSurface::Layout ally = At(288, 104, 24, 12, false);
    ally.fit = PictureSurface::PictureFit::Stretch;
    ImgAllyCrest.Create(PicFondo.hWnd(), L"ImgAllyCrest", ally);
    PictureSurface::Layout clan = At(296, 104, 16, 12, true);
    clan.fit = PictureSurface::PictureFit::Stretch;
    ImgClanCrest.Create(PicFondo.hWnd(), L"ImgClanCrest", clan);
    placeholder_ = LoadResourcePicture(IDR_CREST_PLACEHOLDER);
    ImgAllyCrest.SetPicture(placeholder_);
    ImgClanCrest.SetPicture(placeholder_);
    ImgZoomCrest.Create(PicFondo.hWnd(), L"ImgZoomCrest", At(kZoomX, kZoomY, kZoomWidth, kZoomHeight));
    CreateTouchUpControls();
    ShowZoomedCrest();

    PicBarra.SetPicture(LoadResourcePicture(IDR_BAR));
    PicFondo.SetPicture(LoadResourcePicture(IDR_BACKGROUND));
    // Laid out in skin pixels, which a high-DPI screen enlarges whole.
    PicFondo.SetFont(L"Verdana", 9.75, false, kBaseDpi);
    PicTaringa.SetPicture(Pic6a.Picture());
    PicRename.SetPicture(Pic4a.Picture());
    PicFB.SetPicture(Pic5a.Picture());
    PicTypeCrest.SetPicture(Pic3a.Picture());
    PicSave.SetPicture(Pic2a.Picture());
    PicBrowseImage.SetPicture(Pic1a.Picture());
    PicSalir.SetPicture(Pic7a.Picture());

    // The bar lies over the background.
    SetWindowPos(PicBarra.hWnd(), HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
}

void Main::CreateMenus() {
    menuBar_.reset(CreateMenu());
    crestMenu_ = CreatePopupMenu();
    AppendMenuW(crestMenu_, MF_STRING | MF_CHECKED, kMenuClanId, L"Clan Crest");
    AppendMenuW(crestMenu_, MF_STRING, kMenuAllyClanId, L"Ally + Clan Crest");
    AppendMenuW(crestMenu_, MF_SEPARATOR, 0, nullptr);
    const bool keep = GetSetting(kAppTitle, kSettingsSection, kKeepProportionsKey, L"0") == L"1";
    AppendMenuW(crestMenu_, MF_STRING | (keep ? MF_CHECKED : MF_UNCHECKED), kMenuKeepProportionsId,
                L"Keep proportions / Mantener proporciones");
    const bool crisp = GetSetting(kAppTitle, kSettingsSection, kCrispKey, L"0") == L"1";
    AppendMenuW(crestMenu_, MF_STRING | (crisp ? MF_CHECKED : MF_UNCHECKED), kMenuCrispId, L"Crisp / Nítido");
    AppendMenuW(crestMenu_, MF_STRING, kMenuFrameId, L"Frame... / Encuadre...");
    AppendMenuW(crestMenu_, MF_STRING, kMenuBackgroundId, L"Background colour... / Color de fondo...");
    AppendMenuW(crestMenu_, MF_STRING, kMenuPasteId, L"Paste picture / Pegar imagen");
    AppendMenuW(menuBar_.get(), MF_POPUP, reinterpret_cast<UINT_PTR>(crestMenu_), L"MnuTypeCrest");
    // Until a player picks a background, transparency lies on the button
    // face as it always did.
    CrestOptions options = document_.Options();
    options.keepProportions = keep;
    options.crisp = crisp;
    const std::optional<Colorref> background =
        ParseRrggbb(GetSetting(kAppTitle, kSettingsSection, kCrestBackgroundKey, L""));
    options.background = background ? *background : ColorrefOf(GetSysColor(COLOR_BTNFACE));
    document_.SetOptions(options);
}

void Main::WireEvents() {
    PicBrowseImage.onClick = [this] { PicBrowseImage_Click(); };
    PicTypeCrest.onClick = [this] { PicTypeCrest_Click(); };
    PicSave.onClick = [this] { PicSave_Click(); };
    PicRename.onClick = [this] { PicRename_Click(); };
    PicSalir.onClick = [this] { PicSalir_Click(); };
    WireButtons();
    WireTouchUp();
    DragAcceptFiles(hwnd_, TRUE);
}

void Main::Form_Initialize() {
    INITCOMMONCONTROLSEX icc{sizeof(icc), ICC_STANDARD_CLASSES | ICC_WIN95_CLASSES};
    InitCommonControlsEx(&icc);
}

void Main::Form_Load() {
    ViewGIF(options_.characterFile.empty() ? ProgramFolder() + L"\\char0.dat" : options_.characterFile);
    if (!hwnd_) return;
    DoEvents();
    DrawNameLabel(GetSetting(kAppTitle, kSettingsSection, kNameKey, kDefaultName));

    OpenDialog = std::make_unique<CVistaPrevia>();
    OpenDialog->SetCancelError(true);
    OpenDialog->SetInitDir(ProgramFolder());
    OpenDialog->SetDialogTitle(L"Abrir archivo de imagen");
    // Every format the loader reads, not only the three of the first list.
    OpenDialog->SetFilter2(kFilterEveryPicture);

    // The buttons set what they need before each use.
    ToolTip = std::make_unique<ExToolTip>();
}

void Main::Form_Paint() {
    // A playing animation repaints itself at its next frame.
    if (GifViewer && GifViewer->AnimationState() != cGIFViewer::kPlaying)
        GifViewer->SetAnimationState(cGIFViewer::kRedraw);
}

void Main::ViewGIF(const std::wstring& FileName) {
    GifViewer.reset();
    GifViewer = std::make_unique<cGIFViewer>();
    DoEvents();
    if (!GifViewer || !hwnd_) return;
    awaitingLoadStart_ = true;
    if (GifViewer->LoadGIF(FileName, kViewerId, this, hwnd_) == 0) {
        // The character is decoration: the crest work goes on without it,
        // on the bare stage, and the user learns once which file is wrong.
        std::error_code ec;
        const bool missing = !std::filesystem::exists(std::filesystem::path(FileName), ec);
        const std::string reason = missing ? ErrorSentence(kErrFileNotFound) : gif::Describe(GifViewer->LastReport());
        GifViewer.reset();
        characterFailure_ = WideFromUtf8(CharacterFailureMessage(Utf8FromWide(FileName), reason));
        return;
    }
    GifViewer->SetAnimationState(cGIFViewer::kPlaying);
}

void Main::GetRenderDC(std::int32_t, std::int32_t, HDC& destDC, HWND& hwndRefresh, bool& bAutoRedraw,
                       bool& PostNotify) {
    destDC = PicFondo.hDC();
    bAutoRedraw = true;
    hwndRefresh = PicFondo.hWnd();
    PostNotify = true;
}

void Main::Rendered(std::int32_t, std::int32_t, std::int32_t Message, std::intptr_t MsgValue) {
    // Only the start of loading matters: the animation then learns where it
    // plays, over a copy of the background's own pixels. Progress after
    // frame 1 of more than 100 frames is 0 too, but by then frame 1 is on
    // the background, and copying it again would make it part of it.
    if (Message != cGIFViewer::kMsgLoading || MsgValue != 0 || !GifViewer || !awaitingLoadStart_) return;
    awaitingLoadStart_ = false;
    GifViewer->SetAnimationBkg(cGIFViewer::kBkgCopied, reinterpret_cast<std::uintptr_t>(PicFondo.hDC()), kCharacterX,
                               kCharacterY, kCharacterSize, kCharacterSize, gif::kStretchFitNoEnlarge, -1, -1);
}

void Main::PicRename_Click() {
    const std::wstring name =
        InputBox(hwnd_, L"Please enter the new name\r\nIngrese el nuevo nombre", L"Cambiar nombre de personaje", name_);
    if (name.empty()) return;
    PicFondo.Cls();
    DrawNameLabel(name);
    SaveSetting(kAppTitle, kSettingsSection, kNameKey, name);
}

std::wstring Main::NameLabelText(const std::wstring& name) {
    HDC dc = PicFondo.hDC();
    // The outline reaches one pixel past the text on the right.
    return FitWithEllipsis(name, kNameRight - kNameX - 1, [dc](const std::wstring& text) {
        SIZE size{};
        GetTextExtentPoint32W(dc, text.c_str(), static_cast<int>(text.size()), &size);
        return static_cast<int>(size.cx);
    });
}

void Main::DrawNameLabel(const std::wstring& name) {
    name_ = name;
    DrawOutlinedText(PicFondo, kNameX, kNameY, NameLabelText(name), kWhite, kBlack);
    PicFondo.Refresh();
}

void Main::Form_Unload() { OpenDialog.reset(); }

void Main::Form_Terminate() {
    ToolTip.reset();
    terminated_ = true;
}

void Main::Close() {
    if (hwnd_) SendMessageW(hwnd_, WM_CLOSE, 0, 0);
}

void Main::DrawOutlinedText(PictureSurface& surface, int x, int y, const std::wstring& text, COLORREF textColor,
                            COLORREF outlineColor) {
    HDC dc = surface.hDC();
    const int count = static_cast<int>(text.size());
    surface.SetForeColor(outlineColor);
    TextOutW(dc, x - 1, y - 1, text.c_str(), count);
    TextOutW(dc, x - 1, y + 1, text.c_str(), count);
    TextOutW(dc, x + 1, y + 1, text.c_str(), count);
    TextOutW(dc, x + 1, y - 1, text.c_str(), count);
    surface.SetForeColor(textColor);
    TextOutW(dc, x, y, text.c_str(), count);
    GdiFlush();
}

void Main::PicSalir_Click() { ExitProcess(0); }

LRESULT CALLBACK Main::WindowProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    Main* self = AttachedObject(hwnd, msg, lParam, &Main::hwnd_);
    if (!self) return DefWindowProcW(hwnd, msg, wParam, lParam);
    try {
        return self->HandleMessage(msg, wParam, lParam);
    } catch (...) {
        // A failing handler must not take the message loop down with it.
        return DefWindowProcW(hwnd, msg, wParam, lParam);
    }
}

LRESULT Main::HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam) {
    // The window's additions each in a file of its own.
    if (LRESULT result = 0; HandleKeyboardMessage(msg, wParam, lParam, result) ||
                            HandleAboutMessage(msg, wParam, lParam, result) ||
                            HandleDpiMessage(msg, wParam, lParam, result))
        return result;
    switch (msg) {
        case WM_CLOSE:
            Form_Unload();
            DestroyWindow(hwnd_);
            return 0;
        case WM_PAINT: {
            {
                // The window's own area is only validated; the character's
                // surfaces are drawn by the paint handler below.
                const PaintScope validate(hwnd_);
            }
            Form_Paint();
            return 0;
        }
        case WM_COMMAND:
            if (HIWORD(wParam) == 0 && LOWORD(wParam) == kMenuClanId) {
                mnuClan_Click();
                return 0;
            }
            if (HIWORD(wParam) == 0 && LOWORD(wParam) == kMenuKeepProportionsId) {
                mnuKeepProportions_Click();
                return 0;
            }
            if (HIWORD(wParam) == 0 && LOWORD(wParam) == kMenuCrispId) {
                mnuCrisp_Click();
                return 0;
            }
            if (HIWORD(wParam) == 0 && LOWORD(wParam) == kMenuAllyClanId) {
                mnuAllyClan_Click();
                return 0;
            }
            // A menu item (0) or a key of the command table (1).
            if (HIWORD(wParam) <= 1 && RunCrestCommand(LOWORD(wParam))) return 0;
            break;
        case WM_DROPFILES: {
            HDROP drop = reinterpret_cast<HDROP>(wParam);
            std::wstring path;
            if (DragQueryFileW(drop, 0xFFFFFFFF, nullptr, 0) > 0) {
                const UINT length = DragQueryFileW(drop, 0, nullptr, 0);
                path.resize(length + 1);
                DragQueryFileW(drop, 0, path.data(), length + 1);
                path.resize(length);
            }
            DragFinish(drop);
            if (!path.empty()) ComposePicture(path);
            return 0;
        }
        case WM_DESTROY:
            // The animation goes with the window; its timer lives on it.
            GifViewer.reset();
            if (options_.quitOnDestroy) PostQuitMessage(0);
            return 0;
        case WM_NCDESTROY: {
            HWND hwnd = hwnd_;
            SetWindowLongPtrW(hwnd, GWLP_USERDATA, 0);
            hwnd_ = nullptr;
            Form_Terminate();
            return DefWindowProcW(hwnd, msg, wParam, lParam);
        }
        default:
            break;
    }
    return DefWindowProcW(hwnd_, msg, wParam, lParam);
}

}  // namespace vx
