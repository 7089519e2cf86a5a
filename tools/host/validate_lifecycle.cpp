// Opening and closing: hosts that refuse, many instances created and closed
// in different orders, and instances that come and go while others process
// audio on other threads (whose output must not change because of it).
#include <algorithm>
#include <atomic>
#include <thread>

#include "tools/host/validate_groups.h"
#include "tools/host/validate_render.h"

namespace vardelline::host::validate {

namespace {

void checkRefusingHosts(GroupContext& context, GroupReport& report) {
    const PluginLibrary& library = *context.library;
    report.check(callEntry(library, HostBehaviour::Full, true) == nullptr, "a null host callback got an instance");
    for (HostBehaviour behaviour : {HostBehaviour::ZeroVersion, HostBehaviour::AllZero}) {
        const char* name =
            behaviour == HostBehaviour::ZeroVersion ? "answering 0 to the version query" : "answering 0 to everything";
        AEffect* effect = callEntry(library, behaviour);
        if (!report.check(effect == nullptr, format("a host %s got an instance", name)))
            effect->dispatcher(effect, effClose, 0, 0, nullptr, 0.0f);
        report.check(
            requestsWithoutEffect() == 1,
            format("a host %s was asked %u things (only the version query expected)", name, requestsWithoutEffect()));
    }
}

// A host that answers the version query and nothing else: no rate, no block
// size, no time info. The instance must still work.
void checkMinimalHost(GroupContext& context, GroupReport& report) {
    auto subject = Subject::create(*context.library, HostBehaviour::VersionOnly);
    if (!report.check(subject != nullptr, "a host answering only the version query got no instance")) return;
    AEffect& e = subject->effect();
    report.check(e.magic == kEffectMagic && e.numParams == 80 && e.numPrograms == 8 && e.numInputs == 2 &&
                     e.numOutputs == 2 && e.flags == 25 && e.uniqueID == fourCharCode("vdLn"),
                 "descriptor differs under a minimal host");
    subject->setProgram(3);
    report.check(subject->program() == 3, "program change failed under a minimal host");
    subject->start(44100.0f, 512);
    TestSignal signal(1, 44100.0f);
    RenderResult result = render(*subject, signal, 8192, {}, context.random);
    report.check(result.check.sound() && result.guardsIntact, "audio under a minimal host: " + result.check.describe());
}

void checkCloseOrders(GroupContext& context, GroupReport& report) {
    const int count = context.byLevel(4, 12, 24);
    for (int order = 0; order < 3; ++order) {
        std::vector<std::unique_ptr<Subject>> subjects;
        for (int i = 0; i < count; ++i) subjects.push_back(Subject::create(*context.library));
        const bool all = std::all_of(subjects.begin(), subjects.end(), [](const auto& s) { return s != nullptr; });
        if (!report.check(all, "an instance was refused while others were open")) return;
        if (order == 1) std::reverse(subjects.begin(), subjects.end());
        if (order == 2) std::shuffle(subjects.begin(), subjects.end(), context.random);
        for (auto& subject : subjects) subject->close();
        report.countCases(count);
    }
    // Random interleaving of creation and closing.
    std::vector<std::unique_ptr<Subject>> open;
    for (int step = 0; step < count * 4; ++step) {
        if (open.empty() || (open.size() < static_cast<size_t>(count) && context.uniform() < 0.55)) {
            open.push_back(Subject::create(*context.library));
            if (!report.check(open.back() != nullptr, "an instance was refused")) return;
            if (context.uniform() < 0.3) open.back()->setProgram(context.between(0, 7));
        } else {
            const size_t victim = static_cast<size_t>(context.between(0, static_cast<int>(open.size()) - 1));
            open.erase(open.begin() + static_cast<long>(victim));
            report.countCases(1);
        }
    }
}

// The output of one instance, rendered the same way each time.
std::vector<float> referenceRender(const PluginLibrary& library, int program, uint64_t seed, long frames,
                                   std::mt19937_64& random) {
    auto subject = Subject::create(library);
    if (!subject) return {};
    subject->setProgram(program);
    subject->start(48000.0f, 256);
    TestSignal signal(seed, 48000.0f);
    RenderSetup setup;
    setup.blockSize = 256;
    setup.keep = true;
    RenderResult result = render(*subject, signal, frames, setup, random);
    if (!result.check.sound() || !result.guardsIntact) return {};
    return result.output;
}

void checkWhileOthersProcess(GroupContext& context, GroupReport& report) {
    const long frames = context.byLevel(48000, 192000, 480000);
    constexpr int kThreads = 2;
    std::vector<float> outputs[kThreads];
    std::atomic<int> running{kThreads};
    std::vector<std::thread> threads;
    for (int t = 0; t < kThreads; ++t) {
        threads.emplace_back([&, t] {
            std::mt19937_64 random(static_cast<uint64_t>(t));
            outputs[t] = referenceRender(*context.library, 2 + t, 100 + t, frames, random);
            running.fetch_sub(1);
        });
    }
    long cycles = 0;
    std::vector<std::unique_ptr<Subject>> open;
    GuardedStereo block(64);
    while (running.load() > 0) {
        if (open.size() < 6 && context.uniform() < 0.6) {
            open.push_back(Subject::create(*context.library));
            if (!open.back()) continue;
            // Other instances' settings and audio must not reach the processing ones.
            open.back()->setProgram(context.between(0, 7));
            setAll(*open.back(), [&](int) { return static_cast<float>(context.uniform()); });
            block.fill(0.5f);
            open.back()->processReplacing(block.pointers(), block.pointers(), block.frames());
        } else if (!open.empty()) {
            open.erase(open.begin() + context.between(0, static_cast<int>(open.size()) - 1));
        }
        ++cycles;
    }
    for (auto& thread : threads) thread.join();
    open.clear();
    report.countCases(cycles);
    for (int t = 0; t < kThreads; ++t) {
        std::mt19937_64 random(static_cast<uint64_t>(t));
        const std::vector<float> alone = referenceRender(*context.library, 2 + t, 100 + t, frames, random);
        report.check(!outputs[t].empty() && outputs[t] == alone,
                     format("thread %d: output while instances came and went differs from the output alone", t));
    }
}

}  // namespace

void runLifecycleGroup(GroupContext& context, GroupReport& report) {
    report.describe(
        "refusing hosts, minimal host, many instances in 4 close orders, open/close beside 2 "
        "processing threads");
    checkRefusingHosts(context, report);
    checkMinimalHost(context, report);
    checkCloseOrders(context, report);
    checkWhileOthersProcess(context, report);
}

}  // namespace vardelline::host::validate
