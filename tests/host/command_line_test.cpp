// The command line itself: version, usage errors with exit code 2, --quiet,
// the settings options shared by every command, and batches of inputs.
#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <regex>

#include "host_test_support.h"

namespace {

// The private X server ctest starts for the editor's tests (":N"), or empty
// when the test runs without it.
std::string testDisplay() {
    const char* file = std::getenv("VARDELLINE_TEST_DISPLAY_FILE");
    if (file == nullptr) return "";
    std::ifstream in(file);
    std::string number;
    return in >> number ? ":" + number : "";
}

class CommandLineTest : public hosttest::ScratchFolder {
protected:
    hosttest::RunResult run(const std::string& args) { return hosttest::runHost(folder, args); }
};

TEST_F(CommandLineTest, VersionComesFromTheBuild) {
    const hosttest::RunResult result = run("--version");
    EXPECT_EQ(result.exitCode, 0);
    EXPECT_EQ(result.out, "vardelline-host " HOST_VERSION "\n");
}

TEST_F(CommandLineTest, UsageErrorsNameTheirCauseInOneLineAndExitWithTwo) {
    const struct {
        const char* args;
        const char* message;
    } cases[] = {
        {"", "error: no command given; see 'vardelline-host --help'\n"},
        {"rendr in.wav", "error: unknown command 'rendr'; see 'vardelline-host --help'\n"},
        {"--frobnicate info", "error: unknown option '--frobnicate'; see 'vardelline-host"},
        {"render --bogus", "error: unknown option '--bogus'; see 'vardelline-host render --help'\n"},
        {"info --program", "error: "},
        {"render -o a.wav --out-dir b", "error: "},
        {"presets", "error: "},
    };
    for (const auto& c : cases) {
        const hosttest::RunResult result = run(c.args);
        EXPECT_EQ(result.exitCode, 2) << c.args;
        EXPECT_EQ(result.out, "") << c.args;
        EXPECT_EQ(result.err.rfind(c.message, 0), 0u) << c.args << " gave " << result.err;
        EXPECT_EQ(std::count(result.err.begin(), result.err.end(), '\n'), 1) << c.args << " gave " << result.err;
        EXPECT_NE(result.err.find("--help"), std::string::npos) << c.args << " gave " << result.err;
    }
    // Failures of the work itself stay at exit 1.
    EXPECT_EQ(run("render missing.wav").exitCode, 1);
}

TEST_F(CommandLineTest, QuietKeepsWarningsAndErrorsOnly) {
    std::vector<float> loud;
    for (int n = 0; n < 4000; ++n) loud.insert(loud.end(), 2, (n / 100) % 2 ? 0.95f : -0.95f);
    hosttest::writeSamples(path("loud.wav"), 2, loud, SF_FORMAT_WAV | SF_FORMAT_PCM_16);
    const hosttest::RunResult quiet = run("--quiet render loud.wav -o out.wav --tail 0");
    EXPECT_EQ(quiet.exitCode, 0);
    EXPECT_EQ(quiet.out, "");
    EXPECT_EQ(quiet.err.rfind("warning: out.wav: ", 0), 0u) << quiet.err;
    EXPECT_TRUE(hosttest::fs::exists(path("out.wav")));
    EXPECT_EQ(run("-q snapshot -o e.png").out, "");
    EXPECT_EQ(run("-q presets export --out-dir p").out, "");
}

TEST_F(CommandLineTest, SettingsOptionsWorkAlikeOnEveryCommand) {
    // The same program and parameter through --program/--param and -p/-s
    // give the same picture, unlike the factory default.
    ASSERT_EQ(run("snapshot -o plain.png").exitCode, 0);
    ASSERT_EQ(run("snapshot -o long.png --program Panned --param 'Band 2 Pan=L30'").exitCode, 0);
    ASSERT_EQ(run("snapshot -o short.png -p 3 -s 'band 2: pan=0.15'").exitCode, 0);
    EXPECT_EQ(hosttest::fileText(path("long.png")), hosttest::fileText(path("short.png")));
    EXPECT_NE(hosttest::fileText(path("long.png")), hosttest::fileText(path("plain.png")));
    for (const char* command : {"render", "snapshot", "edit", "presets save"}) {
        const hosttest::RunResult help = run(std::string(command) + " --help");
        for (const char* option : {"--program", "--param", "--preset", "--bank"})
            EXPECT_NE(help.out.find(option), std::string::npos) << command << " lacks " << option;
    }
    const hosttest::RunResult bad = run("snapshot -o x.png --param 'Band 9 Pan=0.5'");
    EXPECT_EQ(bad.exitCode, 1);
    EXPECT_EQ(bad.err.rfind("error: unknown parameter 'Band 9 Pan'", 0), 0u) << bad.err;
}

TEST_F(CommandLineTest, SeveralInputsRenderAsABatchWithALineEach) {
    hosttest::fs::create_directories(folder / "a");
    hosttest::fs::create_directories(folder / "b");
    hosttest::writeAudio(path("a/one.wav"), 2, 1000);
    hosttest::writeAudio(path("b/two.flac"), 1, 1500, SF_FORMAT_FLAC | SF_FORMAT_PCM_16);
    hosttest::writeAudio(path("b/one.wav"), 2, 1000);

    const hosttest::RunResult batch = run("render a/one.wav b/two.flac --out-dir out --tail 0 -p Extreme");
    ASSERT_EQ(batch.exitCode, 0) << batch.err;
    EXPECT_TRUE(std::regex_match(batch.out, std::regex("04 Extreme .* -> out/one\\.wav\n04 Extreme .* -> out/two\\.flac\n")))
        << batch.out;
    EXPECT_EQ(hosttest::readAudio(path("out/one.wav")).info.frames, 1000);
    EXPECT_EQ(hosttest::readAudio(path("out/two.flac")).info.channels, 2);

    const hosttest::RunResult programs = run("render a/one.wav b/two.flac --all-programs --out-dir all --tail 0");
    ASSERT_EQ(programs.exitCode, 0) << programs.err;
    EXPECT_EQ(std::count(programs.out.begin(), programs.out.end(), '\n'), 16);
    EXPECT_TRUE(hosttest::fs::exists(path("all/one-03-Panned.wav")));
    EXPECT_TRUE(hosttest::fs::exists(path("all/two-07-Narrow.flac")));

    // Refused before any work: one -o for several inputs, two inputs into one file.
    const std::vector<std::string> before = entries();
    const hosttest::RunResult one = run("render a/one.wav b/two.flac -o x.wav");
    EXPECT_EQ(one.err, "error: -o names one file; several inputs need --out-dir\n");
    const hosttest::RunResult clash = run("render a/one.wav b/one.wav --out-dir clash");
    EXPECT_EQ(clash.err, "error: clash/one.wav: more than one render would write this file\n");
    const hosttest::RunResult both = run("render a/one.wav --all-programs -p 3");
    EXPECT_EQ(both.err, "error: --all-programs renders every program; leave out --program\n");
    EXPECT_EQ(entries(), before);
}

TEST_F(CommandLineTest, ValidateLinesFitAHundredColumnsAndListTheGroupsWithWhatTheyTry) {
    const hosttest::RunResult list = run("validate --list");
    ASSERT_EQ(list.exitCode, 0);
    const hosttest::RunResult state = run("validate --level 1 --only state,parameters");
    ASSERT_EQ(state.exitCode, 0) << state.out;
    EXPECT_NE(state.out.find("PASS  state           1 round: "), std::string::npos) << state.out;
    for (const std::string& out : {list.out, state.out}) {
        std::istringstream lines(out);
        for (std::string line; std::getline(lines, line);) EXPECT_LE(line.size(), 100u) << line;
    }
    // Each group's name starts a line and a description follows it.
    for (const char* group : {"lifecycle", "dispatcher", "parameters", "audio", "extremes", "hostile-input",
                              "huge-input", "automation", "program-threads", "state", "realtime", "long-run"})
        EXPECT_TRUE(std::regex_search(list.out, std::regex(std::string("(^|\n)") + group + " +\\w")))
            << group;
}

TEST_F(CommandLineTest, EditSavesItsFinalSettingsAndPrintsARenderLineThatReproducesThem) {
    const std::string display = testDisplay();
    if (display.empty() && std::system("command -v xvfb-run >/dev/null 2>&1") != 0)
        GTEST_SKIP() << "no test X server and no xvfb-run";
    hosttest::writeAudio(path("in.wav"), 2, 2000);
    const std::string settings = " -p 3 --param 'Band 2 Feedback=70%' --param 'Band 5 Speed=2Hz'";
    const std::string onScreen = display.empty() ? "xvfb-run -a " : "DISPLAY=" + display + " ";
    const std::string command = "cd '" + folder.string() + "' && " + onScreen + "'" HOST_EXECUTABLE
                                "' edit --seconds 0.3 --save ed.fxp" + settings + " > edit.out 2>&1";
    ASSERT_EQ(std::system(command.c_str()), 0) << hosttest::fileText(path("edit.out"));
    const std::string out = hosttest::fileText(path("edit.out"));
    EXPECT_NE(out.find("settings saved -> ed.fxp\n"), std::string::npos) << out;

    // The printed line, run as printed, and the saved file sound like the settings given.
    std::smatch line;
    ASSERT_TRUE(std::regex_search(out, line, std::regex("vardelline-host (render IN\\.wav -o OUT\\.wav [^\n]*)")));
    std::string printed = line[1];
    printed.replace(printed.find("IN.wav -o OUT.wav"), 17, "in.wav -o printed.wav --float --tail 0.2");
    ASSERT_EQ(run(printed).exitCode, 0) << printed;
    ASSERT_EQ(run("render in.wav -o saved.wav --float --tail 0.2 --preset ed.fxp").exitCode, 0);
    ASSERT_EQ(run("render in.wav -o direct.wav --float --tail 0.2" + settings).exitCode, 0);
    const std::vector<float> direct = hosttest::readAudio(path("direct.wav")).samples;
    EXPECT_EQ(hosttest::readAudio(path("printed.wav")).samples, direct);
    EXPECT_EQ(hosttest::readAudio(path("saved.wav")).samples, direct);
}

}  // namespace
