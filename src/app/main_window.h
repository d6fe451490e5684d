// The program's one window: the skin, the button bar, the hidden crest
// surfaces, the real-size crest previews and the crest-mode menu.
#pragma once
#include <windows.h>

#include <memory>
#include <string>
#include <vector>

#include "app/button_bar.h"
#include "app/crest_document.h"
#include "app/crest_workflow.h"
#include "app/crest_zoom.h"
#include "app/failure_messages.h"
#include "app/resource_ids.h"
#include "common/picture_surface.h"
#include "common/win_handles.h"
#include "dialogs/open_picture_dialog.h"
#include "gif/gif_viewer.h"
#include "imaging/picture_header.h"
#include "tooltip/ex_tooltip.h"

namespace vx {

class Main : public IGifRender {
public:
    static constexpr wchar_t kAppTitle[] = L"Vexillor";
    static constexpr wchar_t kSettingsSection[] = L"Options";
    static constexpr wchar_t kNameKey[] = L"Nombre";
    static constexpr wchar_t kDefaultName[] = L"Korvald";
    static constexpr wchar_t kKeepProportionsKey[] = L"KeepProportions";  // "0" or "1"
    static constexpr wchar_t kCrispKey[] = L"Crisp";                      // "0" or "1"
    static constexpr wchar_t kCrestFolderKey[] = L"CrestFolder";          // the folder of the last save
    static constexpr wchar_t kPictureFolderKey[] = L"PictureFolder";      // the folder of the last picture opened
    static constexpr wchar_t kCrestModeKey[] = L"CrestMode";              // "Clan" or "AllyClan"
    static constexpr wchar_t kCrestBackgroundKey[] = L"CrestBackground";  // RRGGBB under transparent pixels
    static constexpr int kClientWidth = 637;
    static constexpr int kClientHeight = 479;
    static constexpr int kNameX = 315;
    static constexpr int kNameY = 100;
    // Where the name plate's gold line ends: a longer name is cut short
    // with an ellipsis before it.
    static constexpr int kNameRight = 460;
    static constexpr int kCharacterX = 270;
    static constexpr int kCharacterY = 123;
    static constexpr int kCharacterSize = 300;
    static constexpr std::int32_t kViewerId = 1;
    static constexpr UINT kMenuClanId = 1001;
    static constexpr UINT kMenuAllyClanId = 1002;
    static constexpr UINT kMenuKeepProportionsId = 1003;
    // The editing commands share their ids with the keyboard's table.
    static constexpr UINT kMenuFrameId = IDM_FRAME;
    static constexpr UINT kMenuBackgroundId = 1005;
    static constexpr UINT kMenuPasteId = IDM_PASTE;
    static constexpr UINT kCommandCopyId = IDM_COPY;
    static constexpr UINT kCommandUndoId = IDM_UNDO;
    static constexpr UINT kCommandRedoId = IDM_REDO;
    static constexpr UINT kMenuCrispId = 1010;
    // The zoomed crest's place: the recess of the banner's frame.
    static constexpr int kZoomX = 58;
    static constexpr int kZoomY = 161;
    static constexpr int kZoomWidth = 156;
    static constexpr int kZoomHeight = 108;
    static constexpr int kClanZoom = 8;
    static constexpr int kStripZoom = 6;
    // The touch-up colour's swatch, beside the zoom's lower right corner.
    static constexpr int kSwatchX = kZoomX + kZoomWidth + 6;
    static constexpr int kSwatchY = kZoomY + kZoomHeight - 16;
    static constexpr int kSwatchSize = 16;

    struct Options {
        // The real program ends when its window goes; a test's window
        // must not post WM_QUIT into the test's own message loop.
        bool quitOnDestroy = true;
        int showCommand = SW_SHOWNORMAL;
        // The character animation; empty means char0.dat beside the program.
        std::wstring characterFile;
        // A picture to compose once the window is up ("Open with", or a
        // picture dropped on the program's icon); empty for none.
        std::wstring initialPicture;
    };

    Main();
    ~Main() override;
    Main(const Main&) = delete;
    Main& operator=(const Main&) = delete;

    // Creates and loads the window, then shows it. Returns false when
    // start-up decided the program must end (the window is gone then).
    bool Start(const Options& options);
    HWND hWnd() const { return hwnd_; }
    int Scale() const { return scale_; }
    // The message loop's first look at a message: true when it was an
    // accelerator and has been carried out (keyboard.cpp).
    bool TranslateKeys(MSG& msg);
    // What the About box says.
    static std::wstring AboutBoxText();

    // Closing through the caption bar: unload, destroy, terminate.
    void Close();

    static std::wstring ProgramFolder();

