// Shared by the LV2 edition's tests: running the hosts' command-line tools,
// float WAV files through libsndfile, and the bundle loaded with lilv.
#pragma once

#include <lilv/lilv.h>
#include <sndfile.h>
#include <sys/wait.h>

#include <array>
#include <cmath>
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

namespace lv2test {

constexpr const char* kPluginUri = "urn:quorvane:vardelline";

struct CommandRun {
    int exitCode = -1;
    std::string out;
};

// Runs a shell command line with LV2_PATH naming the built bundle's folder.
inline CommandRun run(const std::string& line) {
    const std::string command = "LV2_PATH='" LV2_BUNDLE_PATH "' " + line + " 2>&1";
    CommandRun result;
    FILE* pipe = popen(command.c_str(), "r");
    if (pipe == nullptr) return result;
    std::array<char, 4096> chunk;
    size_t n;
    while ((n = std::fread(chunk.data(), 1, chunk.size(), pipe)) > 0) result.out.append(chunk.data(), n);
    const int status = pclose(pipe);
    result.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return result;
}

// Interleaved stereo float samples.
struct Audio {
    std::vector<float> frames;
    int rate = 44100;
};

inline bool writeFloatWav(const std::string& path, const Audio& audio) {
    SF_INFO info{};
    info.samplerate = audio.rate;
    info.channels = 2;
    info.format = SF_FORMAT_WAV | SF_FORMAT_FLOAT;
    SNDFILE* file = sf_open(path.c_str(), SFM_WRITE, &info);
    if (file == nullptr) return false;
    const sf_count_t frames = static_cast<sf_count_t>(audio.frames.size() / 2);
    const bool ok = sf_writef_float(file, audio.frames.data(), frames) == frames;
    return sf_close(file) == 0 && ok;
}

inline Audio readWav(const std::string& path) {
    SF_INFO info{};
    Audio audio;
    SNDFILE* file = sf_open(path.c_str(), SFM_READ, &info);
    if (file == nullptr || info.channels != 2) {
        if (file) sf_close(file);
        return audio;
    }
    audio.rate = info.samplerate;
    audio.frames.resize(static_cast<size_t>(info.frames) * 2);
    sf_readf_float(file, audio.frames.data(), info.frames);
    sf_close(file);
    return audio;
}

// Noise, a sine and clicks: every band and path gets something to do.
inline Audio testSignal(int frames, unsigned seed) {
    Audio audio;
    audio.frames.resize(static_cast<size_t>(frames) * 2);
    unsigned state = seed;
    for (int k = 0; k < frames; ++k) {
        state = state * 1664525u + 1013904223u;
        const float noise = static_cast<float>(state >> 8) / 16777216.0f - 0.5f;
        audio.frames[2 * k] = 0.4f * noise + (k % 3000 == 0 ? 0.5f : 0.0f);
        audio.frames[2 * k + 1] = 0.5f * static_cast<float>(std::sin(0.031 * k));
    }
    return audio;
}

// A lilv world holding the built bundle alone.
class World {
public:
    World() : world(lilv_world_new()) {
        LilvNode* bundle = lilv_new_file_uri(world, nullptr, LV2_BUNDLE_PATH "/vardelline.lv2/");
        lilv_world_load_bundle(world, bundle);
        lilv_node_free(bundle);
        LilvNode* uri = lilv_new_uri(world, kPluginUri);
        plugin = lilv_plugins_get_by_uri(lilv_world_get_all_plugins(world), uri);
        lilv_node_free(uri);
    }
    ~World() { lilv_world_free(world); }
    World(const World&) = delete;
    World& operator=(const World&) = delete;

    LilvWorld* world;
    const LilvPlugin* plugin = nullptr;
};

}  // namespace lv2test
