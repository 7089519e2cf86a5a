// The loader and the host protocol, checked against the fake plug-in's log of
// what it was told and what the callback answered.
#include "tools/host/plugin_instance.h"

#include <gtest/gtest.h>

#include "host_test_support.h"
#include "tools/host/host_error.h"
#include "tools/host/renderer.h"

namespace vardelline::host {
namespace {

using LogProc = const char* (*)();
using ClearProc = void (*)();

class PluginInstanceTest : public hosttest::ScratchFolder {
protected:
    void SetUp() override {
        ScratchFolder::SetUp();
        library = PluginLibrary::open(FAKE_PLUGIN);
        reinterpret_cast<ClearProc>(library->symbol("fakePluginClearLog"))();
    }
    std::string log() const { return reinterpret_cast<LogProc>(library->symbol("fakePluginLog"))(); }

    std::shared_ptr<PluginLibrary> library;
};

TEST_F(PluginInstanceTest, FollowsTheHostProtocolAndAnswersTheCallback) {
    {
        PluginInstance instance(library, {48000.0, 64});
        EXPECT_EQ(log(), "version=2400 rate-at-main=48000 block-at-main=64 open rate=48000 block=64");

        BufferSource source({std::vector<float>(150, 0.5f), std::vector<float>(150, 0.25f)}, 48000.0);
        ProgressBar noBar(stderr, false);
        reinterpret_cast<ClearProc>(library->symbol("fakePluginClearLog"))();
        TailPolicy tail;
        tail.automatic = false;
        tail.seconds = 10 / 48000.0;
        int64_t written = 0;
        const RenderOutcome outcome = renderStream(
            instance, source, tail, [&](const float*, const float*, size_t frames) { written += frames; }, noBar);

        // Blocks never exceed the announced size, the tail follows the input,
        // and the time info tracks the position while playing.
        EXPECT_EQ(log(),
                  "mains=1 time=0@48000/playing frames=64 time=64@48000/playing frames=64 "
                  "time=128@48000/playing frames=22 time=150@48000/playing frames=10 mains=0");
        EXPECT_EQ(outcome.frames, 160);
        EXPECT_EQ(outcome.tailFrames, 10);
        EXPECT_EQ(written, 160);
        EXPECT_FALSE(instance.isResumed());
    }
    EXPECT_NE(log().find("mains=0 close"), std::string::npos);
}

TEST_F(PluginInstanceTest, ConfigureWhileResumedSuspendsFirst) {
    PluginInstance instance(library, {44100.0, 32});
    instance.resume();
    reinterpret_cast<ClearProc>(library->symbol("fakePluginClearLog"))();
    instance.configure({96000.0, 128});
    EXPECT_EQ(log(), "mains=0 rate=96000 block=128");
}

TEST_F(PluginInstanceTest, RecordsAutomationFromThePlugin) {
    PluginInstance instance(library, {});
    int seenIndex = -1;
    float seenValue = 0.0f;
    instance.setAutomationListener([&](int index, float value) {
        seenIndex = index;
        seenValue = value;
    });
    instance.dispatch(effVendorSpecific, 2, 0, nullptr, 0.25f);
    EXPECT_EQ(seenIndex, 2);
    EXPECT_FLOAT_EQ(seenValue, 0.25f);
    EXPECT_EQ(instance.automationCount(), 1u);
}

TEST_F(PluginInstanceTest, ReadsTextsIntoBoundedBuffers) {
    PluginInstance instance(library, {});
    EXPECT_EQ(instance.effectName(), "Fake");
    EXPECT_EQ(instance.programName(1), "Half Gain");
    EXPECT_EQ(instance.programName(5), "");
    EXPECT_EQ(instance.parameterName(0), "Gain");
    EXPECT_EQ(instance.parameterName(2), "");  // the plug-in writes nothing: the host's buffer stays empty
    instance.setProgram(1);
    EXPECT_EQ(instance.currentProgramName(), "Half Gain");
    EXPECT_FLOAT_EQ(instance.getParameter(0), 0.5f);
}

class PluginLoadErrors : public hosttest::ScratchFolder {};

TEST_F(PluginLoadErrors, NameTheLibraryAndTheFault) {
    auto messageOf = [](const std::string& path, const std::function<void()>& load) {
        try {
            load();
        } catch (const HostError& e) {
            EXPECT_EQ(std::string(e.what()).rfind(path + ": ", 0), 0u) << e.what();
            return std::string(e.what());
        }
        return std::string("no error");
    };
    const std::string missing = "/nonexistent/vardelline.so";
    EXPECT_NE(messageOf(missing, [&] { PluginLibrary::open(missing); }).find("no such plug-in file"),
              std::string::npos);
    const std::string notLibrary = path("notes.so");
    std::ofstream(notLibrary) << "not a library";
    EXPECT_NE(messageOf(notLibrary, [&] { PluginLibrary::open(notLibrary); }).find("cannot load plug-in"),
              std::string::npos);
    EXPECT_NE(messageOf(FAKE_PLUGIN_REFUSE, [] { PluginInstance(PluginLibrary::open(FAKE_PLUGIN_REFUSE), {}); })
                  .find("refused to start"),
              std::string::npos);
    EXPECT_NE(messageOf(FAKE_PLUGIN_MONO,
                        [] {
                            PluginInstance mono(PluginLibrary::open(FAKE_PLUGIN_MONO), {});
                            requireStereoEffect(mono);
                        })
                  .find("has 1 input and 2 outputs; need 2 of each"),
              std::string::npos);
}

}  // namespace
}  // namespace vardelline::host
