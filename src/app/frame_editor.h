// What the framing dialog edits, apart from the window: the turns and the
// frame of a picture, the fitted and zoomed view of it, and what a drag, a
// key or the wheel does to the frame. Portable.
#pragma once

#include "app/crest_document.h"

namespace vx {

// Where the pointer takes hold of the frame: any of the four edges (a corner
// is two), or the inside to move it.
enum FrameGrip : unsigned {
    kGripNone = 0,
    kGripLeft = 1,
    kGripTop = 2,
    kGripRight = 4,
    kGripBottom = 8,
    kGripMove = 16
};

class FrameEditor {
public:
    // The grips reach this many view pixels either side of an edge.
    static constexpr int kGripReach = 5;
    // The fitted picture leaves this many view pixels free around it, so the
    // frame on its edges can be seen and taken hold of.
    static constexpr int kFitMargin = 6;

    // `picture` is the loaded one (untouched by turns); `options` as the
    // document holds them.
    FrameEditor(const BgraImage& picture, const CrestOptions& options);

    const CrestOptions& Options() const { return options_; }
    const BgraImage& Turned() const { return turned_; }
    // The frame on show: the chosen one, else the whole turned picture.
    PixelRect Frame() const;

    // The view: the turned picture fitted into `width` x `height` (less the
    // margin) and centred, then zoomed; view = origin + scale x picture.
    void FitInto(int width, int height);
    double Scale() const { return scale_; }
    double ViewX(double pictureX) const { return originX_ + scale_ * pictureX; }
    double ViewY(double pictureY) const { return originY_ + scale_ * pictureY; }
    // The mouse wheel: by `steps` notches (positive: closer) keeping the
    // picture point under (viewX, viewY) where it is.
    void ZoomAt(int viewX, int viewY, int steps);

    unsigned GripAt(int viewX, int viewY) const;
    void BeginDrag(int viewX, int viewY);
    void DragTo(int viewX, int viewY);
    void EndDrag() { grip_ = kGripNone; }

    // Arrow keys: by picture pixels, or with `crestPixels` by the picture
    // pixels one crest pixel covers.
    void MoveBy(int dx, int dy, bool crestPixels);
    void Whole() { options_.frame.reset(); }
    void Trim() { options_.frame = TrimRect(turned_.View()); }
    // The turns of the dialog's buttons; the frame starts whole again,
    // since it is measured in the turned picture.
    void RotateLeft() { Turn(90); }
    void RotateRight() { Turn(270); }
    void Mirror();
    void Flip();

private:
    void Turn(int degrees);
    // The turned picture made again after a change of turns.
    void Returned();
    void SetFrame(PixelRect frame);

    const BgraImage& picture_;
    CrestOptions options_;
    BgraImage turned_;
    int viewWidth_ = 1, viewHeight_ = 1;
    double scale_ = 1, originX_ = 0, originY_ = 0;
    unsigned grip_ = kGripNone;
    double dragX_ = 0, dragY_ = 0;  // the picture point first held
    PixelRect dragFrame_;
};

// The turn that follows `turn` by a further quarter (90 anticlockwise, 270
// clockwise), mirror or flip, written in the rotate-mirror-flip order.
PictureTurn ThenRotate(PictureTurn turn, int degrees);
PictureTurn ThenMirror(PictureTurn turn);
PictureTurn ThenFlip(PictureTurn turn);

}  // namespace vx
