// The crest document: framing, trimming, the background under transparency,
// the fixed order of turns, frame and proportions, and undo over touch-ups
// and recompositions.
#include "app/crest_document.h"

#include <gtest/gtest.h>

#include "painted_picture.h"

#include <functional>

namespace vx {
namespace {

using test::Picture;

void SetAlpha(BgraImage& image, int x, int y, int alpha) { image.Row(y)[4 * x + 3] = static_cast<std::uint8_t>(alpha); }

Colorref Block(int x, int y) { return MakeColorref(x * 15, y * 20, 100 + x + y); }

TEST(CrestDocument, TheFrameAloneIsSqueezedOverTheBackground) {
    // 2 x 2 blocks, one per crest pixel, inside a frame at (10, 6) of a
    // black picture; the frame's top-left block is fully transparent and the
    // next one half transparent.
    BgraImage picture = Picture(60, 40, [](int x, int y) {
        const bool inside = x >= 10 && x < 42 && y >= 6 && y < 30;
        return inside ? Block((x - 10) / 2, (y - 6) / 2) : MakeColorref(0, 0, 0);
    });
    for (int y = 6; y < 8; ++y)
        for (int x = 10; x < 14; ++x) SetAlpha(picture, x, y, x < 12 ? 0 : 128);
    CrestOptions options;
    options.frame = PixelRect{10, 6, 32, 24};
    options.background = MakeColorref(200, 100, 50);
    const BgraImage crest = ComposeDocumentCrest(picture.View(), options);
    ASSERT_EQ(crest.Width(), 16);
    EXPECT_EQ(crest.ColorAt(0, 0), options.background);
    const Colorref half = Block(1, 0);
    auto mix = [](unsigned c, unsigned b) { return (c * 128 + b * 127 + 127) / 255; };
    EXPECT_EQ(crest.ColorAt(1, 0), MakeColorref(mix(RedOf(half), 200), mix(GreenOf(half), 100), mix(BlueOf(half), 50)));
    for (int y = 1; y < 12; ++y)
        for (int x = 0; x < 16; ++x) ASSERT_EQ(crest.ColorAt(x, y), Block(x, y)) << x << "," << y;

    // A frame that does not lie inside the picture counts as the whole.
    options.frame = PixelRect{50, 0, 20, 10};
    EXPECT_EQ(SqueezedRect(60, 40, options), (PixelRect{0, 0, 60, 40}));
}

TEST(CrestDocument, TrimFindsTheOpaquePartOrWhatDiffersFromTheCorners) {
    BgraImage logo = Picture(20, 10, [](int, int) { return MakeColorref(9, 9, 9); });
    for (int y = 0; y < 10; ++y)
        for (int x = 0; x < 20; ++x) SetAlpha(logo, x, y, 0);
    SetAlpha(logo, 3, 2, 1);
    SetAlpha(logo, 15, 7, 255);
    EXPECT_EQ(TrimRect(logo.View()), (PixelRect{3, 2, 13, 6}));

    BgraImage framed = Picture(20, 10, [](int x, int y) {
        return x >= 4 && x < 8 && y >= 1 && y < 9 ? MakeColorref(255, 0, 0) : MakeColorref(255, 255, 255);
    });
    EXPECT_EQ(TrimRect(framed.View()), (PixelRect{4, 1, 4, 8}));
    // Corners that disagree leave nothing to trim.
    framed.SetColor(19, 9, MakeColorref(0, 0, 1));
    EXPECT_EQ(TrimRect(framed.View()), (PixelRect{0, 0, 20, 10}));
    // A picture that is nothing but its corner colour stays whole too.
    const BgraImage plain = Picture(5, 5, [](int, int) { return MakeColorref(1, 2, 3); });
    EXPECT_EQ(TrimRect(plain.View()), (PixelRect{0, 0, 5, 5}));
}

TEST(CrestDocument, TurnsComeFirstThenTheFrameThenProportions) {
    // 3 x 2: each pixel its own colour.
    const BgraImage picture = Picture(3, 2, [](int x, int y) { return MakeColorref(x, y, 7); });
    PictureTurn turn;
    turn.rotateDegrees = 90;  // the top edge becomes the left edge
    turn.mirror = true;
    const BgraImage turned = TurnImage(picture.View(), turn);
    ASSERT_EQ(turned.Width(), 2);
    ASSERT_EQ(turned.Height(), 3);
    // Rotated: (x, y) -> (y, 2 - x); mirrored: (1 - y, 2 - x).
    for (int y = 0; y < 2; ++y)
        for (int x = 0; x < 3; ++x) EXPECT_EQ(turned.ColorAt(1 - y, 2 - x), picture.ColorAt(x, y)) << x << "," << y;
    turn = {270, false, true};
    EXPECT_EQ(TurnImage(picture.View(), turn).ColorAt(0, 0), picture.ColorAt(2, 1));

    // A 400 x 100 frame of a turned 100 x 400 picture, kept in proportion,
    // is its centred 133 x 100.
    CrestDocument document;
    document.SetPicture(Picture(100, 400, [](int, int y) { return MakeColorref(y < 200 ? 255 : 0, 0, 0); }));
    CrestOptions options = document.Options();
    options.turn.rotateDegrees = 270;
    options.frame = PixelRect{0, 0, 400, 100};
    options.keepProportions = true;
    document.SetOptions(options);
    EXPECT_EQ(SqueezedRect(400, 100, options), (PixelRect{133, 0, 133, 100}));
    ASSERT_EQ(document.TurnedPicture().Width(), 400);
    // Clockwise the picture's red top lies on the right.
    EXPECT_EQ(document.Crest().ColorAt(0, 0), MakeColorref(0, 0, 0));
    EXPECT_EQ(document.Crest().ColorAt(15, 0), MakeColorref(255, 0, 0));

    // A new picture starts whole and unturned.
    document.SetPicture(Picture(8, 6, [](int, int) { return MakeColorref(1, 1, 1); }));
    EXPECT_FALSE(document.Options().frame);
    EXPECT_FALSE(document.Options().turn.Any());
    EXPECT_TRUE(document.Options().keepProportions);
}

TEST(CrestDocument, UndoAndRedoCrossStrokesAndRecompositions) {
    const Colorref grey = MakeColorref(50, 50, 50);
    const Colorref ink = MakeColorref(255, 0, 255);
    CrestDocument document;
    EXPECT_FALSE(document.CanUndo());
    document.SetPicture(Picture(16, 12, [&](int, int) { return grey; }));
    EXPECT_FALSE(document.CanUndo());  // nothing was lost by the first picture

    document.BeginStroke();
    for (int x = 0; x < 3; ++x) document.Paint(x, 4, ink);
    document.Paint(16, 4, ink);  // outside: nothing
    document.EndStroke();
    document.BeginStroke();
    document.Paint(0, 4, ink);  // no change, so no step
    document.EndStroke();
    EXPECT_EQ(document.ColourAt(2, 4), ink);

    document.SetMode(CrestMode::AllyClan);
    ASSERT_EQ(document.Crest().Width(), kStripWidth);
    EXPECT_EQ(document.Crest().ColorAt(2, 4), grey);

    ASSERT_TRUE(document.Undo());  // the touched-up clan crest comes back
    EXPECT_EQ(document.Options().mode, CrestMode::Clan);
    EXPECT_EQ(document.ColourAt(0, 4), ink);
    EXPECT_EQ(document.ColourAt(2, 4), ink);
    ASSERT_TRUE(document.Undo());  // the whole stroke goes at once
    EXPECT_EQ(document.ColourAt(0, 4), grey);
    EXPECT_FALSE(document.Undo());

    ASSERT_TRUE(document.Redo());
    EXPECT_EQ(document.ColourAt(1, 4), ink);
    ASSERT_TRUE(document.Redo());
    EXPECT_EQ(document.Options().mode, CrestMode::AllyClan);
    EXPECT_FALSE(document.Redo());

    // A new step forgets what could be redone; at least 100 steps are kept.
    document.Undo();
    for (int i = 0; i < 120; ++i) document.Paint(i % 16, 0, MakeColorref(i, 0, 0));
    EXPECT_FALSE(document.CanRedo());
    int steps = 0;
    while (document.Undo()) ++steps;
    EXPECT_EQ(steps, static_cast<int>(CrestDocument::kUndoSteps));
}

}  // namespace
}  // namespace vx
