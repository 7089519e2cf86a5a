// The editor at scale factors: sane factors from any input, where the factor
// comes from (host message, VARDELLINE_UI_SCALE, desktop resources), the
// window's size before and after open, pictures compared with stored ones at
// 1.5 and 2 and measured for resampling, the mouse rules in layout pixels at
// every factor, and open/close cycles that keep no memory.
#include <gtest/gtest.h>
#include <malloc.h>

#include <cmath>
#include <cstdlib>
#include <string>
#include <vector>

#include "editor/x11/x_resources.h"
#include "support/fake_host.h"
#include "vst/editor_remote.h"
#include "vst/plugin_editor.h"
#include "window_fixture.h"

// Implemented by golden_image_test.cpp.
#include <stb/stb_image.h>
#include <stb/stb_image_write.h>

namespace vardelline::testing {
namespace {

namespace remote = vardelline::remote;

std::vector<std::pair<int, int>> sizeRequests;

VstIntPtr sizeRecordingHost(AEffect* effect, VstInt32 opcode, VstInt32 index, VstIntPtr value, void* ptr, float opt) {
    if (opcode == audioMasterSizeWindow) sizeRequests.emplace_back(index, static_cast<int>(value));
    return fakeHostCallback(effect, opcode, index, value, ptr, opt);
}

// Leaves VARDELLINE_UI_SCALE and DISPLAY as they were.
class ScaleEnvironment {
public:
    ScaleEnvironment() {
        save("VARDELLINE_UI_SCALE", scale_);
        save("DISPLAY", display_);
        unsetenv("VARDELLINE_UI_SCALE");
        unsetenv("DISPLAY");  // no desktop: the factor comes from the host or the user alone
    }
    ~ScaleEnvironment() {
        restore("VARDELLINE_UI_SCALE", scale_);
        restore("DISPLAY", display_);
    }

private:
    struct Saved {
        bool set = false;
        std::string value;
    };
    static void save(const char* name, Saved& saved) {
        const char* v = std::getenv(name);
        saved.set = v != nullptr;
        if (v != nullptr) saved.value = v;
    }
    static void restore(const char* name, const Saved& saved) {
        if (saved.set) {
            setenv(name, saved.value.c_str(), 1);
        } else {
            unsetenv(name);
        }
    }
    Saved scale_, display_;
};

class ScaledEditorTest : public ::testing::Test {
protected:
    ScaledEditorTest() : plugin(std::make_unique<APlugin>(&sizeRecordingHost)) { sizeRequests.clear(); }

    VstIntPtr dispatch(VstInt32 opcode, VstInt32 index = 0, VstIntPtr value = 0, void* ptr = nullptr,
                       float opt = 0.0f) {
        return plugin->dispatcher(opcode, index, value, ptr, opt);
    }
    VstIntPtr tellScale(float factor) {
        return dispatch(effVendorSpecific, fourCharCode("PreS"), fourCharCode("AeCs"), nullptr, factor);
    }
    std::pair<int, int> rect() {
        ERect* r = nullptr;
        EXPECT_EQ(dispatch(effEditGetRect, 0, 0, &r), 1);
        return r ? std::pair<int, int>(r->right - r->left, r->bottom - r->top) : std::pair<int, int>(0, 0);
    }
    TPluginEditorWindow* window() { return static_cast<APluginEditor*>(plugin->getEditor())->editorWindow(); }
    // A mouse event at window device pixels, or at a control's own ones.
    void mouse(int32_t kind, int x, int y, bool shift = false, const char* control = "") {
        remote::EditorMouseEvent event{};
        event.kind = kind;
        event.button = remote::kButtonLeft;
        event.modifiers = shift ? remote::kModifierShift : 0;
        event.x = x;
        event.y = y;
        std::snprintf(event.control, sizeof event.control, "%s", control);
        ASSERT_EQ(dispatch(effVendorSpecific, remote::kEditorRemote, remote::kCommandMouse, &event), 1);
    }

