// Touch automation as a host sees it through the binary interface: every
// drag of the headless editor bracketed by beginEdit and endEdit however it
// ends, and hosts that close, or close and reopen, the editor from inside
// those callbacks or the automation between them (run under ASan, these
// find any use of the window after it was destroyed).
#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <memory>
#include <ostream>
#include <string>
#include <vector>

#include "vst/editor_remote.h"
#include "support/test_host.h"

namespace {

namespace remote = vardelline::remote;
using Log = std::vector<std::string>;

class Editor {
public:
    explicit Editor(VstIntPtr editAnswer = 0) : effect(host.create()) {
        host.editAnswer = editAnswer;
        open();
        host.requests.clear();
    }

    void open() { TestHost::dispatch(effect, effEditOpen); }
    void close() { TestHost::dispatch(effect, effEditClose); }
    bool isOpen() { return remote(remote::kCommandTick, nullptr) == 1; }

    VstIntPtr mouse(int32_t kind, const char* control, int x, int32_t button = remote::kButtonLeft, bool shift = false) {
        remote::EditorMouseEvent event{};
        event.kind = kind;
        event.button = button;
        event.modifiers = shift ? remote::kModifierShift : 0;
        event.x = x;
        event.y = 6;
        std::strncpy(event.control, control, sizeof event.control - 1);
        return remote(remote::kCommandMouse, &event);
    }
    VstIntPtr press(const char* control, int x, bool shift = false) {
        return mouse(remote::kMousePress, control, x, remote::kButtonLeft, shift);
    }
    VstIntPtr move(const char* control, int x) { return mouse(remote::kMouseMove, control, x); }
    VstIntPtr release(const char* control, int x, int32_t button = remote::kButtonLeft) {
        return mouse(remote::kMouseRelease, control, x, button);
    }

    // The gesture and automation requests so far, in order.
    Log told() const {
        Log log;
        char line[64];
        for (const HostRequest& r : host.requests) {
            if (r.opcode == audioMasterBeginEdit) std::snprintf(line, sizeof line, "begin %d", r.index);
            else if (r.opcode == audioMasterEndEdit) std::snprintf(line, sizeof line, "end %d", r.index);
            else if (r.opcode == audioMasterAutomate) std::snprintf(line, sizeof line, "automate %d %g", r.index, r.opt);
            else continue;
            log.push_back(line);
        }
        return log;
    }
    float parameter(int index) { return effect->getParameter(effect, index); }

