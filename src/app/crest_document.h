// The crest being made: the loaded picture and every choice about it (mode,
// turns, frame, proportions, background), the touch-ups made on the crest
// and the undo history over all of them. Its crest is the one source of the
// pixels that the previews, the zoom, the clipboard and a save show; the
// window only reflects it, and the command line builds one from its options.
// Portable.
#pragma once

#include <cstddef>
#include <deque>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "app/crest_workflow.h"
#include "base/bgra_image.h"
#include "imaging/centred_crop.h"
#include "imaging/picture_edits.h"

namespace vx {

// What lies under transparent pixels unless a player picks a colour: the
// standard button face, so a crest is the same on every machine.
inline constexpr Colorref kDefaultCrestBackground = MakeColorref(0xF0, 0xF0, 0xF0);

// A colour as RRGGBB hexadecimal text, as in web colours (either case);
// nothing for any other text.
std::optional<Colorref> ParseRrggbb(std::wstring_view text);
std::wstring RrggbbText(Colorref colour);  // upper case

struct CrestOptions {
    CrestMode mode = CrestMode::Clan;
    PictureTurn turn;  // applied first, in the order rotate, mirror, flip
    // The part squeezed, in the turned picture's pixels; none: the whole.
    std::optional<PixelRect> frame;
    bool keepProportions = false;  // then the centred part of the frame in the crest's shape
    Colorref background = kDefaultCrestBackground;
    bool crisp = false;  // the crisp squeeze instead of the exact area average

    friend bool operator==(const CrestOptions&, const CrestOptions&) = default;
};

// The rectangle of a `width` x `height` turned picture that is squeezed:
// the frame (the whole picture when there is none or it does not lie inside),
// then its centred part in the crest's shape with keep proportions.
PixelRect SqueezedRect(int width, int height, const CrestOptions& options);

// The crest of `options` from the turned picture: its squeezed rectangle laid
// over the background, then squeezed. Empty for an empty picture.
BgraImage ComposeDocumentCrest(ConstBgraView turned, const CrestOptions& options);

// The pixels of `view` inside `rect` (which must lie inside it), copied.
BgraImage CopyRect(ConstBgraView view, const PixelRect& rect);

class CrestDocument {
public:
    // Undo keeps at least this many steps, fewer only when the steps hold
    // more than kHeldPictures different pictures (each may be large).
    static constexpr std::size_t kUndoSteps = 100;
    static constexpr std::size_t kHeldPictures = 3;

    bool HasPicture() const { return state_.picture != nullptr; }
    // Straight alpha in each pixel's fourth byte. A new picture starts
    // whole: its frame is cleared and its turns undone.
    void SetPicture(BgraImage picture);
    // The picture as loaded, before any turn; empty without a picture.
    const BgraImage& Picture() const;
    // The picture as it stands after the turns; empty without a picture.
    const BgraImage& TurnedPicture() const;

    const CrestOptions& Options() const { return state_.options; }
    // Recomposes the crest (one undo step) when anything changed.
    void SetOptions(const CrestOptions& options);
    void SetMode(CrestMode mode);
    void SetKeepProportions(bool keep);
    void SetCrisp(bool crisp);
    void SetBackground(Colorref background);

    // CrestWidth(mode) x kCrestHeight with a picture, else empty.
    const BgraImage& Crest() const { return state_.crest; }

    // A stroke (press, drag, release) paints crest pixels and is one step.
    void BeginStroke();
    void Paint(int x, int y, Colorref colour);  // outside the crest: nothing
    void EndStroke();
    std::optional<Colorref> ColourAt(int x, int y) const;

    bool CanUndo() const { return !undo_.empty(); }
    bool CanRedo() const { return !redo_.empty(); }
    bool Undo();
    bool Redo();

private:
    // One option changed, as one step.
    template <typename T>
    void SetOption(T CrestOptions::*field, T value) {
        CrestOptions options = state_.options;
        options.*field = value;
        SetOptions(options);
    }

    struct State {
        std::shared_ptr<const BgraImage> picture;
        CrestOptions options;
        BgraImage crest;
    };
    void Recompose();
    void PushStep(State before);

    State state_;
    std::deque<State> undo_;
    std::deque<State> redo_;
    std::optional<State> strokeStart_;
    bool strokeChanged_ = false;
    // The turned picture, kept for the picture and turn it was made from.
    mutable std::shared_ptr<const BgraImage> turnedFrom_;
    mutable PictureTurn turnedBy_;
    mutable BgraImage turned_;
};

}  // namespace vx
