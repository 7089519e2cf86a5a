// Our editor-remote extension through the binary interface: the editor
// drawn into memory at a chosen factor, driven by mouse records into the
// same gestures a window would make, and every unusable request refused
// without harm.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <limits>
#include <vector>

#include "clap/abi/editor_remote.h"
#include "clap_test_host.h"

using namespace claptest;
namespace remote = vardelline::remote;

namespace {

const vardelline_plugin_editor_remote* remoteOf(const Instance& instance) {
    return instance.extension<vardelline_plugin_editor_remote>(VARDELLINE_EXT_EDITOR_REMOTE);
}

remote::EditorMouseEvent at(int32_t kind, const char* control, int x) {
    remote::EditorMouseEvent event{};
    event.kind = kind;
    event.button = remote::kButtonLeft;
    event.x = x;
    event.y = 6;
    std::snprintf(event.control, sizeof event.control, "%s", control);
    return event;
}

}  // namespace

TEST(ClapEditorRemote, OpensAtTheFactorGivenAndRefusesUnusableRequests) {
    ClapLibrary library;
    TestHost host;
    Instance instance(library, host);
    const vardelline_plugin_editor_remote* r = remoteOf(instance);
    ASSERT_NE(r, nullptr);
    const clap_plugin* p = instance.plugin;
    remote::EditorFramebuffer frame{};
    const remote::EditorMouseEvent press = at(remote::kMousePress, "HsPan3", 50);

    // No plug-in, or no editor yet.
    EXPECT_FALSE(r->open_headless(nullptr, 1.0));
    EXPECT_FALSE(r->framebuffer(nullptr, &frame));
    EXPECT_FALSE(r->mouse(nullptr, &press));
    EXPECT_FALSE(r->tick(nullptr));
    r->close(nullptr);
    r->close(p);
    EXPECT_FALSE(r->framebuffer(p, &frame));
    EXPECT_FALSE(r->mouse(p, &press));
    EXPECT_FALSE(r->tick(p));

    // Factors outside 1..3 are refused, not made sane, and open nothing.
    for (double factor : {-1.0, 0.5, 0.999, 3.001, 1e300, std::numeric_limits<double>::infinity(),
                          std::numeric_limits<double>::quiet_NaN()}) {
        EXPECT_FALSE(r->open_headless(p, factor)) << factor;
        EXPECT_FALSE(r->framebuffer(p, &frame)) << factor;
    }

    ASSERT_TRUE(r->open_headless(p, 2.0));
    EXPECT_FALSE(r->open_headless(p, 1.0));  // one editor at a time; the open one stays
    EXPECT_FALSE(r->framebuffer(p, nullptr));
    ASSERT_TRUE(r->framebuffer(p, &frame));
    EXPECT_EQ(frame.width, 1462);
    EXPECT_EQ(frame.height, 556);
    EXPECT_GE(frame.stride, frame.width);
    ASSERT_NE(frame.pixels, nullptr);

    // Records the window could not have sent.
    EXPECT_FALSE(r->mouse(p, nullptr));
    remote::EditorMouseEvent bad = at(remote::kMousePress, "HsNone", 50);
    EXPECT_FALSE(r->mouse(p, &bad));
    bad = press;
    bad.kind = 9;
    EXPECT_FALSE(r->mouse(p, &bad));
    bad = press;
    bad.button = -1;
    EXPECT_FALSE(r->mouse(p, &bad));
    std::memset(bad.control, 'H', sizeof bad.control);  // no terminating zero
    EXPECT_FALSE(r->mouse(p, &bad));
    EXPECT_TRUE(r->tick(p));

    r->close(p);
    EXPECT_FALSE(r->framebuffer(p, &frame));
    ASSERT_TRUE(r->open_headless(p, 1.0));  // reopens after a close, at the new factor
    ASSERT_TRUE(r->framebuffer(p, &frame));
    EXPECT_EQ(frame.width, 731);
    // Destroying the instance with the editor open closes it.
}

TEST(ClapEditorRemote, ADragBecomesOneGestureAndItsValueAndShowsAfterATick) {
    ClapLibrary library;
    TestHost host;
    Instance instance(library, host);
    const vardelline_plugin_editor_remote* r = remoteOf(instance);
    const clap_plugin* p = instance.plugin;
    ASSERT_TRUE(r->open_headless(p, 1.0));
    remote::EditorFramebuffer frame{};
    ASSERT_TRUE(r->framebuffer(p, &frame));
    const std::vector<uint32_t> before(frame.pixels, frame.pixels + static_cast<size_t>(frame.stride) * frame.height);

    for (const remote::EditorMouseEvent& event :
         {at(remote::kMousePress, "HsFeed3", 10), at(remote::kMouseMove, "HsFeed3", 40),
          at(remote::kMouseMove, "HsFeed3", 70), at(remote::kMouseRelease, "HsFeed3", 70)})
        ASSERT_TRUE(r->mouse(p, &event));
    EXPECT_GT(host.requestFlushes, 0);

    OutputEvents out;
    instance.params->flush(p, nullptr, out.list());
    ASSERT_GE(out.events.size(), 3u);
    EXPECT_EQ(out.events.front().header.type, CLAP_EVENT_PARAM_GESTURE_BEGIN);
    EXPECT_EQ(out.events.back().header.type, CLAP_EVENT_PARAM_GESTURE_END);
    const OutputEvents::Event& last = out.events[out.events.size() - 2];
    ASSERT_EQ(last.header.type, CLAP_EVENT_PARAM_VALUE);
    for (const OutputEvents::Event& event : out.events) EXPECT_EQ(event.paramId, last.paramId);
    double value = -1.0;
    ASSERT_TRUE(instance.params->get_value(p, last.paramId, &value));
    EXPECT_NEAR(value, last.value, 1e-6);
    EXPECT_NEAR(value, 0.75, 0.02);  // 70 of the slider's 10..90

    ASSERT_TRUE(r->tick(p));
    ASSERT_TRUE(r->framebuffer(p, &frame));
    const std::vector<uint32_t> after(frame.pixels, frame.pixels + static_cast<size_t>(frame.stride) * frame.height);
    EXPECT_NE(before, after);
    r->close(p);
}
