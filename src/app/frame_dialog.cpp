#include "app/frame_dialog.h"

#include <algorithm>
#include <vector>

#include "app/frame_editor.h"
#include "common/bitmap32.h"
#include "common/win_handles.h"

namespace vx {
namespace {

constexpr wchar_t kViewClass[] = L"VexillorFrameView";
constexpr int kMargin = 8;
constexpr int kPreviewZoom = 8;
constexpr int kColumnWidth = kStripWidth * kPreviewZoom;
constexpr int kButtonHeight = 24;
constexpr COLORREF kViewBack = RGB(40, 40, 44);

struct FrameState {
    explicit FrameState(const BgraImage& picture, const CrestOptions& options) : editor(picture, options) {}
    FrameEditor editor;
    HWND dialog = nullptr;
    HWND view = nullptr;
    Bitmap32 shown;  // the turned picture over the background
    BgraImage crest;
    bool dragging = false;
};

void Recompose(FrameState& state) {
    state.crest = ComposeDocumentCrest(state.editor.Turned().View(), state.editor.Options());
    InvalidateRect(state.view, nullptr, FALSE);
    RECT client{};
    GetClientRect(state.dialog, &client);
    RECT column{client.right - kColumnWidth - kMargin, 0, client.right, client.bottom};
    InvalidateRect(state.dialog, &column, FALSE);
}

void Returned(FrameState& state) {
    state.shown = Bitmap32::FromPixels(ComposeOver(state.editor.Turned().View(), state.editor.Options().background));
    Recompose(state);
}

void Blit(HDC dc, const Bitmap32& bitmap, int x, int y, int width, int height) {
    UniqueMemoryDc source(CreateCompatibleDC(dc));
    SelectGuard select(source.get(), bitmap.handle());
    SetStretchBltMode(dc, COLORONCOLOR);
    StretchBlt(dc, x, y, width, height, source.get(), 0, 0, bitmap.width(), bitmap.height(), SRCCOPY);
}

void PaintView(FrameState& state, HDC target) {
    RECT client{};
    GetClientRect(state.view, &client);
    // Drawn aside first, so a drag does not flicker.
    UniqueMemoryDc dc(CreateCompatibleDC(target));
    UniqueBitmap canvas(CreateCompatibleBitmap(target, std::max(1L, client.right), std::max(1L, client.bottom)));
    SelectGuard selectCanvas(dc.get(), canvas.get());
    UniqueBrush back(CreateSolidBrush(kViewBack));
    FillRect(dc.get(), &client, back.get());
    const FrameEditor& editor = state.editor;
    if (state.shown) {
        GdiFlush();
        const double x0 = editor.ViewX(0), y0 = editor.ViewY(0);
        Blit(dc.get(), state.shown, static_cast<int>(x0), static_cast<int>(y0),
             static_cast<int>(editor.ViewX(state.shown.width()) - x0),
             static_cast<int>(editor.ViewY(state.shown.height()) - y0));
    }
    const PixelRect frame = editor.Frame();
    RECT box{static_cast<LONG>(editor.ViewX(frame.x)), static_cast<LONG>(editor.ViewY(frame.y)),
             static_cast<LONG>(editor.ViewX(frame.x + frame.width)),
             static_cast<LONG>(editor.ViewY(frame.y + frame.height))};
    // Black around gold: the frame shows on light and dark pictures alike.
    const COLORREF colours[] = {RGB(0, 0, 0), RGB(255, 200, 60), RGB(0, 0, 0)};
    for (COLORREF colour : colours) {
        UniqueBrush brush(CreateSolidBrush(colour));
        FrameRect(dc.get(), &box, brush.get());
        InflateRect(&box, -1, -1);
    }
    BitBlt(target, 0, 0, client.right, client.bottom, dc.get(), 0, 0, SRCCOPY);
}

FrameState* StateOf(HWND window) {
    return reinterpret_cast<FrameState*>(GetWindowLongPtrW(GetParent(window), DWLP_USER));
}

LRESULT CALLBACK ViewProc(HWND view, UINT msg, WPARAM wParam, LPARAM lParam) {
    FrameState* state = StateOf(view);
    if (!state) return DefWindowProcW(view, msg, wParam, lParam);
    FrameEditor& editor = state->editor;
    // Signed: a drag past the view's left or top edge gives negative points.
    const int x = static_cast<short>(LOWORD(lParam)), y = static_cast<short>(HIWORD(lParam));
    switch (msg) {
        case WM_PAINT: {
            PAINTSTRUCT paint;
            HDC dc = BeginPaint(view, &paint);
            PaintView(*state, dc);
            EndPaint(view, &paint);
            return 0;
        }
        case WM_ERASEBKGND:
            return 1;
        case WM_GETDLGCODE:
            return DLGC_WANTARROWS;
        case WM_LBUTTONDOWN:
            SetFocus(view);
            editor.BeginDrag(x, y);
            state->dragging = true;
            SetCapture(view);
            return 0;
        case WM_MOUSEMOVE:
            if (state->dragging) {
                editor.DragTo(x, y);
                Recompose(*state);
            }
            return 0;
        case WM_LBUTTONUP:
        case WM_CAPTURECHANGED:
            if (state->dragging) {
                state->dragging = false;
                editor.EndDrag();
                if (GetCapture() == view) ReleaseCapture();
            }
            return 0;
        case WM_SETCURSOR: {
            POINT at{};
            GetCursorPos(&at);
            ScreenToClient(view, &at);
            const unsigned grip = editor.GripAt(at.x, at.y);
            const bool horizontal = grip & (kGripLeft | kGripRight), vertical = grip & (kGripTop | kGripBottom);
            const bool falling = grip == (kGripLeft | kGripTop) || grip == (kGripRight | kGripBottom);
            const LPCWSTR cursor = grip == kGripMove        ? IDC_SIZEALL
                                   : horizontal && vertical ? (falling ? IDC_SIZENWSE : IDC_SIZENESW)
                                   : horizontal             ? IDC_SIZEWE
                                   : vertical               ? IDC_SIZENS
                                                            : IDC_ARROW;
            SetCursor(LoadCursorW(nullptr, cursor));
            return TRUE;
        }
        case WM_MOUSEWHEEL: {
            POINT at{x, y};
            ScreenToClient(view, &at);
            editor.ZoomAt(at.x, at.y, GET_WHEEL_DELTA_WPARAM(wParam) / WHEEL_DELTA);
            InvalidateRect(view, nullptr, FALSE);
            return 0;
        }
        case WM_KEYDOWN: {
            const bool shift = GetKeyState(VK_SHIFT) & 0x8000;
            const int dx = wParam == VK_LEFT ? -1 : wParam == VK_RIGHT ? 1 : 0;
            const int dy = wParam == VK_UP ? -1 : wParam == VK_DOWN ? 1 : 0;
            if (dx == 0 && dy == 0) break;
            editor.MoveBy(dx, dy, shift);
            Recompose(*state);
            return 0;
        }
        default:
            break;
    }
    return DefWindowProcW(view, msg, wParam, lParam);
}

void Layout(FrameState& state) {
    RECT client{};
    GetClientRect(state.dialog, &client);
    const int columnX = client.right - kColumnWidth - kMargin;
    const int viewWidth = std::max(1, columnX - 2 * kMargin),
              viewHeight = std::max(1, static_cast<int>(client.bottom) - 2 * kMargin);
    MoveWindow(state.view, kMargin, kMargin, viewWidth, viewHeight, TRUE);
    RECT inside{};
    GetClientRect(state.view, &inside);
    state.editor.FitInto(inside.right, inside.bottom);
    int y = kMargin + kCrestHeight + kMargin + kCrestHeight * kPreviewZoom + kMargin;
    for (int id :
         {kFrameWholeId, kFrameTrimId, kFrameRotateLeftId, kFrameRotateRightId, kFrameMirrorId, kFrameFlipId}) {
        MoveWindow(GetDlgItem(state.dialog, id), columnX, y, kColumnWidth, kButtonHeight, TRUE);
        y += kButtonHeight + 4;
    }
    const int bottom = static_cast<int>(client.bottom) - kMargin;
    MoveWindow(GetDlgItem(state.dialog, IDOK), columnX, bottom - 2 * kButtonHeight - 4, kColumnWidth, kButtonHeight,
               TRUE);
    MoveWindow(GetDlgItem(state.dialog, IDCANCEL), columnX, bottom - kButtonHeight, kColumnWidth, kButtonHeight, TRUE);
    InvalidateRect(state.dialog, nullptr, TRUE);
}

void PaintPreviews(FrameState& state, HDC dc) {
    if (state.crest.Width() == 0) return;
    RECT client{};
    GetClientRect(state.dialog, &client);
    const int columnX = client.right - kColumnWidth - kMargin;
    const Bitmap32 crest = Bitmap32::FromPixels(state.crest);
    const int width = state.crest.Width();
    Blit(dc, crest, columnX, kMargin, width, kCrestHeight);
    Blit(dc, crest, columnX, 2 * kMargin + kCrestHeight, width * kPreviewZoom, kCrestHeight * kPreviewZoom);
}

void AddButton(HWND dialog, int id, const wchar_t* text, DWORD style = BS_PUSHBUTTON) {
    HWND button =
        CreateWindowExW(0, L"BUTTON", text, WS_CHILD | WS_VISIBLE | WS_TABSTOP | style, 0, 0, 10, 10, dialog,
                        reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), GetModuleHandleW(nullptr), nullptr);
    SendMessageW(button, WM_SETFONT, SendMessageW(dialog, WM_GETFONT, 0, 0), TRUE);
}

INT_PTR CALLBACK DialogProc(HWND dialog, UINT msg, WPARAM wParam, LPARAM lParam) {
    auto* state = reinterpret_cast<FrameState*>(GetWindowLongPtrW(dialog, DWLP_USER));
    switch (msg) {
        case WM_INITDIALOG: {
            SetWindowLongPtrW(dialog, DWLP_USER, lParam);
            state = reinterpret_cast<FrameState*>(lParam);
            state->dialog = dialog;
            state->view = CreateWindowExW(WS_EX_CLIENTEDGE, kViewClass, L"", WS_CHILD | WS_VISIBLE | WS_TABSTOP, 0, 0,
                                          10, 10, dialog, reinterpret_cast<HMENU>(static_cast<INT_PTR>(kFrameViewId)),
                                          GetModuleHandleW(nullptr), nullptr);
            AddButton(dialog, kFrameWholeId, L"Whole picture");
            AddButton(dialog, kFrameTrimId, L"Trim margins");
            AddButton(dialog, kFrameRotateLeftId, L"Rotate left / Girar a la izquierda");
            AddButton(dialog, kFrameRotateRightId, L"Rotate right / Girar a la derecha");
            AddButton(dialog, kFrameMirrorId, L"Mirror / Espejo");
            AddButton(dialog, kFrameFlipId, L"Flip / Voltear");
            AddButton(dialog, IDOK, L"OK", BS_DEFPUSHBUTTON);
            AddButton(dialog, IDCANCEL, L"Cancel / Cancelar");
            Layout(*state);
            Returned(*state);
            SetFocus(state->view);
            return FALSE;
        }
        case WM_SIZE:
            if (state) Layout(*state);
            return TRUE;
        case WM_GETMINMAXINFO: {
            auto* info = reinterpret_cast<MINMAXINFO*>(lParam);
            info->ptMinTrackSize = {kColumnWidth + 300, 420};
            return TRUE;
        }
        case WM_PAINT: {
            if (!state) break;
            PAINTSTRUCT paint;
            HDC dc = BeginPaint(dialog, &paint);
            PaintPreviews(*state, dc);
            EndPaint(dialog, &paint);
            return TRUE;
        }
        case WM_COMMAND: {
            if (!state) break;
            FrameEditor& editor = state->editor;
            switch (LOWORD(wParam)) {
                case IDOK:
                case IDCANCEL:
                    EndDialog(dialog, LOWORD(wParam));
                    return TRUE;
                case kFrameWholeId:
                    editor.Whole();
                    Recompose(*state);
                    return TRUE;
                case kFrameTrimId:
                    editor.Trim();
                    Recompose(*state);
                    return TRUE;
                case kFrameRotateLeftId:
                case kFrameRotateRightId:
                case kFrameMirrorId:
                case kFrameFlipId: {
                    const int id = LOWORD(wParam);
                    if (id == kFrameRotateLeftId) editor.RotateLeft();
                    if (id == kFrameRotateRightId) editor.RotateRight();
                    if (id == kFrameMirrorId) editor.Mirror();
                    if (id == kFrameFlipId) editor.Flip();
                    Returned(*state);
                    return TRUE;
                }
                default:
                    break;
            }
            break;
        }
        default:
            break;
    }
    return FALSE;
}

// A dialog template with no items: the dialog makes its controls itself,
// laid out by pixels as it is resized.
std::vector<WORD> EmptyTemplate(const std::wstring& title) {
    const DWORD style = DS_SETFONT | DS_CENTER | WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_THICKFRAME | WS_MAXIMIZEBOX;
    std::vector<WORD> words = {LOWORD(style), HIWORD(style), 0, 0, 0, 0, 0, 400, 260, 0, 0};
    words.insert(words.end(), title.begin(), title.end());
    words.push_back(0);
    words.push_back(8);
    for (wchar_t c : std::wstring(L"MS Shell Dlg")) words.push_back(c);
    words.push_back(0);
    return words;
}

}  // namespace

std::optional<CrestOptions> ShowFrameDialog(HWND owner, const BgraImage& picture, const CrestOptions& options) {
    WNDCLASSW viewClass{};
    viewClass.lpfnWndProc = &ViewProc;
    viewClass.hInstance = GetModuleHandleW(nullptr);
    viewClass.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    viewClass.lpszClassName = kViewClass;
    RegisterClassW(&viewClass);  // already there after the first time: fine
    FrameState state(picture, options);
    const std::vector<WORD> dialogTemplate = EmptyTemplate(kFrameDialogTitle);
    const INT_PTR result =
        DialogBoxIndirectParamW(GetModuleHandleW(nullptr), reinterpret_cast<const DLGTEMPLATE*>(dialogTemplate.data()),
                                owner, &DialogProc, reinterpret_cast<LPARAM>(&state));
    if (result != IDOK) return std::nullopt;
    return state.editor.Options();
}

}  // namespace vx
