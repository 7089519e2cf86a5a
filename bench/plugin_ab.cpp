// Two builds of the plug-in timed against each other in one process, as a
// host loads them: each case runs on an instance of each library in turn,
// round after round, so that whatever else the machine does falls on both
// alike, and fresh instances are made now and then, so that neither keeps
// a lucky or unlucky placement of its delay lines in the caches. Prints the
// median time per frame of each and their ratio (B over A). One case runs
// sixteen instances of each in turn, block by block, as a host with many
// tracks does.
//
// Usage: vardelline_plugin_ab A.so B.so [rounds [case]]
// (case: only the cases whose names start with it, e.g. "program 0")
// (VARDELLINE_SIMD applies to both; copy a library to compare it with itself.)
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "bench/modulated_settings.h"
#include "tools/host/host_error.h"
#include "tools/host/plugin_instance.h"

using namespace vardelline;
using namespace vardelline::host;

namespace {

struct Case {
    std::string name;
    int program;     // the factory program, unless
    bool modulated;  // every band is delayed, swept and fed back
    int frames;      // per block
    int instances = 1;  // processed in turn, block by block, as a host does
};

void prepare(PluginInstance& plugin, const Case& c) {
    if (c.modulated)
        modulateAllBands(plugin);
    else
        plugin.setProgram(c.program);
}

struct Buffers {
    explicit Buffers(int frames) : in(2, std::vector<float>(frames)), out(2, std::vector<float>(frames)) {
        std::mt19937 random(7);
        std::uniform_real_distribution<float> level(-0.5f, 0.5f);
        for (auto& channel : in)
            for (float& s : channel) s = level(random);
    }
    std::vector<std::vector<float>> in, out;
};

typedef std::vector<std::unique_ptr<PluginInstance>> Instances;

// Nanoseconds per instance and frame over `frames` frames in blocks of the case's size.
double timeBlocks(Instances& plugins, Buffers& buffers, int blockFrames, int frames) {
    float* inputs[2] = {buffers.in[0].data(), buffers.in[1].data()};
    float* outputs[2] = {buffers.out[0].data(), buffers.out[1].data()};
    const auto start = std::chrono::steady_clock::now();
    for (int done = 0; done < frames; done += blockFrames)
        for (auto& plugin : plugins) plugin->processReplacing(inputs, outputs, blockFrames);
    const auto elapsed = std::chrono::steady_clock::now() - start;
    return std::chrono::duration<double, std::nano>(elapsed).count() / frames / static_cast<double>(plugins.size());
}

double median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 3) {
        std::fprintf(stderr, "usage: %s A.so B.so [rounds [case]]\n", argv[0]);
        return 2;
    }
    const int rounds = argc > 3 ? std::max(4, std::atoi(argv[3])) : 60;
    constexpr int kRoundsPerInstance = 10;
    constexpr int kFramesPerRound = 8192;
    std::vector<Case> cases = {
        {"modulated/512", 0, true, 512}, {"modulated/32", 0, true, 32}, {"16 modulated/512", 0, true, 512, 16}};
    for (int p = 0; p < 8; ++p) cases.push_back({"program " + std::to_string(p) + "/512", p, false, 512});
    // Only the cases whose names start with the fourth argument, when there is one.
    if (argc > 4)
        cases.erase(std::remove_if(cases.begin(), cases.end(),
                                   [&](const Case& c) { return c.name.rfind(argv[4], 0) != 0; }),
                    cases.end());
    try {
        const std::shared_ptr<PluginLibrary> libraries[2] = {PluginLibrary::open(argv[1]), PluginLibrary::open(argv[2])};
        std::printf("%-16s %12s %12s %8s\n", "case", "A ns/frame", "B ns/frame", "B/A");
        for (const Case& c : cases) {
            const HostSettings settings{44100.0, c.frames};
            Buffers buffers(c.frames);
            std::vector<double> times[2];
            Instances instances[2];
            for (int round = 0; round < rounds; ++round) {
                if (round % kRoundsPerInstance == 0) {
                    // Each library is made first as often as the other.
                    for (int turn = 0; turn < 2; ++turn) instances[turn].clear();
                    for (int turn = 0; turn < 2; ++turn) {
                        const int i = (round / kRoundsPerInstance + turn) % 2;
                        for (int k = 0; k < c.instances; ++k) {
                            instances[i].push_back(std::make_unique<PluginInstance>(libraries[i], settings));
                            prepare(*instances[i].back(), c);
                            instances[i].back()->resume();
                        }
                        timeBlocks(instances[i], buffers, c.frames, kFramesPerRound);  // warm up
                    }
                }
                for (int turn = 0; turn < 2; ++turn) {
                    const int i = (round + turn) % 2;
                    times[i].push_back(timeBlocks(instances[i], buffers, c.frames, kFramesPerRound));
                }
            }
            const double a = median(times[0]), b = median(times[1]);
            std::printf("%-16s %12.2f %12.2f %8.3f\n", c.name.c_str(), a, b, b / a);
        }
    } catch (const HostError& error) {
        std::fprintf(stderr, "%s\n", error.what());
        return 1;
    }
    return 0;
}