    // Controls, in creation order.
    PictureSurface PicBarra;        // the button bar, lying over the background
    PictureSurface PicTaringa;      // button: the community forum link
    PictureSurface PicRename;       // button: change the character's name
    PictureSurface PicFB;           // button: the social page link
    PictureSurface PicTypeCrest;    // button: pop up the crest-mode menu
    PictureSurface PicSave;         // button: write the crest files
    PictureSurface PicBrowseImage;  // button: open a picture
    PictureSurface PicSalir;        // button: end the program
    PictureSurface PicFondo;        // the background surface the character and name are drawn on
    // Hidden stores of the button pictures: n "a" normal, n "b" hovered.
    PictureSurface Pic7a, Pic7b, Pic6a, Pic6b, Pic5a, Pic5b, Pic4a, Pic4b, Pic3a, Pic3b, Pic2b, Pic2a, Pic1b, Pic1a;
    PictureSurface PicBuff;        // hidden: the opened picture, before the squeeze
    PictureSurface Pictemp;        // hidden, unused
    PictureSurface PicCrestAlly1;  // hidden: the ally crest's left part
    PictureSurface PicCrestAlly2;  // hidden: the clan crest beside the ally part
    PictureSurface PicCrestAlly;   // hidden: the whole ally + clan crest strip
    PictureSurface PicClanCrest;   // hidden: the clan crest
    PictureSurface ImgAllyCrest;   // the ally + clan crest at real size
    PictureSurface ImgClanCrest;   // the clan crest at real size
    // The current crest enlarged in the banner: what a save writes, pixel for pixel.
    PictureSurface ImgZoomCrest;
    PictureSurface ImgSwatch;  // the touch-up colour; a click picks another
    HMENU MnuTypeCrest() const { return crestMenu_; }

    // Companion objects.
    std::unique_ptr<cGIFViewer> GifViewer;     // the character animation
    std::unique_ptr<CVistaPrevia> OpenDialog;  // the open-picture dialog with its preview
    std::unique_ptr<clsImage> ImageInfo;       // reads a picture file's type and size
    std::unique_ptr<ExToolTip> ToolTip;        // the button bar's balloon tooltips
    // A tooltip was armed for a button since the pointer last crossed the
    // bar or the background.
    bool TipShown = false;

    // The crest being made; the menus and surfaces reflect it.
    const CrestDocument& Document() const { return document_; }
    // The crest mode: the document's, which the crest menu's check shows.
    vx::CrestMode CrestMode() const;

    // Event handlers.
    void Form_Initialize();
    void Form_Load();
    void Form_Paint();
    void Form_Unload();
    void Form_Terminate();
    void PicBrowseImage_Click();
    void PicTypeCrest_Click();
    void mnuClan_Click();
    void mnuAllyClan_Click();
    // The third, independent item of the crest menu; kept in the settings.
    void mnuKeepProportions_Click();
    bool KeepProportions() const;
    void mnuCrisp_Click();
    bool Crisp() const;
    // "Frame...": the framing dialog over the picture on show; OK applies.
    void mnuFrame_Click();
    // "Background colour...": the colour dialog, then the crest at once.
    void mnuBackground_Click();
    void SetCrestBackground(Colorref colour);
    void Undo_Click();
    void Redo_Click();
    // Touch-ups on the zoom: the left button paints (a press, drag and
    // release is one stroke), the right one takes the pixel's colour.
    void ImgZoomCrest_MouseButton(UINT message, int x, int y);
    void ImgZoomCrest_MouseMove(int x, int y, WPARAM keys);
    void ImgSwatch_Click();
    Colorref TouchColour() const { return touchColour_; }
    void SetTouchColour(Colorref colour);
    void PicSave_Click();
    void PicRename_Click();
    void PicSalir_Click();

    // The button bar (buttons.cpp).
    void PicBrowseImage_MouseMove();
    void PicSave_MouseMove();
    void PicTypeCrest_MouseMove();
    void PicRename_MouseMove();
    void PicFB_MouseMove();
    void PicTaringa_MouseMove();
    void PicSalir_MouseMove();
    void PicBarra_MouseMove();
    void PicFondo_MouseMove();
    void PicFB_Click();
    void PicTaringa_Click();

    // The character display.
    void ViewGIF(const std::wstring& FileName);
    void GetRenderDC(std::int32_t ViewerID, std::int32_t FrameIndex, HDC& destDC, HWND& hwndRefresh, bool& bAutoRedraw,
                     bool& PostNotify) override;
    void Rendered(std::int32_t ViewerID, std::int32_t FrameIndex, std::int32_t Message,
                  std::intptr_t MsgValue) override;

    // Reads, loads and squeezes a picture into the current mode's crest, as
    // the open button does with the chosen file (and a dropped file).
    void ComposePicture(const std::wstring& path);
    // "Paste picture": the clipboard's picture (a bitmap, a PNG or a copied
    // file) as if it had been opened; a message when there is none.
    void mnuPaste_Click();
    // The crest as a save writes it: at actual size as CF_DIB, and 8x as PNG.
    void CopyCrest_Click();

