// The LV2 editor as a host embeds it, through suil, inside a parent window
// of the test host on a private X server: it sizes itself, a press sends the
// host the value the same press sets in the VST 2 editor, and opening and
// closing it leaves no file, thread or window behind.
#include <lv2/ui/ui.h>
#include <suil/suil.h>

#include <chrono>
#include <string>
#include <dirent.h>
#include <thread>
#include <vector>

#include "tests/x11/x11_host.h"

#include <X11/extensions/XTest.h>

namespace {

constexpr const char* kPluginUri = "urn:quorvane:vardelline";
constexpr const char* kUiUri = "urn:quorvane:vardelline#ui";

int entriesIn(const char* folder) {
    int n = 0;
    if (DIR* dir = opendir(folder)) {
        while (readdir(dir) != nullptr) ++n;
        closedir(dir);
    }
    return n;
}

class Lv2Ui : public ::testing::Test {
protected:
    void SetUp() override {
        display = x11test::connectTestDisplay();
        if (display == nullptr) GTEST_SKIP() << "no X server with XTest (run through ctest)";
        parent = XCreateSimpleWindow(display, DefaultRootWindow(display), 20, 20, 800, 320, 0, 0,
                                     WhitePixel(display, DefaultScreen(display)));
        XMapWindow(display, parent);
        XSync(display, False);
        XTestFakeMotionEvent(display, -1, 0, 0, CurrentTime);
        host = suil_host_new(&Lv2Ui::portWrite, nullptr, nullptr, nullptr);
    }
    void TearDown() override {
        if (display == nullptr) return;
        close();
        suil_host_free(host);
        XDestroyWindow(display, parent);
        XCloseDisplay(display);
    }

    void open() {
        // The features live as long as the editor, as the standard asks.
        parentFeature = {LV2_UI__parent, reinterpret_cast<void*>(static_cast<uintptr_t>(parent))};
        resizer = {this, &Lv2Ui::resize};
        resizeFeature = {LV2_UI__resize, &resizer};
        toucher = {this, &Lv2Ui::touch};
        touchFeature = {LV2_UI__touch, &toucher};
        const LV2_Feature* features[] = {&parentFeature, &resizeFeature, &touchFeature, nullptr};
        ui = suil_instance_new(host, this, LV2_UI__X11UI, kPluginUri, kUiUri, LV2_UI__X11UI,
                               LV2_BUNDLE_PATH "/vardelline.lv2/", LV2_BUNDLE_PATH "/vardelline.lv2/vardelline_lv2_ui.so",
                               features);
        if (ui != nullptr)
            idleInterface = static_cast<const LV2UI_Idle_Interface*>(
                suil_instance_extension_data(ui, LV2_UI__idleInterface));
    }
    void close() {
        if (ui != nullptr) suil_instance_free(ui);
        ui = nullptr;
    }

    // The host's GUI loop: the editor's idle every couple of milliseconds.
    void idleFor(int ms) {
        const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
        do {
            XSync(display, False);
            if (idleInterface != nullptr) idleInterface->idle(suil_instance_get_handle(ui));
            std::this_thread::sleep_for(std::chrono::milliseconds(2));
        } while (std::chrono::steady_clock::now() < end);
    }

    Window editorWindow() const {
        const std::vector<Window> children = x11test::childrenOf(display, parent);
        return children.size() == 1 ? children[0] : 0;
    }

    void pressAt(int x, int y) {
        Window child = 0;
        int rootX = 0, rootY = 0;
        XTranslateCoordinates(display, editorWindow(), DefaultRootWindow(display), x, y, &rootX, &rootY, &child);
        XTestFakeMotionEvent(display, -1, rootX, rootY, CurrentTime);
        idleFor(20);
        XTestFakeButtonEvent(display, 1, True, CurrentTime);
        idleFor(20);
        XTestFakeButtonEvent(display, 1, False, CurrentTime);
        idleFor(20);
    }

    static void portWrite(SuilController controller, uint32_t port, uint32_t size, uint32_t format,
                          const void* buffer) {
        if (format != 0 || size != sizeof(float)) return;
        auto* test = static_cast<Lv2Ui*>(controller);
        test->writes.emplace_back(port, *static_cast<const float*>(buffer));
        test->log.push_back("write " + std::to_string(port));
        if (test->closeOnWrite) test->close();
    }
    static void touch(LV2UI_Feature_Handle handle, uint32_t port, bool grabbed) {
        static_cast<Lv2Ui*>(handle)->log.push_back((grabbed ? "grab " : "release ") + std::to_string(port));
    }
    static int resize(LV2UI_Feature_Handle handle, int width, int height) {
        static_cast<Lv2Ui*>(handle)->requestedSize = {width, height};
        return 0;
    }

