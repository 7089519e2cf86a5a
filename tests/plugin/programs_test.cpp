// Factory programs, program switching and naming, programs as edit buffers.
#include <gtest/gtest.h>

#include <cstring>

#include "support/fake_host.h"

TEST(Programs, ConstructionEndsOnDefaultWithItsValues) {
    auto plugin = makePlugin();
    EXPECT_EQ(plugin->getProgram(), 0);
    char name[kVstMaxProgNameLen];
    plugin->getProgramName(name);
    EXPECT_STREQ(name, "Default");
    EXPECT_EQ(plugin->getParameter(0), 0.0f);
    EXPECT_EQ(plugin->getParameter(1), 1.0f);
    EXPECT_EQ(plugin->getParameter(2), 0.8f);
    for (int i = 19; i <= 25; ++i) EXPECT_EQ(plugin->getParameter(i), 0.5f) << i;
    for (int i = 26; i <= 80; ++i) EXPECT_EQ(plugin->parameterValue(i), 0.0f) << i;
}

TEST(Programs, FactoryNamesAndValues) {
    auto plugin = makePlugin();
    const char* names[] = {"Default", "DefaultSpread", "AlterSpread", "Panned",
                           "Extreme", "HighSpread",    "Expanding",   "Narrow"};
    char text[kVstMaxProgNameLen];
    for (int p = 0; p < 8; ++p) {
        EXPECT_TRUE(plugin->getProgramNameIndexed(0, p, text));
        EXPECT_STREQ(text, names[p]);
    }
    std::memset(text, 'x', sizeof text);
    EXPECT_FALSE(plugin->getProgramNameIndexed(0, 8, text));
    EXPECT_FALSE(plugin->getProgramNameIndexed(0, -1, text));
    EXPECT_EQ(text[0], 'x');

    plugin->setProgram(5);  // HighSpread
    EXPECT_EQ(plugin->getParameter(0), 0.7125f);
    EXPECT_EQ(plugin->getParameter(2), 0.3125f);
    EXPECT_EQ(plugin->getParameter(6), 0.9f);
    EXPECT_EQ(plugin->getParameter(26), 0.0f);  // band 8 pan is never written
    plugin->setProgram(7);                      // Narrow
    EXPECT_EQ(plugin->getParameter(1), 0.7f);
    EXPECT_EQ(plugin->getParameter(11), 1.0f);
    EXPECT_EQ(plugin->getParameter(19), 0.9375f);
}

TEST(Programs, OutOfRangeSelectionChangesNothing) {
    auto plugin = makePlugin();
    plugin->setProgram(3);
    plugin->setProgram(8);
    plugin->setProgram(-1);
    EXPECT_EQ(plugin->getProgram(), 3);
    EXPECT_EQ(plugin->getParameter(4), 0.725f);
}

TEST(Programs, EditsStickToTheirProgram) {
    auto plugin = makePlugin();
    plugin->setParameter(3, 0.5f);
    plugin->setProgram(1);
    EXPECT_EQ(plugin->getParameter(3), 0.25f);
    plugin->setProgram(0);
    EXPECT_EQ(plugin->getParameter(3), 0.5f);
    EXPECT_EQ(plugin->program(0).values[3].load(), 0.5f);
}

TEST(Programs, RenamingTouchesOnlyTheCurrentProgram) {
    auto plugin = makePlugin();
    plugin->setProgram(2);
    char newName[] = "Wide";
    plugin->setProgramName(newName);
    char text[kVstMaxProgNameLen];
    plugin->getProgramName(text);
    EXPECT_STREQ(text, "Wide");
    plugin->getProgramNameIndexed(0, 2, text);
    EXPECT_STREQ(text, "Wide");
    plugin->getProgramNameIndexed(0, 1, text);
    EXPECT_STREQ(text, "DefaultSpread");
}

TEST(Programs, LongNamesAreBoundedBothWays) {
    auto plugin = makePlugin();
    std::string longName(200, 'n');
    plugin->setProgramName(longName.data());
    EXPECT_EQ(std::strlen(plugin->program(0).name), 63u);

    // The host's buffer holds 24 bytes; guard bytes behind it stay untouched.
    char buffer[kVstMaxProgNameLen + 8];
    std::memset(buffer, '#', sizeof buffer);
    plugin->getProgramName(buffer);
    EXPECT_EQ(std::strlen(buffer), kVstMaxProgNameLen - 1);
    for (size_t i = kVstMaxProgNameLen; i < sizeof buffer; ++i) EXPECT_EQ(buffer[i], '#');
    plugin->setProgramName(nullptr);
    plugin->getProgramName(nullptr);
}
