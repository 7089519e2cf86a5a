// The audio groups for a CLAP library: every rate and block size in and out
// of place, and the real-time rules inside process.
#include <limits>

#include "tools/host/validate_clap.h"
#include "tools/host/validate_groups.h"
#include "tools/host/validate_intercept.h"

namespace vardelline::host::validate {

void runClapAudioGroup(GroupContext& context, GroupReport& report) {
    const float rates[] = {44100.0f, 48000.0f, 88200.0f, 96000.0f, 192000.0f};
    const int blocks[] = {1, 32, 64, 512, 1024, 4096, 0};  // 0: a random mix
    const double seconds = context.byLevel(0.1, 0.3, 0.75);
    report.describe(format("5 rates x 7 block sizes (1..4096, random) through process with shared and separate "
                           "buffers compared, %.2f s each",
                           seconds));
    for (float rate : rates) {
        for (int block : blocks) {
            const uint64_t seed = context.random();
            std::vector<float> outputs[2];
            for (int inPlace = 0; inPlace < 2; ++inPlace) {
                auto instance = clapInstance(context, rate, block > 0 ? block : kLargestBlock);
                GroupContext same{context.library, context.plugins, context.options, std::mt19937_64(seed)};
                setBusy(*instance, same);
                instance->resume();
                std::mt19937_64 random(seed);
                TestSignal signal(seed, rate);
                RenderSetup setup;
                setup.blockSize = block;
                setup.inPlace = inPlace != 0;
                setup.keep = true;
                RenderResult result = render(
                    processorOf(*instance), [&signal](float* l, float* r, int n) { signal.fill(l, r, n); },
                    static_cast<long>(seconds * rate), setup, random);
                const std::string what = format("%g Hz, blocks of %d, %s", static_cast<double>(rate), block,
                                                inPlace ? "shared buffers" : "separate buffers");
                report.check(result.check.sound(), what + ": " + result.check.describe());
                report.check(result.guardsIntact, what + ": wrote outside the buffers");
                outputs[inPlace] = std::move(result.output);
            }
            report.check(outputs[0] == outputs[1], format("%g Hz, blocks of %d: shared buffers differ from separate",
                                                          static_cast<double>(rate), block));
        }
    }
}

namespace {

// Blocks of random sizes inside an audio scope, with the values set before
// each block arriving as events in it; hostile puts one such sample in each block.
void processInScope(ClapInstance& instance, GroupContext& context, int blocks, float hostile) {
    GuardedStereo in(kLargestBlock), out(kLargestBlock);
    TestSignal signal(context.random(), 48000.0f);
    for (int b = 0; b < blocks; ++b) {
        const int n = b % 3 == 0 ? 1 : context.between(1, kLargestBlock);
        signal.fill(in.channel(0), in.channel(1), n);
        if (hostile != 0.0f) in.channel(b & 1)[n / 2] = hostile;
        instance.setParameter(context.between(0, param::kBalance), static_cast<float>(context.uniform()));
        realtime::AudioScope scope;
        instance.processReplacing(in.pointers(), b & 1 ? in.pointers() : out.pointers(), n);
    }
}

}  // namespace

void runClapRealtimeGroup(GroupContext& context, GroupReport& report) {
    if (!realtime::available()) {
        report.skip(realtime::why());
        return;
    }
    const int blocks = context.byLevel(6, 20, 60);
    report.describe(format("allocation, locks and blocking calls inside process with parameter events: new "
                           "instance, program change, restart, rate change x %d blocks of 1..4096, hostile input",
                           blocks));
    realtime::reset();
    {
        realtime::AudioScope scope;
        clapInstance(context, 48000.0f);
    }
    const bool seen = realtime::violations() > 0;
    if (!report.check(seen, "the interception does not see the plug-in's allocations: it proves nothing")) return;

    auto instance = clapInstance(context, 48000.0f);
    const struct {
        const char* name;
        void (*prepare)(ClapInstance&, GroupContext&);
    } scenarios[] = {
        {"first blocks of a new instance", [](ClapInstance& i, GroupContext&) { i.resume(); }},
        {"after a program change", [](ClapInstance& i, GroupContext& c) { i.setProgram(c.between(0, 7)); }},
        {"after deactivate and activate", [](ClapInstance& i, GroupContext&) { i.suspend(); i.resume(); }},
        {"after a sample-rate change",
         [](ClapInstance& i, GroupContext&) { i.configure({192000.0, kLargestBlock}); i.resume(); }},
    };
    for (const auto& scenario : scenarios) {
        scenario.prepare(*instance, context);
        realtime::reset();
        processInScope(*instance, context, blocks, 0.0f);
        processInScope(*instance, context, blocks, std::numeric_limits<float>::quiet_NaN());
        report.check(realtime::violations() == 0, format("%s: %ld calls, the first to %s", scenario.name,
                                                         realtime::violations(), realtime::firstViolation()));
    }
    realtime::reset();
}

}  // namespace vardelline::host::validate