    ScaleEnvironment environment;
    std::unique_ptr<APlugin> plugin;
};

TEST(ScaleFactors, AnyInputGivesAFactorTheEditorDrawsAt) {
    EXPECT_EQ(gui::saneScale(1.5), 1.5);
    EXPECT_EQ(gui::saneScale(2.25), 2.25);
    for (double absurd : {0.0, -1.0, -1e300, std::nan(""), 0.5}) EXPECT_EQ(gui::saneScale(absurd), 1.0) << absurd;
    for (double absurd : {100.0, 3.5, HUGE_VAL}) EXPECT_EQ(gui::saneScale(absurd), 3.0) << absurd;

    double f = 0.0;
    EXPECT_TRUE(gui::parseScale("1.75", f));
    EXPECT_EQ(f, 1.75);
    for (const char* text : {"", "x2", "2x", "1.5 2"}) EXPECT_FALSE(gui::parseScale(text, f)) << text;
    EXPECT_FALSE(gui::parseScale(nullptr, f));

    // The scale rounds positions and sizes separately: every strip has one size.
    gui::Scale s(1.5);
    EXPECT_EQ(s.size(13), 20);
    EXPECT_EQ(s.box(layout::Box{60, 60, 100, 153}), gui::Rect::sized(90, 90, 150, 230));
    EXPECT_EQ(s.toLayout(75), 50);
    EXPECT_EQ(s.toLayout(-1), -1);  // left of a strip while it holds the mouse
}

TEST(ScaleFactors, TheDesktopsDpiIsReadFromItsResources) {
    EXPECT_EQ(gui::xftDpi("Xft.antialias:\t1\nXft.dpi:\t192\nXft.hinting:\t1\n"), 192.0);
    EXPECT_EQ(gui::xftDpi("Xft.dpi: 144"), 144.0);
    EXPECT_EQ(gui::xftDpi("  Xft.dpi :\t96.5\n"), 96.5);
    for (const char* none : {"", "Xft.dpiX:\t192\n", "Xft.dpi:\tlarge\n", "Xft.dpi:\t-96\n", "*.dpi:\t192\n"})
        EXPECT_EQ(gui::xftDpi(none), 0.0) << none;
    EXPECT_EQ(gui::xftDpi(nullptr), 0.0);
}

TEST_F(ScaledEditorTest, TheHostsFactorSetsTheSizeBeforeAndAfterOpen) {
    EXPECT_EQ(rect(), std::make_pair(731, 278));
    EXPECT_EQ(tellScale(2.0f), 1);
    EXPECT_EQ(rect(), std::make_pair(1462, 556));
    ASSERT_EQ(dispatch(effEditOpen), 1);
    ASSERT_NE(window(), nullptr);
    EXPECT_EQ(window()->width(), 1462);
    EXPECT_EQ(window()->framebuffer().height(), 556);
    EXPECT_TRUE(sizeRequests.empty()) << "the host's frame already had the size";

    // While open: the window is drawn anew, the host asked to resize, and
    // what the window showed stays.
    mouse(remote::kMousePress, 660, 212);
    mouse(remote::kMouseRelease, 660, 212);
    const std::string line = window()->readoutText();
    EXPECT_EQ(tellScale(1.5f), 1);
    ASSERT_NE(window(), nullptr);
    EXPECT_EQ(window()->width(), 1097);
    EXPECT_EQ(rect(), std::make_pair(1097, 417));
    ASSERT_EQ(sizeRequests.size(), 1u);
    EXPECT_EQ(sizeRequests[0], std::make_pair(1097, 417));
    EXPECT_EQ(window()->readoutText(), line);
    EXPECT_EQ(window()->values[21].load(), 0.5f);

    // The same factor again changes nothing.
    EXPECT_EQ(tellScale(1.5f), 1);
    EXPECT_EQ(sizeRequests.size(), 1u);
    dispatch(effEditClose);
    EXPECT_EQ(rect(), std::make_pair(1097, 417));
}

TEST_F(ScaledEditorTest, TheUsersVariableComesAfterTheHostAndAbsurdValuesFallBack) {
    setenv("VARDELLINE_UI_SCALE", "1.5", 1);
    EXPECT_EQ(rect(), std::make_pair(1097, 417));
    const std::pair<const char*, std::pair<int, int>> cases[] = {
        {"0", {731, 278}}, {"-2", {731, 278}}, {"nan", {731, 278}}, {"100", {2193, 834}}, {"large", {731, 278}}};
    for (const auto& [text, size] : cases) {
        setenv("VARDELLINE_UI_SCALE", text, 1);
        EXPECT_EQ(rect(), size) << text;
    }
    setenv("VARDELLINE_UI_SCALE", "1.5", 1);
    tellScale(2.0f);
    EXPECT_EQ(rect(), std::make_pair(1462, 556));
    for (float absurd : {0.0f, -1.0f, NAN}) {
        tellScale(absurd);
        EXPECT_EQ(rect(), std::make_pair(731, 278)) << absurd;
    }
    tellScale(100.0f);
    EXPECT_EQ(rect(), std::make_pair(2193, 834));
}

TEST_F(ScaledEditorTest, PressesAndDragsSelectTheSameValuesAtEveryFactor) {
    std::vector<float> atOne;
    for (double f : {1.0, 1.25, 1.5, 1.75, 2.0, 2.6, 3.0}) {
        SCOPED_TRACE(f);
        auto device = [f](int layoutPixel) { return static_cast<int>(std::ceil(layoutPixel * f)); };
        tellScale(static_cast<float>(f));
        ASSERT_EQ(dispatch(effEditOpen), 1);
        // Layout point (330, 106) is pixel 50 of HsPan3: 0.5.
        plugin->setParameter(21, 0.1f);
        mouse(remote::kMousePress, device(330), device(106));
        EXPECT_EQ(plugin->getParameter(21), 0.5f);
        mouse(remote::kMouseMove, device(330) + device(20), device(106));
        EXPECT_EQ(plugin->getParameter(21), 0.75f);
        mouse(remote::kMouseRelease, device(350), device(106));

        // A fine drag from the same start: 1/1000 per layout pixel.
        std::vector<float> seen;
        plugin->setParameter(40, 0.3f);
        mouse(remote::kMousePress, device(40), device(6), true, "HsWidth6");
        for (int x : {60, 61, 99, 5, -300}) {
            mouse(remote::kMouseMove, device(x), device(6), true, "HsWidth6");
            seen.push_back(plugin->getParameter(40));
        }
        mouse(remote::kMouseRelease, device(40), device(6), false, "HsWidth6");
        if (f == 1.0) {
            atOne = seen;
            EXPECT_NEAR(seen[0], 0.35f, 1e-6);
        } else {
            EXPECT_EQ(seen, atOne);
        }
        dispatch(effEditClose);
    }
}

TEST_F(ScaledEditorTest, AtThreeEveryDrawingStaysInsideTheFramebuffer) {
    tellScale(3.0f);
    ASSERT_EQ(dispatch(effEditOpen), 1);
    for (int i = 0; i < kNumParams; ++i) plugin->setParameter(i, (i % 3) * 0.5f);
    // Far outside the window while a strip holds the mouse.
    mouse(remote::kMousePress, 3 * 95, 3 * 26);
    for (int x : {-100000, 100000, 2192, 0}) mouse(remote::kMouseMove, x, 100000);
    mouse(remote::kMouseRelease, 100000, -100000);
    dispatch(effVendorSpecific, remote::kEditorRemote, remote::kCommandTick, nullptr);
    remote::EditorFramebuffer frame{};
    ASSERT_EQ(dispatch(effVendorSpecific, remote::kEditorRemote, remote::kCommandFramebuffer, &frame), 1);
    EXPECT_EQ(frame.width, 2193);
    EXPECT_EQ(frame.height, 834);
    dispatch(effEditClose);
}

TEST_F(ScaledEditorTest, OpeningAndClosingTwoHundredTimesAtTwoKeepsNoMemory) {
    tellScale(2.0f);
    dispatch(effEditOpen);  // the pictures at 2 are drawn once and kept
    dispatch(effEditClose);
    const size_t before = mallinfo2().uordblks;
    for (int i = 0; i < 200; ++i) {
        ASSERT_EQ(dispatch(effEditOpen), 1);
        dispatch(effEditIdle);
        dispatch(effEditClose);
    }
    const size_t after = mallinfo2().uordblks;
    EXPECT_LT(after, before + 64 * 1024) << "bytes in use grew from " << before << " to " << after;
}

// The window at a factor with the golden image test's setting.
class ScaledWindow {
public:
    explicit ScaledWindow(double factor) : window(factor), effect(window) {
        window.attach(std::make_unique<gui::HeadlessWindow>());
        window.plugin = &effect;
        setVariedValues(effect, window);
        window.SetAll();
        gui::PointerEvent press;
        press.kind = gui::PointerKind::Press;
        press.x = window.scale.at(50);
        press.y = window.scale.at(6);
        window.dispatchPointer(press, window.findControl("HsPan3"));
        press.kind = gui::PointerKind::Release;
        window.dispatchPointer(press, window.findControl("HsPan3"));
        window.repaintPending();
    }
    const gui::Surface& frame() const { return window.framebuffer(); }

