#include "app/crest_document.h"

#include <algorithm>
#include <cstring>
#include <set>
#include <utility>

#include "imaging/crisp_squeeze.h"
#include "imaging/squeeze.h"

namespace vx {

std::optional<Colorref> ParseRrggbb(std::wstring_view text) {
    if (text.size() != 6) return std::nullopt;
    std::uint32_t value = 0;
    for (wchar_t c : text) {
        std::uint32_t digit;
        if (c >= L'0' && c <= L'9')
            digit = c - L'0';
        else if (c >= L'a' && c <= L'f')
            digit = c - L'a' + 10;
        else if (c >= L'A' && c <= L'F')
            digit = c - L'A' + 10;
        else
            return std::nullopt;
        value = value * 16 + digit;
    }
    return RgbToColorref(Rgb{value});
}

std::wstring RrggbbText(Colorref colour) {
    constexpr wchar_t kDigits[] = L"0123456789ABCDEF";
    const std::uint32_t value = ColorrefToRgb(colour);
    std::wstring text(6, L'0');
    for (int i = 0; i < 6; ++i) text[5 - i] = kDigits[(value >> (4 * i)) & 0xF];
    return text;
}

PixelRect SqueezedRect(int width, int height, const CrestOptions& options) {
    PixelRect rect{0, 0, width, height};
    if (options.frame && RectInside(*options.frame, width, height)) rect = *options.frame;
    if (options.keepProportions) {
        const PixelRect centred = CentredCrop(rect.width, rect.height, CrestWidth(options.mode), kCrestHeight);
        rect = {rect.x + centred.x, rect.y + centred.y, centred.width, centred.height};
    }
    return rect;
}

BgraImage CopyRect(ConstBgraView view, const PixelRect& rect) {
    BgraImage copy(rect.width, rect.height);
    for (int y = 0; y < rect.height; ++y)
        std::memcpy(copy.Row(y), view.Row(rect.y + y) + 4 * static_cast<std::ptrdiff_t>(rect.x),
                    4 * static_cast<std::size_t>(rect.width));
    return copy;
}

BgraImage ComposeDocumentCrest(ConstBgraView turned, const CrestOptions& options) {
    if (turned.width <= 0 || turned.height <= 0) return {};
    const PixelRect rect = SqueezedRect(turned.width, turned.height, options);
    const BgraImage laid = ComposeOver(SubView(turned, rect), options.background);
    return options.crisp ? CrispSqueeze(laid.View(), CrestWidth(options.mode), kCrestHeight)
                         : Squeeze(laid.View(), CrestWidth(options.mode), kCrestHeight);
}

void CrestDocument::SetPicture(BgraImage picture) {
    State before = state_;
    state_.picture = std::make_shared<const BgraImage>(std::move(picture));
    state_.options.frame.reset();
    state_.options.turn = {};
    Recompose();
    PushStep(std::move(before));
}

namespace {
const BgraImage kNoPicture;
}  // namespace

const BgraImage& CrestDocument::Picture() const { return state_.picture ? *state_.picture : kNoPicture; }

const BgraImage& CrestDocument::TurnedPicture() const {
    if (!state_.picture) return kNoPicture;
    if (!state_.options.turn.Any()) return *state_.picture;
    if (turnedFrom_ != state_.picture || !(turnedBy_ == state_.options.turn)) {
        turned_ = TurnImage(state_.picture->View(), state_.options.turn);
        turnedFrom_ = state_.picture;
        turnedBy_ = state_.options.turn;
    }
    return turned_;
}

void CrestDocument::SetOptions(const CrestOptions& options) {
    if (options == state_.options) return;
    State before = state_;
    state_.options = options;
    Recompose();
    PushStep(std::move(before));
}

void CrestDocument::SetMode(CrestMode mode) { SetOption(&CrestOptions::mode, mode); }

void CrestDocument::SetKeepProportions(bool keep) { SetOption(&CrestOptions::keepProportions, keep); }

void CrestDocument::SetCrisp(bool crisp) { SetOption(&CrestOptions::crisp, crisp); }

void CrestDocument::SetBackground(Colorref background) { SetOption(&CrestOptions::background, background); }

void CrestDocument::Recompose() {
    state_.crest = state_.picture ? ComposeDocumentCrest(TurnedPicture().View(), state_.options) : BgraImage{};
}

void CrestDocument::PushStep(State before) {
    // Before a picture there is no crest whose work could be lost.
    if (!before.picture) return;
    redo_.clear();
    undo_.push_back(std::move(before));
    while (undo_.size() > kUndoSteps) undo_.pop_front();
    auto heldPictures = [this] {
        std::set<const BgraImage*> held{state_.picture.get()};
        for (const State& step : undo_) held.insert(step.picture.get());
        return held.size();
    };
    while (undo_.size() > 1 && heldPictures() > kHeldPictures) undo_.pop_front();
}

void CrestDocument::BeginStroke() {
    strokeStart_ = state_;
    strokeChanged_ = false;
}

void CrestDocument::Paint(int x, int y, Colorref colour) {
    const BgraImage& crest = state_.crest;
    if (x < 0 || y < 0 || x >= crest.Width() || y >= crest.Height() || crest.ColorAt(x, y) == colour) return;
    // A paint outside a stroke is a stroke of its own.
    const bool single = !strokeStart_;
    if (single) BeginStroke();
    state_.crest.SetColor(x, y, colour);
    strokeChanged_ = true;
    if (single) EndStroke();
}

void CrestDocument::EndStroke() {
    if (strokeStart_ && strokeChanged_) PushStep(std::move(*strokeStart_));
    strokeStart_.reset();
    strokeChanged_ = false;
}

std::optional<Colorref> CrestDocument::ColourAt(int x, int y) const {
    const BgraImage& crest = state_.crest;
    if (x < 0 || y < 0 || x >= crest.Width() || y >= crest.Height()) return std::nullopt;
    return crest.ColorAt(x, y);
}

bool CrestDocument::Undo() {
    EndStroke();
    if (undo_.empty()) return false;
    redo_.push_back(std::exchange(state_, std::move(undo_.back())));
    undo_.pop_back();
    return true;
}

bool CrestDocument::Redo() {
    EndStroke();
    if (redo_.empty()) return false;
    undo_.push_back(std::exchange(state_, std::move(redo_.back())));
    redo_.pop_back();
    return true;
}

}  // namespace vx
