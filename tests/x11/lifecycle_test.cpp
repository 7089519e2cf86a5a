// Hosts that misuse the editor's X11 window: unpaired opens and closes, a
// parent destroyed before the close, a handle that is no window, and a long
// run of opens and closes beside running audio that must leave no file
// descriptor, thread, window or memory behind.
#include <gtest/gtest.h>
#include <malloc.h>

#include <atomic>
#include <filesystem>
#include <thread>
#include <vector>

#include "tests/x11/x11_host.h"

// Xlib last: its macros (None, Bool, Status, ...) must not meet other headers.
#include <X11/Xlib.h>

namespace x11test {
namespace {

int entriesIn(const char* folder) {
    int count = 0;
    for ([[maybe_unused]] const auto& entry : std::filesystem::directory_iterator(folder)) ++count;
    return count;
}

int mapState(Display* display, Window window) {
    XWindowAttributes attributes;
    return XGetWindowAttributes(display, window, &attributes) != 0 ? attributes.map_state : -1;
}

using EditorLifecycleTest = X11HostTest;

TEST_F(EditorLifecycleTest, UnpairedOpensHideAndReuseOneWindowUntilTheLastClose) {
    ASSERT_EQ(openEditor(), 1);
    ASSERT_EQ(openEditor(), 1);
    settle();
    const Window editor = editorWindow();
    ASSERT_NE(editor, 0u);

    closeEditor();  // one open still outstanding: hidden, not destroyed
    settle();
    EXPECT_EQ(editorWindow(), editor);
    EXPECT_EQ(mapState(display, editor), IsUnmapped);

    ASSERT_EQ(openEditor(), 1);
    settle();
    EXPECT_EQ(editorWindow(), editor);
    EXPECT_EQ(mapState(display, editor), IsViewable);

    closeEditor();
    closeEditor();
    closeEditor();  // more closes than opens
    settle();
    EXPECT_TRUE(childrenOfParent().empty());

    ASSERT_EQ(openEditor(), 1);
    settle();
    EXPECT_NE(editorWindow(), 0u);
}

TEST_F(EditorLifecycleTest, AReopenWithoutACloseFollowsTheHostIntoItsNewWindow) {
    ASSERT_EQ(openEditor(), 1);
    settle();
    const Window first = parent;
    const Window editor = editorWindow();

    // Into a second window while the first still exists: the editor moves.
    parent = XCreateSimpleWindow(display, DefaultRootWindow(display), 40, 40, 800, 320, 0, 0, 0);
    XMapWindow(display, parent);
    XSync(display, False);
    ASSERT_EQ(openEditor(), 1);
    settle();
    EXPECT_EQ(editorWindow(), editor);
    EXPECT_EQ(mapState(display, editor), IsViewable);
    XDestroyWindow(display, first);

    // The host drops its window, editor and all, and opens into a third.
    const Window second = parent;
    XDestroyWindow(display, second);
    parent = XCreateSimpleWindow(display, DefaultRootWindow(display), 60, 60, 800, 320, 0, 0, 0);
    XMapWindow(display, parent);
    settle();
    ASSERT_EQ(openEditor(), 1);
    settle();
    const Window reborn = editorWindow();
    ASSERT_NE(reborn, 0u);
    EXPECT_EQ(mapState(display, reborn), IsViewable);
    XWindowAttributes attributes;
    ASSERT_NE(XGetWindowAttributes(display, reborn, &attributes), 0);
    EXPECT_EQ(attributes.width, 731);
    EXPECT_EQ(attributes.height, 278);
}

TEST_F(EditorLifecycleTest, SurvivesTheParentDestroyedBeforeTheClose) {
    ASSERT_EQ(openEditor(), 1);
    settle();
    XDestroyWindow(display, parent);
    parent = 0;
    settle();
    plugin().setParameter(12, 0.7f);
    idleFor(40);
    closeEditor();
    EXPECT_EQ(plugin().getParameter(12), 0.7f);
}

TEST_F(EditorLifecycleTest, AHandleThatIsNoWindowLeavesTheEditorWithoutAScreen) {
    // The id of a window that existed a moment ago.
    Window gone = XCreateSimpleWindow(display, DefaultRootWindow(display), 0, 0, 10, 10, 0, 0, 0);
    XDestroyWindow(display, gone);
    XSync(display, False);

    EXPECT_EQ(plugin().dispatch(effEditOpen, 0, 0, reinterpret_cast<void*>(static_cast<uintptr_t>(gone))), 1);
    idleFor(30);
    ERect* rect = nullptr;
    EXPECT_EQ(plugin().dispatch(effEditGetRect, 0, 0, &rect), 1);
    closeEditor();
}

TEST_F(EditorLifecycleTest, TwoHundredOpensAndClosesBesideAudioLeaveNothingBehind) {
    plugin().resume();
    std::atomic<bool> running{true};
    // The host's audio thread, and its automation of a parameter, which
    // reaches the editor's update while windows come and go.
    std::thread audio([this, &running] {
        std::vector<float> in(2 * 256, 0.1f), out(2 * 256);
        float* inputs[2] = {in.data(), in.data() + 256};
        float* outputs[2] = {out.data(), out.data() + 256};
        for (int block = 0; running.load(); ++block) {
            instance->setParameter(5, static_cast<float>(block % 100) / 100.0f);
            instance->processReplacing(inputs, outputs, 256);
        }
    });

    auto cycle = [this] {
        ASSERT_EQ(openEditor(), 1);
        plugin().dispatch(effEditIdle);
        plugin().dispatch(effEditIdle);
        closeEditor();
    };
    for (int i = 0; i < 5; ++i) cycle();  // first-use allocations of Xlib and the C library
    const int fds = entriesIn("/proc/self/fd");
    const int threads = entriesIn("/proc/self/task");
    const size_t heap = mallinfo2().uordblks;

    for (int i = 0; i < 200; ++i) cycle();

    EXPECT_EQ(entriesIn("/proc/self/fd"), fds);
    EXPECT_EQ(entriesIn("/proc/self/task"), threads);
    EXPECT_LT(mallinfo2().uordblks, heap + 64 * 1024) << "heap in use grew from " << heap;
    XSync(display, False);
    EXPECT_TRUE(childrenOfParent().empty());

    running.store(false);
    audio.join();
    plugin().suspend();
}

}  // namespace
}  // namespace x11test
