// The editor at the desktop's scale on a real X server: Xft.dpi 192 in the
// server's resources gives a 1462 x 556 editor whose mouse rules are those
// of scale 1 in layout pixels.
#include <cmath>
#include <cstdlib>
#include <cstring>

#include "tests/x11/x11_host.h"

// Xlib last: its macros (None, Bool, Status, ...) must not meet other headers.
#include <X11/Xatom.h>
#include <X11/Xutil.h>

namespace x11test {
namespace {

class DesktopScaleTest : public X11HostTest {
protected:
    void SetUp() override {
        X11HostTest::SetUp();
        if (display == nullptr) return;
        unsetenv("VARDELLINE_UI_SCALE");
        // What `xrdb -merge` with "Xft.dpi: 192" leaves on the root window.
        static const char kResources[] = "Xft.dpi:\t192\n";
        XChangeProperty(display, DefaultRootWindow(display), XA_RESOURCE_MANAGER, XA_STRING, 8, PropModeReplace,
                        reinterpret_cast<const unsigned char*>(kResources), sizeof kResources - 1);
        XSync(display, False);
    }
    void TearDown() override {
        // The server is shared with the other tests, which expect scale 1.
        if (display != nullptr) {
            XDeleteProperty(display, DefaultRootWindow(display), XA_RESOURCE_MANAGER);
            XSync(display, False);
        }
        X11HostTest::TearDown();
    }
    float lastAutomated(int index) const {
        for (auto it = automation.rbegin(); it != automation.rend(); ++it)
            if (it->first == index) return it->second;
        return NAN;
    }
};

TEST_F(DesktopScaleTest, AtXftDpi192TheEditorIsTwiceAsLargeAndTakesTheMouseInLayoutPixels) {
    ERect* rect = nullptr;
    ASSERT_EQ(plugin().dispatch(effEditGetRect, 0, 0, &rect), 1);
    ASSERT_NE(rect, nullptr);
    EXPECT_EQ(rect->right - rect->left, 1462);
    EXPECT_EQ(rect->bottom - rect->top, 556);

    ASSERT_EQ(openEditor(), 1);
    settle();
    const Window editor = editorWindow();
    ASSERT_NE(editor, 0u);
    XWindowAttributes attributes;
    ASSERT_NE(XGetWindowAttributes(display, editor, &attributes), 0);
    EXPECT_EQ(attributes.width, 1462);
    EXPECT_EQ(attributes.height, 556);

    // Layout (330, 106), pixel 50 of HsPan3.
    pointerTo(660, 212);
    button(1, true);
    button(1, false);
    EXPECT_EQ(lastAutomated(21), 0.5f);

    // Shift-fine: layout pixel 60 of the strip gives the start value + 0.05,
    // as at scale 1.
    shiftKey(true);
    pointerTo(640, 212);
    button(1, true);
    pointerTo(680, 212);
    button(1, false);
    shiftKey(false);
    EXPECT_NEAR(lastAutomated(21), 0.55f, 1e-6);
    closeEditor();
}

TEST_F(DesktopScaleTest, TheUsersVariableOverridesTheDesktop) {
    setenv("VARDELLINE_UI_SCALE", "1.5", 1);
    ASSERT_EQ(openEditor(), 1);
    settle();
    XWindowAttributes attributes;
    ASSERT_NE(XGetWindowAttributes(display, editorWindow(), &attributes), 0);
    EXPECT_EQ(attributes.width, 1097);
    EXPECT_EQ(attributes.height, 417);
    closeEditor();
    unsetenv("VARDELLINE_UI_SCALE");
}

}  // namespace
}  // namespace x11test