    TPluginEditorWindow window;
    FakeEffect effect;
};

std::vector<unsigned char> rgbBytes(const gui::Surface& frame) {
    std::vector<unsigned char> bytes;
    for (int y = 0; y < frame.height(); ++y) {
        for (int x = 0; x < frame.width(); ++x) {
            gui::Color c = frame.pixel(x, y);
            for (int channel : {gui::redOf(c), gui::greenOf(c), gui::blueOf(c)})
                bytes.push_back(static_cast<unsigned char>(channel));
        }
    }
    return bytes;
}

class ScaledGoldenImageTest : public ::testing::TestWithParam<int> {};

TEST_P(ScaledGoldenImageTest, WindowMatchesTheStoredPicture) {
    const int percent = GetParam();
    ScaledWindow scaled(percent / 100.0);
    const gui::Surface& frame = scaled.frame();
    const std::string golden = std::string(VARDELLINE_GOLDEN_DIR) + "/editor_window_" + std::to_string(percent) + ".png";
    std::vector<unsigned char> actual = rgbBytes(frame);
    if (std::getenv("VARDELLINE_UPDATE_GOLDEN") != nullptr) {
        ASSERT_NE(stbi_write_png(golden.c_str(), frame.width(), frame.height(), 3, actual.data(), frame.width() * 3), 0);
        GTEST_SKIP() << "rewrote " << golden;
    }
    int width = 0, height = 0, channels = 0;
    unsigned char* stored = stbi_load(golden.c_str(), &width, &height, &channels, 3);
    ASSERT_NE(stored, nullptr) << golden;
    long differ = -1;
    if (width == frame.width() && height == frame.height()) {
        differ = 0;
        for (size_t i = 0; i < actual.size(); i += 3) differ += std::memcmp(&actual[i], &stored[i], 3) != 0;
    }
    stbi_image_free(stored);
    if (differ != 0) {
        const std::string path = ::testing::TempDir() + "editor_window_" + std::to_string(percent) + "_actual.png";
        stbi_write_png(path.c_str(), frame.width(), frame.height(), 3, actual.data(), frame.width() * 3);
        ADD_FAILURE() << differ << " pixels differ from " << golden << " (-1: other size); now drawn: " << path;
    }
}

INSTANTIATE_TEST_SUITE_P(Factors, ScaledGoldenImageTest, ::testing::Values(150, 200));

int luminance(gui::Color c) {
    return gui::redOf(c) * 3 + gui::greenOf(c) * 6 + gui::blueOf(c);
}

TEST(ScaledPictures, AtTwoTheyAreDrawnNotResampled) {
    ScaledWindow two(2.0);
    ASSERT_EQ(two.frame().width(), 1462);

    // Straight edges: down the middle of a track every band of colour is a
    // whole number of layout pixels wide (two device pixels or more), with
    // no in-between pixel where two bands meet, as a smoothing resample
    // would leave.
    const gui::Rect strip = two.window.findControl("HsFeed2")->windowRect();
    const int x = strip.left + 2 * 25;  // away from the knob
    std::vector<int> runs;
    gui::Color last = two.frame().pixel(x, strip.top);
    int run = 0;
    for (int y = strip.top; y < strip.bottom; ++y) {
        gui::Color c = two.frame().pixel(x, y);
        if (gui::sameColor(c, last)) {
            ++run;
            continue;
        }
        runs.push_back(run);
        run = 1;
        last = c;
    }
    runs.push_back(run);
    EXPECT_GE(runs.size(), 5u);
    for (int r : runs) EXPECT_GE(r, 2) << "a one-pixel band of colour down the track: a soft edge";
    EXPECT_EQ(runs, (std::vector<int>{2, 4, 4, 6, 2, 6, 2}));

    // Text and curves: a copy of the picture at 1 with every pixel doubled
    // has only uniform 2 x 2 blocks; glyphs drawn at their real size do not.
    const gui::Rect readout = two.window.printout.windowRect();
    int blocks = 0, mixed = 0;
    for (int y = readout.top; y + 1 < readout.bottom; y += 2) {
        for (int x2 = readout.left; x2 + 1 < readout.right; x2 += 2) {
            const gui::Surface& f = two.frame();
            const int a = luminance(f.pixel(x2, y));
            ++blocks;
            if (a != luminance(f.pixel(x2 + 1, y)) || a != luminance(f.pixel(x2, y + 1)) ||
                a != luminance(f.pixel(x2 + 1, y + 1)))
                ++mixed;
        }
    }
    EXPECT_GT(mixed, blocks / 20) << mixed << " of " << blocks << " blocks mixed";

}

}  // namespace
}  // namespace vardelline::testing
