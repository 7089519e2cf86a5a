// What the automation groups check once the stress is over, for a VST 2 or a
// CLAP instance alike: the same known state set on the stressed instance and
// on a fresh one must sound the same, so that nothing of the random state
// lingers anywhere the interface does not reach. Also what both drive the
// editor with.
#pragma once

#include <functional>
#include <random>
#include <string>
#include <vector>

#include "editor/editor_remote.h"
#include "tools/host/validate_render.h"

namespace vardelline::host::validate {

constexpr float kStressRate = 48000.0f;
constexpr int kAutomationStep = 32;
// The band filters keep their state when their design changes, so a jump of
// frequency or width from one extreme to another makes a filter ring up at
// its new tuning (by up to about 1/sin of the new centre's angle, hundreds of
// times at 20 Hz). Under random jumps of every control every 32 samples the
// output stays finite and stops growing (peaks of 10^3 to 10^5 per unit of
// input); this bound catches a runaway, not the ringing.
constexpr float kJumpingControlsBound = 1.0e7f;

// A press, a move and a release at random places across the editor
// (731 x 278), each handed to send.
template <typename Send>
void randomDrag(std::mt19937_64& random, const Send& send) {
    remote::EditorMouseEvent event{};
    event.button = remote::kButtonLeft;
    event.x = static_cast<int32_t>(random() % 731);
    event.y = static_cast<int32_t>(random() % 278);
    for (int32_t kind : {remote::kMousePress, remote::kMouseMove, remote::kMouseRelease}) {
        event.kind = kind;
        event.x += static_cast<int32_t>(random() % 41) - 20;
        send(event);
    }
}

// Feedback and widths are 0 and only the chorus path is heard, so once
// silence() has cleared the chorus lines and filters (two changes of ring
// size, the only way a host clears the band filters' running state) both
// instances start alike. The first `count` parameters must read back.
template <typename Instance>
void checkStateAgainstFresh(Instance& stressed, Instance& fresh, int count, GroupContext& context,
                            GroupReport& report, const std::string& what,
                            const std::function<void(Instance&)>& silence,
                            const std::function<BlockProcessor(Instance&)>& processorOf) {
    std::vector<float> values(param::kCount);
    for (float& v : values) v = static_cast<float>(context.uniform());
    for (int b = 0; b < kNumBands; ++b) values[param::kFeedback + b] = values[param::kWidth + b] = 0.0f;
    values[param::kBalance] = 1.0f;
    std::vector<float> outputs[2];
    Instance* instances[2] = {&stressed, &fresh};
    for (int s = 0; s < 2; ++s) {
        Instance& instance = *instances[s];
        instance.setProgram(0);
        setAll(instance, [&](int i) { return values[static_cast<size_t>(i)]; });
        bool same = true;
        for (int i = 0; i < count; ++i) same = same && instance.getParameter(i) == values[static_cast<size_t>(i)];
        report.check(same, what + ": parameters do not read back as set");
        silence(instance);
        TestSignal signal(11, kStressRate);
        RenderSetup setup;
        setup.keep = true;
        outputs[s] = render(processorOf(instance), [&signal](float* l, float* r, int n) { signal.fill(l, r, n); },
                            24000, setup, context.random)
                         .output;
    }
    // The first 64 samples may still use the lengths of before (they update every 32 samples).
    bool same = outputs[0].size() == outputs[1].size();
    for (size_t k = 0; same && k < outputs[0].size(); ++k)
        same = (k % 512) < 64 && k < 1024 ? true : outputs[0][k] == outputs[1][k];
    report.check(same, what + ": output after the stress differs from a fresh instance in the same state");
}

}  // namespace vardelline::host::validate
