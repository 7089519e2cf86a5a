// Values typed in the readout's units: every text the plug-in shows leads
// back to itself, the other spellings of a unit land on the same value, and
// values the readout cannot show are refused with the nearest it can.
#include "tools/host/unit_values.h"

#include <gtest/gtest.h>

#include <random>

#include "host_test_support.h"
#include "tools/host/host_error.h"
#include "tools/host/plugin_instance.h"
#include "tools/host/plugin_selection.h"

namespace vardelline::host {
namespace {

class UnitValuesTest : public ::testing::Test {
protected:
    std::string displayAfter(const std::string& setting) {
        applyParameterSetting(instance, parseParameterSetting(setting));
        return instance.parameterDisplay(findParameter(instance, parseParameterSetting(setting).parameter));
    }
    std::string errorOf(const std::string& setting) {
        try {
            applyParameterSetting(instance, parseParameterSetting(setting));
        } catch (const HostError& e) {
            return e.what();
        }
        return "no error";
    }

    PluginInstance instance{PluginLibrary::open(REAL_PLUGIN), HostSettings{}};
};

// One parameter of each readout kind, by index, so that the test does not
// depend on the plug-in's spelling of the names.
const int kOnePerGroup[] = {0, 1, 2, 5, 13, 21, 29, 37, 45, 51};

TEST_F(UnitValuesTest, EveryReadoutTextLeadsBackToItself) {
    std::mt19937 random(7);
    std::uniform_real_distribution<float> anywhere(0.0f, 1.0f);
    for (int index : kOnePerGroup) {
        const std::string name = instance.parameterName(index);
        std::vector<float> values{0.0f, 1.0f, 0.5f, 1e-6f, 0.999999f};
        for (int i = 0; i < 40; ++i) values.push_back(anywhere(random));
        for (float value : values) {
            instance.setParameter(index, value);
            const std::string shown = instance.parameterDisplay(index);
            instance.setParameter(index, 1.0f - value);  // start elsewhere
            EXPECT_EQ(displayAfter(name + "=" + shown), shown) << name << " at " << value;
        }
    }
}

TEST_F(UnitValuesTest, EndsAreReachedExactly) {
    for (const auto& [setting, value] : std::vector<std::pair<std::string, float>>{
             {"5=0ms", 0.0f}, {"5=160 ms", 1.0f}, {"29=off", 0.0f}, {"29=27.5Hz", 1.0f}, {"0=20Hz", 0.0f},
             {"1=20.5KHz", 1.0f}, {"45=100%", 1.0f}, {"21=L0", 0.0f}, {"21=R0", 1.0f}, {"51=D0", 0.0f}}) {
        applyParameterSetting(instance, parseParameterSetting(setting));
        EXPECT_EQ(instance.getParameter(std::stoi(setting)), value) << setting;
    }
}

TEST_F(UnitValuesTest, OtherSpellingsOfAUnitGiveTheSameReadout) {
    const std::vector<std::pair<const char*, const char*>> same = {
        {"5=80ms", "80 ms"},     {"5=0.08s", "80 ms"},        {"5=80.04 ms", "80 ms"},
        {"0=1.3kHz", "1.3KHz"},  {"0=1300Hz", "1.3KHz"},      {"0=1330 hz", "1.3KHz"},
        {"0=200Hz", "200Hz"},    {"2=50%", "50%"},            {"2=12.3 %", "12.3%"},
        {"21=L30", "L/R : 30%/100"}, {"21=l30%", "L/R : 30%/100"}, {"21=30%/100", "L/R : 30%/100"},
        {"21=R30", "L/R : 100%/30"}, {"21=100/30", "L/R : 100%/30"}, {"21=L/R : 100%/100", "L/R : 100%/100"},
        {"51=C25", "D/C : 100%/25"}, {"29=0.85Hz", "0.85Hz"},     {"29=12.5Hz", "12.5Hz"},
    };
    for (const auto& [setting, shown] : same) EXPECT_EQ(displayAfter(setting), shown) << setting;
}

TEST_F(UnitValuesTest, ValuesTheReadoutCannotShowNameTheNearestPossible) {
    const std::vector<std::pair<const char*, const char*>> refused = {
        {"5=200ms", "is out of reach; the nearest possible is '160 ms'"},
        {"5=-3ms", "is out of reach; the nearest possible is '0 ms'"},
        {"29=30Hz", "the nearest possible is '27.5Hz'"},
        {"29=0.01Hz", "lies between the readouts 'Off' and '0.02Hz'"},
        {"5=80.05ms", "lies between the readouts '80 ms' and '80.1 ms'"},
        {"0=10Hz", "the nearest possible is '20Hz'"},
        {"2=80ms", "the parameter's readout shows percentages such as 50% ('0%' to '100%')"},
        {"21=D30", "the readout's sides are L and R"},
        {"21=L130", "a side's figure lies within 0..100"},
        {"60=50%", "the parameter's readout shows no unit"},
    };
    for (const auto& [setting, message] : refused)
        EXPECT_NE(errorOf(setting).find(message), std::string::npos) << setting << " gave " << errorOf(setting);
    for (const char* bad : {"x=80 parsecs", "x=80ms5", "x=0x10", "x=L", "x=1/", "x=infHz", "x=nanms"})
        EXPECT_THROW(parseParameterSetting(bad), HostError) << bad;
}

TEST_F(UnitValuesTest, NamesMatchWithOrWithoutTheirColon) {
    for (int index : {3, 21, 50}) {
        std::string withColon = instance.parameterName(index), without;
        for (char c : withColon)
            if (c != ':') without += c;
        if (withColon.find(':') == std::string::npos) withColon.insert(withColon.find(' ', 5), ":");
        for (const std::string& name : {withColon, without}) {
            EXPECT_EQ(findParameter(instance, name), index) << name;
            std::string upper = name;
            for (char& c : upper) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
            EXPECT_EQ(findParameter(instance, upper), index) << upper;
        }
    }
    EXPECT_EQ(findParameter(instance, "band 3 pan"), 21);
    EXPECT_EQ(findParameter(instance, "Band 3: Pan"), 21);
    EXPECT_THROW(findParameter(instance, "Band 3 Pa"), HostError);
}

}  // namespace
}  // namespace vardelline::host