    Display* display = nullptr;
    Window parent = 0;
    SuilHost* host = nullptr;
    SuilInstance* ui = nullptr;
    const LV2UI_Idle_Interface* idleInterface = nullptr;
    std::vector<std::pair<uint32_t, float>> writes;
    std::vector<std::string> log;  // writes and touches, in order
    LV2_Feature parentFeature{}, resizeFeature{}, touchFeature{};
    LV2UI_Resize resizer{};
    LV2UI_Touch toucher{};
    bool closeOnWrite = false;
    std::pair<int, int> requestedSize{0, 0};
};

TEST_F(Lv2Ui, EmbedsItselfAndWritesTheValueAPressSets) {
    open();
    ASSERT_NE(ui, nullptr);
    ASSERT_NE(idleInterface, nullptr);
    idleFor(50);
    const Window editor = editorWindow();
    ASSERT_NE(editor, 0u);
    EXPECT_EQ(reinterpret_cast<uintptr_t>(suil_instance_get_widget(ui)), editor);
    XWindowAttributes attributes;
    XGetWindowAttributes(display, editor, &attributes);
    EXPECT_EQ(attributes.width, 731);
    EXPECT_EQ(attributes.height, 278);
    EXPECT_EQ(requestedSize, std::make_pair(731, 278));

    // Band 3's pan strip: the middle of its travel is 0.5.
    pressAt(330, 106);
    ASSERT_FALSE(writes.empty());
    EXPECT_EQ(writes.front(), std::make_pair(4u + 21u, 0.5f));

    // The host's values reach the window; a press then starts from them.
    const float quarter = 0.25f;
    suil_instance_port_event(ui, 4 + 21, sizeof quarter, 0, &quarter);
    idleFor(60);
    suil_instance_port_event(ui, 4 + 21, 3, 0, &quarter);  // wrong size: ignored
    suil_instance_port_event(ui, 4000, sizeof quarter, 0, &quarter);  // no such port: ignored
    idleFor(20);
}

// A drag reaches the host as grab, writes, release: touch automation.
TEST_F(Lv2Ui, ADragIsBracketedByTouch) {
    open();
    ASSERT_NE(ui, nullptr);
    idleFor(50);
    pressAt(330, 106);
    ASSERT_GE(log.size(), 3u);
    EXPECT_EQ(log.front(), "grab 25");
    EXPECT_EQ(log[1], "write 25");
    EXPECT_EQ(log.back(), "release 25");
}

// A host may free the editor from inside the write a drag makes during idle.
TEST_F(Lv2Ui, SurvivesBeingFreedFromInsideItsOwnWrite) {
    open();
    ASSERT_NE(ui, nullptr);
    idleFor(50);
    closeOnWrite = true;
    const auto handle = suil_instance_get_handle(ui);
    const LV2UI_Idle_Interface* idle = idleInterface;
    Window child = 0;
    int rootX = 0, rootY = 0;
    XTranslateCoordinates(display, editorWindow(), DefaultRootWindow(display), 330, 106, &rootX, &rootY, &child);
    XTestFakeMotionEvent(display, -1, rootX, rootY, CurrentTime);
    XTestFakeButtonEvent(display, 1, True, CurrentTime);
    XSync(display, False);
    int closedBy = 0;
    for (int i = 0; i < 50 && ui != nullptr; ++i) {
        closedBy = idle->idle(handle);
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
        XSync(display, False);
    }
    XTestFakeButtonEvent(display, 1, False, CurrentTime);
    XSync(display, False);
    EXPECT_EQ(ui, nullptr);
    EXPECT_EQ(closedBy, 1);
    EXPECT_TRUE(x11test::childrenOf(display, parent).empty());
}

TEST_F(Lv2Ui, OpenAndCloseLeaveNothingBehind) {
    open();  // the first opening loads the library for good
    close();
    const int fds = entriesIn("/proc/self/fd");
    const int threads = entriesIn("/proc/self/task");
    for (int round = 0; round < 100; ++round) {
        open();
        ASSERT_NE(ui, nullptr);
        idleFor(2);
        close();
        XSync(display, False);
        ASSERT_TRUE(x11test::childrenOf(display, parent).empty()) << round;
    }
    EXPECT_EQ(entriesIn("/proc/self/fd"), fds);
    EXPECT_EQ(entriesIn("/proc/self/task"), threads);
}

}  // namespace
