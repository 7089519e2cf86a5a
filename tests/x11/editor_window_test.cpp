// The editor inside a host's X11 window: where the window sits, what the
// mouse does to the parameters and the host's automation, and whether the
// screen shows what the editor drew.
#include <gtest/gtest.h>

#include <chrono>
#include <cstring>
#include <thread>

#include "editor/layout.h"
#include "vst/editor_remote.h"
#include "tests/x11/x11_host.h"

// Xlib last: its macros (None, Bool, Status, ...) must not meet other headers.
#include <X11/Xlib.h>

namespace x11test {
namespace {

namespace layout = vardelline::layout;
namespace remote = vardelline::remote;

constexpr int kMiddleRow = 6;
constexpr float kFineStep = 0.001f;

class EditorWindowTest : public X11HostTest {
protected:
    void SetUp() override {
        X11HostTest::SetUp();
        if (display == nullptr) return;
        ERect* rect = nullptr;
        plugin().dispatch(effEditGetRect, 0, 0, &rect);
        ASSERT_EQ(openEditor(), 1);
        settle();
        ASSERT_NE(editorWindow(), 0u);
    }

    using X11HostTest::pointerTo;
    void pointerTo(Point p) { X11HostTest::pointerTo(p.x, p.y); }

    std::vector<uint32_t> screen() {
        return readWindowPixels(display, editorWindow(), layout::kClientWidth, layout::kClientHeight);
    }
    // The editor's own framebuffer, as the headless rendering sees it.
    std::vector<uint32_t> framebuffer() {
        remote::EditorFramebuffer frame{};
        std::vector<uint32_t> pixels;
        if (plugin().dispatch(effVendorSpecific, remote::kEditorRemote, remote::kCommandFramebuffer, &frame) == 0)
            return pixels;
        for (int y = 0; y < frame.height; ++y) {
            for (int x = 0; x < frame.width; ++x) pixels.push_back(frame.pixels[y * frame.stride + x] & 0xFFFFFF);
        }
        return pixels;
    }
};

TEST_F(EditorWindowTest, SitsAtTheParentsOriginWithTheEditorsSizeUntilClosed) {
    ERect* rect = nullptr;
    ASSERT_EQ(plugin().dispatch(effEditGetRect, 0, 0, &rect), 1);
    EXPECT_EQ(rect->right - rect->left, layout::kClientWidth);
    EXPECT_EQ(rect->bottom - rect->top, layout::kClientHeight);

    XWindowAttributes attributes;
    ASSERT_NE(XGetWindowAttributes(display, editorWindow(), &attributes), 0);
    EXPECT_EQ(attributes.x, 0);
    EXPECT_EQ(attributes.y, 0);
    EXPECT_EQ(attributes.width, layout::kClientWidth);
    EXPECT_EQ(attributes.height, layout::kClientHeight);
    EXPECT_EQ(attributes.border_width, 0);
    EXPECT_EQ(attributes.map_state, IsViewable);

    closeEditor();
    XSync(display, False);
    EXPECT_TRUE(childrenOfParent().empty());
}

TEST_F(EditorWindowTest, CoarseDragFollowsThePointerAndTellsTheHost) {
    pointerTo(bandStrip("HsPan", 3, 50));
    button(1, true);
    EXPECT_EQ(plugin().getParameter(21), 0.5f);
    ASSERT_FALSE(automation.empty());
    EXPECT_EQ(automation.back(), std::make_pair(21, 0.5f));

    // The pressed strip keeps the pointer while it leaves the strip.
    pointerTo(bandStrip("HsPan", 3, 150));
    EXPECT_EQ(plugin().getParameter(21), 1.0f);
    pointerTo(bandStrip("HsPan", 3, 30));
    EXPECT_EQ(plugin().getParameter(21), 0.25f);
    EXPECT_EQ(automation.back(), std::make_pair(21, 0.25f));
    button(1, false);

    // Hovering afterwards changes nothing.
    const size_t told = automation.size();
    pointerTo(bandStrip("HsPan", 3, 70));
    EXPECT_EQ(plugin().getParameter(21), 0.25f);
    EXPECT_EQ(automation.size(), told);
    for (const auto& [index, value] : automation) EXPECT_EQ(index, 21) << value;
}

TEST_F(EditorWindowTest, ShiftDragMovesInThousandthsFromTheStripOrigin) {
    plugin().setParameter(30, 0.5f);
    pointerTo(bandStrip("HsSpeed", 4, 30));
    shiftKey(true);
    button(1, true);
    EXPECT_EQ(plugin().getParameter(30), 0.5f);
    EXPECT_TRUE(automation.empty());

    pointerTo(bandStrip("HsSpeed", 4, 60));
    EXPECT_NEAR(plugin().getParameter(30), 0.5f + 50 * kFineStep, 1e-6);
    pointerTo(bandStrip("HsSpeed", 4, 0));
    EXPECT_NEAR(plugin().getParameter(30), 0.5f - 10 * kFineStep, 1e-6);
    button(1, false);
    shiftKey(false);
    ASSERT_FALSE(automation.empty());
    EXPECT_EQ(automation.back().first, 30);
    EXPECT_EQ(automation.back().second, plugin().getParameter(30));
}

TEST_F(EditorWindowTest, OnlyTheLeftButtonDragsAndAnyReleaseEndsADrag) {
    const float wet = plugin().getParameter(51);
    pointerTo(layout::kPanels[layout::kTopStripPanel].left + layout::kTopSliders[3].left + 50,
              layout::kPanels[layout::kTopStripPanel].top + kMiddleRow);
    for (unsigned other : {2u, 3u, 4u, 5u}) {  // middle, right, wheel up and down
        button(other, true);
        button(other, false);
    }
    EXPECT_EQ(plugin().getParameter(51), wet);
    EXPECT_TRUE(automation.empty());

    pointerTo(bandStrip("HsLeft", 1, 20));
    button(1, true);
    EXPECT_EQ(plugin().getParameter(3), 0.125f);
    button(3, true);
    button(3, false);
    pointerTo(bandStrip("HsLeft", 1, 80));
    EXPECT_EQ(plugin().getParameter(3), 0.125f);
    button(1, false);
}

TEST_F(EditorWindowTest, ScreenShowsTheEditorsFramebuffer) {
    pointerTo(bandStrip("HsFeed", 2, 70));
    button(1, true);
    pointerTo(bandStrip("HsFeed", 2, 40));
    button(1, false);
    idleFor(40);  // a timer tick after the release

    const std::vector<uint32_t> expected = framebuffer();
    XSync(display, False);
    const std::vector<uint32_t> shown = screen();
    ASSERT_EQ(shown.size(), expected.size());
    size_t differing = 0;
    size_t first = 0;
    for (size_t i = 0; i < shown.size(); ++i) {
        if (shown[i] != expected[i] && differing++ == 0) first = i;
    }
    EXPECT_EQ(differing, 0u) << "first at x " << first % layout::kClientWidth << ", y " << first / layout::kClientWidth;
}

TEST_F(EditorWindowTest, HostAutomationReachesTheScreenOnTheNextTimerTick) {
    idleFor(30);
    XSync(display, False);
    const std::vector<uint32_t> before = screen();

    plugin().setParameter(30, 0.9f);
    std::this_thread::sleep_for(std::chrono::milliseconds(26));
    plugin().dispatch(effEditIdle);  // one idle, a timer interval later

    // No more idles from here: what the screen shows now came from that one.
    std::vector<uint32_t> after;
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(500);
    do {
        XSync(display, False);
        after = screen();
    } while (after == before && std::chrono::steady_clock::now() < deadline);
    EXPECT_NE(after, before);
    EXPECT_EQ(after, framebuffer());
    EXPECT_TRUE(automation.empty());  // the host's own change is not echoed back
}

}  // namespace
}  // namespace x11test
