// The requests the plug-in makes of its host, in the order a host sees them.
#include <gtest/gtest.h>

#include "vst/plugin.h"
#include "support/test_host.h"

TEST(HostRequests, ConstructionAsksVersionRateAndTimeOnly) {
    TestHost host;
    AEffect* e = host.create();
    ASSERT_NE(e, nullptr);
    ASSERT_GE(host.requests.size(), 10u);
    EXPECT_EQ(host.requests[0].opcode, audioMasterVersion);
    EXPECT_EQ(host.requests[1].opcode, audioMasterGetSampleRate);
    EXPECT_EQ(host.requests[1].effect, e);
    EXPECT_EQ(host.requestsWith(audioMasterGetTime).size(), 8u);  // programs 7 down to 0
    EXPECT_EQ(host.requests.size(), 10u);
}

TEST(HostRequests, EveryProgramSwitchAsksForTimeEvenOutOfRange) {
    TestHost host;
    AEffect* e = host.create();
    host.requests.clear();
    TestHost::dispatch(e, effSetProgram, 0, 2);
    TestHost::dispatch(e, effSetProgram, 0, -5);
    auto times = host.requestsWith(audioMasterGetTime);
    ASSERT_EQ(times.size(), 2u);
    EXPECT_EQ(times[0].value, 0);
}

TEST(HostRequests, ResumeAsksForEventsAndSuspendAsksNothing) {
    TestHost host;
    AEffect* e = host.create();
    host.requests.clear();
    TestHost::dispatch(e, effMainsChanged, 0, 0);
    EXPECT_TRUE(host.requests.empty());
    TestHost::dispatch(e, effMainsChanged, 0, 1);
    auto wants = host.requestsWith(audioMasterWantMidi);
    ASSERT_EQ(wants.size(), 1u);
    EXPECT_EQ(wants[0].value, 1);
}

TEST(HostRequests, RateSetWhileTheHostAnswersBecomesTheEngineRate) {
    TestHost host;
    host.onSampleRateQuery = [](AEffect* e) { TestHost::dispatch(e, effSetSampleRate, 0, 0, nullptr, 48000.0f); };
    AEffect* e = host.create();
    ASSERT_NE(e, nullptr);
    auto* plugin = static_cast<APlugin*>(static_cast<AudioEffect*>(e->object));
    EXPECT_EQ(plugin->getEngineSampleRate(), 48000.0f);
}