    TestHost host;
    AEffect* effect;

private:
    VstIntPtr remote(int32_t command, void* ptr) {
        return TestHost::dispatch(effect, effVendorSpecific, remote::kEditorRemote, command, ptr);
    }
};

TEST(Gestures, CoarseAndFineDragsAreBracketedTheSameWhateverTheHostAnswers) {
    const Log expected = {"begin 21",    "automate 21 0.5",  "automate 21 0.75", "automate 21 1", "end 21",
                          "begin 30",    "automate 30 0.55", "automate 30 0.49", "end 30"};
    std::vector<float> settled[2];
    for (VstIntPtr answer : {0, 1}) {
        SCOPED_TRACE(answer);
        Editor editor(answer);
        editor.press("HsPan3", 50);
        editor.move("HsPan3", 70);
        editor.move("HsPan3", 150);  // the pressed strip keeps the mouse
        editor.release("HsPan3", 150);
        editor.effect->setParameter(editor.effect, 30, 0.5f);
        editor.press("HsSpeed4", 30, true);  // fine: the press changes nothing
        editor.move("HsSpeed4", 60);
        editor.move("HsSpeed4", 0);
        editor.release("HsSpeed4", 0);
        EXPECT_EQ(editor.told(), expected);
        for (int i = 0; i < 80; ++i) settled[answer].push_back(editor.parameter(i));
    }
    EXPECT_EQ(settled[0], settled[1]);
}

TEST(Gestures, OnlyADragBeginsAGestureAndItEndsOnceHoweverItEnds) {
    Editor editor;
    editor.move("HQ", 40);  // hover
    for (int32_t button : {remote::kButtonRight, remote::kButtonMiddle}) {
        editor.mouse(remote::kMousePress, "HsFeed2", 50, button);
        editor.mouse(remote::kMouseRelease, "HsFeed2", 50, button);
    }
    // A right click during a drag: its release ends the drag, the left
    // release after it ends nothing more.
    editor.press("HsLeft1", 20);
    editor.mouse(remote::kMousePress, "HsLeft1", 60, remote::kButtonRight);
    editor.mouse(remote::kMouseRelease, "HsLeft1", 60, remote::kButtonRight);
    editor.move("HsLeft1", 80);
    editor.release("HsLeft1", 80);
    // The window system takes the mouse away mid-drag.
    editor.press("HsLeft2", 50);
    editor.move("HsLeft2", 70);
    EXPECT_EQ(editor.mouse(remote::kMouseCaptureLost, "", 0, -1), 1);
    editor.move("HsLeft2", 90);
    editor.release("HsLeft2", 90);
    EXPECT_EQ(editor.mouse(remote::kMouseCaptureLost, "", 0, -1), 1);  // nothing held: nothing happens
    EXPECT_EQ(editor.told(), (Log{"begin 3", "automate 3 0.125", "end 3", "begin 4", "automate 4 0.5",
                                  "automate 4 0.75", "end 4"}));
}

TEST(Gestures, ClosingTheEditorMidDragEndsTheGestureBeforeTheCloseReturns) {
    Editor editor;
    editor.open();  // opened twice: the first close only hides it
    editor.press("HsRight1", 30);
    editor.close();
    EXPECT_EQ(editor.told(), (Log{"begin 11", "automate 11 0.25", "end 11"}));
    ASSERT_TRUE(editor.isOpen());
    editor.move("HsRight1", 90);  // the drag is over: a hover
    editor.release("HsRight1", 90);
    editor.press("HsRight1", 50, true);
    editor.close();
    EXPECT_FALSE(editor.isOpen());
    editor.close();
    EXPECT_EQ(editor.told(), (Log{"begin 11", "automate 11 0.25", "end 11", "begin 11", "end 11"}));
}

// The host closes the editor from inside the first callback with the given
// opcode, and opens it again right there when reopen is set.
struct HostClose {
    const char* name;
    VstInt32 opcode;
    bool reopen;
    Log expected;  // for a press at 50, a move to 70 and a release
};

void PrintTo(const HostClose& c, std::ostream* out) {
    *out << c.name;
}

class HostClosesFromItsCallback : public ::testing::TestWithParam<HostClose> {};

TEST_P(HostClosesFromItsCallback, TheCallFinishesTheGestureIsPairedAndTheEditorIsUsableAfterwards) {
    const HostClose& c = GetParam();
    Editor editor(1);
    const float before = editor.parameter(21);
    bool done = false;
    editor.host.onRequest = [&](const HostRequest& r) {
        if (done || r.opcode != c.opcode) return;
        done = true;
        TestHost::dispatch(r.effect, effEditClose);
        if (c.reopen) TestHost::dispatch(r.effect, effEditOpen);
    };
    EXPECT_EQ(editor.press("HsPan3", 50), 1);  // the request the close came from completes
    editor.move("HsPan3", 70);
    editor.release("HsPan3", 70);
    ASSERT_TRUE(done);
    EXPECT_EQ(editor.told(), c.expected);
    EXPECT_EQ(editor.isOpen(), c.reopen);
    if (c.opcode == audioMasterBeginEdit) {
        EXPECT_EQ(editor.parameter(21), before);
    }

    // Whatever window there is now starts without a drag, and the next
    // drag is paired again.
    editor.host.requests.clear();
    editor.open();
    editor.move("HsPan3", 30);
    editor.press("HsPan3", 90);
    editor.release("HsPan3", 90);
    EXPECT_EQ(editor.told(), (Log{"begin 21", "automate 21 1", "end 21"}));
}

const Log kWholeDrag = {"begin 21", "automate 21 0.5", "automate 21 0.75", "end 21"};
const Log kCutAtPress = {"begin 21", "automate 21 0.5", "end 21"};

INSTANTIATE_TEST_SUITE_P(
    Gestures, HostClosesFromItsCallback,
    ::testing::Values(HostClose{"BeginEdit", audioMasterBeginEdit, false, {"begin 21", "end 21"}},
                      HostClose{"BeginEditAndReopens", audioMasterBeginEdit, true, {"begin 21", "end 21"}},
                      HostClose{"Automate", audioMasterAutomate, false, kCutAtPress},
                      HostClose{"AutomateAndReopens", audioMasterAutomate, true, kCutAtPress},
                      HostClose{"EndEdit", audioMasterEndEdit, false, kWholeDrag},
                      HostClose{"EndEditAndReopens", audioMasterEndEdit, true, kWholeDrag}),
    [](const ::testing::TestParamInfo<HostClose>& info) { return std::string(info.param.name); });

TEST(Gestures, AHostMayCloseAgainFromTheEndEditThatItsCloseSends) {
    Editor editor;
    int closes = 0;
    editor.host.onRequest = [&](const HostRequest& r) {
        if (r.opcode == audioMasterEndEdit && closes++ == 0) TestHost::dispatch(r.effect, effEditClose);
    };
    editor.effect->setParameter(editor.effect, 36, 0.5f);
    editor.press("HsWidth2", 40, true);
    editor.move("HsWidth2", 50);
    editor.close();  // the end of the gesture closes once more, from inside this close
    EXPECT_EQ(closes, 1);
    EXPECT_FALSE(editor.isOpen());
    EXPECT_EQ(editor.told(), (Log{"begin 36", "automate 36 0.54", "end 36"}));
}

}  // namespace
