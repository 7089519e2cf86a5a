// The vardelline-host binary as a user runs it: bad input gives one error
// line and a non-zero exit without touching the output, renders through the
// real plug-in and the fake one land in files, and info lists the plug-in.
#include <gtest/gtest.h>

#include <regex>

#include "host_test_support.h"

namespace {

class CliTest : public hosttest::ScratchFolder {
protected:
    void SetUp() override {
        ScratchFolder::SetUp();
        hosttest::writeAudio(path("mono.wav"), 1, 500);
        hosttest::writeAudio(path("six.wav"), 6, 500);
        hosttest::writeAudio(path("stereo.wav"), 2, 500);
        std::ofstream(path("garbage.wav")) << "this is no audio file";
    }
    hosttest::RunResult run(const std::string& args) { return hosttest::runHost(folder, args); }
};

TEST_F(CliTest, BadInputGivesOneErrorLineAndLeavesTheOutputAlone) {
    const struct {
        const char* args;
        const char* message;
    } cases[] = {
        {"render missing.wav", "error: missing.wav: no such file\n"},
        {"render garbage.wav", "error: garbage.wav: cannot read audio: "},
        {"render six.wav", "error: six.wav: file has 6 channels; choose the two to use with --channels L,R"},
        {"render six.wav --channels 2,7", "error: --channels 2,7: six.wav has only 6 channels\n"},
        {"render six.wav --channels left", "error: --channels left: give one or two channel numbers"},
        {"render stereo.wav -p Nowhere", "error: unknown program 'Nowhere'"},
        {"render stereo.wav -p 8", "error: unknown program '8' (the plug-in has programs 0 to 7)\n"},
        {"render stereo.wav -s 'Band 9: Pan=0.5'", "error: unknown parameter 'Band 9: Pan'"},
        {"render stereo.wav -s 80=0.5", "error: unknown parameter '80' (the plug-in has parameters 0 to 79)\n"},
        {"render stereo.wav -s 'Freq Q=1.5'", "error: value 1.5 for parameter 'Freq Q' is outside 0..1\n"},
        {"render stereo.wav -s 'Freq Q=-0.1'", "error: value -0.1 for parameter 'Freq Q' is outside 0..1\n"},
        {"render stereo.wav -s 'Freq Q=loud'", "error: value 'loud' for parameter 'Freq Q' is not a number\n"},
        {"render stereo.wav --plugin missing.so", "error: missing.so: no such plug-in file\n"},
        {"render stereo.wav --plugin garbage.wav", "error: garbage.wav: cannot load plug-in: "},
        {"render stereo.wav -b 0", "error: block size 0 is outside 1..65536\n"},
        {"render stereo.wav --format mp9", "error: unknown file format 'mp9'"},
        {"render stereo.wav --bogus", "error: "},
    };
    std::ofstream(path("out.wav")) << "keep me";
    const std::vector<std::string> before = entries();
    for (const auto& c : cases) {
        const hosttest::RunResult result = run(std::string(c.args) + " -o out.wav");
        EXPECT_NE(result.exitCode, 0) << c.args;
        EXPECT_EQ(result.out, "") << c.args;
        EXPECT_EQ(result.err.rfind(c.message, 0), 0u) << c.args << " gave " << result.err;
        EXPECT_EQ(std::count(result.err.begin(), result.err.end(), '\n'), 1) << c.args << " gave " << result.err;
        EXPECT_EQ(hosttest::fileText(path("out.wav")), "keep me") << c.args;
        EXPECT_EQ(entries(), before) << c.args;
    }
}

TEST_F(CliTest, RendersAFileThroughTheRealPluginInItsOwnFormat) {
    hosttest::writeAudio(path("song.flac"), 2, 3000, SF_FORMAT_FLAC | SF_FORMAT_PCM_16, 48000);
    const hosttest::RunResult result =
        run("render song.flac -p narrow --param 'band 1: left delay=0.5' -s 51=0.75 --tail 0.01");
    ASSERT_EQ(result.exitCode, 0) << result.err;
    EXPECT_TRUE(std::regex_match(
        result.out, std::regex("07 Narrow +peak .* dBFS .*real time  tail 0.01 s  -> song-vardelline\\.flac\n")))
        << result.out;
    const hosttest::AudioData output = hosttest::readAudio(path("song-vardelline.flac"));
    EXPECT_EQ(output.info.format, SF_FORMAT_FLAC | SF_FORMAT_PCM_16);
    EXPECT_EQ(output.info.samplerate, 48000);
    EXPECT_EQ(output.info.frames, 3000 + 480);
    EXPECT_GT(*std::max_element(output.samples.begin(), output.samples.end()), 0.01f);
}

TEST_F(CliTest, ProgramsAndParametersReachThePluginSampleExactly) {
    const std::string fake = std::string(" --plugin '") + FAKE_PLUGIN + "'";
    const hosttest::RunResult result =
        run("render stereo.wav -p 'HALF GAIN' -s gain=0.25 -b 7 --encoding float --tail 0 -o quarter.wav" + fake);
    ASSERT_EQ(result.exitCode, 0) << result.err;
    const hosttest::AudioData input = hosttest::readAudio(path("stereo.wav"));
    const hosttest::AudioData output = hosttest::readAudio(path("quarter.wav"));
    ASSERT_EQ(output.samples.size(), input.samples.size());
    for (size_t i = 0; i < input.samples.size(); ++i) ASSERT_EQ(output.samples[i], input.samples[i] * 0.25f) << i;
    EXPECT_EQ(output.info.format, SF_FORMAT_WAV | SF_FORMAT_FLOAT);
}

TEST_F(CliTest, AllProgramsRendersTheDemoOncePerProgram) {
    const hosttest::RunResult result = run("render --all-programs --out-dir renders");
    ASSERT_EQ(result.exitCode, 0) << result.err;
    const char* names[] = {"Default", "DefaultSpread", "AlterSpread", "Panned",
                           "Extreme", "HighSpread",    "Expanding",   "Narrow"};
    std::istringstream lines(result.out);
    std::string line;
    for (int p = 0; p < 8; ++p) {
        ASSERT_TRUE(std::getline(lines, line));
        const std::string file = "renders/0" + std::to_string(p) + "-" + names[p] + ".wav";
        EXPECT_TRUE(
            std::regex_match(line, std::regex("0" + std::to_string(p) + " " + names[p] +
                                              " +peak +-?[0-9.]+ dBFS  RMS +-?[0-9.]+ dBFS +[0-9.]+ s +[0-9.]+x "
                                              "real time  tail [0-9.]+ s  -> " +
                                              file)))
            << line;
        const hosttest::AudioData output = hosttest::readAudio(path(file));
        EXPECT_EQ(output.info.channels, 2) << file;
        EXPECT_EQ(output.info.samplerate, 44100) << file;
        // The demo ends in half a second of silence, which is most of the automatic tail.
        EXPECT_GE(output.info.frames, 6 * 44100) << file;
        EXPECT_LT(output.info.frames, 6 * 44100 + 44100 / 2) << file;
    }
    EXPECT_FALSE(std::getline(lines, line));
}

TEST_F(CliTest, InfoListsDescriptorProgramsAndParameters) {
    const hosttest::RunResult result = run("info");
    ASSERT_EQ(result.exitCode, 0) << result.err;
    for (const char* expected : {"Effect:       Vardelline\n", "Vendor:       Quorvane (version 1)\n",
                                 "Unique ID:    'vdLn'", "Channels:     2 in, 2 out", "* 0  Default\n",
                                 "   7  Narrow\n", "      0  Start Freq ", "     50  Band 8 Feedback "})
        EXPECT_NE(result.out.find(expected), std::string::npos) << expected;
}

TEST_F(CliTest, SnapshotWritesTheEditorAsAPngAndRejectsBadMouseActions) {
    const hosttest::RunResult result = run("snapshot -o editor.png -p 3 -m drag:HsFeed3:10:70");
    ASSERT_EQ(result.exitCode, 0) << result.err;
    std::ifstream png(path("editor.png"), std::ios::binary);
    char signature[8] = {};
    png.read(signature, sizeof signature);
    EXPECT_EQ(std::string(signature + 1, 3), "PNG");

    const hosttest::RunResult bad = run("snapshot -o bad.png -m squeeze:HQ:50");
    EXPECT_NE(bad.exitCode, 0);
    EXPECT_EQ(bad.err.rfind("error: ", 0), 0u) << bad.err;
    EXPECT_FALSE(hosttest::fs::exists(path("bad.png")));
}

}  // namespace
