// Parameter storage, clamping and the host-side texts.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <limits>

#include "support/fake_host.h"

TEST(Parameters, ValuesAreClampedAndMirroredIntoTheProgram) {
    auto plugin = makePlugin();
    plugin->setProgram(4);
    plugin->setParameter(7, 1.5f);
    EXPECT_EQ(plugin->getParameter(7), 1.0f);
    plugin->setParameter(8, -0.2f);
    EXPECT_EQ(plugin->getParameter(8), 0.0f);
    plugin->setParameter(9, std::numeric_limits<float>::quiet_NaN());
    EXPECT_EQ(plugin->getParameter(9), 0.0f);
    plugin->setParameter(10, std::numeric_limits<float>::infinity());
    EXPECT_EQ(plugin->getParameter(10), 1.0f);
    plugin->setParameter(11, 0.3f);
    EXPECT_EQ(plugin->program(4).values[11].load(), 0.3f);
    EXPECT_EQ(plugin->program(4).values[9].load(), 0.0f);
}

TEST(Parameters, IndicesOutsideTheSlotsChangeNothing) {
    auto plugin = makePlugin();
    for (int index : {-1, 81, 1000000, std::numeric_limits<int>::min()}) plugin->setParameter(index, 0.7f);
    for (int i = 0; i <= 80; ++i) EXPECT_NE(plugin->parameterValue(i), 0.7f) << i;
    plugin->setParameter(80, 0.7f);  // the spare slot is stored but not visible to the host
    EXPECT_EQ(plugin->parameterValue(80), 0.7f);
    EXPECT_EQ(plugin->getParameter(80), 0.0f);
}

TEST(Parameters, HostNamesCarryNoColonAndFitTheInterface) {
    auto plugin = makePlugin();
    char text[kVstMaxParamStrLen];
    const std::pair<int, const char*> names[] = {
        {0, "Start Freq"},          {1, "Finish Freq"},   {2, "Freq Q"},         {3, "Band 1 Left Delay"},
        {18, "Band 8 Right Delay"}, {21, "Band 3 Pan"},   {30, "Band 4 Speed"},  {42, "Band 8 Width"},
        {50, "Band 8 Feedback"},    {51, "Delay / Chorus"}, {52, "Unused 52"}, {79, "Unused 79"}};
    for (const auto& [index, name] : names) {
        plugin->getParameterName(index, text);
        EXPECT_STREQ(text, name) << index;
    }
    for (int index = 0; index < vardelline::kNumParams; ++index) {
        std::memset(text, 'x', sizeof text);
        plugin->getParameterName(index, text);
        ASSERT_NE(std::memchr(text, '\0', sizeof text), nullptr) << index;
        EXPECT_EQ(std::strchr(text, ':'), nullptr) << index;
        EXPECT_GT(std::strlen(text), 0u) << index;
    }
    for (int index : {80, -1, 1000}) {
        std::memset(text, 'x', sizeof text);
        plugin->getParameterName(index, text);
        EXPECT_EQ(text[0], 'x') << index;
    }
}

TEST(Parameters, OnlyAudibleParametersAreOfferedForAutomation) {
    auto plugin = makePlugin();
    AEffect* effect = plugin->getAeffect();
    for (int index : {0, 2, 19, 51}) EXPECT_EQ(effect->dispatcher(effect, effCanBeAutomated, index, 0, nullptr, 0), 1);
    for (int index : {52, 60, 79, 80, -1, 1000})
        EXPECT_EQ(effect->dispatcher(effect, effCanBeAutomated, index, 0, nullptr, 0), 0) << index;
}

TEST(Parameters, LabelsAreEmptyAndDisplaysShowTheReadoutValue) {
    auto plugin = makePlugin();
    char text[kVstMaxParamStrLen];
    for (int index : {0, 50, 79, 80, -7, 5000}) {
        std::memset(text, 'x', sizeof text);
        plugin->getParameterLabel(index, text);
        EXPECT_STREQ(text, "") << index;
    }
    struct Case {
        int index;
        float value;
        const char* text;
    } cases[] = {{3, 0.5f, "80 ms"},         {0, 0.5f, "640Hz"},   {19, 0.6f, "L/R : 100%/79"},
                 {27, 0.0f, "Off"},          {1, 1.0f, "20.5KHz"}, {2, 0.123f, "12.3%"},
                 {51, 0.0f, "D/C : 0%/100"}, {34, 1.0f, "27.5Hz"}, {46, 1.0f, "100%"}};
    for (const Case& c : cases) {
        plugin->setParameter(c.index, c.value);
        plugin->getParameterDisplay(c.index, text);
        EXPECT_STREQ(text, c.text) << c.index;
    }
    std::memset(text, 'x', sizeof text);
    plugin->getParameterDisplay(60, text);
    EXPECT_EQ(text[0], 'x');
    plugin->getParameterDisplay(3, nullptr);
}
