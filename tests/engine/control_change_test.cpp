// Moving a control while audio runs, through the binary interface: values
// re-sent unchanged leave the output untouched, and slow ramps of the filter
// controls add no clicks.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <vector>

#include "support/test_host.h"

namespace {

constexpr int kBlock = 256;

struct Stereo {
    std::vector<float> left, right;
};

// A sine of the given frequency and amplitude 0.5 on both channels.
Stereo tone(double frequency, float rate, int frames) {
    Stereo s{std::vector<float>(frames), std::vector<float>(frames)};
    for (int k = 0; k < frames; ++k) {
        s.left[k] = static_cast<float>(0.5 * std::sin(2.0 * M_PI * frequency * k / rate));
        s.right[k] = s.left[k];
    }
    return s;
}

AEffect* startInstance(TestHost& host, int program, float rate) {
    AEffect* effect = host.create();
    TestHost::dispatch(effect, effSetSampleRate, 0, 0, nullptr, rate);
    TestHost::dispatch(effect, effSetBlockSize, 0, kBlock);
    TestHost::dispatch(effect, effSetProgram, 0, program);
    TestHost::dispatch(effect, effMainsChanged, 0, 1);
    return effect;
}

// Renders in through effect block by block; beforeBlock runs before each.
template <class BeforeBlock>
Stereo render(AEffect* effect, Stereo in, bool replacing, BeforeBlock beforeBlock) {
    const int frames = static_cast<int>(in.left.size());
    Stereo out{std::vector<float>(frames, 0.0f), std::vector<float>(frames, 0.0f)};
    for (int start = 0, block = 0; start < frames; start += kBlock, ++block) {
        beforeBlock(block);
        float* inputs[2] = {&in.left[start], &in.right[start]};
        float* outputs[2] = {&out.left[start], &out.right[start]};
        (replacing ? effect->processReplacing : effect->process)(effect, inputs, outputs, std::min(kBlock, frames - start));
    }
    return out;
}

Stereo renderSteady(AEffect* effect, const Stereo& in, bool replacing) {
    return render(effect, in, replacing, [](int) {});
}

// Eight high-pass biquads at 5 kHz in cascade: the tone itself (200 Hz) is
// more than 200 dB down, what is left is what the controls' moves added.
double energyAbove5kHz(const std::vector<float>& x, float rate) {
    const double w = 2.0 * M_PI * 5000.0 / rate, alpha = std::sin(w) / (2.0 * 0.7071), c = std::cos(w);
    const double a0 = 1 + alpha, b0 = (1 + c) / 2 / a0, b1 = -(1 + c) / a0, a1 = -2 * c / a0, a2 = (1 - alpha) / a0;
    std::vector<double> signal(x.begin(), x.end());
    for (int section = 0; section < 8; ++section) {
        double x1 = 0, x2 = 0, y1 = 0, y2 = 0;
        for (double& s : signal) {
            const double y = b0 * s + b1 * x1 + b0 * x2 - a1 * y1 - a2 * y2;
            x2 = x1, x1 = s, y2 = y1, y1 = y;
            s = y;
        }
    }
    double energy = 0;
    for (size_t k = signal.size() / 4; k < signal.size(); ++k) energy += signal[k] * signal[k];  // past the onset
    return energy;
}

double energyOf(const std::vector<float>& x) {
    double energy = 0;
    for (size_t k = x.size() / 4; k < x.size(); ++k) energy += static_cast<double>(x[k]) * x[k];
    return energy;
}

}  // namespace

// Hosts often send every value again at every block. Nothing may change.
TEST(ControlChanges, ResentValuesLeaveTheOutputBitForBitUnchanged) {
    for (float rate : {44100.0f, 48000.0f, 96000.0f}) {
        const Stereo in = tone(440.0, rate, 40 * kBlock);
        for (int program = 0; program < 8; ++program) {
            for (bool replacing : {true, false}) {
                TestHost host;
                AEffect* undisturbed = startInstance(host, program, rate);
                AEffect* resent = startInstance(host, program, rate);
                const Stereo expected = renderSteady(undisturbed, in, replacing);
                const Stereo got = render(resent, in, replacing, [&](int block) {
                    const int index = block % 80;
                    resent->setParameter(resent, index, resent->getParameter(resent, index));
                    resent->setParameter(resent, 22, resent->getParameter(resent, 22));
                });
                ASSERT_EQ(got.left, expected.left) << rate << " Hz, program " << program << ", replacing " << replacing;
                ASSERT_EQ(got.right, expected.right) << rate << " Hz, program " << program;
            }
        }
    }
}

// A 200 Hz tone while a start or finish frequency, the width, a pan or the
// balance moves slowly, one small step per block: the energy the moves add
// above 5 kHz, against the output's own energy. Filters that restart from
// silence at each step click at the block rate (-8 to -34 dB); filters that
// keep their state add -67 dB at worst (the width ramp through
// "HighSpread", whose bands hardly pass the tone) and mostly below -90 dB.
TEST(ControlChanges, SlowRampsAddNoClicks) {
    const float rate = 44100.0f;
    const int blocks = 200;
    const Stereo in = tone(200.0, rate, blocks * kBlock);
    const int controls[] = {0, 1, 2, 19, 51};
    double worst = -1000.0;
    for (int program = 0; program < 8; ++program) {
        for (int control : controls) {
            TestHost host;
            AEffect* effect = startInstance(host, program, rate);
            const float from = effect->getParameter(effect, control);
            const float to = from < 0.5f ? from + 0.3f : from - 0.3f;
            const Stereo out = render(effect, in, true, [&](int block) {
                effect->setParameter(effect, control, from + (to - from) * static_cast<float>(block) / blocks);
            });
            const double total = energyOf(out.left) + energyOf(out.right);
            if (total < 1e-9) continue;  // no band near the tone
            const double added = energyAbove5kHz(out.left, rate) + energyAbove5kHz(out.right, rate);
            const double db = 10.0 * std::log10(added / total + 1e-30);
            worst = std::max(worst, db);
            EXPECT_LT(db, -60.0) << "program " << program << ", control " << control;
        }
    }
    std::printf("worst energy added above 5 kHz by a slow ramp: %.1f dB\n", worst);
}
