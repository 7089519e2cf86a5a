// Render options as a musician uses them, through the real plug-in: tails
// that let the lines ring out, levels that never clip in silence, mono and
// multichannel sources, output names, and renders stopped by a signal.
#include <gtest/gtest.h>
#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>

#include <chrono>
#include <cmath>
#include <regex>
#include <thread>

#include "host_test_support.h"

extern char** environ;

namespace {

constexpr int kRate = 44100;

class RenderOptionsTest : public hosttest::ScratchFolder {
protected:
    hosttest::RunResult run(const std::string& args) { return hosttest::runHost(folder, args); }

    // A square wave at -1 dBFS, the same on both channels.
    void writeSquare(const std::string& name, int frames) {
        std::vector<float> samples;
        for (int n = 0; n < frames; ++n) {
            const float x = (n / 100) % 2 ? 0.89f : -0.89f;
            samples.push_back(x);
            samples.push_back(x);
        }
        hosttest::writeSamples(path(name), 2, samples, SF_FORMAT_WAV | SF_FORMAT_PCM_16);
    }
};

// "tail 1.23 s" from a summary line.
double printedTail(const std::string& out) {
    std::smatch match;
    if (!std::regex_search(out, match, std::regex("tail ([0-9.]+) s"))) return -1.0;
    return std::stod(match[1]);
}

std::string ringingSettings(const char* feedback) {
    std::string args;
    for (int band = 1; band <= 8; ++band)
        args += " --param 'Band " + std::to_string(band) + " Feedback=" + feedback + "' --param 'Band " +
                std::to_string(band) + " Left Delay=80ms' --param 'Band " + std::to_string(band) +
                ": Right Delay=120ms'";
    return args + " --param 'Delay / Chorus=D/C : 100%/0'";
}

TEST_F(RenderOptionsTest, AutomaticTailRendersUntilTheRingingHasDiedAway) {
    writeSquare("square.wav", kRate / 2);
    const hosttest::RunResult ring = run("render square.wav --float -o ring.wav" + ringingSettings("95%"));
    ASSERT_EQ(ring.exitCode, 0) << ring.err;
    const hosttest::AudioData out = hosttest::readAudio(path("ring.wav"));
    const size_t tailFrames = static_cast<size_t>(out.info.frames) - kRate / 2;
    EXPECT_NEAR(printedTail(ring.out), static_cast<double>(tailFrames) / kRate, 0.006);
    // Well over a second of ringing, all of it kept, and it ends in half a second below -90 dBFS.
    EXPECT_GT(tailFrames, static_cast<size_t>(kRate));
    const float quiet = std::pow(10.0f, -90.0f / 20.0f);
    const size_t end = out.samples.size();
    EXPECT_LT(hosttest::peakOf(out.samples, end - 2 * kRate / 2), quiet);
    EXPECT_GE(hosttest::peakOf(out.samples, end - 2 * (kRate / 2 + 1024), end - 2 * kRate / 2), quiet);
    EXPECT_GT(hosttest::peakOf(out.samples, 2 * (kRate / 2 + kRate / 2)), 0.01f);

    // Fixed tails, and none.
    ASSERT_EQ(run("render square.wav -o none.wav --tail 0").exitCode, 0);
    EXPECT_EQ(hosttest::readAudio(path("none.wav")).info.frames, kRate / 2);
    const hosttest::RunResult fixed = run("render square.wav -o fixed.wav --tail 0.25");
    EXPECT_EQ(hosttest::readAudio(path("fixed.wav")).info.frames, kRate / 2 + kRate / 4);
    EXPECT_NE(fixed.out.find("tail 0.25 s  -> fixed.wav"), std::string::npos) << fixed.out;
    const hosttest::RunResult bad = run("render square.wav -o bad.wav --tail forever");
    EXPECT_EQ(bad.exitCode, 1);
    EXPECT_EQ(bad.err, "error: --tail forever: give auto or a number of seconds (0 for none)\n");
}

TEST_F(RenderOptionsTest, AutomaticTailStopsAtItsCapAndSaysSo) {
    writeSquare("square.wav", kRate / 10);
    const hosttest::RunResult result = run("render square.wav -o endless.wav" + ringingSettings("100%"));
    ASSERT_EQ(result.exitCode, 0) << result.err;
    EXPECT_EQ(hosttest::readAudio(path("endless.wav")).info.frames, kRate / 10 + 60 * kRate);
    EXPECT_NE(result.out.find("tail 60.00 s (cap)"), std::string::npos) << result.out;
    EXPECT_NE(result.err.find("warning: endless.wav: the output still sounded after the 60 s tail cap"),
              std::string::npos)
        << result.err;
}

TEST_F(RenderOptionsTest, OversInIntegerFilesAreCountedAndGainOrNormalizeAvoidThem) {
    writeSquare("square.wav", kRate / 4);
    // The float render keeps the overs; the 16-bit one must report exactly those.
    ASSERT_EQ(run("render square.wav --float --tail 0 -o float.wav").exitCode, 0);
    const hosttest::AudioData full = hosttest::readAudio(path("float.wav"));
    EXPECT_EQ(full.info.format, SF_FORMAT_WAV | SF_FORMAT_FLOAT);
    const long overs = std::count_if(full.samples.begin(), full.samples.end(), [](float x) { return std::fabs(x) > 1.0f; });
    ASSERT_GT(overs, 0);
    const double peakDb = 20.0 * std::log10(hosttest::peakOf(full.samples));

    const hosttest::RunResult clipped = run("render square.wav --tail 0 -o clipped.wav");
    EXPECT_EQ(clipped.exitCode, 0);
    char expected[160];
    std::snprintf(expected, sizeof expected,
                  "warning: clipped.wav: %ld samples beyond full scale were clipped (peak %+.1f dBFS);", overs, peakDb);
    EXPECT_EQ(clipped.err.rfind(expected, 0), 0u) << clipped.err;
    EXPECT_EQ(hosttest::readAudio(path("clipped.wav")).info.format, SF_FORMAT_WAV | SF_FORMAT_PCM_16);

    // --gain scales what is written, and the lowered file no longer clips.
    const hosttest::RunResult lowered = run("render square.wav --tail 0 --gain -12 --encoding float -o lowered.wav");
    EXPECT_EQ(lowered.err, "");
    const hosttest::AudioData low = hosttest::readAudio(path("lowered.wav"));
    ASSERT_EQ(low.samples.size(), full.samples.size());
    const float gain = std::pow(10.0f, -12.0f / 20.0f);
    for (size_t i = 0; i < full.samples.size(); i += 97) ASSERT_NEAR(low.samples[i], full.samples[i] * gain, 1e-6) << i;

    // --normalize puts the peak where asked, in any encoding.
    for (const char* args : {"--normalize -3 -o norm.wav", "-o norm.wav --normalize=-3", "--normalize -3 --float -o norm.wav"}) {
        const hosttest::RunResult normalized = run(std::string("render square.wav --tail 0 ") + args);
        EXPECT_EQ(normalized.exitCode, 0) << args << normalized.err;
        EXPECT_EQ(normalized.err, "") << args;
        EXPECT_NEAR(20.0 * std::log10(hosttest::peakOf(hosttest::readAudio(path("norm.wav")).samples)), -3.0, 0.01)
            << args;
    }
    const hosttest::RunResult defaultLevel = run("render --normalize square.wav --tail 0 -o norm.wav");
    EXPECT_EQ(defaultLevel.exitCode, 0) << defaultLevel.err;
    EXPECT_NEAR(20.0 * std::log10(hosttest::peakOf(hosttest::readAudio(path("norm.wav")).samples)), -1.0, 0.01);
    EXPECT_EQ(run("render square.wav --normalize 3 -o x.wav").exitCode, 1);
    EXPECT_EQ(run("render square.wav --normalize --gain 3 -o x.wav").exitCode, 2);
}

TEST_F(RenderOptionsTest, MonoAndChosenChannelsSoundLikeTheStereoFileTheyStandFor) {
    std::vector<float> mono, six, stereoOfMono, stereoOfSix;
    for (int n = 0; n < 3000; ++n) {
        const float x = 0.4f * std::sin(0.01f * n) * ((n / 700) % 2 ? 1.0f : -0.5f);
        mono.push_back(x);
        stereoOfMono.insert(stereoOfMono.end(), {x, x});
        for (int c = 0; c < 6; ++c) six.push_back(x * (c + 1) / 8.0f);
        stereoOfSix.insert(stereoOfSix.end(), {x * 5 / 8.0f, x * 2 / 8.0f});
    }
    hosttest::writeSamples(path("mono.wav"), 1, mono);
    hosttest::writeSamples(path("six.wav"), 6, six);
    hosttest::writeSamples(path("stereo-mono.wav"), 2, stereoOfMono);
    hosttest::writeSamples(path("stereo-six.wav"), 2, stereoOfSix);
    const std::string settings = " -p Panned --tail 0.2";

    ASSERT_EQ(run("render mono.wav" + settings).exitCode, 0);  // default name beside the input
    ASSERT_EQ(run("render stereo-mono.wav -o expected-mono.wav" + settings).exitCode, 0);
    const hosttest::AudioData fromMono = hosttest::readAudio(path("mono-vardelline.wav"));
    EXPECT_EQ(fromMono.info.channels, 2);
    EXPECT_EQ(fromMono.samples, hosttest::readAudio(path("expected-mono.wav")).samples);
    // The panned program really makes two different sides from one.
    EXPECT_NE(fromMono.samples[2 * 2000], fromMono.samples[2 * 2000 + 1]);

    ASSERT_EQ(run("render six.wav --channels 5,2 -o from-six.wav" + settings).exitCode, 0);
    ASSERT_EQ(run("render stereo-six.wav -o expected-six.wav" + settings).exitCode, 0);
    EXPECT_EQ(hosttest::readAudio(path("from-six.wav")).samples, hosttest::readAudio(path("expected-six.wav")).samples);
}

TEST_F(RenderOptionsTest, OutputNamesChooseTheFormatAndDangerousOnesAreRefusedBeforeAnyWork) {
    hosttest::writeAudio(path("in.wav"), 2, 2000);
    const struct {
        const char* output;
        int format;
    } formats[] = {{"o.flac", SF_FORMAT_FLAC | SF_FORMAT_PCM_16}, {"o.aif", SF_FORMAT_AIFF | SF_FORMAT_PCM_16},
                   {"o.AIFF", SF_FORMAT_AIFF | SF_FORMAT_PCM_16}, {"o.wav", SF_FORMAT_WAV | SF_FORMAT_PCM_16}};
    for (const auto& f : formats) {
        ASSERT_EQ(run(std::string("render in.wav --tail 0 -o ") + f.output).exitCode, 0) << f.output;
        EXPECT_EQ(hosttest::readAudio(path(f.output)).info.format, f.format) << f.output;
    }
    ASSERT_EQ(run("render in.wav --tail 0 --format wav -o named.snd2").exitCode, 0);  // the user named the format
    EXPECT_EQ(hosttest::readAudio(path("named.snd2")).info.format, SF_FORMAT_WAV | SF_FORMAT_PCM_16);

    hosttest::fs::create_directory(folder / "folder");
    const std::string inputBefore = hosttest::fileText(path("in.wav"));
    const std::vector<std::string> before = entries();
    const struct {
        const char* args;
        const char* message;
    } refusals[] = {
        {"render in.wav -o x.mp3", "error: x.mp3: unknown file extension '.mp3' (known: .wav, .flac, .aiff, .aif,"},
        {"render in.wav -o folder", "error: folder: is a folder; name a file to write (or use --out-dir)\n"},
        {"render in.wav -o in.wav", "error: in.wav: is the input file; choose another output\n"},
        {"render in.wav -o ./folder/../in.wav", "error: ./folder/../in.wav: is the input file; choose another output\n"},
        {"render in.wav --out-dir .", "error: ./in.wav: is the input file; choose another output\n"},
        {"snapshot -o editor.bmp", "error: editor.bmp: unknown picture extension '.bmp' (known: .png, .jpg, .jpeg)\n"},
    };
    for (const auto& r : refusals) {
        const hosttest::RunResult result = run(r.args);
        EXPECT_EQ(result.exitCode, 1) << r.args;
        EXPECT_EQ(result.err.rfind(r.message, 0), 0u) << r.args << " gave " << result.err;
        EXPECT_EQ(entries(), before) << r.args;
        EXPECT_EQ(hosttest::fileText(path("in.wav")), inputBefore) << r.args;
    }

    ASSERT_EQ(run("snapshot -o editor.jpg").exitCode, 0);
    const std::string jpeg = hosttest::fileText(path("editor.jpg"));
    EXPECT_EQ(jpeg.substr(0, 3), "\xFF\xD8\xFF");
}

// Starts the host in folder without waiting for it.
pid_t startHost(const hosttest::fs::path& folder, const std::vector<std::string>& args) {
    std::vector<char*> argv{const_cast<char*>(HOST_EXECUTABLE)};
    for (const std::string& arg : args) argv.push_back(const_cast<char*>(arg.c_str()));
    argv.push_back(nullptr);
    const hosttest::fs::path previous = hosttest::fs::current_path();
    hosttest::fs::current_path(folder);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
    pid_t pid = -1;
    posix_spawn(&pid, HOST_EXECUTABLE, &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    hosttest::fs::current_path(previous);
    return pid;
}

TEST_F(RenderOptionsTest, ASignalMidRenderRemovesTheTemporaryFileAndKeepsTheOldOutput) {
    // Ten minutes of silence: long enough to be caught mid-way.
    hosttest::writeSamples(path("long.wav"), 2, std::vector<float>(2 * 600 * kRate, 0.0f));
    std::ofstream(path("out.wav")) << "previous render";
    for (const auto& [signal, code] : {std::pair{SIGINT, 130}, std::pair{SIGTERM, 143}}) {
        const pid_t pid = startHost(folder, {"render", "long.wav", "-o", "out.wav"});
        ASSERT_GT(pid, 0);
        // Wait until the temporary output exists, so the signal arrives mid-render.
        bool started = false;
        for (int i = 0; i < 500 && !started; ++i) {
            for (const std::string& name : entries()) started = started || name.rfind("out.wav.tmp-", 0) == 0;
            if (!started) std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
        EXPECT_TRUE(started);
        kill(pid, signal);
        int status = 0;
        waitpid(pid, &status, 0);
        ASSERT_TRUE(WIFEXITED(status)) << signal;
        EXPECT_EQ(WEXITSTATUS(status), code) << signal;
        EXPECT_EQ(entries(), (std::vector<std::string>{"long.wav", "out.wav"})) << signal;
        EXPECT_EQ(hosttest::fileText(path("out.wav")), "previous render") << signal;
    }
}

}  // namespace
