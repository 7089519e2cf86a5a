// The editor adaptor with the real effect: size before and after open, the
// open/close count, the refresh of the window's values, the remote requests
// of the command-line host, and updates racing a close.
#include <gtest/gtest.h>

#include <atomic>
#include <cstring>
#include <thread>
#include <vector>

#include "vst/editor_remote.h"
#include "vst/plugin_editor.h"
#include "support/fake_host.h"

namespace vardelline::testing {
namespace {

namespace remote = vardelline::remote;

std::vector<std::pair<int, float>> automated;

VstIntPtr recordingHost(AEffect* effect, VstInt32 opcode, VstInt32 index, VstIntPtr value, void* ptr, float opt) {
    if (opcode == audioMasterAutomate) automated.emplace_back(index, opt);
    return fakeHostCallback(effect, opcode, index, value, ptr, opt);
}

class AdaptorTest : public ::testing::Test {
protected:
    AdaptorTest() : plugin(std::make_unique<APlugin>(&recordingHost)) { automated.clear(); }

    VstIntPtr dispatch(VstInt32 opcode, VstInt32 index = 0, VstIntPtr value = 0, void* ptr = nullptr) {
        return plugin->dispatcher(opcode, index, value, ptr, 0.0f);
    }
    APluginEditor& editor() { return *static_cast<APluginEditor*>(plugin->getEditor()); }
    TPluginEditorWindow* window() { return editor().editorWindow(); }
    VstIntPtr remoteCall(int32_t command, void* ptr) {
        return dispatch(effVendorSpecific, remote::kEditorRemote, command, ptr);
    }
    VstIntPtr mouse(int32_t kind, const char* control, int x, int32_t button = remote::kButtonLeft, int32_t mods = 0) {
        remote::EditorMouseEvent event{};
        event.kind = kind;
        event.button = button;
        event.modifiers = mods;
        event.x = x;
        event.y = 6;
        std::strncpy(event.control, control, sizeof event.control - 1);
        return remoteCall(remote::kCommandMouse, &event);
    }

