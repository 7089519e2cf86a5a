// Helpers shared by the host tests: a scratch folder per test, small audio
// files written and read back with libsndfile, and running the host binary.
#pragma once

#include <gtest/gtest.h>
#include <sndfile.h>
#include <sys/wait.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <random>
#include <sstream>
#include <string>
#include <vector>

namespace hosttest {

namespace fs = std::filesystem;

class ScratchFolder : public ::testing::Test {
protected:
    void SetUp() override {
        std::random_device random;
        folder = fs::temp_directory_path() / ("vardelline-host-test-" + std::to_string(random()));
        fs::create_directories(folder);
    }
    void TearDown() override { fs::remove_all(folder); }
    std::string path(const std::string& name) const { return (folder / name).string(); }

    // Names in the folder, to see that no temporary file is left behind.
    std::vector<std::string> entries() const {
        std::vector<std::string> names;
        for (const auto& entry : fs::directory_iterator(folder)) names.push_back(entry.path().filename().string());
        std::sort(names.begin(), names.end());
        return names;
    }

    fs::path folder;
};

struct AudioData {
    SF_INFO info{};
    std::vector<float> samples;  // interleaved
};

// A file holding the given interleaved samples.
inline void writeSamples(const std::string& path, int channels, const std::vector<float>& samples,
                         int format = SF_FORMAT_WAV | SF_FORMAT_FLOAT, int rate = 44100) {
    SF_INFO info{};
    info.samplerate = rate;
    info.channels = channels;
    info.format = format;
    SNDFILE* file = sf_open(path.c_str(), SFM_WRITE, &info);
    ASSERT_NE(file, nullptr) << sf_strerror(nullptr);
    sf_writef_float(file, samples.data(), static_cast<sf_count_t>(samples.size() / channels));
    sf_close(file);
}

// A file of frames frames whose sample n of channel c is (c + 1) * 0.01 * (n % 50) - 0.2.
inline void writeAudio(const std::string& path, int channels, int frames, int format = SF_FORMAT_WAV | SF_FORMAT_PCM_16,
                       int rate = 44100) {
    std::vector<float> samples(static_cast<size_t>(channels) * frames);
    for (int n = 0; n < frames; ++n)
        for (int c = 0; c < channels; ++c) samples[n * channels + c] = (c + 1) * 0.01f * (n % 50) - 0.2f;
    writeSamples(path, channels, samples, format, rate);
}

inline float peakOf(const std::vector<float>& samples, size_t from = 0, size_t to = SIZE_MAX) {
    float peak = 0.0f;
    for (size_t i = from; i < std::min(to, samples.size()); ++i) peak = std::max(peak, std::fabs(samples[i]));
    return peak;
}

inline AudioData readAudio(const std::string& path) {
    AudioData data;
    SNDFILE* file = sf_open(path.c_str(), SFM_READ, &data.info);
    if (file == nullptr) return data;
    data.samples.resize(static_cast<size_t>(data.info.frames * data.info.channels));
    sf_readf_float(file, data.samples.data(), data.info.frames);
    sf_close(file);
    return data;
}

inline std::string fileText(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

struct RunResult {
    int exitCode;
    std::string out;
    std::string err;
};

// Runs the host binary with args (already quoted for the shell) inside folder.
inline RunResult runHost(const fs::path& folder, const std::string& args) {
    const std::string out = (folder / ".stdout").string(), err = (folder / ".stderr").string();
    const std::string command =
        "cd '" + folder.string() + "' && '" HOST_EXECUTABLE "' " + args + " >'" + out + "' 2>'" + err + "'";
    const int status = std::system(command.c_str());
    RunResult result{WIFEXITED(status) ? WEXITSTATUS(status) : -1, fileText(out), fileText(err)};
    fs::remove(out);
    fs::remove(err);
    return result;
}

}  // namespace hosttest
