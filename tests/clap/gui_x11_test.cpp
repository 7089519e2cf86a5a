// The editor embedded through the gui extension in a real X11 window, on
// the private Xvfb that ctest starts: its life cycle a hundred times over
// without leaking windows, timers, descriptors or memory, the pumping it
// asks of the host, and a drag that reaches the host as one gesture.
#include <gtest/gtest.h>
#include <malloc.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <thread>

#include "clap_test_host.h"
#include "editor/layout.h"

// Xlib last: its macros must not meet the other headers.
#include <X11/Xlib.h>
#include <X11/extensions/XTest.h>

using namespace claptest;

namespace {

// The private server's display (from the ctest fixture), else $DISPLAY.
Display* connectTestDisplay() {
    if (const char* file = std::getenv("VARDELLINE_TEST_DISPLAY_FILE")) {
        std::ifstream in(file);
        std::string number;
        if (!(in >> number)) return nullptr;
        setenv("DISPLAY", (":" + number).c_str(), 1);
    }
    if (std::getenv("DISPLAY") == nullptr) return nullptr;
    for (int attempt = 0; attempt < 50; ++attempt) {
        if (Display* display = XOpenDisplay(nullptr)) return display;
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
    }
    return nullptr;
}

size_t openDescriptors() {
    size_t n = 0;
    for ([[maybe_unused]] const auto& entry : std::filesystem::directory_iterator("/proc/self/fd")) ++n;
    return n;
}

class ClapGui : public ::testing::Test {
protected:
    void SetUp() override {
        display = connectTestDisplay();
        if (display == nullptr) GTEST_SKIP() << "no X server";
        parent = XCreateSimpleWindow(display, DefaultRootWindow(display), 0, 0, 800, 400, 0, 0, 0);
        XMapWindow(display, parent);
        XSync(display, False);
    }
    void TearDown() override {
        if (display == nullptr) return;
        XDestroyWindow(display, parent);
        XCloseDisplay(display);
    }

    size_t childrenOfParent() {
        Window root = 0, up = 0, *children = nullptr;
        unsigned count = 0;
        XSync(display, False);
        if (XQueryTree(display, parent, &root, &up, &children, &count) == 0) return 0;
        if (children != nullptr) XFree(children);
        return count;
    }

    clap_window parentWindow() const {
        clap_window window{};
        window.api = CLAP_WINDOW_API_X11;
        window.x11 = parent;
        return window;
    }

    // Lets the server deliver, then ticks the editor the way the host's timer does.
    void pump(Instance& instance, const TestHost& host, int ticks = 5) {
        const auto* timers = instance.extension<clap_plugin_timer_support>(CLAP_EXT_TIMER_SUPPORT);
        for (int i = 0; i < ticks; ++i) {
            XSync(display, False);
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
            for (clap_id id : host.timers) timers->on_timer(instance.plugin, id);
        }
    }

    Display* display = nullptr;
    Window parent = 0;
};

}  // namespace

TEST_F(ClapGui, CreateEmbedShowHideDestroyAHundredTimesWithoutLeaks) {
    ClapLibrary library;
    TestHost host;
    Instance instance(library, host);
    const auto* gui = instance.extension<clap_plugin_gui>(CLAP_EXT_GUI);
    ASSERT_NE(gui, nullptr);
    const clap_plugin* plugin = instance.plugin;
    EXPECT_TRUE(gui->is_api_supported(plugin, CLAP_WINDOW_API_X11, false));
    EXPECT_FALSE(gui->is_api_supported(plugin, CLAP_WINDOW_API_X11, true));
    EXPECT_FALSE(gui->is_api_supported(plugin, "wayland", false));
    EXPECT_FALSE(gui->create(plugin, "wayland", false));
    uint32_t width = 0, height = 0;
    ASSERT_TRUE(gui->get_size(plugin, &width, &height));  // asked before create, as hosts do
    EXPECT_EQ(width, 731u);
    EXPECT_EQ(height, 278u);
    EXPECT_FALSE(gui->can_resize(plugin));
    EXPECT_FALSE(gui->set_parent(plugin, nullptr));
    EXPECT_FALSE(gui->show(plugin));  // nothing created yet

    ASSERT_TRUE(instance.activate());
    auto cycle = [&]() {
        ASSERT_TRUE(gui->create(plugin, CLAP_WINDOW_API_X11, false));
        EXPECT_FALSE(gui->create(plugin, CLAP_WINDOW_API_X11, false));  // one editor at a time
        // Drawn anew at the host's factor; a factor that is no size is refused.
        EXPECT_FALSE(gui->set_scale(plugin, 0.0));
        EXPECT_TRUE(gui->set_scale(plugin, 2.0));
        uint32_t scaledWidth = 0, scaledHeight = 0;
        EXPECT_TRUE(gui->get_size(plugin, &scaledWidth, &scaledHeight));
        EXPECT_EQ(scaledWidth, 1462u);
        EXPECT_EQ(scaledHeight, 556u);
        const clap_window window = parentWindow();
        ASSERT_TRUE(gui->set_parent(plugin, &window));
        ASSERT_EQ(host.timers.size(), 1u);
        ASSERT_EQ(host.fds.size(), 1u);
        EXPECT_TRUE(gui->show(plugin));
        pump(instance, host, 2);
        EXPECT_EQ(childrenOfParent(), 1u);
        EXPECT_TRUE(gui->hide(plugin));
        gui->destroy(plugin);
        EXPECT_TRUE(host.timers.empty());
        EXPECT_TRUE(host.fds.empty());
        EXPECT_EQ(childrenOfParent(), 0u);
    };
    cycle();  // the first one sets up what stays (pictures, the font)
    const size_t descriptors = openDescriptors();
    const size_t heap = mallinfo2().uordblks;
    for (int i = 0; i < 100; ++i) {
        cycle();
        if (HasFatalFailure()) return;
    }
    EXPECT_EQ(openDescriptors(), descriptors);
    EXPECT_LT(mallinfo2().uordblks, heap + 256 * 1024) << "heap in use grew over 100 editors";
    gui->destroy(plugin);  // again: harmless
}

