// The command-line host's edit command on a real X server: its window holds
// the editor, a click reaches the plug-in and comes back printed as an
// automation request between the begin and end of the click's gesture, and
// closing the window ends the command.
#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>
#include <string>
#include <thread>

#include "editor/layout.h"
#include "tests/x11/x11_host.h"

// Xlib last: its macros (None, Bool, Status, ...) must not meet other headers.
#include <X11/Xlib.h>
#include <X11/extensions/XTest.h>

namespace x11test {
namespace {

namespace layout = vardelline::layout;

class EditCommandTest : public ::testing::Test {
protected:
    void SetUp() override {
        display = connectTestDisplay();
        if (display == nullptr) GTEST_SKIP() << "no X server with XTest";
    }
    void TearDown() override {
        if (display != nullptr) XCloseDisplay(display);
    }

    // The top-level window whose name starts with prefix, waiting for it.
    Window waitForTopLevel(const std::string& prefix) {
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
        while (std::chrono::steady_clock::now() < deadline) {
            for (Window window : children(DefaultRootWindow(display))) {
                char* name = nullptr;
                if (XFetchName(display, window, &name) == 0 || name == nullptr) continue;
                const bool match = std::string(name).rfind(prefix, 0) == 0;
                XFree(name);
                // Shown with the editor inside it shown too: a click before
                // that would go to the top-level window and be lost.
                const std::vector<Window> inside = children(window);
                if (match && inside.size() == 1 && viewable(window) && viewable(inside[0])) return window;
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
        }
        return 0;
    }

    std::vector<Window> children(Window window) { return childrenOf(display, window); }
    bool viewable(Window window) {
        XWindowAttributes attributes;
        return XGetWindowAttributes(display, window, &attributes) != 0 && attributes.map_state == IsViewable;
    }

    // Asks the window to close, as a window manager's close button does.
    void requestClose(Window window) {
        XEvent event{};
        event.xclient.type = ClientMessage;
        event.xclient.window = window;
        event.xclient.message_type = XInternAtom(display, "WM_PROTOCOLS", False);
        event.xclient.format = 32;
        event.xclient.data.l[0] = static_cast<long>(XInternAtom(display, "WM_DELETE_WINDOW", False));
        XSendEvent(display, window, False, NoEventMask, &event);
        XFlush(display);
    }

    Display* display = nullptr;
};

TEST_F(EditCommandTest, PrintsTheAutomationOfAClickAndEndsWhenTheWindowCloses) {
    std::string output;
    FILE* host = popen(HOST_EXECUTABLE " edit --seconds 20 2>&1", "r");
    ASSERT_NE(host, nullptr);
    std::thread reader([host, &output] {
        char buffer[256];
        for (size_t n; (n = std::fread(buffer, 1, sizeof buffer, host)) > 0;) output.append(buffer, n);
    });

    const Window top = waitForTopLevel("Vardelline");
    if (top != 0) {
        // A click at pixel 50 of HsPan3 sets parameter 21 to 0.5.
        const layout::Box& pan = layout::kPanels[layout::kBandColumns[2].panel];
        int x = 0, y = 0;
        Window child = 0;
        XTranslateCoordinates(display, children(top)[0], DefaultRootWindow(display), pan.left + 50,
                              pan.top + 2 * layout::kBandPitch + 6, &x, &y, &child);
        XTestFakeMotionEvent(display, -1, x, y, CurrentTime);
        XTestFakeButtonEvent(display, 1, True, CurrentTime);
        XTestFakeButtonEvent(display, 1, False, CurrentTime);
        XSync(display, False);
        std::this_thread::sleep_for(std::chrono::milliseconds(200));
        requestClose(top);
    }
    reader.join();
    const int status = pclose(host);

    ASSERT_NE(top, 0u) << output;
    EXPECT_EQ(status, 0) << output;
    EXPECT_NE(output.find("automate 21"), std::string::npos) << output;
    EXPECT_NE(output.find("0.500000"), std::string::npos) << output;
    EXPECT_NE(output.find("editor closed; 1 automation requests"), std::string::npos) << output;
    // The click is a gesture of its own around the automation.
    const size_t begin = output.find("begin    21 ");
    const size_t end = output.find("end      21 ");
    EXPECT_LT(begin, output.find("automate 21"));
    EXPECT_GT(end, output.find("automate 21"));
    EXPECT_NE(end, std::string::npos) << output;
}

}  // namespace
}  // namespace x11test
