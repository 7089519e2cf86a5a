// Mouse interaction on the strips: coarse and Shift-fine drags, hover
// readouts, presses that change nothing, and how a release ends a drag.
#include "window_fixture.h"

namespace vardelline::testing {
namespace {

using gui::MouseButton;
using DragTest = WindowTest;

TEST_F(DragTest, CoarsePressSetsTheValueAtOnceAndTellsTheEffect) {
    press("HsPan3", 50);
    EXPECT_FLOAT_EQ(value(21), 0.5f);
    ASSERT_EQ(effect.calls.size(), 1u);
    EXPECT_EQ(effect.calls[0].index, 21);
    EXPECT_EQ(effect.calls[0].value, 0.5f);
    EXPECT_STREQ(window.readoutText(), "Band 3: Pan  :: L/R : 100%/100");
    EXPECT_TRUE(window.dragging);
    EXPECT_EQ(window.dragMode, 0);
}

TEST_F(DragTest, CoarsePositionsClampToTheEnds) {
    press("HsLeft1", 5);
    EXPECT_EQ(value(3), 0.0f);
    release("HsLeft1", 5);
    press("HsLeft1", 95);
    EXPECT_EQ(value(3), 1.0f);
    move("HsLeft1", 150);
    EXPECT_EQ(value(3), 1.0f);
    move("HsLeft1", -40);
    EXPECT_EQ(value(3), 0.0f);
    move("HsLeft1", 30);
    EXPECT_EQ(value(3), 0.25f);
    for (const Automation& call : effect.calls) {
        EXPECT_GE(call.value, 0.0f);
        EXPECT_LE(call.value, 1.0f);
    }
}

TEST_F(DragTest, ShiftDragMovesByThousandthsFromTheStripOrigin) {
    setValue(27, 0.5f);
    press("HsSpeed1", 70, MouseButton::Left, true);
    EXPECT_EQ(value(27), 0.5f);  // nothing changes at the press
    EXPECT_TRUE(effect.calls.empty());
    EXPECT_EQ(window.dragMode, 1);
    move("HsSpeed1", 60);
    EXPECT_FLOAT_EQ(value(27), 0.55f);
    move("HsSpeed1", 0);
    EXPECT_FLOAT_EQ(value(27), 0.49f);
    move("HsSpeed1", 99);
    EXPECT_FLOAT_EQ(value(27), 0.589f);
    EXPECT_EQ(effect.calls.size(), 3u);
}

TEST_F(DragTest, ShiftDragClampsAtBothEnds) {
    setValue(35, 0.005f);
    press("HsWidth1", 10, MouseButton::Left, true);
    move("HsWidth1", 0);
    EXPECT_EQ(value(35), 0.0f);
    setValue(36, 0.995f);
    release("HsWidth1", 0);
    press("HsWidth2", 10, MouseButton::Left, true);
    move("HsWidth2", 60);
    EXPECT_EQ(value(36), 1.0f);
    move("HsWidth2", 2000000000);
    EXPECT_EQ(value(36), 1.0f);
}

TEST_F(DragTest, OnlyTheLeftButtonStartsADrag) {
    window.SetLabel(3);
    const std::string before = window.readoutText();
    press("HsFeed2", 50, MouseButton::Right);
    press("HsFeed2", 50, MouseButton::Middle);
    EXPECT_TRUE(effect.calls.empty());
    EXPECT_EQ(value(44), 0.0f);
    EXPECT_EQ(window.readoutText(), before);
    EXPECT_FALSE(window.dragging);
    EXPECT_EQ(window.dragMode, -1);
}

TEST_F(DragTest, ReleaseOfAnyButtonEndsTheDrag) {
    press("HSLeft2", 30);
    EXPECT_EQ(value(4), 0.25f);
    // A right press during the drag is ignored; its release ends the drag.
    press("HSLeft2", 70, MouseButton::Right);
    EXPECT_EQ(value(4), 0.25f);
    release("HSLeft2", 70, MouseButton::Right);
    EXPECT_FALSE(window.dragging);
    EXPECT_EQ(window.dragMode, -1);
    size_t calls = effect.calls.size();
    move("HSLeft2", 90);  // the left button may still be held: hover only
    EXPECT_EQ(value(4), 0.25f);
    EXPECT_EQ(effect.calls.size(), calls);
    EXPECT_STREQ(window.readoutText(), "Band 2: Left Delay :: 40 ms");
}

TEST_F(DragTest, APressDuringADragIsIgnored) {
    press("HsRight1", 50);
    press("HsRight2", 90);  // the first strip holds the mouse
    EXPECT_EQ(value(11), 0.5f);
    EXPECT_EQ(value(12), 0.0f);
    window.SetcontrolSelect(strip("HsRight3"), MouseButton::Left, {}, 90, 6);
    EXPECT_EQ(value(13), 0.0f);
    EXPECT_EQ(effect.calls.size(), 1u);
    EXPECT_EQ(effect.gestures, std::vector<int>{11});  // and begins no second gesture
}

TEST_F(DragTest, TheDraggedStripKeepsTheMouseOutsideItsBounds) {
    press("Hstart", 20);
    gui::PointerEvent move;
    move.kind = gui::PointerKind::Move;
    move.x = 60 + 200;  // window coordinates, over HFinish
    move.y = 26;
    window.dispatchPointer(move);
    EXPECT_EQ(value(0), 1.0f);
    EXPECT_EQ(value(1), 0.0f);
}

TEST_F(DragTest, HoverPrintsTheReadoutWithoutChangingAnything) {
    setValue(2, 0.8f);
    move("HQ", 40);
    EXPECT_STREQ(window.readoutText(), "Q :: 80%");
    EXPECT_TRUE(effect.calls.empty());
    EXPECT_EQ(value(2), 0.8f);
    // The line stays when the mouse leaves the strips.
    gui::PointerEvent away;
    away.kind = gui::PointerKind::Move;
    away.x = 5;
    away.y = 5;
    window.dispatchPointer(away);
    EXPECT_STREQ(window.readoutText(), "Q :: 80%");
}

TEST_F(DragTest, StripsAreFoundByNameInAnyCase) {
    EXPECT_EQ(window.controlIndexOf("HSTART"), 0);
    EXPECT_EQ(window.controlIndexOf("hwet"), 51);
    EXPECT_EQ(window.controlIndexOf("HSLEFT2"), 4);
    EXPECT_EQ(window.controlIndexOf("HsSpeed2"), 28);
    EXPECT_EQ(window.controlIndexOf("HSFEED8"), 50);
    EXPECT_EQ(window.controlIndexOf("HsFeed9"), -1);
    EXPECT_EQ(window.controlIndexOf("Image1"), -1);
    EXPECT_EQ(window.controlIndexOf(""), -1);
    // Every control index 0..51 has exactly one strip.
    for (int index = 0; index < 52; ++index) {
        ASSERT_NE(window.strip(index), nullptr);
        EXPECT_EQ(window.controlIndexOf(window.strip(index)->name()), index);
    }
    EXPECT_EQ(window.strip(52), nullptr);
}

TEST_F(DragTest, PressesOutsideTheStripsDoNothing) {
    gui::PointerEvent event;
    event.kind = gui::PointerKind::Press;
    event.x = 20;
    event.y = 250;
    window.dispatchPointer(event);
    event.kind = gui::PointerKind::Move;
    event.x = 100;
    event.y = 26;  // over Hstart, but the background holds the mouse
    window.dispatchPointer(event);
    EXPECT_TRUE(effect.calls.empty());
    EXPECT_FALSE(window.dragging);
    EXPECT_STREQ(window.readoutText(), "Vardelline : QuorvaneFX :: ");
}

}  // namespace
}  // namespace vardelline::testing
