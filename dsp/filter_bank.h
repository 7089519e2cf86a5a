// The band-pass filter bank: eight second-order band-pass filters per
// channel, centre frequencies on a log scale between a start and a finish
// frequency. One history ring serves all sixteen filters; here it is kept as
// the last two inputs per channel and the last two outputs per filter, and
// the ring's slot index is derived from its phase.
#pragma once

#include <cstdint>
#include <cstring>

#include "dsp/simd_dispatch.h"

namespace vardelline {

// (float)(exp(0.6931472 x + 0.0001) + 1e-12): the engine's power of two.
float Pow2Approx(float x);

class FilterBank {
public:
    static constexpr int kBands = 8;
    static constexpr int kLanes = 2 * kBands;  // lane 2b is band b left, 2b + 1 band b right
    static constexpr int kMaxRun = 32;

    FilterBank() { resetRing(); }

    // Lays out the eight centre frequencies from start and finish (0..1) and
    // designs every band with the width value q. The running histories are
    // kept: new coefficients take over from the next sample, so moving a
    // control does not drop the band signals to zero (an audible click).
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
    alignas(64) double b0[kLanes] = {}, b2[kLanes] = {}, a1[kLanes] = {}, a2[kLanes] = {};
    // Histories, each value a float held in a double: inputs per channel,
    // outputs per lane, one and two samples back.
    double x1[2] = {}, x2[2] = {};
    alignas(64) double y1[kLanes] = {}, y2[kLanes] = {};
    int32_t historyPhase = 0;
};

// The sixteen filters one sample at a time, their state held in registers,
// for loops that interleave the filters with other work. The filters are
// independent, so they run side by side, Isa::kWidth lanes to a vector;
// every lane does exactly the scalar arithmetic in the same order.
template <class Isa>
class FilterBank::Stepper {
public:
    typedef typename Isa::Doubles Doubles;
    typedef typename Isa::Floats Floats;

    VARDELLINE_LANES_INLINE explicit Stepper(FilterBank& bank) : bank(bank) {
        for (int g = 0; g < kGroups; ++g) {
            if (kHoldCoefficients) {
                B0[g] = load<Doubles>(bank.b0 + kWidth * g);
                B2[g] = load<Doubles>(bank.b2 + kWidth * g);
                A1[g] = load<Doubles>(bank.a1 + kWidth * g);
                A2[g] = load<Doubles>(bank.a2 + kWidth * g);
            }
            Y1[g] = load<Doubles>(bank.y1 + kWidth * g);
            Y2[g] = load<Doubles>(bank.y2 + kWidth * g);
        }
        const Doubles2 pairs[2] = {{bank.x1[0], bank.x1[1]}, {bank.x2[0], bank.x2[1]}};
        previous = Isa::spread(&pairs[0]);
        older = Isa::spread(&pairs[1]);
    }

    // Filters one sample of each channel, given as {left, right};
    // out[lane][k] receives the band signals.
    VARDELLINE_LANES_INLINE void step(const Doubles2* in, float (*out)[kMaxRun], int k) {
        const Doubles now = Isa::spread(in);
        for (int g = 0; g < kGroups; ++g) {
            const Doubles acc = coefficient(B0, bank.b0, g) * now + coefficient(B2, bank.b2, g) * older -
                                coefficient(A1, bank.a1, g) * Y1[g] - coefficient(A2, bank.a2, g) * Y2[g] + 1e-12;
            const Floats y = Isa::narrow(acc);
            Y2[g] = Y1[g];
            Y1[g] = Isa::widen(y);
            for (int i = 0; i < kWidth; ++i) out[kWidth * g + i][k] = y[i];
        }
        older = previous;
        previous = now;
        ++samples;
    }

    // Hands the state back to the bank.
    VARDELLINE_LANES_INLINE ~Stepper() {
        for (int g = 0; g < kGroups; ++g) {
            store(bank.y1 + kWidth * g, Y1[g]);
            store(bank.y2 + kWidth * g, Y2[g]);
        }
        bank.x1[0] = previous[0];  // every pair in the vector is {left, right}
        bank.x1[1] = previous[1];
        bank.x2[0] = older[0];
        bank.x2[1] = older[1];
        bank.historyPhase = (bank.historyPhase + samples) % 3;
    }

    Stepper(const Stepper&) = delete;
    Stepper& operator=(const Stepper&) = delete;

private:
    static constexpr int kWidth = Isa::kWidth;
    static constexpr int kGroups = kLanes / kWidth;
    // Eight-lane vectors hold all sixteen filters' coefficients in registers
    // (AVX-512 has 32); narrower ones would only copy them to the stack, so
    // they read them where the bank keeps them.
    static constexpr bool kHoldCoefficients = kWidth >= 8;
    VARDELLINE_LANES_INLINE Doubles coefficient(const Doubles* held, const double* kept, int g) const {
        return kHoldCoefficients ? held[g] : load<Doubles>(kept + kWidth * g);
    }
    FilterBank& bank;
    Doubles B0[kGroups], B2[kGroups], A1[kGroups], A2[kGroups], Y1[kGroups], Y2[kGroups];
    Doubles previous, older;  // the inputs one and two samples back, spread
    int samples = 0;
};

}  // namespace vardelline
