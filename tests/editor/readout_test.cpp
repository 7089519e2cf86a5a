// The readout line: its start-up caption, the exact line for each kind of
// control, and indices that have no readout.
#include <string>

#include "window_fixture.h"

namespace vardelline::testing {
namespace {

using ReadoutTest = WindowTest;

TEST_F(ReadoutTest, StartsWithTheProductCaption) {
    EXPECT_STREQ(window.readoutText(), "Vardelline : QuorvaneFX :: ");
}

TEST_F(ReadoutTest, PrintsLabelAndValueOfEachKindOfControl) {
    struct Case {
        int index;
        float value;
        const char* line;
    };
    const Case cases[] = {
        {0, 0.0f, "Start Freq :: 20Hz"},
        {3, 0.0f, "Band 1: Left Delay :: 0 ms"},
        {19, 0.0f, "Band 1: Pan  :: L/R : 0%/100"},
        {27, 0.0f, "Band 1: Speed :: Off"},
        {35, 0.0f, "Band 1: Width :: 0%"},
        {51, 0.0f, "Delay / Chorus :: D/C : 0%/100"},
        {1, 1.0f, "End Freq :: 20.5KHz"},
        {18, 1.0f, "Band 8: Right Delay :: 160 ms"},
        {26, 1.0f, "Band 8: Pan  :: L/R : 100%/0"},
        {34, 1.0f, "Band 8: Speed :: 27.5Hz"},
        {50, 1.0f, "Band 8: Feed :: 100%"},
        {2, 0.0005f, "Q :: 0.1%"},
        {21, 0.6f, "Band 3: Pan  :: L/R : 100%/79"},
        {30, 0.5f, "Band 4: Speed :: 0.85Hz"},
        {7, 0.25f, "Band 5: Left Delay :: 40 ms"},
    };
    for (const Case& c : cases) {
        setValue(c.index, c.value);
        window.SetLabel(c.index);
        EXPECT_STREQ(window.readoutText(), c.line) << "index " << c.index;
    }
}

TEST_F(ReadoutTest, IndicesWithoutAControlPrintNothing) {
    window.SetLabel(3);
    std::string before = window.readoutText();
    window.repaintPending();
    for (int index : {52, 60, 79, 80, 81, -1, 1000000}) {
        window.SetLabel(index);
        EXPECT_EQ(window.readoutText(), before) << index;
    }
    EXPECT_TRUE(window.pendingArea().empty());
}

TEST_F(ReadoutTest, PaintsTheLineOntoTheReadoutPicture) {
    // The readout background alone, then with a line: text pixels appear
    // only inside the readout, left of where a longer line would end.
    window.PrintLabels("", "");
    gui::Surface blank = window.printout.picture();
    window.SetLabel(26);
    const gui::Surface& printed = window.printout.picture();
    int changed = 0;
    int rightmost = 0;
    for (int y = 0; y < printed.height(); ++y) {
        for (int x = 0; x < printed.width() - 1; ++x) {
            if (!gui::sameColor(printed.pixel(x, y), blank.pixel(x, y))) {
                ++changed;
                rightmost = std::max(rightmost, x);
                EXPECT_GE(x, 8);
                EXPECT_GE(y, 3);
            }
        }
    }
    EXPECT_GT(changed, 100);
    EXPECT_LT(rightmost, 8 + 200);
}

TEST_F(ReadoutTest, AnOverlongLineStaysInsideTheReadout) {
    std::string longName(500, 'W');
    window.PrintLabels(longName.c_str(), longName.c_str());
    EXPECT_EQ(std::string(window.readoutText()).size(), 255u);
    EXPECT_EQ(window.printout.picture().width(), 201);
    window.PrintLabels(nullptr, nullptr);
    EXPECT_STREQ(window.readoutText(), " :: ");
}

}  // namespace
}  // namespace vardelline::testing
