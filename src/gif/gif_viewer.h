// cGIFViewer: loads an animated GIF, keeps every frame as colour indices in
// one 8-bit strip bitmap, composes frames with transparency and disposal in
// an off-screen buffer, draws them scaled onto a client's device context and
// animates them with one one-shot timer per frame. The client learns where
// to draw and what happened through IGifRender.
//
// Everything runs on the thread that owns the timer window; no locks are
// taken around the viewer's own state. Client callbacks are made
// synchronously from inside the viewer's operations and may call back into
// the viewer, but must not destroy it.
#pragma once
#include <windows.h>

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "common/picture_surface.h"
#include "common/win_handles.h"
#include "gif/gif_animation.h"
#include "gif/gif_index.h"
#include "gif/gif_limits.h"
#include "gif/gif_scale.h"

namespace vx {

class IGifRender {
public:
    virtual ~IGifRender() = default;
    // destDC: a device context (or a window handle), or 0 to skip drawing
    // this time. bAutoRedraw: true invalidates hwndRefresh after the draw,
    // false redraws and validates it at once. PostNotify: true asks for a
    // message-0 Rendered after the frame is drawn.
    virtual void GetRenderDC(std::int32_t ViewerID, std::int32_t FrameIndex, HDC& destDC, HWND& hwndRefresh,
                             bool& bAutoRedraw, bool& PostNotify) = 0;
    // Message 0: frame drawn (MsgValue: the DC drawn on); 1: loading
    // progress (MsgValue 0 at the start, then percent); 2: the animation
    // ended (MsgValue: loops completed).
    virtual void Rendered(std::int32_t ViewerID, std::int32_t FrameIndex, std::int32_t Message,
                          std::intptr_t MsgValue) = 0;
};

class cGIFViewer {
public:
    // Rendered message numbers.
    static constexpr std::int32_t kMsgFrameDrawn = 0;
    static constexpr std::int32_t kMsgLoading = 1;
    static constexpr std::int32_t kMsgAnimationEnded = 2;

    // SetAnimationBkg bkgMethod: what lies behind the frames. Any value
    // other than kBkgCopied means a solid colour.
    static constexpr std::int32_t kBkgColour = 0;
    static constexpr std::int32_t kBkgCopied = 1;  // copied from a device context or window

    // FrameImage PicType: any value other than kPicBitmap gives the frame
    // through the GIF encoder, transparency kept.
    static constexpr std::int32_t kPicBitmap = 1;
    static constexpr std::int32_t kPicGifStream = 2;

    // StretchMode / Mode values are gif::kStretch* (gif_scale.h); propID
    // values gif::kProp* (gif_animation.h).

    // Animation states (AnimationState) and actions (SetAnimationState).
    static constexpr std::int32_t kStopped = 0;
    static constexpr std::int32_t kPlaying = 1;
    static constexpr std::int32_t kPaused = 2;
    static constexpr std::int32_t kStepped = 3;
    static constexpr std::int32_t kRedraw = 4;  // action only

    // Limits on what any file can make the viewer allocate: the file read
    // into memory, the frame strip (rows padded to 4 bytes) and the
    // animation buffer (all rows). Beyond them LoadGIF returns 0, or
    // SetAnimationBkg fails and frames are drawn straight to the client.
    // LastReport tells which limit refused what.
    static constexpr std::uint64_t kMaxFileBytes = gif::kMaxFileBytes;
    static constexpr std::uint64_t kMaxStripBytes = gif::kMaxStripBytes;
    static constexpr std::uint64_t kMaxBufferPixels = gif::kMaxBufferPixels;

    cGIFViewer();   // MinimumDelay 50
    ~cGIFViewer();  // UnloadGIF
    cGIFViewer(const cGIFViewer&) = delete;
    cGIFViewer& operator=(const cGIFViewer&) = delete;

    // n frames loaded and animation possible; -n loaded without a client, a
    // timer window or a working timer; 0 nothing loaded.
    std::int32_t LoadGIF(const std::wstring& gifFileName, std::int32_t ViewerID, IGifRender* GIFRenderInterface,
                         HWND timerHwnd);
    void UnloadGIF();
    // Why the last LoadGIF loaded nothing, or why the last SetAnimationBkg
    // could not make its buffer (gif::Describe gives the sentence).
    const gif::GifReport& LastReport() const { return report_; }

