// The effect object's hand-over to the engine: sample-rate changes the
// engine follows, suspend, and blocks the host hands over incomplete.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <limits>
#include <vector>

#include "support/fake_host.h"

using namespace vardelline;

namespace {

void processSilence(APlugin& plugin, int frames) {
    std::vector<float> l(frames, 0.0f), r(frames, 0.0f);
    float* in[2] = {l.data(), r.data()};
    plugin.processReplacing(in, in, frames);
}

}  // namespace

TEST(EngineHandoff, SampleRateChangesReachTheEngineAndAbsurdRatesAreIgnored) {
    auto plugin = makePlugin();
    EXPECT_EQ(plugin->getEngineSampleRate(), 44100.0f);
    plugin->setSampleRate(48000.0f);
    processSilence(*plugin, 32);
    EXPECT_EQ(plugin->engineState().sampleRate(), 48000.0f);
    for (float bad : {0.0f, -44100.0f, 0.5f, 2.0e6f, std::numeric_limits<float>::quiet_NaN(),
                      std::numeric_limits<float>::infinity()}) {
        plugin->setSampleRate(bad);
        plugin->setBlockSizeAndSampleRate(64, bad);
    }
    processSilence(*plugin, 32);
    EXPECT_EQ(plugin->engineState().sampleRate(), 48000.0f);
    EXPECT_EQ(plugin->getSampleRate(), 48000.0f);
    plugin->setBlockSizeAndSampleRate(256, 96000.0f);
    processSilence(*plugin, 32);
    EXPECT_EQ(plugin->engineState().sampleRate(), 96000.0f);
    EXPECT_EQ(plugin->getBlockSize(), 256);
}

TEST(EngineHandoff, SuspendSilencesTheChorusButNotThePlainLines) {
    auto plugin = makePlugin();
    plugin->setParameter(kLeftDelay, 0.5f);  // 80 ms on band 1
    plugin->setParameter(kBalance, 0.0f);    // plain path alone
    std::vector<float> l(2048), r(2048, 0.0f);
    for (size_t k = 0; k < l.size(); ++k) l[k] = std::sin(0.01f * k);
    float* in[2] = {l.data(), r.data()};
    std::vector<float> outL(2048), outR(2048);
    float* out[2] = {outL.data(), outR.data()};
    plugin->processReplacing(in, out, 2048);
    plugin->suspend();
    plugin->resume();
    std::fill(l.begin(), l.end(), 0.0f);
    plugin->processReplacing(in, out, 2048);
    float peak = 0.0f;
    for (float s : outL) peak = std::max(peak, std::fabs(s));
    EXPECT_GT(peak, 1e-3f);  // the plain line replays what it held
}

TEST(EngineHandoff, BlocksWithMissingBuffersAreSkipped) {
    auto plugin = makePlugin();
    float sample = 0.5f;
    float* channel[2] = {&sample, nullptr};
    float* good[2] = {&sample, &sample};
    plugin->processReplacing(channel, good, 1);
    plugin->process(good, channel, 1);
    plugin->processReplacing(nullptr, good, 1);
    EXPECT_EQ(plugin->engineState().sampleCounter(), 0u);
    plugin->processReplacing(good, good, 1);
    EXPECT_EQ(plugin->engineState().sampleCounter(), 1u);
}