TEST_F(ClapGui, WithoutHostTimersItAsksForMainThreadCallbacks) {
    ClapLibrary library;
    TestHost host;
    host.offerTimers = false;
    host.offerFds = false;
    Instance instance(library, host);
    const auto* gui = instance.extension<clap_plugin_gui>(CLAP_EXT_GUI);
    const clap_plugin* plugin = instance.plugin;
    ASSERT_TRUE(gui->create(plugin, CLAP_WINDOW_API_X11, false));
    const clap_window window = parentWindow();
    ASSERT_TRUE(gui->set_parent(plugin, &window));
    ASSERT_TRUE(gui->show(plugin));
    std::this_thread::sleep_for(std::chrono::milliseconds(200));
    EXPECT_GE(host.callbacksRequested.load(), 3);
    plugin->on_main_thread(plugin);
    gui->destroy(plugin);
    const int after = host.callbacksRequested.load();
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
    EXPECT_EQ(host.callbacksRequested.load(), after);  // destroy stopped the thread
    plugin->on_main_thread(plugin);                     // a late callback finds no editor
}

TEST_F(ClapGui, ADragReachesTheHostAsOneGesture) {
    int eventBase, errorBase, major, minor;
    if (!XTestQueryExtension(display, &eventBase, &errorBase, &major, &minor)) GTEST_SKIP() << "no XTest";
    ClapLibrary library;
    TestHost host;
    Instance instance(library, host);
    const auto* gui = instance.extension<clap_plugin_gui>(CLAP_EXT_GUI);
    const clap_plugin* plugin = instance.plugin;
    ASSERT_TRUE(gui->create(plugin, CLAP_WINDOW_API_X11, false));
    const clap_window window = parentWindow();
    ASSERT_TRUE(gui->set_parent(plugin, &window));
    ASSERT_TRUE(gui->show(plugin));
    pump(instance, host);

    // Band 1's left delay: the first strip of the first column. One pixel is 1/80.
    namespace layout = vardelline::layout;
    const int stripX = layout::kPanels[0].left;
    const int stripY = layout::kPanels[0].top + layout::kStripHeight / 2;
    XTestFakeMotionEvent(display, -1, stripX + 30, stripY, CurrentTime);
    pump(instance, host);
    XTestFakeButtonEvent(display, 1, True, CurrentTime);
    pump(instance, host);
    XTestFakeMotionEvent(display, -1, stripX + 50, stripY, CurrentTime);
    pump(instance, host);
    XTestFakeButtonEvent(display, 1, False, CurrentTime);
    pump(instance, host);
    EXPECT_GT(host.requestFlushes, 0);

    OutputEvents out;
    instance.params->flush(plugin, nullptr, out.list());
    ASSERT_EQ(out.events.size(), 4u);
    EXPECT_EQ(out.events[0].header.type, CLAP_EVENT_PARAM_GESTURE_BEGIN);
    EXPECT_EQ(out.events[1].header.type, CLAP_EVENT_PARAM_VALUE);
    EXPECT_EQ(out.events[1].value, 0.25);
    EXPECT_EQ(out.events[2].header.type, CLAP_EVENT_PARAM_VALUE);
    EXPECT_EQ(out.events[2].value, 0.5);
    EXPECT_EQ(out.events[3].header.type, CLAP_EVENT_PARAM_GESTURE_END);
    for (const auto& event : out.events) {
        EXPECT_EQ(event.paramId, 3u);
        EXPECT_EQ(event.header.time, 0u);
        EXPECT_EQ(event.header.space_id, CLAP_CORE_EVENT_SPACE_ID);
        EXPECT_EQ(event.header.size,
                  event.header.type == CLAP_EVENT_PARAM_VALUE ? sizeof(clap_event_param_value)
                                                              : sizeof(clap_event_param_gesture));
    }
    double v = 0.0;
    ASSERT_TRUE(instance.params->get_value(plugin, 3, &v));
    EXPECT_EQ(v, 0.5);

    // A host that refuses the events gets them at the next chance, in order.
    XTestFakeButtonEvent(display, 1, True, CurrentTime);
    pump(instance, host);
    XTestFakeButtonEvent(display, 1, False, CurrentTime);
    pump(instance, host);
    OutputEvents refusing;
    refusing.refuse = true;
    instance.params->flush(plugin, nullptr, refusing.list());
    OutputEvents later;
    instance.params->flush(plugin, nullptr, later.list());
    ASSERT_EQ(later.events.size(), 3u);
    EXPECT_EQ(later.events[0].header.type, CLAP_EVENT_PARAM_GESTURE_BEGIN);
    EXPECT_EQ(later.events[2].header.type, CLAP_EVENT_PARAM_GESTURE_END);
    gui->destroy(plugin);
}
