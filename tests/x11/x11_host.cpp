// The X11 test host: display connection, parent window, idle pump and XTest input.
#include "tests/x11/x11_host.h"

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <thread>

#include "editor/layout.h"
#include "tools/host/plugin_library.h"

// Xlib last: its macros (None, Bool, Status, ...) must not meet other headers.
#include <X11/Xutil.h>
#include <X11/extensions/XTest.h>
#include <X11/keysym.h>

namespace x11test {

namespace {

constexpr int kParentWidth = 800;
constexpr int kParentHeight = 320;
constexpr int kIdleStepMs = 2;

std::string testDisplayName() {
    const char* file = std::getenv("VARDELLINE_TEST_DISPLAY_FILE");
    if (file == nullptr) {
        const char* display = std::getenv("DISPLAY");
        return display != nullptr ? display : "";
    }
    // Run by ctest: only the private server counts, never the desktop's.
    std::ifstream in(file);
    std::string number;
    if (!(in >> number)) return "";
    return ":" + number;
}

// X errors that reached the process-wide handler. The plug-in must keep the
// errors of its own connection to itself, so any error on a display other
// than the test host's is a fault.
Display* hostDisplay = nullptr;
int hostErrors = 0;
int pluginErrors = 0;

int countError(Display* display, XErrorEvent*) {
    ++(display == hostDisplay ? hostErrors : pluginErrors);
    return 0;
}

void waitForMap(Display* display, Window window) {
    XEvent event;
    do {
        XWindowEvent(display, window, StructureNotifyMask, &event);
    } while (event.type != MapNotify);
}

}  // namespace

Display* openDisplayPatiently(const std::string& name) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(5);
    for (;;) {
        if (Display* display = XOpenDisplay(name.c_str())) return display;
        if (std::chrono::steady_clock::now() > deadline) return nullptr;
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
}

Display* connectTestDisplay() {
    const std::string name = testDisplayName();
    if (name.empty()) return nullptr;
    Display* display = openDisplayPatiently(name);
    if (display == nullptr) return nullptr;
    int eventBase = 0, errorBase = 0, major = 0, minor = 0;
    if (!XTestQueryExtension(display, &eventBase, &errorBase, &major, &minor)) {
        XCloseDisplay(display);
        return nullptr;
    }
    setenv("DISPLAY", name.c_str(), 1);
    hostDisplay = display;
    XSetErrorHandler(countError);
    return display;
}

std::vector<uint32_t> readWindowPixels(Display* display, Window window, int width, int height) {
    std::vector<uint32_t> pixels;
    XImage* image = XGetImage(display, window, 0, 0, static_cast<unsigned>(width), static_cast<unsigned>(height),
                              AllPlanes, ZPixmap);
    if (image == nullptr) return pixels;
    pixels.reserve(static_cast<size_t>(width) * height);
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) pixels.push_back(static_cast<uint32_t>(XGetPixel(image, x, y)) & 0xFFFFFF);
    }
    XDestroyImage(image);
    return pixels;
}

void X11HostTest::SetUp() {
    display = connectTestDisplay();
    if (display == nullptr) GTEST_SKIP() << "no X server with XTest (start Xvfb, or run through ctest)";
    instance = std::make_unique<vardelline::host::PluginInstance>(
        vardelline::host::PluginLibrary::open(VARDELLINE_PLUGIN), vardelline::host::HostSettings{});
    auto tell = [this](const char* text) {
        const std::string line(text);  // the hook may log more
        told.push_back(line);
        if (whenTold) whenTold(line);
    };
    instance->setAutomationListener([this, tell](int index, float value) {
        automation.emplace_back(index, value);
        char text[64];
        std::snprintf(text, sizeof text, "automate %d %g", index, value);
        tell(text);
    });
    instance->setEditListener([tell](int index, bool begins) {
        char text[32];
        std::snprintf(text, sizeof text, "%s %d", begins ? "begin" : "end", index);
        tell(text);
    });

    parent = XCreateSimpleWindow(display, DefaultRootWindow(display), 20, 20, kParentWidth, kParentHeight, 0, 0,
                                 WhitePixel(display, DefaultScreen(display)));
    XSelectInput(display, parent, StructureNotifyMask);
    XMapWindow(display, parent);
    waitForMap(display, parent);
    // The pointer starts away from the editor, as a user's would.
    XTestFakeMotionEvent(display, -1, 0, 0, CurrentTime);
    XSync(display, False);
}

void X11HostTest::TearDown() {
    if (display == nullptr) return;
    EXPECT_EQ(pluginErrors, 0) << "X errors of the plug-in's connection reached the host's handler";
    pluginErrors = 0;
    shiftKey(false);
    for (unsigned b = 1; b <= 3; ++b) XTestFakeButtonEvent(display, b, False, CurrentTime);
    instance.reset();
    if (parent != 0) XDestroyWindow(display, parent);
    XCloseDisplay(display);
    hostDisplay = nullptr;
}

std::vector<Window> childrenOf(Display* display, Window window) {
    Window root = 0, parent = 0;
    Window* children = nullptr;
    unsigned count = 0;
    std::vector<Window> found;
    if (XQueryTree(display, window, &root, &parent, &children, &count) == 0) return found;
    found.assign(children, children + count);
    if (children != nullptr) XFree(children);
    return found;
}

Point bandStrip(const char* prefix, int band, int x) {
    namespace layout = vardelline::layout;
    constexpr int kMiddleRow = 6;
    for (const layout::BandColumn& column : layout::kBandColumns) {
        if (std::strcmp(column.prefix, prefix) != 0) continue;
        const layout::Box& panel = layout::kPanels[column.panel];
        return {panel.left + x, panel.top + (band - 1) * layout::kBandPitch + kMiddleRow};
    }
    ADD_FAILURE() << "no column " << prefix;
    return {0, 0};
}

std::vector<Window> X11HostTest::childrenOfParent() const {
    return childrenOf(display, parent);
}

Window X11HostTest::editorWindow() const {
    const std::vector<Window> children = childrenOfParent();
    return children.size() == 1 ? children[0] : 0;
}

void X11HostTest::idleFor(int ms) {
    const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
    do {
        instance->dispatch(effEditIdle);
        std::this_thread::sleep_for(std::chrono::milliseconds(kIdleStepMs));
    } while (std::chrono::steady_clock::now() < end);
}

void X11HostTest::settle() {
    XSync(display, False);
    idleFor(10);
}

void X11HostTest::pointerTo(int x, int y) {
    const Window editor = editorWindow();
    ASSERT_NE(editor, 0u) << "no editor window to point at";
    Window child = 0;
    int rootX = 0, rootY = 0;
    XTranslateCoordinates(display, editor, DefaultRootWindow(display), x, y, &rootX, &rootY, &child);
    XTestFakeMotionEvent(display, -1, rootX, rootY, CurrentTime);
    settle();
}

void X11HostTest::button(unsigned number, bool down) {
    XTestFakeButtonEvent(display, number, down ? True : False, CurrentTime);
    settle();
}

void X11HostTest::shiftKey(bool down) {
    const KeyCode shift = XKeysymToKeycode(display, XK_Shift_L);
    if (shift == 0) return;
    XTestFakeKeyEvent(display, shift, down ? True : False, CurrentTime);
    settle();
}

}  // namespace x11test