    // The name as the label shows it: whole, or cut short with an ellipsis
    // to fit the plate.
    std::wstring NameLabelText(const std::wstring& name);

    void DrawOutlinedText(PictureSurface& surface, int x, int y, const std::wstring& text, COLORREF textColor,
                          COLORREF outlineColor);

    // The path last chosen in the open dialog.
    const std::wstring& LastChosenPath() const { return lastChosenPath_; }

private:
    static LRESULT CALLBACK WindowProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);
    LRESULT HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam);
    void CreateControls();
    void CreateMenus();
    void WireEvents();
    void WireButtons();
    // A button's surface with its two picture stores.
    struct BarSurfaces {
        PictureSurface* button;
        PictureSurface* normal;
        PictureSurface* hover;
    };
    BarSurfaces SurfacesOf(BarButton button);
    void ShowButtonPicture(BarButton button, const PictureSurface& store);
    void HoverButton(BarButton button);
    void ResetButtons();
    // The keyboard (keyboard.cpp).
    bool HandleKeyboardMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result);
    void MoveButtonFocus(bool backwards);
    void PressButton(BarButton button);
    void OpenCrestMenuAtButton();
    void ShowCrestMenu(POINT at, bool fromKeyboard);
    // Draws or wipes the focus mark as the bar's state says.
    void RepaintFocusMark(BarButton button);
    void PaintFocusMark(BarButton button);
    // Names and roles for screen readers (accessibility.cpp).
    void DescribeForScreenReaders();
    // High-DPI screens (dpi.cpp): the whole factor for `dpi` on the monitor
    // of `suggested` (or the window's), applied to the skin and the window.
    void FitToMonitor(int dpi, const RECT* suggested);
    bool HandleDpiMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result);
    // The DPI text is laid out for: the monitor's own.
    int TextDpi() const;
    // The About box (about_box.cpp).
    bool HandleAboutMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result);
    void ShowAboutBox();
    void OpenLink(const std::wstring& address);
    static void DoEvents();
    // Each returns whether the files were written.
    bool SaveClanCrest(const std::wstring& folder);
    bool SaveAllyAndClanCrests(const std::wstring& folder);
    void ShowZoomedCrest();
    // Composes the mode's crest from the picture held in PicBuff into the
    // mode's crest surface and shows it in the mode's preview.
    void ShowComposedCrest(vx::CrestMode mode);
    // The menu's two modes: checks, shows and fills the mode's surfaces.
    void SwitchCrestMode(vx::CrestMode mode);
    bool SaveCrestFiles(vx::CrestMode mode, const std::vector<CrestFile>& files);
    void ShowTooLargeMessage();
    void ShowPictureFailure(const std::wstring& path, const PictureFailure& failure);
    void DrawNameLabel(const std::wstring& name);
    // The open dialog's first folder: the last picture's, while it exists.
    std::wstring PictureFolder() const;
    // The menus, the crest surfaces, the previews and the zoom brought in
    // line with the document.
    void ReflectDocument();
    // A loaded picture, its top-left `source` pixels squeezed, in place of
    // the one on show.
    void ShowPicture(SharedPicture picture, PixelSize source);
    // Runs the crest's menu item or key command `id`; false when it is none.
    bool RunCrestCommand(UINT id);
    void CreateTouchUpControls();
    void WireTouchUp();
    // How the zoom shows the crest on show; `strip` for the ally + clan strip.
    static CrestZoom ZoomOf(bool strip);
    std::optional<CrestPixel> ZoomPixelAt(int x, int y) const;
    void PaintAt(int x, int y);
    // The platform's colour dialog from `initial`; nothing when cancelled.
    std::optional<Colorref> PickColour(Colorref initial);

    HWND hwnd_ = nullptr;
    Options options_;
    ButtonBarState buttonBar_;
    int scale_ = 1;                  // how many screen pixels a skin pixel takes, across and down
    HACCEL accelerators_ = nullptr;  // from the resources: never destroyed
    UniqueMenu menuBar_;             // never attached: the crest menu is popup only
    HMENU crestMenu_ = nullptr;
    UniqueIcon bigIcon_, smallIcon_;
    bool terminated_ = false;
    bool awaitingLoadStart_ = false;  // no loading-start notification answered yet
    std::wstring lastChosenPath_;
    std::wstring name_;              // the character's name, whole
    std::wstring characterFailure_;  // told once the window is up; empty when the character plays
    SharedPicture placeholder_;
    CrestDocument document_;
    Colorref touchColour_ = MakeColorref(0, 0, 0);
    bool stroking_ = false;
};

}  // namespace vx
