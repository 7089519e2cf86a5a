// The built bundle through the LV2 tools every Linux distribution ships:
// the Turtle checked against the standard's schemas, the description as
// lv2info reads it, and renders by lv2apply equal, sample for sample, to the
// VST 2 edition's renders through vardelline-host.
#include <gtest/gtest.h>

#include <regex>

#include "lv2_test_support.h"
#include "model/factory_programs.h"
#include "model/parameters.h"
#include "support/sanitized.h"

using namespace lv2test;

namespace {

// lv2apply is not built with the sanitizers, so it cannot load a plug-in
// that is: sanitizer builds leave its renders to the lilv tests in process.
using testsupport::kSanitized;

std::string quoted(const std::string& text) {
    return "'" + text + "'";
}

size_t count(const std::string& text, const std::string& what) {
    size_t n = 0;
    for (size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + 1)) ++n;
    return n;
}

}  // namespace

TEST(Lv2Tools, EveryFileOfTheBundleIsValidTurtle) {
    const CommandRun result =
        run("sord_validate $(find /usr/lib/lv2 -name '*.ttl') " LV2_BUNDLE_PATH "/vardelline.lv2/*.ttl");
    EXPECT_EQ(result.exitCode, 0) << result.out;
    EXPECT_NE(result.out.find("Found 0 errors"), std::string::npos) << result.out;
}

TEST(Lv2Tools, Lv2lsAndLv2infoSeeThePortsOfTheParameterTable) {
    EXPECT_NE(run("lv2ls").out.find(kPluginUri), std::string::npos);
    const CommandRun info = run(std::string("lv2info ") + kPluginUri);
    ASSERT_EQ(info.exitCode, 0) << info.out;
    EXPECT_EQ(count(info.out, "#AudioPort"), 4u);
    EXPECT_EQ(count(info.out, "#ControlPort"), 52u);
    EXPECT_EQ(count(info.out, "Minimum:     0.000000"), 52u);
    EXPECT_EQ(count(info.out, "Maximum:     1.000000"), 52u);
    for (int i = 0; i < 52; ++i) {
        char name[64], symbol[64], expected[256];
        vardelline::paramHostName(i, name, sizeof name);
        vardelline::paramSymbol(i, symbol, sizeof symbol);
        std::snprintf(expected, sizeof expected, "Symbol:      %s\n\t\tName:        %s\n\t\tMinimum:     0.000000\n\t\t"
                      "Maximum:     1.000000\n\t\tDefault:     %f", symbol, name,
                      static_cast<double>(vardelline::paramDefault(i)));
        EXPECT_NE(info.out.find(expected), std::string::npos) << expected;
    }
    EXPECT_EQ(count(info.out, "0.0 = \"Off\""), 8u);  // the speeds
    for (const auto& program : vardelline::kFactoryPrograms)
        EXPECT_NE(info.out.find(std::string(" ") + program.name + "\n"), std::string::npos) << program.name;
}

// lv2apply runs the plug-in one frame at a time; the VST 2 render uses blocks
// of one frame too, so both see the same partition.
TEST(Lv2Tools, Lv2applyRendersExactlyAsTheVstEdition) {
    if (kSanitized) GTEST_SKIP() << "lv2apply cannot load a plug-in built with the sanitizers";
    const std::string dir = ::testing::TempDir();
    const std::string input = dir + "lv2-in.wav";
    ASSERT_TRUE(writeFloatWav(input, testSignal(12000, 3)));
    struct Setting {
        const char* lv2;  // lv2apply controls by symbol
        const char* vst;  // vardelline-host parameters by name
    } settings[] = {
        {"", ""},
        {"-c band3_pan 0.2 -c freq_q 0.5 -c band2_left_delay 0.05 -c band5_right_delay 0.1 -c balance 0.3 "
         "-c band1_speed 0.7 -c band1_width 0.5 -c band1_feedback 0.6 -c start_freq 0.1 -c finish_freq 0.9",
         "-s 'Band 3 Pan=0.2' -s 'Freq Q=0.5' -s 'Band 2 Left Delay=0.05' -s 'Band 5 Right Delay=0.1' "
         "-s 'Delay / Chorus=0.3' -s 'Band 1 Speed=0.7' -s 'Band 1 Width=0.5' -s 'Band 1 Feedback=0.6' "
         "-s 'Start Freq=0.1' -s 'Finish Freq=0.9'"},
    };
    for (const Setting& setting : settings) {
        const std::string lv2Out = dir + "lv2-out.wav", vstOut = dir + "vst-out.wav";
        const CommandRun lv2 = run("lv2apply -i " + quoted(input) + " -o " + quoted(lv2Out) + " " + setting.lv2 + " " +
                                   kPluginUri);
        ASSERT_EQ(lv2.exitCode, 0) << lv2.out;
        const CommandRun vst = run("'" HOST_EXECUTABLE "' render " + quoted(input) + " -o " + quoted(vstOut) +
                                   " -b 1 --tail 0 --no-progress " + setting.vst);
        ASSERT_EQ(vst.exitCode, 0) << vst.out;
        const Audio fromLv2 = readWav(lv2Out), fromVst = readWav(vstOut);
        ASSERT_EQ(fromLv2.frames.size(), 24000u);
        ASSERT_EQ(fromLv2.frames.size(), fromVst.frames.size());
        for (size_t k = 0; k < fromLv2.frames.size(); ++k)
            ASSERT_EQ(fromLv2.frames[k], fromVst.frames[k]) << "sample " << k << " with " << setting.lv2;
    }
}
