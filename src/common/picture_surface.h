// A borderless child window that draws from its own persistent image: what
// is drawn on its DC stays while the window is hidden or covered, and the
// window shows it on every repaint. The skin, the buttons, the hidden
// crest surfaces and the open dialog's preview pane are all surfaces.
#pragma once
#include <windows.h>

#include <functional>
#include <memory>
#include <string>

#include "common/bitmap32.h"
#include "common/win_handles.h"

namespace vx {

using SharedPicture = std::shared_ptr<const Bitmap32>;

class PictureSurface {
public:
    enum class PictureFit {
        Natural,  // picture drawn at its own size from the top-left corner
        Stretch,  // picture stretched over the whole surface (an image control)
    };

    struct Layout {
        int x = 0, y = 0, width = 0, height = 0;
        bool visible = true;
        COLORREF backColor = 0x8000000F;  // top bit: system colour (button face)
        PictureFit fit = PictureFit::Natural;
    };

    PictureSurface() = default;
    ~PictureSurface();
    PictureSurface(const PictureSurface&) = delete;
    PictureSurface& operator=(const PictureSurface&) = delete;

    // Throws std::runtime_error when the platform refuses the window.
    void Create(HWND parent, const std::wstring& name, const Layout& layout);
    void Destroy();

    HWND hWnd() const { return hwnd_; }
    // The persistent image's DC: drawing here lasts until the next Cls.
    HDC hDC() const { return imageDc_.get(); }
    const std::wstring& Name() const { return name_; }

    void SetPicture(SharedPicture picture);
    const SharedPicture& Picture() const { return picture_; }
    // A copy of the persistent image at the surface's size.
    SharedPicture Image() const;
    // The persistent image itself: the surface's size, or the picture's
    // where that is larger.
    const Bitmap32& ImageBitmap() const { return image_; }

    void Cls();      // wipe drawings: back colour, then the picture
    void Refresh();  // show the persistent image now

    void SetForeColor(COLORREF color);
    COLORREF ForeColor() const { return foreColor_; }
    void SetBackColor(COLORREF color);
    COLORREF BackColor() const { return backColor_; }
    // `dpi` 0 lays the points out at the screen's logical resolution.
    void SetFont(const std::wstring& face, double points, bool bold = false, int dpi = 0);

    // Moves and resizes the window and its persistent image (drawings are kept
    // where they still fit).
    void Move(int x, int y, int width, int height);
    // Shows the surface `factor` times larger, pixel for pixel: its window's
    // place and size grow by the factor while its image, its drawing and the
    // coordinates of its mouse events stay in the surface's own pixels.
    void SetScale(int factor);
    int Scale() const { return scale_; }
    void SetVisible(bool visible);
    bool Visible() const;
    int Width() const { return width_; }
    int Height() const { return height_; }

    // Mouse events in the surface's own pixels (client coordinates divided
    // by its scale); a click is a left press and release on the surface.
    std::function<void(int x, int y, WPARAM keys)> onMouseMove;
    std::function<void()> onClick;
    // Every press and release of the left or right button (the message and
    // the client point), before the click is worked out.
    std::function<void(UINT message, int x, int y)> onMouseButton;

    static COLORREF ResolveColor(COLORREF color);

private:
    static LRESULT CALLBACK WindowProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);
    LRESULT HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam);
    void EnsureImageSize(int width, int height);
    void ReplaceImage(int width, int height);
    void ReleaseImage();
    void PaintBackground();

    HWND hwnd_ = nullptr;
    std::wstring name_;
    int x_ = 0, y_ = 0;
    int width_ = 0, height_ = 0;
    int scale_ = 1;
    PictureFit fit_ = PictureFit::Natural;
    COLORREF backColor_ = 0x8000000F;
    COLORREF foreColor_ = 0;
    SharedPicture picture_;
    // Released in reverse order: the DC gives the image and font back
    // before they are deleted.
    Bitmap32 image_;
    UniqueFont font_;
    BitmapDc imageDc_;
    bool pressed_ = false;
};

}  // namespace vx