    // Draws frame Index by itself (no buffer, no notification). destCx/destCY
    // below 1 mean the frame's own size.
    bool RenderFrame(std::int32_t Index, HDC hdc, HWND hWnd2Refresh, bool AutoRedraw, std::int32_t destX,
                     std::int32_t destY, std::int32_t destCx, std::int32_t destCY, std::int32_t StretchMode);
    std::int32_t FrameProperty(std::int32_t Index, std::int32_t propID) const;
    std::int32_t AnimationIndex() const { return animationIndex_; }
    std::int32_t AnimationState() const { return state_; }
    void SetAnimationState(std::int32_t Action);
    // Replaces the colour of a colour background; true when there was one.
    bool SetAnimationBkgColor(COLORREF bkgColor);
    // bkgDC_Color: an HDC or window handle (cast to std::uintptr_t) when
    // bkgMethod is 1, otherwise a colour (negative: a system colour).
    bool SetAnimationBkg(std::int32_t bkgMethod, std::uintptr_t bkgDC_Color, std::int32_t destX, std::int32_t destY,
                         std::int32_t destCx, std::int32_t destCY, std::int32_t StretchMode, std::int32_t bkgDC_X,
                         std::int32_t bkgDC_Y);
    void ScaleToDestination(std::int32_t Index, std::int32_t& X, std::int32_t& Y, std::int32_t& cx, std::int32_t& cy,
                            std::int32_t Mode, double& xRatio, double& yRatio) const;
    COLORREF WindowBkgColor() const;
    std::int32_t Height() const { return index_.height; }
    std::int32_t Width() const { return index_.width; }
    std::int32_t LoopCount() const { return static_cast<std::int32_t>(loopCount_); }
    void SetLoopCount(std::int32_t newCount);
    std::int32_t MinimumDelay() const { return minimumDelay_; }
    // Throws vx::RunTimeError 6 (overflow) for values whose low 16 bits are
    // 32768..65535; below 10 becomes 10.
    void SetMinimumDelay(std::int32_t newMinimum);
    // Palette: 256 entries 0x00RRGGBB, all 0 for an index outside the file.
    // True when the frame exists and its palette was copied.
    bool FramePalette(std::int32_t Index, std::vector<std::uint32_t>& Palette);
    // Frame Index at its own size in its own colours, or null. PicType 1: a
    // plain bitmap, every pixel opaque (fourth byte 255). Other types: the
    // frame written as a GIF stream by the viewer's own encoder and loaded
    // back as a picture; its transparent pixels are 0 (fourth byte 0 too).
    SharedPicture FrameImage(std::int32_t Index, std::int32_t PicType);

    // The platform timer's procedure. idEvent is the address of the viewer
    // whose frame timer expired; ids of viewers that no longer exist, and
    // timers the viewer no longer waits for, are ignored.
    static void CALLBACK TimerProc(HWND hwnd, UINT message, UINT_PTR idEvent, DWORD time);

private:
    struct DestRect {
        std::int32_t x = 0, y = 0, cx = 0, cy = 0;
    };
    using ColourTable = std::array<RGBQUAD, 256>;

    bool HasClient() const { return client_ != nullptr && timerReady_; }
    const gif::FrameRecord* Frame(std::int32_t index) const;
    std::int32_t FrameCount() const { return static_cast<std::int32_t>(index_.frames.size()); }

    bool ReadFileBounded(const std::wstring& path);
    gif::GifReport CheckStripFits() const;
    bool DecodePass(std::uint64_t loadSerial);
    void Tick(HWND hwnd);
    bool StartFrameTimer();
    void KillFrameTimer();
    void DrawCurrentFrame();
    bool PauseIfPlaying();
    void ResumeIfPaused(bool paused);
    // Holds a playing animation paused while the viewer's state changes.
    class PlaybackPause {
    public:
        explicit PlaybackPause(cGIFViewer& viewer) : viewer_(viewer), paused_(viewer.PauseIfPlaying()) {}
        PlaybackPause(const PlaybackPause&) = delete;
        PlaybackPause& operator=(const PlaybackPause&) = delete;
        ~PlaybackPause() { viewer_.ResumeIfPaused(paused_); }

    private:
        cGIFViewer& viewer_;
        bool paused_;
    };

    bool DrawFrame(std::int32_t k, HDC dest, HWND refresh, bool autoRedraw, bool postNotify, bool useBuffer,
                   std::int32_t x, std::int32_t y, std::int32_t cx, std::int32_t cy, std::int32_t mode);
    void TransparentBlt(const gif::FrameRecord& frame, HDC target, bool intoBuffer, bool stretched, std::int32_t x,
                        std::int32_t y, std::int32_t cx, std::int32_t cy);
    bool BuildBackground(std::int32_t bkgMethod, std::uintptr_t bkgDC_Color, std::int32_t destX, std::int32_t destY,
                         std::int32_t destCx, std::int32_t destCY, std::int32_t StretchMode, std::int32_t bkgDC_X,
                         std::int32_t bkgDC_Y);
    void InstallColourTable(const ColourTable& table);
    ColourTable PaletteTable(std::int32_t paletteNumber) const;
    void ReleaseBuffer();
    void ReleaseStrip();
    const std::uint8_t* StripFrameTopRow(const gif::FrameRecord& frame) const;

    // Loaded file.
    std::vector<std::uint8_t> file_;  // only during LoadGIF
    gif::GifIndex index_;
    std::int32_t viewerId_ = 0;
    IGifRender* client_ = nullptr;
    HWND timerHwnd_ = nullptr;
    bool timerReady_ = false;       // a trial timer worked: animation is possible
    bool timerPending_ = false;     // a frame timer is set and not yet expired
    std::uint64_t loadSerial_ = 0;  // changes with every unload
    gif::GifReport report_;

    // Frame strip: frame k's x offset is kept in its record's position.
    // Members are released in reverse order: the DC gives the strip back
    // before the strip is deleted (likewise for the buffer).
    UniqueBitmap strip_;
    BitmapDc stripDc_;
    std::uint8_t* stripBits_ = nullptr;
    std::int64_t stripStride_ = 0;
    std::int32_t stripHeight_ = 0;
    std::int32_t installedPalette_ = 0;  // -1: no file palette installed as it is
    bool hasMaskPalette_ = false;
    ColourTable maskPalette_{};

    // Animation buffer and background.
    UniqueBitmap bufferBitmap_;
    BitmapDc bufferDc_;
    UniqueBrush bkgBrush_;
    std::int32_t stretchMode_ = gif::kStretchNone;
    DestRect dest_;
    float xRatio_ = 0.0f, yRatio_ = 0.0f;

    // Animation.
    std::int32_t state_ = kStopped;
    std::int32_t animationIndex_ = 0;
    std::int32_t loops_ = 0;
    std::uint32_t loopCount_ = 0;
    std::int16_t minimumDelay_ = 50;
};

}  // namespace vx
