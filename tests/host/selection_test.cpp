// What the user may type for programs, parameters and values.
#include <gtest/gtest.h>

#include "tools/host/host_error.h"
#include "tools/host/plugin_instance.h"
#include "tools/host/plugin_selection.h"

namespace vardelline::host {
namespace {

class SelectionTest : public ::testing::Test {
protected:
    PluginInstance instance{PluginLibrary::open(FAKE_PLUGIN), HostSettings{}};
};

TEST_F(SelectionTest, ProgramsByNumberOrNameInAnyCase) {
    EXPECT_EQ(findProgram(instance, "1"), 1);
    EXPECT_EQ(findProgram(instance, "half gain"), 1);
    EXPECT_EQ(findProgram(instance, " UNITY "), 0);
    for (const char* unknown : {"2", "-1", "Half", "", "1.0", "99999999999999999999"})
        EXPECT_THROW(findProgram(instance, unknown), HostError) << unknown;
}

TEST_F(SelectionTest, ParametersByIndexOrReportedName) {
    EXPECT_EQ(findParameter(instance, "gain"), 0);
    EXPECT_EQ(findParameter(instance, "Mode switch"), 1);
    EXPECT_EQ(findParameter(instance, "2"), 2);  // no name, but reachable by index
    for (const char* unknown : {"3", "Mode", "", "  "})
        EXPECT_THROW(findParameter(instance, unknown), HostError) << unknown;
}

TEST_F(SelectionTest, SettingsAppliedByName) {
    applyParameterSetting(instance, parseParameterSetting("GAIN=0.125"));
    EXPECT_FLOAT_EQ(instance.getParameter(0), 0.125f);
}

TEST(ParameterSettingText, SplitsAtTheLastEqualsSign) {
    const ParameterSetting colon = parseParameterSetting("Band 1: Left Delay = 0.5");
    EXPECT_EQ(colon.parameter, "Band 1: Left Delay");
    EXPECT_FLOAT_EQ(colon.value, 0.5f);
    EXPECT_EQ(parseParameterSetting("a=b=1").parameter, "a=b");
    EXPECT_FLOAT_EQ(parseParameterSetting("x=0").value, 0.0f);
    EXPECT_FLOAT_EQ(parseParameterSetting("x=1").value, 1.0f);
    EXPECT_FLOAT_EQ(parseParameterSetting("x=1e-3").value, 0.001f);
}

TEST(ParameterSettingText, RefusesValuesOutsideZeroToOneAndNonNumbers) {
    for (const char* bad : {"x=1.0001", "x=-0.5", "x=nan", "x=inf", "x=", "x=0.5abc", "x", "=0.5", "x=0,5"})
        EXPECT_THROW(parseParameterSetting(bad), HostError) << bad;
}

}  // namespace
}  // namespace vardelline::host
