// Real-time safety: no allocation, lock or blocking system call while
// process or processReplacing runs, nor in setParameter and getParameter,
// which hosts call from the audio thread. Covers the blocks that apply
// program, suspend and sample-rate changes, the editor being open, and
// hostile input.
#include <cfloat>
#include <limits>

#include "tools/host/validate_groups.h"
#include "tools/host/validate_intercept.h"
#include "tools/host/validate_render.h"
#include "tools/host/validate_x11.h"

namespace vardelline::host::validate {

namespace {

// Blocks of every size through both entry points inside an audio scope.
void processInScope(Subject& subject, std::mt19937_64& random, int blocks, float hostile = 0.0f) {
    GuardedStereo in(kLargestBlock), out(kLargestBlock);
    TestSignal signal(random(), 48000.0f);
    for (int b = 0; b < blocks; ++b) {
        const int n = b % 3 == 0 ? 1 : static_cast<int>(random() % kLargestBlock) + 1;
        signal.fill(in.channel(0), in.channel(1), n);
        if (hostile != 0.0f) in.channel(b & 1)[n / 2] = hostile;
        realtime::AudioScope scope;
        if (b & 1)
            subject.process(in.pointers(), out.pointers(), n);
        else
            subject.processReplacing(in.pointers(), out.pointers(), n);
    }
}

void parametersInScope(Subject& subject, std::mt19937_64& random) {
    const float values[] = {
        0.0f,   1.0f,          0.5f, std::numeric_limits<float>::quiet_NaN(), std::numeric_limits<float>::infinity(),
        -1e30f, FLT_MIN / 2.0f};
    realtime::AudioScope scope;
    for (int index = -2; index <= 82; ++index) {
        for (float value : values) subject.setParameter(index, value);
        subject.setParameter(index, static_cast<float>(random() % 1000) / 1000.0f);
        (void)subject.getParameter(index);
    }
}

struct Scenario {
    const char* name;
    void (*prepare)(Subject&, std::mt19937_64&);  // outside the scope: what the next blocks must apply
};

const Scenario kScenarios[] = {
    {"first blocks of a new instance", [](Subject&, std::mt19937_64&) {}},
    {"after a program change", [](Subject& s, std::mt19937_64& r) { s.setProgram(static_cast<int>(r() % 8)); }},
    {"after suspend and resume", [](Subject& s, std::mt19937_64&) { s.start(48000.0f, kLargestBlock); }},
    {"after a sample-rate change", [](Subject& s, std::mt19937_64&) { s.start(192000.0f, kLargestBlock); }},
    {"after a rate change back", [](Subject& s, std::mt19937_64&) { s.start(44100.0f, kLargestBlock); }},
    {"with the editor open", [](Subject& s, std::mt19937_64&) { s.dispatch(effEditOpen); }},
    {"after editor idle", [](Subject& s, std::mt19937_64&) { s.dispatch(effEditIdle); }},
    {"with the editor closed again", [](Subject& s, std::mt19937_64&) { s.dispatch(effEditClose); }},
};

// The interception must see the plug-in's own calls, or the group would prove
// nothing: constructing an instance allocates its editor, so it must count.
bool interceptionReachesPlugin(const PluginLibrary& library) {
    realtime::reset();
    {
        realtime::AudioScope scope;
        auto subject = Subject::create(library);
    }
    const bool seen = realtime::violations() > 0;
    realtime::reset();
    return seen;
}

}  // namespace

void runRealtimeGroup(GroupContext& context, GroupReport& report) {
    if (!realtime::available()) {
        report.skip(realtime::why());
        return;
    }
    const int blocks = context.byLevel(6, 20, 60);
    report.describe(
        format("allocation, locks and blocking calls inside process, processReplacing, setParameter "
               "and getParameter: %zu situations (and the X11 editor open, with a display) x %d blocks of 1..4096, "
               "hostile input and values",
               std::size(kScenarios), blocks));
    if (!report.check(interceptionReachesPlugin(*context.library),
                      "the interception does not see the plug-in's allocations: it proves nothing"))
        return;

    auto subject = Subject::create(*context.library, HostBehaviour::Full, 48000.0f, kLargestBlock);
    if (!report.check(subject != nullptr, "no instance")) return;
    subject->start(48000.0f, kLargestBlock);
    for (const Scenario& scenario : kScenarios) {
        scenario.prepare(*subject, context.random);
        realtime::reset();
        processInScope(*subject, context.random, blocks);
        parametersInScope(*subject, context.random);
        processInScope(*subject, context.random, blocks, std::numeric_limits<float>::quiet_NaN());
        report.check(realtime::violations() == 0, format("%s: %ld calls, the first to %s", scenario.name,
                                                         realtime::violations(), realtime::firstViolation()));
    }
    // The editor in a real window, where there is a display.
    std::string whyNot;
    if (auto parent = ParentWindow::open(whyNot)) {
        subject->dispatch(effEditOpen, 0, 0, parent->handle());
        subject->dispatch(effEditIdle);
        realtime::reset();
        processInScope(*subject, context.random, blocks);
        parametersInScope(*subject, context.random);
        report.check(realtime::violations() == 0, format("with the X11 editor open: %ld calls, the first to %s",
                                                         realtime::violations(), realtime::firstViolation()));
        subject->dispatch(effEditClose);
    }
    realtime::reset();
}

}  // namespace vardelline::host::validate
