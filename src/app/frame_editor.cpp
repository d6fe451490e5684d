#include "app/frame_editor.h"

#include <algorithm>
#include <cmath>

namespace vx {
namespace {

// Turns are told apart by what they do to a small picture of distinct pixels.
BgraImage Probe() {
    BgraImage probe(3, 2);
    for (int y = 0; y < 2; ++y)
        for (int x = 0; x < 3; ++x) probe.SetColor(x, y, MakeColorref(x, y, 0));
    return probe;
}

PictureTurn Followed(const PictureTurn& turn, const PictureTurn& step) {
    const BgraImage probe = Probe();
    const BgraImage wanted = TurnImage(TurnImage(probe.View(), turn).View(), step);
    for (bool flip : {false, true})
        for (bool mirror : {false, true})
            for (int degrees : {0, 90, 180, 270}) {
                const PictureTurn candidate{degrees, mirror, flip};
                const BgraImage result = TurnImage(probe.View(), candidate);
                if (result.Width() == wanted.Width() && result.Bytes() == wanted.Bytes()) return candidate;
            }
    return turn;
}

}  // namespace

PictureTurn ThenRotate(PictureTurn turn, int degrees) { return Followed(turn, {degrees, false, false}); }
PictureTurn ThenMirror(PictureTurn turn) { return Followed(turn, {0, true, false}); }
PictureTurn ThenFlip(PictureTurn turn) { return Followed(turn, {0, false, true}); }

FrameEditor::FrameEditor(const BgraImage& picture, const CrestOptions& options) : picture_(picture), options_(options) {
    Returned();
    if (options_.frame && !RectInside(*options_.frame, turned_.Width(), turned_.Height())) options_.frame.reset();
}

void FrameEditor::Returned() { turned_ = TurnImage(picture_.View(), options_.turn); }

PixelRect FrameEditor::Frame() const {
    return options_.frame ? *options_.frame : PixelRect{0, 0, turned_.Width(), turned_.Height()};
}

void FrameEditor::FitInto(int width, int height) {
    viewWidth_ = std::max(1, width);
    viewHeight_ = std::max(1, height);
    if (turned_.Width() <= 0 || turned_.Height() <= 0) return;
    const double room = 2.0 * kFitMargin;
    scale_ = std::max(1e-4, std::min((viewWidth_ - room) / turned_.Width(), (viewHeight_ - room) / turned_.Height()));
    originX_ = (viewWidth_ - scale_ * turned_.Width()) / 2;
    originY_ = (viewHeight_ - scale_ * turned_.Height()) / 2;
}

void FrameEditor::ZoomAt(int viewX, int viewY, int steps) {
    const double factor = std::pow(1.25, steps);
    const double newScale = std::clamp(scale_ * factor, 1e-4, 64.0);
    // The picture point under the pointer stays under it.
    const double px = (viewX - originX_) / scale_, py = (viewY - originY_) / scale_;
    scale_ = newScale;
    originX_ = viewX - scale_ * px;
    originY_ = viewY - scale_ * py;
}

unsigned FrameEditor::GripAt(int viewX, int viewY) const {
    const PixelRect frame = Frame();
    const double left = ViewX(frame.x), right = ViewX(frame.x + frame.width);
    const double top = ViewY(frame.y), bottom = ViewY(frame.y + frame.height);
    const double reach = kGripReach;
    if (viewX < left - reach || viewX > right + reach || viewY < top - reach || viewY > bottom + reach)
        return kGripNone;
    unsigned grip = kGripNone;
    if (std::abs(viewX - left) <= reach)
        grip |= kGripLeft;
    else if (std::abs(viewX - right) <= reach)
        grip |= kGripRight;
    if (std::abs(viewY - top) <= reach)
        grip |= kGripTop;
    else if (std::abs(viewY - bottom) <= reach)
        grip |= kGripBottom;
    if (grip == kGripNone && viewX > left && viewX < right && viewY > top && viewY < bottom) grip = kGripMove;
    return grip;
}

void FrameEditor::BeginDrag(int viewX, int viewY) {
    grip_ = GripAt(viewX, viewY);
    dragX_ = (viewX - originX_) / scale_;
    dragY_ = (viewY - originY_) / scale_;
    dragFrame_ = Frame();
}

void FrameEditor::DragTo(int viewX, int viewY) {
    if (grip_ == kGripNone) return;
    const int dx = static_cast<int>(std::lround((viewX - originX_) / scale_ - dragX_));
    const int dy = static_cast<int>(std::lround((viewY - originY_) / scale_ - dragY_));
    PixelRect frame = dragFrame_;
    const int width = turned_.Width(), height = turned_.Height();
    if (grip_ == kGripMove) {
        frame.x = std::clamp(frame.x + dx, 0, width - frame.width);
        frame.y = std::clamp(frame.y + dy, 0, height - frame.height);
        SetFrame(frame);
        return;
    }
    int left = frame.x, top = frame.y, right = frame.x + frame.width, bottom = frame.y + frame.height;
    if (grip_ & kGripLeft) left = std::clamp(left + dx, 0, right - 1);
    if (grip_ & kGripRight) right = std::clamp(right + dx, left + 1, width);
    if (grip_ & kGripTop) top = std::clamp(top + dy, 0, bottom - 1);
    if (grip_ & kGripBottom) bottom = std::clamp(bottom + dy, top + 1, height);
    if (options_.keepProportions) {
        // The frame keeps the crest's shape: the dragged side leads, the
        // other follows from the edge that stays put, within the picture.
        const int crestWidth = CrestWidth(options_.mode);
        const bool widthLeads = (grip_ & (kGripLeft | kGripRight)) != 0;
        int w = right - left, h = bottom - top;
        if (widthLeads)
            h = std::max(1, static_cast<int>(std::lround(double(w) * kCrestHeight / crestWidth)));
        else
            w = std::max(1, static_cast<int>(std::lround(double(h) * crestWidth / kCrestHeight)));
        const int roomW = (grip_ & kGripLeft) ? right : width - left;
        const int roomH = (grip_ & kGripTop) ? bottom : height - top;
        if (w > roomW || h > roomH) {
            const double shrink = std::min(double(roomW) / w, double(roomH) / h);
            w = std::max(1, static_cast<int>(w * shrink));
            h = std::max(1, static_cast<int>(h * shrink));
        }
        if (grip_ & kGripLeft)
            left = right - w;
        else
            right = left + w;
        if (grip_ & kGripTop)
            top = bottom - h;
        else
            bottom = top + h;
    }
    SetFrame({left, top, right - left, bottom - top});
}

void FrameEditor::MoveBy(int dx, int dy, bool crestPixels) {
    PixelRect frame = Frame();
    if (crestPixels) {
        const PixelRect squeezed = SqueezedRect(turned_.Width(), turned_.Height(), options_);
        dx *= std::max(1, squeezed.width / CrestWidth(options_.mode));
        dy *= std::max(1, squeezed.height / kCrestHeight);
    }
    frame.x = std::clamp(frame.x + dx, 0, turned_.Width() - frame.width);
    frame.y = std::clamp(frame.y + dy, 0, turned_.Height() - frame.height);
    SetFrame(frame);
}

void FrameEditor::SetFrame(PixelRect frame) {
    if (RectInside(frame, turned_.Width(), turned_.Height())) options_.frame = frame;
}

void FrameEditor::Turn(int degrees) {
    options_.turn = ThenRotate(options_.turn, degrees);
    options_.frame.reset();
    Returned();
    FitInto(viewWidth_, viewHeight_);
}

void FrameEditor::Mirror() {
    options_.turn = ThenMirror(options_.turn);
    options_.frame.reset();
    Returned();
    FitInto(viewWidth_, viewHeight_);
}

void FrameEditor::Flip() {
    options_.turn = ThenFlip(options_.turn);
    options_.frame.reset();
    Returned();
    FitInto(viewWidth_, viewHeight_);
}

}  // namespace vx
