// A long run: one simulated hour at 48 kHz with random automation, faster
// than real time, and (on request) a run of the sample counter across its
// 2^31 wrap, after which the delay lines must carry on without a break.
#include <algorithm>
#include <cmath>
#include <vector>

#include "tools/host/validate_groups.h"
#include "tools/host/validate_render.h"
#include "tools/host/validate_sounding.h"

namespace vardelline::host::validate {

namespace {

constexpr float kRate = 48000.0f;
constexpr int kBlock = 1024;

void runHour(GroupContext& context, GroupReport& report, double seconds, const SoundingFormat& edition) {
    auto subject = edition.make(kRate, 0);
    if (!report.check(subject != nullptr, "no instance")) return;
    subject->start(kBlock);
    TestSignal signal(context.random(), kRate);
    // Every tenth of a second on average: a few parameters, now and then a program.
    auto automate = [&](long) {
        if (context.uniform() > 0.2) return;
        for (int k = context.between(1, 6); k > 0; --k)
            subject->setParameter(context.between(0, param::kCount - 1), static_cast<float>(context.uniform()));
        if (context.uniform() < 0.05) subject->setProgram(context.between(0, 7));
    };
    RenderSetup setup;
    setup.blockSize = kBlock;
    RenderResult result = render(subject->processor(),
                                 [&signal](float* l, float* r, int n) { signal.fill(l, r, n); },
                                 static_cast<long>(seconds * kRate), setup, context.random, automate);
    report.countCases(result.check.samples / kBlock);
    report.check(result.check.sound() && result.guardsIntact,
                 format("%.0f s with automation: ", seconds) + result.check.describe());
}

// Impulses through the plain path only, with fixed delays: the output is
// then independent of the sample counter but for its position in the ring.
void setPlainPath(Sounding& subject) {
    setAll(subject, [](int i) {
        if (i >= param::kLeftDelay && i < param::kPan) return 0.5f + 0.03f * static_cast<float>(i - param::kLeftDelay);
        if (i == param::kQ) return 0.5f;
        if (i == param::kFinish) return 1.0f;
        if (i >= param::kPan && i < param::kSpeed) return 0.5f;
        return 0.0f;  // no feedback, no width, plain path only
    });
}

// Renders frames of silence with an impulse at sample `at`, keeping the
// output of [keepFrom, frames).
std::vector<float> impulseRun(Sounding& subject, long long frames, long long at, long long keepFrom) {
    std::vector<float> kept;
    std::vector<float> left(kBlock), right(kBlock), outL(kBlock), outR(kBlock);
    float* in[2] = {left.data(), right.data()};
    float* out[2] = {outL.data(), outR.data()};
    for (long long done = 0; done < frames;) {
        const int n = static_cast<int>(std::min<long long>(kBlock, frames - done));
        std::fill(left.begin(), left.end(), 0.0f);
        std::fill(right.begin(), right.end(), 0.0f);
        if (at >= done && at < done + n)
            left[static_cast<size_t>(at - done)] = right[static_cast<size_t>(at - done)] = 1.0f;
        subject.processBlock(in, out, n);
        for (int k = 0; k < n; ++k)
            if (done + k >= keepFrom) {
                kept.push_back(outL[static_cast<size_t>(k)]);
                kept.push_back(outR[static_cast<size_t>(k)]);
            }
        done += n;
    }
    return kept;
}

// 2^31 samples through the interface, an impulse just before the wrap; its
// echoes after the wrap must be those of the same impulse at the same ring
// position in an instance that never wrapped.
void runWrap(GroupReport& report, const SoundingFormat& edition) {
    constexpr long long kWrap = 1LL << 31;
    constexpr long long kRing = 65536;
    constexpr long long kBefore = 100;
    constexpr long long kAfter = 20000;  // longer than the longest plain delay at 48 kHz
    auto wrapping = edition.make(kRate, 0);
    auto reference = edition.make(kRate, 0);
    if (!report.check(wrapping && reference, "no instance")) return;
    for (Sounding* s : {wrapping.get(), reference.get()}) {
        setPlainPath(*s);
        s->start(kBlock);
    }
    // The reference's impulse lies at the same position modulo the ring and 32.
    const long long at = kWrap - kBefore;
    const long long referenceAt = at % kRing;
    const std::vector<float> wrapped = impulseRun(*wrapping, kWrap + kAfter, at, at);
    const std::vector<float> expected =
        impulseRun(*reference, referenceAt + kBefore + kAfter, referenceAt, referenceAt);
    bool finite = true;
    for (float v : wrapped) finite = finite && std::isfinite(v);
    report.check(finite, "output across the counter's wrap is not finite");
    report.check(wrapped == expected, "the delay lines do not carry on across the counter's wrap");
}

}  // namespace

namespace {

void runLongRun(GroupContext& context, GroupReport& report, const SoundingFormat& edition) {
    const double seconds = context.byLevel(30.0, 300.0, 3600.0);
    report.describe(format("%.0f s at 48 kHz with random automation%s", seconds,
                           context.options.wrap ? ", 2^31 samples across the counter's wrap" : ""));
    runHour(context, report, seconds, edition);
    if (context.options.wrap) runWrap(report, edition);
}

}  // namespace

void runLongRunGroup(GroupContext& context, GroupReport& report) {
    runLongRun(context, report, vst2Sounding(context));
}

void runClapLongRunGroup(GroupContext& context, GroupReport& report) {
    runLongRun(context, report, clapSounding(context));
}

}  // namespace vardelline::host::validate
