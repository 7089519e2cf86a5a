// The band-pass filter bank: eight second-order band-pass filters per
// channel, centre frequencies on a log scale between a start and a finish
// frequency, sharing one three-slot history ring.
#pragma once

#include <cstdint>

namespace vardelline {

// (float)(exp(0.6931472 x + 0.0001) + 1e-12): the engine's power of two.
float Pow2Approx(float x);

class FilterBank {
public:
    static constexpr int kBands = 8;
    static constexpr int kLanes = 2 * kBands;  // lane 2b is band b left, 2b + 1 band b right

    FilterBank() { resetRing(); }

    // Lays out the eight centre frequencies from start and finish (0..1),
    // designs every band with the width value q and clears all histories.
    void design(float start, float finish, float q, float sampleRate);

    // Centre frequency the design of band b produced, in Hz.
    float centreFrequency(int band) const { return centre[band]; }

    // Start state of the ring: the first advance writes slot 1.
    void resetRing();
    void clearHistories();

    // One sample: advance the ring, then run all sixteen filters on the two inputs.
    void step(float inL, float inR);

    float outputL(int band) const { return outHist[slotNow][2 * band]; }
    float outputR(int band) const { return outHist[slotNow][2 * band + 1]; }

    // Stored coefficients of band b: feed-forward b0 b1 b2 and feedback a0 a1 a2.
    float coefB(int band, int i) const { return coefB_[band][i]; }
    float coefA(int band, int i) const { return coefA_[band][i]; }
    int currentSlot() const { return slotNow; }

private:
    void designBand(int band, float fc, float q, float sampleRate);
    void advanceRing();

    float coefB_[kBands][3] = {};
    float coefA_[kBands][3] = {};
    float centre[kBands] = {};

    // Per lane copies of the four coefficients the step uses, widened once.
    double b0[kLanes] = {}, b2[kLanes] = {}, a1[kLanes] = {}, a2[kLanes] = {};

    float inHist[3][kLanes] = {};
    float outHist[3][kLanes] = {};
    int32_t historyPhase = 0;
    int32_t slotNow = 0, slotPrev1 = 1, slotPrev2 = 2;
};

}  // namespace vardelline
