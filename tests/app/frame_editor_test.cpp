// The framing dialog's model: drags, keys and the wheel on the frame, and
// the turns of its buttons.
#include "app/frame_editor.h"

#include <gtest/gtest.h>

namespace vx {
namespace {

BgraImage Plain(int width, int height) {
    BgraImage picture(width, height);
    picture.Fill(MakeColorref(1, 2, 3));
    return picture;
}

TEST(FrameEditor, DragsMoveAndResizeTheFrameInsideThePicture) {
    const BgraImage picture = Plain(200, 100);
    FrameEditor editor(picture, CrestOptions{});
    editor.FitInto(412, 312);  // scale 2, the picture from (6, 56)
    ASSERT_DOUBLE_EQ(editor.Scale(), 2);
    // The bottom-right corner, dragged 40 view pixels up and left.
    EXPECT_EQ(editor.GripAt(406, 256), kGripRight | kGripBottom);
    editor.BeginDrag(406, 256);
    editor.DragTo(366, 216);
    editor.EndDrag();
    EXPECT_EQ(editor.Frame(), (PixelRect{0, 0, 180, 80}));
    // Moved from the inside, no further than the picture's edge.
    editor.BeginDrag(106, 106);
    editor.DragTo(306, 156);
    EXPECT_EQ(editor.Frame(), (PixelRect{20, 20, 180, 80}));
    editor.MoveBy(-1, 0, false);
    EXPECT_EQ(editor.Frame(), (PixelRect{19, 20, 180, 80}));
    // One crest pixel of a 180-wide frame is 11 picture pixels.
    editor.MoveBy(1, 0, true);
    EXPECT_EQ(editor.Frame(), (PixelRect{20, 20, 180, 80}));
    editor.Whole();
    EXPECT_FALSE(editor.Options().frame);

    // The wheel keeps the point under the pointer in place.
    editor.ZoomAt(106, 156, 2);
    EXPECT_NEAR(editor.ViewX(50), 106, 1e-9);
    EXPECT_NEAR(editor.ViewY(50), 156, 1e-9);
    EXPECT_DOUBLE_EQ(editor.Scale(), 2 * 1.5625);
}

TEST(FrameEditor, WithKeepProportionsTheFrameKeepsTheCrestsShape) {
    const BgraImage picture = Plain(200, 100);
    CrestOptions options;
    options.keepProportions = true;
    FrameEditor editor(picture, options);
    editor.FitInto(212, 112);
    editor.BeginDrag(6, 56);  // the left edge
    editor.DragTo(126, 56);
    EXPECT_EQ(editor.Frame(), (PixelRect{120, 0, 80, 60}));
}

TEST(FrameEditor, TheButtonsTurnAfterTheTurnsAlreadyMade) {
    const BgraImage picture = Plain(30, 20);
    FrameEditor editor(picture, CrestOptions{});
    editor.FitInto(100, 100);
    editor.BeginDrag(50, 50);
    editor.DragTo(55, 50);
    editor.RotateLeft();
    EXPECT_FALSE(editor.Options().frame);  // the frame starts whole again
    EXPECT_EQ(editor.Turned().Width(), 20);
    editor.Mirror();
    editor.RotateRight();
    // Left, mirror, right turns the picture upside down: written without
    // a flip, a half turn mirrored.
    EXPECT_EQ(editor.Options().turn, (PictureTurn{180, true, false}));
    editor.Flip();
    EXPECT_FALSE(editor.Options().turn.Any());
}

}  // namespace
}  // namespace vx
