// Drags with a real pointer on a real X server, as the host's callback sees
// them: begin, the steps, end. The host may close the editor from inside its
// automation callback mid-drag (or close and reopen it there), and it may
// take the pointer away by hiding its own window; run under ASan, these also
// show any use of a window after it was destroyed.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/x11/x11_host.h"

// Xlib last: its macros (None, Bool, Status, ...) must not meet other headers.
#include <X11/Xlib.h>
#include <X11/extensions/XTest.h>

namespace x11test {
namespace {

using Log = std::vector<std::string>;

class GestureTest : public X11HostTest {
protected:
    void SetUp() override {
        X11HostTest::SetUp();
        if (display == nullptr) return;
        ASSERT_EQ(openEditor(), 1);
        settle();
        ASSERT_NE(editorWindow(), 0u);
    }
    void pointerTo(Point p) { X11HostTest::pointerTo(p.x, p.y); }
};

TEST_F(GestureTest, CoarseAndFineDragsReachTheHostAsBeginStepsEnd) {
    pointerTo(bandStrip("HsPan", 3, 50));
    button(1, true);
    pointerTo(bandStrip("HsPan", 3, 70));
    pointerTo(bandStrip("HsPan", 3, 150));  // past the strip: the grab keeps it ours
    button(1, false);
    EXPECT_EQ(told, (Log{"begin 21", "automate 21 0.5", "automate 21 0.75", "automate 21 1", "end 21"}));

    told.clear();
    plugin().setParameter(30, 0.5f);
    pointerTo(bandStrip("HsSpeed", 4, 30));
    shiftKey(true);
    button(1, true);
    pointerTo(bandStrip("HsSpeed", 4, 60));
    button(1, false);
    shiftKey(false);
    pointerTo(bandStrip("HsSpeed", 4, 20));  // hovering afterwards tells nothing
    EXPECT_EQ(told, (Log{"begin 30", "automate 30 0.55", "end 30"}));
}

TEST_F(GestureTest, HostClosingTheEditorFromItsAutomationCallbackEndsTheDragCleanly) {
    bool closed = false;
    whenTold = [this, &closed](const std::string& line) {
        if (closed || line.rfind("automate", 0) != 0) return;
        closed = true;
        closeEditor();
    };
    pointerTo(bandStrip("HsLeft", 2, 30));
    button(1, true);  // the press's automation closes the editor
    XSync(display, False);
    EXPECT_TRUE(childrenOfParent().empty());
    XTestFakeRelativeMotionEvent(display, 40, 0, CurrentTime);
    button(1, false);
    idleFor(30);
    EXPECT_EQ(told, (Log{"begin 4", "automate 4 0.25", "end 4"}));
    EXPECT_EQ(plugin().getParameter(4), 0.25f);

    // It opens again as new.
    whenTold = nullptr;
    told.clear();
    ASSERT_EQ(openEditor(), 1);
    settle();
    pointerTo(bandStrip("HsLeft", 2, 90));
    button(1, true);
    button(1, false);
    EXPECT_EQ(told, (Log{"begin 4", "automate 4 1", "end 4"}));
}

TEST_F(GestureTest, HostClosingAndReopeningTheEditorFromItsCallbackLeavesANewWindowWithoutADrag) {
    const Window first = editorWindow();
    bool reopened = false;
    whenTold = [this, &reopened](const std::string& line) {
        if (reopened || line.rfind("automate", 0) != 0) return;
        reopened = true;
        closeEditor();
        openEditor();
    };
    pointerTo(bandStrip("HsFeed", 3, 50));
    button(1, true);
    settle();
    const Window second = editorWindow();
    ASSERT_NE(second, 0u);
    EXPECT_NE(second, first);
    pointerTo(bandStrip("HsFeed", 3, 80));  // the new window saw no press: a hover
    button(1, false);
    EXPECT_EQ(told, (Log{"begin 45", "automate 45 0.5", "end 45"}));

    told.clear();
    pointerTo(bandStrip("HsFeed", 3, 30));
    button(1, true);
    button(1, false);
    EXPECT_EQ(told, (Log{"begin 45", "automate 45 0.25", "end 45"}));
}

TEST_F(GestureTest, AHostHidingItsWindowMidDragTakesThePointerAndEndsTheGesture) {
    pointerTo(bandStrip("HsWidth", 5, 40));
    button(1, true);
    XUnmapWindow(display, parent);  // the server drops the grab with the window's viewability
    settle();
    EXPECT_EQ(told, (Log{"begin 39", "automate 39 0.375", "end 39"}));
    XMapWindow(display, parent);
    settle();
    button(1, false);
    pointerTo(bandStrip("HsWidth", 5, 80));
    EXPECT_EQ(told.size(), 3u);
}

}  // namespace
}  // namespace x11test
