// The band-pass filter bank: eight second-order band-pass filters per
// channel, centre frequencies on a log scale between a start and a finish
// frequency. One history ring serves all sixteen filters; here it is kept as
// the last two inputs per channel and the last two outputs per filter, and
// the ring's slot index is derived from its phase.
#pragma once

#include <cstdint>
#include <cstring>

#include "plugin/simd_dispatch.h"

namespace vardelline {

// (float)(exp(0.6931472 x + 0.0001) + 1e-12): the engine's power of two.
float Pow2Approx(float x);

class FilterBank {
public:
    static constexpr int kBands = 8;
    static constexpr int kLanes = 2 * kBands;  // lane 2b is band b left, 2b + 1 band b right
    static constexpr int kMaxRun = 32;

    FilterBank() { resetRing(); }

    // Lays out the eight centre frequencies from start and finish (0..1),
    // designs every band with the width value q and clears all histories.
    void design(float start, float finish, float q, float sampleRate);

    // Centre frequency the design of band b produced, in Hz.
    float centreFrequency(int band) const { return centre[band]; }

    // Start state of the ring: the first sample goes to slot 1.
    void resetRing() { historyPhase = 0; }
    void clearHistories();

    // Runs all sixteen filters over n <= kMaxRun samples of each channel;
    // out[lane][k] receives the band signals.
    void run(const float* inL, const float* inR, int n, float (*out)[kMaxRun]);

    template <class Isa>
    class Stepper;

    // One sample, for callers that go sample by sample.
    void step(float inL, float inR);

    float outputL(int band) const { return static_cast<float>(y1[2 * band]); }
    float outputR(int band) const { return static_cast<float>(y1[2 * band + 1]); }

    // Stored coefficients of band b: feed-forward b0 b1 b2 and feedback a0 a1 a2.
    float coefB(int band, int i) const { return coefB_[band][i]; }
    float coefA(int band, int i) const { return coefA_[band][i]; }
    // Ring slot the latest sample was written to (1, 0, 2, 1, ... from the start state).
    int currentSlot() const;

private:
    void designBand(int band, float fc, float q, float sampleRate);

    float coefB_[kBands][3] = {};
    float coefA_[kBands][3] = {};
    float centre[kBands] = {};

    // Per lane copies of the four coefficients the step uses, widened once.
    alignas(32) double b0[kLanes] = {}, b2[kLanes] = {}, a1[kLanes] = {}, a2[kLanes] = {};
    // Histories, each value a float held in a double: inputs per channel,
    // outputs per lane, one and two samples back.
    double x1[2] = {}, x2[2] = {};
    alignas(32) double y1[kLanes] = {}, y2[kLanes] = {};
    int32_t historyPhase = 0;
};

// The sixteen filters one sample at a time, their state held in registers,
// for loops that interleave the filters with other work. The filters are
// independent, so they run side by side, four lanes to a vector; every lane
// does exactly the scalar arithmetic in the same order.
template <class Isa>
class FilterBank::Stepper {
public:
    VARDELLINE_LANES_INLINE explicit Stepper(FilterBank& bank) : bank(bank) {
        for (int g = 0; g < kGroups; ++g) {
            B0[g] = loadLanes(bank.b0 + 4 * g);
            B2[g] = loadLanes(bank.b2 + 4 * g);
            A1[g] = loadLanes(bank.a1 + 4 * g);
            A2[g] = loadLanes(bank.a2 + 4 * g);
            Y1[g] = loadLanes(bank.y1 + 4 * g);
            Y2[g] = loadLanes(bank.y2 + 4 * g);
        }
        prevL = bank.x1[0];
        prevR = bank.x1[1];
        oldL = bank.x2[0];
        oldR = bank.x2[1];
    }

    // Filters one sample of each channel; out[lane][k] receives the band signals.
    VARDELLINE_LANES_INLINE void step(float inL, float inR, float (*out)[kMaxRun], int k) {
        const double nowL = inL, nowR = inR;
        const Doubles4 now = {nowL, nowR, nowL, nowR};
        const Doubles4 old = {oldL, oldR, oldL, oldR};
        for (int g = 0; g < kGroups; ++g) {
            const Doubles4 acc = B0[g] * now + B2[g] * old - A1[g] * Y1[g] - A2[g] * Y2[g] + 1e-12;
            const Floats4 y = __builtin_convertvector(acc, Floats4);
            Y2[g] = Y1[g];
            Y1[g] = Isa::widen(y);
            for (int i = 0; i < 4; ++i) out[4 * g + i][k] = y[i];
        }
        oldL = prevL;
        oldR = prevR;
        prevL = nowL;
        prevR = nowR;
        ++samples;
    }

    // Hands the state back to the bank.
    VARDELLINE_LANES_INLINE ~Stepper() {
        for (int g = 0; g < kGroups; ++g) {
            std::memcpy(bank.y1 + 4 * g, &Y1[g], sizeof(Doubles4));
            std::memcpy(bank.y2 + 4 * g, &Y2[g], sizeof(Doubles4));
        }
        bank.x1[0] = prevL;
        bank.x1[1] = prevR;
        bank.x2[0] = oldL;
        bank.x2[1] = oldR;
        bank.historyPhase = (bank.historyPhase + samples) % 3;
    }

    Stepper(const Stepper&) = delete;
    Stepper& operator=(const Stepper&) = delete;

private:
    static constexpr int kGroups = kLanes / 4;
    FilterBank& bank;
    Doubles4 B0[kGroups], B2[kGroups], A1[kGroups], A2[kGroups], Y1[kGroups], Y2[kGroups];
    double prevL, prevR, oldL, oldR;
    int samples = 0;
};

}  // namespace vardelline
