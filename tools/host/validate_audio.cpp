// Audio through both entry points: every sample rate and block size in and
// out of place, every parameter extreme with full-scale input, and hostile
// input (NaN, Inf, huge, subnormal, DC) that must never poison the effect.
#include <cfloat>
#include <cmath>
#include <limits>

#include "tools/host/validate_groups.h"
#include "tools/host/validate_render.h"
#include "tools/host/validate_sounding.h"

namespace vardelline::host::validate {

void runAudioFormatsGroup(GroupContext& context, GroupReport& report) {
    const float rates[] = {44100.0f, 48000.0f, 88200.0f, 96000.0f, 192000.0f};
    const int blocks[] = {1, 32, 64, 512, 1024, 4096, 0};  // 0: a random mix
    const double seconds = context.byLevel(0.1, 0.3, 0.75);
    report.describe(
        format("5 rates x 7 block sizes (1..4096, random) x 2 entry points, in place and out of place "
               "compared, %.2f s each",
               seconds));
    for (float rate : rates) {
        for (int block : blocks) {
            for (bool replacing : {true, false}) {
                const uint64_t seed = context.random();
                std::vector<float> outputs[2];
                for (int inPlace = 0; inPlace < 2; ++inPlace) {
                    auto subject = Subject::create(*context.library, HostBehaviour::Full, rate, kLargestBlock);
                    if (!report.check(subject != nullptr, "no instance")) return;
                    std::mt19937_64 random(seed);
                    GroupContext same{context.library, context.plugins, context.options, std::mt19937_64(seed)};
                    setBusy(*subject, same);
                    subject->start(rate, block > 0 ? block : kLargestBlock);
                    TestSignal signal(seed, rate);
                    RenderSetup setup;
                    setup.blockSize = block;
                    setup.replacing = replacing;
                    setup.inPlace = inPlace != 0;
                    setup.keep = true;
                    RenderResult result = render(*subject, signal, static_cast<long>(seconds * rate), setup, random);
                    const std::string what =
                        format("%g Hz, blocks of %d, %s, %s", static_cast<double>(rate), block,
                               replacing ? "processReplacing" : "process", inPlace ? "in place" : "out of place");
                    report.check(result.check.sound(), what + ": " + result.check.describe());
                    report.check(result.guardsIntact, what + ": wrote outside the buffers");
                    outputs[inPlace] = std::move(result.output);
                }
                report.check(outputs[0] == outputs[1], format("%g Hz, blocks of %d: in place differs from out of place",
                                                              static_cast<double>(rate), block));
            }
        }
    }
}

namespace {

struct Extreme {
    const char* name;
    void (*apply)(Sounding&);
};

const Extreme kExtremes[] = {
    {"all at 1", [](Sounding& s) { setAll(s, [](int) { return 1.0f; }); }},
    {"all at 0", [](Sounding& s) { setAll(s, [](int) { return 0.0f; }); }},
    {"feedback 1, width 1, delays 1, fastest sweep, chorus only",
     [](Sounding& s) {
         setBands(s, param::kFeedback, 1.0f);
         setBands(s, param::kWidth, 1.0f);
         setBands(s, param::kLeftDelay, 1.0f);
         setBands(s, param::kRightDelay, 1.0f);
         setBands(s, param::kSpeed, 1.0f);
         s.setParameter(param::kBalance, 1.0f);
     }},
    {"feedback 1, delays 0, Q 0, both paths",
     [](Sounding& s) {
         setBands(s, param::kFeedback, 1.0f);
         setBands(s, param::kLeftDelay, 0.0f);
         setBands(s, param::kRightDelay, 0.0f);
         s.setParameter(param::kQ, 0.0f);
         s.setParameter(param::kBalance, 0.5f);
     }},
    {"feedback 1, width 1, delays 0.01, Q 1",
     [](Sounding& s) {
         setBands(s, param::kFeedback, 1.0f);
         setBands(s, param::kWidth, 1.0f);
         setBands(s, param::kLeftDelay, 0.01f);
         setBands(s, param::kRightDelay, 0.01f);
         s.setParameter(param::kQ, 1.0f);
         s.setParameter(param::kBalance, 0.75f);
     }},
    {"start above finish, feedback 1, Q 0",
     [](Sounding& s) {
         s.setParameter(param::kStart, 1.0f);
         s.setParameter(param::kFinish, 0.0f);
         s.setParameter(param::kQ, 0.0f);
         setBands(s, param::kFeedback, 1.0f);
         s.setParameter(param::kBalance, 0.5f);
     }},
    {"all bands at the top, feedback 1",
     [](Sounding& s) {
         s.setParameter(param::kStart, 1.0f);
         s.setParameter(param::kFinish, 1.0f);
         setBands(s, param::kFeedback, 1.0f);
         setBands(s, param::kPan, 0.0f);
     }},
    {"all bands at the bottom, feedback 1, width 1",
     [](Sounding& s) {
         s.setParameter(param::kStart, 0.0f);
         s.setParameter(param::kFinish, 0.0f);
         setBands(s, param::kFeedback, 1.0f);
         setBands(s, param::kWidth, 1.0f);
         setBands(s, param::kPan, 1.0f);
     }},
};

// Full-scale test inputs.
struct LoudInput {
    const char* name;
    float (*sample)(long k, float rate, std::mt19937& random);
};

const LoudInput kLoudInputs[] = {
    {"noise", [](long, float, std::mt19937& r) { return std::uniform_real_distribution<float>(-1.0f, 1.0f)(r); }},
    {"sweep",
     [](long k, float rate, std::mt19937&) {
         const double t = static_cast<double>(k) / rate;
         return static_cast<float>(
             std::sin(6.283185307179586 * 20.0 * (std::pow(1000.0, t / 2.0) - 1.0) * 2.0 / std::log(1000.0)));
     }},
    {"square",
     [](long k, float rate, std::mt19937&) { return (k / static_cast<long>(rate / 440.0f)) % 2 ? 1.0f : -1.0f; }},
    {"clicks", [](long k, float, std::mt19937&) { return k % 3001 == 0 ? 1.0f : 0.0f; }},
};

void runExtremes(GroupContext& context, GroupReport& report, const SoundingFormat& edition) {
    const double seconds = context.byLevel(0.3, 1.0, 3.0);
    const int randomConfigs = context.byLevel(3, 3, 12);
    report.describe(
        format("%zu extreme settings + %d random 0/1 settings x %zu full-scale inputs x %d entry point%s "
               "x 44.1/192 kHz, %.1f s each, bound %g",
               std::size(kExtremes), randomConfigs, std::size(kLoudInputs), edition.entryPoints,
               edition.entryPoints > 1 ? "s" : "", seconds, static_cast<double>(kOutputBoundPerUnitInput)));
    const int total = static_cast<int>(std::size(kExtremes)) + randomConfigs;
    for (int config = 0; config < total; ++config) {
        const uint64_t configSeed = context.random();
        for (const LoudInput& input : kLoudInputs) {
            for (float rate : {44100.0f, 192000.0f}) {
                for (int entry = 0; entry < edition.entryPoints; ++entry) {
                    auto subject = edition.make(rate, entry);
                    if (!report.check(subject != nullptr, "no instance")) return;
                    std::string name;
                    if (config < static_cast<int>(std::size(kExtremes))) {
                        kExtremes[config].apply(*subject);
                        name = kExtremes[config].name;
                    } else {
                        std::mt19937_64 values(configSeed);
                        setAll(*subject, [&](int) { return static_cast<float>(values() & 1); });
                        name = format("random 0/1 setting %llu", static_cast<unsigned long long>(configSeed));
                    }
                    subject->start(1024);
                    std::mt19937 noise(7);
                    long position = 0;
                    RenderSetup setup;
                    setup.blockSize = 1024;
                    RenderResult result = render(
                        subject->processor(),
                        [&](float* l, float* r, int n) {
                            for (int k = 0; k < n; ++k, ++position) l[k] = r[k] = input.sample(position, rate, noise);
                        },
                        static_cast<long>(seconds * rate), setup, context.random);
                    report.check(result.check.sound() && result.guardsIntact,
                                 format("%s, %s input, %g Hz, %s: ", name.c_str(), input.name,
                                        static_cast<double>(rate), edition.entryName(entry)) +
                                     result.check.describe());
                }
            }
        }
    }
}

}  // namespace

void runExtremesGroup(GroupContext& context, GroupReport& report) {
    runExtremes(context, report, vst2Sounding(context));
}

void runClapExtremesGroup(GroupContext& context, GroupReport& report) {
    runExtremes(context, report, clapSounding(context));
}

namespace {

struct HostileKind {
    const char* name;
    float (*sample)(long k, std::mt19937& random);
    bool bounded;  // input a sound effect must keep bounded output for
};

float nan() {
    return std::numeric_limits<float>::quiet_NaN();
}
float inf() {
    return std::numeric_limits<float>::infinity();
}

const HostileKind kHostileKinds[] = {
    {"NaN", [](long, std::mt19937&) { return nan(); }, true},
    {"one NaN sample", [](long k, std::mt19937&) { return k == 0 ? nan() : 0.1f; }, true},
    {"NaN every 100th sample", [](long k, std::mt19937&) { return k % 100 == 0 ? nan() : 0.5f; }, true},
    {"+Inf", [](long, std::mt19937&) { return inf(); }, true},
    {"-Inf", [](long, std::mt19937&) { return -inf(); }, true},
    {"+1e30", [](long, std::mt19937&) { return 1e30f; }, false},
    {"-1e30", [](long, std::mt19937&) { return -1e30f; }, false},
    {"+-1e30 noise", [](long, std::mt19937& r) { return (r() & 1) ? 1e30f : -1e30f; }, false},
    {"subnormals", [](long k, std::mt19937&) { return (k & 1 ? 1.0f : -1.0f) * FLT_MIN * 0.25f; }, true},
    {"DC 1", [](long, std::mt19937&) { return 1.0f; }, true},
    {"DC -1", [](long, std::mt19937&) { return -1.0f; }, true},
};

// Finite input far beyond any audio: the effect's gains must not overflow on it.
const HostileKind kHugeKinds[] = {
    {"+-FLT_MAX noise", [](long, std::mt19937& r) { return (r() & 1) ? FLT_MAX : -FLT_MAX; }, false},
    {"+FLT_MAX", [](long, std::mt19937&) { return FLT_MAX; }, false},
    {"+-1e36 noise", [](long, std::mt19937& r) { return (r() & 1) ? 1e36f : -1e36f; }, false},
    {"+-1e33 square", [](long k, std::mt19937&) { return (k / 50) % 2 ? 1e33f : -1e33f; }, false},
};

template <size_t N>
void runHostileKinds(const HostileKind (&kinds)[N], GroupContext& context, GroupReport& report,
                     const SoundingFormat& edition) {
    constexpr float kRate = 48000.0f;
    const double burst = context.byLevel(0.1, 0.5, 0.5);
    // The longest line holds 0.32 s; filters ring down well within another second.
    const double flush = 1.5;
    std::string names;
    for (const HostileKind& kind : kinds) names += std::string(names.empty() ? "" : ", ") + kind.name;
    report.describe(format("%s x %d entry point%s x 3 settings: %.1f s burst between sound input, finite after "
                           "%.1f s",
                           names.c_str(), edition.entryPoints, edition.entryPoints > 1 ? "s" : "", burst, flush));
    for (const HostileKind& kind : kinds) {
        for (int entry = 0; entry < edition.entryPoints; ++entry) {
            for (int setting = 0; setting < 3; ++setting) {
                auto subject = edition.make(kRate, entry);
                if (!report.check(subject != nullptr, "no instance")) return;
                if (setting == 0) setBusy(*subject, context);
                if (setting == 1) kExtremes[3].apply(*subject);  // 1-sample loops at full feedback
                if (setting == 2) kExtremes[2].apply(*subject);  // longest loops at full feedback
                subject->start(512);
                const BlockProcessor process = subject->processor();
                RenderSetup setup;
                setup.bound = kind.bounded ? kOutputBoundPerUnitInput : FLT_MAX;
                TestSignal signal(3, kRate);
                std::mt19937 noise(5);
                long position = 0;
                auto hostile = [&](float* l, float* r, int n) {
                    for (int k = 0; k < n; ++k, ++position) {
                        l[k] = kind.sample(position, noise);
                        r[k] = kind.sample(position, noise);
                    }
                };
                auto sound = [&signal](float* l, float* r, int n) { signal.fill(l, r, n); };
                const std::string what = format("%s, %s, setting %d", kind.name, edition.entryName(entry), setting);
                render(process, sound, static_cast<long>(0.25 * kRate), setup, context.random);
                RenderResult during = render(process, hostile, static_cast<long>(burst * kRate), setup, context.random);
                RenderResult flushing = render(process, sound, static_cast<long>(flush * kRate), setup, context.random);
                RenderResult after = render(process, sound, static_cast<long>(0.5 * kRate), setup, context.random);
                // Bounded hostile input must give sound output throughout; any input must give finite output
                // once it has stopped and the lines have flushed.
                if (kind.bounded)
                    report.check(during.check.sound(), what + ", during: " + during.check.describe());
                else
                    report.check(during.check.nonFinite == 0, what + ", during: " + during.check.describe());
                OutputCheck afterwards = after.check;
                if (!kind.bounded) afterwards.overBound = 0;
                report.check(afterwards.sound(), what + ", after: " + after.check.describe());
                report.check(during.guardsIntact && flushing.guardsIntact && after.guardsIntact,
                             what + ": wrote outside the buffers");
            }
        }
    }
}

}  // namespace

void runHostileInputGroup(GroupContext& context, GroupReport& report) {
    runHostileKinds(kHostileKinds, context, report, vst2Sounding(context));
}

void runClapHostileInputGroup(GroupContext& context, GroupReport& report) {
    runHostileKinds(kHostileKinds, context, report, clapSounding(context));
}

void runHugeInputGroup(GroupContext& context, GroupReport& report) {
    runHostileKinds(kHugeKinds, context, report, vst2Sounding(context));
}

void runClapHugeInputGroup(GroupContext& context, GroupReport& report) {
    runHostileKinds(kHugeKinds, context, report, clapSounding(context));
}

}  // namespace vardelline::host::validate
