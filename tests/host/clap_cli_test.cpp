// vardelline-host on both editions: info shows the same parameters and
// texts, renders through the .clap equal the VST 2 library's sample for
// sample, snapshots its pictures pixel for pixel, validate passes on the
// .clap, and CLAP libraries that are not ours or are broken are refused with
// one clear line.
#include <gtest/gtest.h>

#include <utility>

#include "host_test_support.h"

#ifdef CLAP_PLUGIN

namespace {

class ClapCliTest : public hosttest::ScratchFolder {
protected:
    void SetUp() override {
        ScratchFolder::SetUp();
        hosttest::writeAudio(path("stereo.wav"), 2, 6000);
    }
    hosttest::RunResult run(const std::string& args) { return hosttest::runHost(folder, args); }
    hosttest::RunResult runClap(const std::string& args) {
        return run(std::string("--plugin '") + CLAP_PLUGIN + "' " + args);
    }
};

// The parameter rows of info (index, name, value, display), without the
// VST 2 label column and without the stored-only parameters.
std::vector<std::string> parameterRows(const std::string& info) {
    std::vector<std::string> rows;
    std::istringstream lines(info.substr(info.find("\nParameters") + 1));
    std::string line;
    std::getline(lines, line);
    std::getline(lines, line);  // the column heads
    while (std::getline(lines, line) && !line.empty()) {
        std::string row = line.substr(0, 55);
        while (!row.empty() && row.back() == ' ') row.pop_back();
        rows.push_back(row);
    }
    return rows;
}

TEST_F(ClapCliTest, InfoListsTheSameAudibleParametersAndTextsAsTheVst2Library) {
    for (const char* program : {"0", "Extreme", "Narrow"}) {
        const hosttest::RunResult vst = run(std::string("info -p ") + program);
        const hosttest::RunResult clap = runClap(std::string("info -p ") + program);
        ASSERT_EQ(vst.exitCode, 0) << vst.err;
        ASSERT_EQ(clap.exitCode, 0) << clap.err;
        const std::vector<std::string> clapRows = parameterRows(clap.out);
        ASSERT_EQ(clapRows.size(), 52u) << clap.out;
        EXPECT_EQ(parameterRows(vst.out), clapRows) << program;
        EXPECT_NE(clap.out.find("Id:           com.quorvane.vardelline"), std::string::npos) << clap.out;
    }
    const hosttest::RunResult range = runClap("info --param 'Band 3 Left Delay'");
    EXPECT_EQ(range.exitCode, 0) << range.err;
    EXPECT_EQ(range.out, run("info --param 'Band 3 Left Delay'").out);
}

TEST_F(ClapCliTest, RendersEqualTheVst2LibrarySampleForSample) {
    const char* const settings[] = {
        "-p 0",
        "-p Extreme -b 64",
        "-p Panned --param 'Band 3 Pan=0.2' --param 51=0.75",
        "-p 1 -b 317 --param 'band 2 speed=3Hz' --param 'Band 2 Width=1' --param 'Band 2 Feedback=0.9' --param 51=1",
    };
    for (const char* setting : settings) {
        const std::string common = std::string("render stereo.wav --float --tail 0.5 -q ") + setting;
        const hosttest::RunResult vst = run(common + " -o vst.wav");
        const hosttest::RunResult clap = runClap(common + " -o clap.wav");
        ASSERT_EQ(vst.exitCode, 0) << vst.err;
        ASSERT_EQ(clap.exitCode, 0) << clap.err;
        const hosttest::AudioData a = hosttest::readAudio(path("vst.wav"));
        const hosttest::AudioData b = hosttest::readAudio(path("clap.wav"));
        ASSERT_EQ(a.samples.size(), b.samples.size()) << setting;
        EXPECT_GT(hosttest::peakOf(a.samples), 0.001f) << setting;
        EXPECT_TRUE(a.samples == b.samples) << setting;
    }
    // Every program of the demo signal, each file named after its program.
    ASSERT_EQ(runClap("render --all-programs --out-dir clap -q --tail 0").exitCode, 0);
    ASSERT_EQ(run("render --all-programs --out-dir vst -q --tail 0").exitCode, 0);
    for (const auto& entry : hosttest::fs::directory_iterator(folder / "vst")) {
        const std::string name = entry.path().filename().string();
        EXPECT_TRUE(hosttest::readAudio(entry.path().string()).samples ==
                    hosttest::readAudio((folder / "clap" / name).string()).samples)
            << name;
    }
}

TEST_F(ClapCliTest, ValidatePassesOnTheClapAndSkipsWhatIsVst2Only) {
    const hosttest::RunResult result = runClap("validate --level 1");
    EXPECT_EQ(result.exitCode, 0) << result.out << result.err;
    for (const char* line :
         {"(CLAP) at level 1", "PASS  lifecycle", "PASS  parameters", "PASS  audio", "PASS  extremes",
          "PASS  hostile-input", "PASS  huge-input", "PASS  automation", "PASS  state", "PASS  long-run",
          "SKIP  dispatcher      VST 2 only",
          "SKIP  program-threads CLAP loads presets on the main thread only", " 0 failed\n"})
        EXPECT_NE(result.out.find(line), std::string::npos) << line << "\n" << result.out;
}

// The width and height a PNG's header gives.
std::pair<uint32_t, uint32_t> pngSize(const std::string& png) {
    auto word = [&png](size_t at) {
        uint32_t v = 0;
        for (size_t i = 0; i < 4 && at + i < png.size(); ++i) v = v << 8 | static_cast<unsigned char>(png[at + i]);
        return v;
    };
    return {word(16), word(20)};
}

// Both editions draw through the same editor; the picture of the .clap is the
// VST 2 library's byte for byte (one PNG writer: equal files, equal pixels),
// also after mouse actions, which must reach the editor at every factor.
TEST_F(ClapCliTest, SnapshotsEqualTheVst2LibraryPixelForPixel) {
    const struct {
        const char* setting;
        uint32_t width;
    } cases[] = {
        {"", 731},
        {"-p Extreme --scale 2", 1462},
        {"-p Panned --param 'Band 3 Pan=0.2' --param 51=0.75", 731},
        {"-p 3 -m drag:HsFeed3:10:70", 731},
        {"-p 3 --scale 2 -m drag:HsFeed3:10:70 -m click:HsPan5:30:shift", 1462},
        {"--scale 1.5 -m press:HWet:80 -m move:HWet:20", 1097},
    };
    for (const auto& c : cases) {
        const std::string common = std::string("snapshot -q ") + c.setting;
        const hosttest::RunResult vst = run(common + " -o vst.png");
        const hosttest::RunResult clap = runClap(common + " -o clap.png");
        ASSERT_EQ(vst.exitCode, 0) << vst.err;
        ASSERT_EQ(clap.exitCode, 0) << c.setting << ": " << clap.err;
        const std::string picture = hosttest::fileText(path("clap.png"));
        EXPECT_EQ(pngSize(picture).first, c.width) << c.setting;
        EXPECT_TRUE(picture == hosttest::fileText(path("vst.png"))) << c.setting;
    }
    // The drag above changed the picture, so equal pictures were no accident.
    ASSERT_EQ(runClap("snapshot -q -p 3 -o still.png").exitCode, 0);
    ASSERT_EQ(runClap("snapshot -q -p 3 -m drag:HsFeed3:10:70 -o dragged.png").exitCode, 0);
    EXPECT_NE(hosttest::fileText(path("still.png")), hosttest::fileText(path("dragged.png")));

    const hosttest::RunResult unknown = runClap("snapshot -o x.png -m click:HsNone:30");
    EXPECT_EQ(unknown.err, "error: the editor has no control 'HsNone'\n");
    EXPECT_FALSE(hosttest::fs::exists(path("x.png")));
}

TEST_F(ClapCliTest, RefusesClapLibrariesThatAreNotOursOrBrokenWithOneLine) {
    std::ofstream(path("garbage.clap")) << "no library";
    const struct {
        std::string plugin;
        std::string message;
    } cases[] = {
        {FAKE_CLAP_FOREIGN, "not a Vardelline CLAP plug-in (it offers org.example.other-effect)"},
        {FAKE_CLAP_BROKEN, "plug-in refused to start (clap_entry's init failed)"},
        {path("garbage.clap"), "cannot load plug-in"},
    };
    for (const auto& c : cases) {
        for (const char* command : {"info", "render stereo.wav -o out.wav", "validate --level 1"}) {
            const hosttest::RunResult result = run("--plugin '" + c.plugin + "' " + command);
            EXPECT_NE(result.exitCode, 0) << command;
            EXPECT_NE(result.err.find(c.message), std::string::npos) << command << ": " << result.err;
            EXPECT_EQ(std::count(result.err.begin(), result.err.end(), '\n'), 1) << result.err;
        }
    }
    EXPECT_FALSE(hosttest::fs::exists(path("out.wav")));
    // What only the VST 2 edition offers is refused by name, not attempted.
    const hosttest::RunResult preset = runClap("render stereo.wav -o out.wav --preset '" PRESETS_DIR "/mono-widener.fxp'");
    EXPECT_NE(preset.err.find("--bank and --preset load VST 2 program files"), std::string::npos) << preset.err;
    const hosttest::RunResult edit = runClap("presets export --out-dir p");
    EXPECT_NE(edit.err.find("a CLAP plug-in; this needs the VST 2 library"), std::string::npos) << edit.err;
}

}  // namespace

#endif
