// The audio thread's calls into the plug-in make no allocation, take no lock
// and make no blocking system call: this executable carries the validator's
// interception of those functions (tools/host/validate_intercept.*), to
// which the loaded vardelline.clap's calls bind.
#include <gtest/gtest.h>

#include <cmath>

#include "clap_test_host.h"
#include "tools/host/validate_intercept.h"

using namespace claptest;
namespace realtime = vardelline::host::validate::realtime;

TEST(ClapRealtime, ProcessAndFlushMakeNoForbiddenCalls) {
    if (!realtime::available()) GTEST_SKIP() << realtime::why();
    ClapLibrary library;
    TestHost host;
    // The interception reaches the plug-in: creating an instance allocates.
    realtime::reset();
    {
        realtime::AudioScope scope;
        Instance probe(library, host);
    }
    ASSERT_GT(realtime::violations(), 0) << "the plug-in's calls do not bind to the interception";

    Instance instance(library, host);
    ASSERT_TRUE(instance.activate(48000.0, 4096));
    std::vector<float> inL = testSignal(4096, 1), inR = testSignal(4096, 2), outL(4096), outR(4096);
    // Events at many offsets, hostile ones among them, and a list that claims more than it holds.
    InputEvents events;
    for (uint32_t t = 0; t < 4096; t += 97) events.addValue(t, t % 52, (t % 101) / 100.0);
    events.addValue(100, 999, 0.5);
    events.addValue(200, 3, std::nan(""));
    clap_event_header odd = {16, 300, 5, 9999, 0};
    events.add(odd);
    InputEvents lying = events;
    lying.claimedSize = 100000;
    OutputEvents out;

    realtime::reset();
    {
        realtime::AudioScope scope;
        for (uint32_t frames : {1u, 32u, 511u, 4096u}) {
            instance.process(inL.data(), inR.data(), outL.data(), outR.data(), frames, &events, &out);
            instance.process(inL.data(), inR.data(), outL.data(), outR.data(), frames, &lying, &out);
        }
        instance.plugin->reset(instance.plugin);
        instance.params->flush(instance.plugin, events.list(), out.list());
    }
    EXPECT_EQ(realtime::violations(), 0) << "first: " << realtime::firstViolation();
}
