// The descriptor as a host sees it right after the entry point returns, and
// the life cycle of instances.
#include <gtest/gtest.h>

#include "support/test_host.h"

TEST(Descriptor, IsCompleteAfterEntry) {
    TestHost host;
    AEffect* e = host.create();
    ASSERT_NE(e, nullptr);
    int32_t magic;
    std::memcpy(&magic, e, sizeof magic);
    EXPECT_EQ(magic, 0x56737450);
    EXPECT_EQ(e->numPrograms, 8);
    EXPECT_EQ(e->numParams, 80);
    EXPECT_EQ(e->numInputs, 2);
    EXPECT_EQ(e->numOutputs, 2);
    EXPECT_EQ(e->flags, 25);
    EXPECT_EQ(e->initialDelay, 0);
    EXPECT_EQ(e->realQualities, 0);
    EXPECT_EQ(e->offQualities, 0);
    EXPECT_EQ(e->resvd1, 0);
    EXPECT_EQ(e->resvd2, 0);
    EXPECT_EQ(e->ioRatio, 1.0f);
    EXPECT_EQ(e->uniqueID, 0x76644C6E);  // 'vdLn'
    EXPECT_EQ(e->version, 1);
    EXPECT_NE(e->object, nullptr);
    EXPECT_NE(e->dispatcher, nullptr);
    EXPECT_NE(e->process, nullptr);
    EXPECT_NE(e->processReplacing, nullptr);
    EXPECT_NE(e->setParameter, nullptr);
    EXPECT_NE(e->getParameter, nullptr);
    for (char byte : e->future) EXPECT_EQ(byte, 0);
}

TEST(Descriptor, BothEntryNamesCreateIndependentInstances) {
    TestHost host;
    ASSERT_NE(host.mainEntry, nullptr);
    AEffect* a = host.create();
    AEffect* b = host.create(host.mainEntry);
    ASSERT_NE(a, nullptr);
    ASSERT_NE(b, nullptr);
    EXPECT_NE(a, b);
    EXPECT_NE(a->object, b->object);
    a->setParameter(a, 5, 0.75f);
    EXPECT_EQ(a->getParameter(a, 5), 0.75f);
    EXPECT_EQ(b->getParameter(b, 5), 0.0f);
}

TEST(Descriptor, HostAnsweringZeroToVersionGetsNoInstance) {
    TestHost host;
    host.versionAnswer = 0;
    EXPECT_EQ(host.create(), nullptr);
    ASSERT_EQ(host.requests.size(), 1u);  // the version query and nothing else
    EXPECT_EQ(host.requests[0].opcode, audioMasterVersion);
    EXPECT_EQ(host.requests[0].effect, nullptr);
}

TEST(Descriptor, NullCallbackGetsNullInsteadOfACrash) {
    TestHost host;
    EXPECT_EQ(host.entry(nullptr), nullptr);
    EXPECT_EQ(host.mainEntry(nullptr), nullptr);
}

TEST(Descriptor, CloseAnswersOneAndManyInstancesComeAndGo) {
    TestHost host;
    std::vector<AEffect*> effects;
    for (int i = 0; i < 6; ++i) effects.push_back(host.create());
    for (int i : {3, 0, 5, 1, 4, 2}) EXPECT_EQ(host.close(effects[i]), 1);
}

TEST(Descriptor, GetParameterReturnsTheStoredFloat) {
    TestHost host;
    AEffect* e = host.create();
    e->setParameter(e, 2, 0.3f);
    EXPECT_EQ(e->getParameter(e, 2), 0.3f);
    EXPECT_EQ(e->getParameter(e, 80), 0.0f);
    EXPECT_EQ(e->getParameter(e, -1), 0.0f);
}
