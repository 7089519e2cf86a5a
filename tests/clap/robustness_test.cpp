// Rates, block sizes, shared buffers, bad activations and many instances
// living and dying while another one sounds.
#include <gtest/gtest.h>

#include <cmath>
#include <thread>

#include "clap_test_host.h"

using namespace claptest;

namespace {

// Renders frames of the test signal in blocks of the given sizes (cycled).
std::vector<float> render(Instance& instance, size_t frames, const std::vector<uint32_t>& sizes, bool inPlace) {
    std::vector<float> left = testSignal(frames, 5), right = testSignal(frames, 6);
    std::vector<float> outL(frames), outR(frames);
    size_t done = 0;
    for (size_t b = 0; done < frames; ++b) {
        const uint32_t n = static_cast<uint32_t>(std::min<size_t>(sizes[b % sizes.size()], frames - done));
        float* oL = inPlace ? left.data() + done : outL.data() + done;
        float* oR = inPlace ? right.data() + done : outR.data() + done;
        EXPECT_EQ(instance.process(left.data() + done, right.data() + done, oL, oR, n), CLAP_PROCESS_CONTINUE);
        done += n;
    }
    if (inPlace) {
        outL = left;
        outR = right;
    }
    outL.insert(outL.end(), outR.begin(), outR.end());
    return outL;
}

}  // namespace

TEST(ClapRobustness, FiveRatesManyBlockSizesSharedOrSeparateBuffers) {
    ClapLibrary library;
    TestHost host;
    const auto presetsOf = [](Instance& i) {
        return i.extension<clap_plugin_preset_load>(CLAP_EXT_PRESET_LOAD);
    };
    for (double rate : {44100.0, 48000.0, 88200.0, 96000.0, 192000.0}) {
        for (const std::vector<uint32_t>& sizes :
             {std::vector<uint32_t>{1}, {32}, {64, 1, 511}, {4096}, {1024, 3, 4000, 17}}) {
            std::vector<float> outputs[2];
            for (bool inPlace : {false, true}) {
                Instance instance(library, host);
                ASSERT_TRUE(presetsOf(instance)->from_location(instance.plugin, CLAP_PRESET_DISCOVERY_LOCATION_PLUGIN,
                                                               nullptr, "3"));
                ASSERT_TRUE(instance.activate(rate, 4096));
                outputs[inPlace] = render(instance, 8192, sizes, inPlace);
            }
            ASSERT_EQ(outputs[0], outputs[1]) << rate << " Hz: shared buffers sound different";
            for (float v : outputs[0]) ASSERT_TRUE(std::isfinite(v) && std::fabs(v) < 1e4f) << rate;
        }
    }
}

TEST(ClapRobustness, ActivationRefusesUnusableRatesAndReactivates) {
    ClapLibrary library;
    TestHost host;
    Instance instance(library, host);
    const clap_plugin* plugin = instance.plugin;
    for (double rate : {0.0, -48000.0, std::nan(""), double(INFINITY), 2.0e6})
        EXPECT_FALSE(plugin->activate(plugin, rate, 1, 512)) << rate;
    ASSERT_TRUE(instance.activate(44100.0, 512));
    const std::vector<float> first = render(instance, 2048, {512}, false);
    instance.deactivate();
    ASSERT_TRUE(instance.activate(96000.0, 512));
    for (float v : render(instance, 2048, {512}, false)) ASSERT_TRUE(std::isfinite(v));
    instance.deactivate();
    // Back at the first rate after a reset, the lines start over.
    ASSERT_TRUE(instance.activate(44100.0, 512));
    plugin->reset(plugin);
    Instance fresh(library, host);
    ASSERT_TRUE(fresh.activate(44100.0, 512));
    EXPECT_EQ(render(fresh, 2048, {512}, false), first);
}

TEST(ClapRobustness, InstancesComeAndGoWhileAnotherSounds) {
    ClapLibrary library;
    TestHost host;
    std::vector<float> alone;
    {
        Instance solo(library, host);
        ASSERT_TRUE(solo.activate(48000.0, 256));
        alone = render(solo, 48000, {256}, false);
    }
    Instance busy(library, host);
    ASSERT_TRUE(busy.activate(48000.0, 256));
    std::vector<float> meanwhile;
    std::thread audio([&] { meanwhile = render(busy, 48000, {256}, false); });
    for (int round = 0; round < 6; ++round) {
        std::vector<std::unique_ptr<Instance>> many;
        for (int i = 0; i < 8; ++i) many.push_back(std::make_unique<Instance>(library, host));
        for (size_t i = 0; i < many.size(); i += 2) many[i].reset();  // interleaved order
        for (auto& instance : many)
            if (instance) instance->activate(44100.0, 64);
        many.clear();
    }
    audio.join();
    EXPECT_EQ(meanwhile, alone);
}
