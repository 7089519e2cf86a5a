// How strips reach the screen: knob positions, transparent corners, the
// timer's redraw of exactly the strips that changed, and the parameters
// without a strip.
#include <cstring>

#include "editor/skin.h"
#include "window_fixture.h"

namespace vardelline::testing {
namespace {

using gui::Rect;
using PaintingTest = WindowTest;

// Left edge of the knob on a strip's bitmap: the first column that differs
// from the empty track drawn on the composition grey.
int knobLeft(const gui::Surface& strip, const gui::ImageList& track) {
    gui::Surface empty(100, 13, gui::kGrey);
    track.draw(empty, 0, 0, 0);
    for (int x = 0; x < 100; ++x) {
        for (int y = 0; y < 13; ++y) {
            if (!gui::sameColor(strip.pixel(x, y), empty.pixel(x, y))) return x;
        }
    }
    return -1;
}

TEST_F(PaintingTest, KnobSitsAtRoundDownOf80VPlus5) {
    const struct {
        float value;
        int left;
    } cases[] = {{0.0f, 5}, {0.5f, 45}, {1.0f, 85}, {0.25f, 25}, {0.0124f, 5}, {0.0125f, 6}, {0.99999f, 84}};
    for (const auto& c : cases) {
        setValue(19, c.value);
        window.SetControl(19);
        EXPECT_EQ(knobLeft(window.strip(19)->picture(), window.HBar), c.left) << c.value;
    }
}

TEST_F(PaintingTest, StripCornersShowTheColumnPictureNotTheGrey) {
    const gui::Surface& frame = window.framebuffer();
    for (int index = 0; index < 52; ++index) {
        Rect r = window.strip(index)->windowRect();
        for (int y = r.top; y < r.bottom; ++y) {
            for (int x = r.left; x < r.right; ++x) {
                ASSERT_FALSE(gui::sameColor(frame.pixel(x, y), gui::kGrey)) << index << " at " << x << "," << y;
            }
        }
    }
    // A strip's own bitmap does hold the grey: its bottom-left pixel is the key.
    EXPECT_TRUE(gui::sameColor(window.strip(0)->picture().pixel(0, 12), gui::kGrey));
}

TEST_F(PaintingTest, AnIdleTickDrawsNothing) {
    ASSERT_TRUE(window.pendingArea().empty());
    int presents = platform.presentCount;
    window.fireTimers();
    window.repaintPending();
    EXPECT_EQ(platform.presentCount, presents);
}

TEST_F(PaintingTest, TheTimerRedrawsOnlyTheStripsThatChanged) {
    window.SetLabel(3);
    window.repaintPending();
    const std::string line = window.readoutText();
    // Host automation: the adaptor's update writes values, nothing else.
    window.values[30].store(0.75f);
    EXPECT_TRUE(window.pendingArea().empty());
    window.elapse(24);
    EXPECT_TRUE(window.pendingArea().empty());
    window.elapse(1);
    EXPECT_EQ(window.pendingArea(), window.strip(30)->windowRect());  // HsSpeed4
    EXPECT_EQ(window.strip(30)->name(), "HsSpeed4");
    EXPECT_EQ(window.readoutText(), line);
    EXPECT_EQ(window.drawnValues[30], 0.75f);
}

TEST_F(PaintingTest, ParametersWithoutAStripAreNeverDrawn) {
    gui::Surface before = window.framebuffer();
    for (int index = 52; index < 80; ++index) window.values[index].store(0.9f);
    window.values[80].store(0.9f);
    window.SetAll();
    window.SetControl(52);
    window.SetControl(79);
    window.SetControl(0xFFFFFFFFu);
    EXPECT_TRUE(window.pendingArea().empty());
    window.repaintPending();
    EXPECT_EQ(0, std::memcmp(before.pixels(), window.framebuffer().pixels(), before.width() * before.height() * 4));
}

TEST_F(PaintingTest, ADragStepRepaintsTheStripAndTheReadoutOnly) {
    press("HsFeed8", 60);
    // The readout's last column lies outside its panel and is not repainted.
    EXPECT_EQ(window.pendingArea(), window.strip(50)->windowRect().unite(window.Panel8.windowRect()));
    // The hidden composition surface never shows.
    EXPECT_FALSE(window.Backslider.visible());
    EXPECT_EQ(window.Backslider.picture().width(), 105);
}

TEST_F(PaintingTest, TheWindowHasItsLayout) {
    EXPECT_EQ(window.width(), 731);
    EXPECT_EQ(window.height(), 278);
    EXPECT_EQ(window.strip(0)->windowRect(), Rect::sized(60, 20, 100, 13));
    EXPECT_EQ(window.strip(1)->windowRect(), Rect::sized(230, 20, 100, 13));
    EXPECT_EQ(window.strip(2)->windowRect(), Rect::sized(390, 20, 100, 13));
    EXPECT_EQ(window.strip(51)->windowRect(), Rect::sized(552, 20, 100, 13));
    EXPECT_EQ(window.strip(3)->windowRect(), Rect::sized(60, 60, 100, 13));
    EXPECT_EQ(window.strip(26)->windowRect(), Rect::sized(280, 200, 100, 13));  // HsPan8
    EXPECT_EQ(window.strip(27)->windowRect(), Rect::sized(390, 60, 100, 13));   // HsSpeed1
    EXPECT_EQ(window.strip(50)->windowRect(), Rect::sized(610, 200, 100, 13));  // HsFeed8
    EXPECT_EQ(window.printout.windowRect(), Rect::sized(260, 240, 201, 23));
    // The three rows below the background picture show the window colour.
    EXPECT_TRUE(gui::sameColor(window.framebuffer().pixel(300, 276), gui::kSilver));
}

}  // namespace
}  // namespace vardelline::testing