    std::unique_ptr<APlugin> plugin;
};

TEST_F(AdaptorTest, ReportsTheWindowSizeBeforeAndAfterOpen) {
    ERect* rect = nullptr;
    EXPECT_EQ(dispatch(effEditGetRect, 0, 0, &rect), 1);
    ASSERT_NE(rect, nullptr);
    EXPECT_EQ(rect->top, 0);
    EXPECT_EQ(rect->left, 0);
    EXPECT_EQ(rect->bottom, 278);
    EXPECT_EQ(rect->right, 731);
    ERect* first = rect;
    EXPECT_EQ(dispatch(effEditOpen), 1);
    EXPECT_EQ(dispatch(effEditGetRect, 0, 0, &rect), 1);
    EXPECT_EQ(rect, first);  // the rectangle lives in the adaptor
    EXPECT_EQ(rect->bottom, 278);
    EXPECT_EQ(rect->right, 731);
    EXPECT_EQ(dispatch(effEditGetRect, 0, 0, nullptr), 0);
}

TEST_F(AdaptorTest, OpenShowsTheEffectsValuesWithEveryStripDrawn) {
    plugin->setParameter(7, 0.3f);
    int marker = 0;
    EXPECT_EQ(dispatch(effEditOpen, 0, 0, &marker), 1);
    ASSERT_NE(window(), nullptr);
    EXPECT_EQ(editor().parentHandle(), &marker);
    for (int i = 0; i < kNumParamSlots; ++i) EXPECT_EQ(window()->values[i].load(), plugin->parameterValue(i)) << i;
    for (int i = 0; i < kNumParams; ++i) EXPECT_EQ(window()->drawnValues[i], window()->values[i].load()) << i;
    for (int i = 0; i < 52; ++i) EXPECT_FALSE(window()->strip(i)->picture().empty()) << i;
    auto* platform = static_cast<const gui::HeadlessWindow*>(editor().platform());
    EXPECT_TRUE(platform->shown);
    EXPECT_EQ(platform->left, 0);
    EXPECT_EQ(platform->top, 0);
    EXPECT_FALSE(plugin->editorClosed.load());
}

TEST_F(AdaptorTest, OnlyTheLastCloseDestroysTheWindow) {
    dispatch(effEditOpen);
    TPluginEditorWindow* first = window();
    dispatch(effEditOpen);
    EXPECT_EQ(window(), first);  // reused
    EXPECT_EQ(editor().openCalls(), 2);
    dispatch(effEditClose);
    ASSERT_EQ(window(), first);
    EXPECT_FALSE(static_cast<const gui::HeadlessWindow*>(editor().platform())->shown);
    EXPECT_FALSE(plugin->editorClosed.load());
    dispatch(effEditClose);
    EXPECT_EQ(window(), nullptr);
    EXPECT_EQ(editor().parentHandle(), nullptr);
    EXPECT_TRUE(plugin->editorClosed.load());
    dispatch(effEditClose);
    EXPECT_EQ(editor().openCalls(), 0);
    // With the window gone, changes and idle reach nothing.
    plugin->setParameter(3, 0.5f);
    plugin->setProgram(2);
    dispatch(effEditIdle);
    EXPECT_EQ(dispatch(effEditOpen), 1);
    EXPECT_EQ(window()->values[3].load(), plugin->parameterValue(3));
}

TEST_F(AdaptorTest, CloseWithoutOpenOnlyMarksTheEditorClosed) {
    dispatch(effEditIdle);
    dispatch(effEditClose);
    EXPECT_EQ(editor().openCalls(), 0);
    EXPECT_TRUE(plugin->editorClosed.load());
    EXPECT_EQ(window(), nullptr);
}

TEST_F(AdaptorTest, HostChangesReachTheWindowAndItsStripsWithinATick) {
    dispatch(effEditOpen);
    dispatch(effEditIdle);
    plugin->setParameter(30, 0.75f);
    EXPECT_EQ(window()->values[30].load(), 0.75f);
    EXPECT_TRUE(window()->pendingArea().empty());
    EXPECT_EQ(remoteCall(remote::kCommandTick, nullptr), 1);
    EXPECT_EQ(window()->pendingArea(), window()->strip(30)->windowRect());
    plugin->setProgram(3);
    for (int i = 0; i < kNumParamSlots; ++i) EXPECT_EQ(window()->values[i].load(), plugin->parameterValue(i)) << i;
}

TEST_F(AdaptorTest, ADragReachesTheEffectAndTheHostAsAutomation) {
    dispatch(effEditOpen);
    EXPECT_EQ(mouse(remote::kMousePress, "hspan3", 50), 1);
    EXPECT_EQ(plugin->parameterValue(21), 0.5f);
    ASSERT_EQ(automated.size(), 1u);
    EXPECT_EQ(automated[0].first, 21);
    EXPECT_EQ(automated[0].second, 0.5f);
    EXPECT_EQ(mouse(remote::kMouseMove, "HsPan3", 150), 1);
    EXPECT_EQ(plugin->parameterValue(21), 1.0f);
    EXPECT_EQ(mouse(remote::kMouseRelease, "HsPan3", 150), 1);
    EXPECT_STREQ(window()->readoutText(), "Band 3: Pan  :: L/R : 100%/0");
}

TEST_F(AdaptorTest, RemoteRequestsAnswerZeroWhenTheyCannotBeCarriedOut) {
    remote::EditorFramebuffer frame{};
    EXPECT_EQ(remoteCall(remote::kCommandFramebuffer, &frame), 0);  // no window yet
    EXPECT_EQ(remoteCall(remote::kCommandTick, nullptr), 0);
    dispatch(effEditOpen);
    EXPECT_EQ(dispatch(effVendorSpecific, 0x12345678, remote::kCommandTick, nullptr), 0);
    EXPECT_EQ(remoteCall(fourCharCode("what"), &frame), 0);
    EXPECT_EQ(remoteCall(remote::kCommandFramebuffer, nullptr), 0);
    EXPECT_EQ(remoteCall(remote::kCommandMouse, nullptr), 0);
    EXPECT_EQ(mouse(remote::kMousePress, "NoSuchStrip", 50), 0);
    EXPECT_EQ(mouse(7, "HsPan3", 50), 0);
    EXPECT_EQ(mouse(remote::kMousePress, "HsPan3", 50, 9), 0);
    remote::EditorMouseEvent unterminated;
    std::memset(&unterminated, 'A', sizeof unterminated);
    unterminated.kind = remote::kMouseMove;
    unterminated.button = remote::kButtonLeft;
    EXPECT_EQ(remoteCall(remote::kCommandMouse, &unterminated), 0);
    EXPECT_TRUE(automated.empty());
}

TEST_F(AdaptorTest, FramebufferRequestDescribesTheRepaintedWindow) {
    dispatch(effEditOpen);
    remote::EditorFramebuffer frame{};
    ASSERT_EQ(remoteCall(remote::kCommandFramebuffer, &frame), 1);
    EXPECT_EQ(frame.width, 731);
    EXPECT_EQ(frame.height, 278);
    EXPECT_EQ(frame.stride, 731);
    ASSERT_NE(frame.pixels, nullptr);
    EXPECT_TRUE(window()->pendingArea().empty());
    EXPECT_EQ(frame.pixels[277 * 731 + 300] & 0xFFFFFF, 0xC0C0C0u);  // window colour below the picture
}

TEST_F(AdaptorTest, UpdatesFromAnotherThreadNeverMeetADestroyedWindow) {
    std::atomic<bool> stop{false};
    std::thread automation([&] {
        for (int n = 0; !stop.load(); ++n) plugin->setParameter(n % 80, (n % 101) / 100.0f);
    });
    for (int round = 0; round < 200; ++round) {
        dispatch(effEditOpen);
        remoteCall(remote::kCommandTick, nullptr);
        dispatch(effEditClose);
    }
    stop.store(true);
    automation.join();
    EXPECT_EQ(window(), nullptr);
}

}  // namespace
}  // namespace vardelline::testing
