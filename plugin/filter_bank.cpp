// Filter design and the per-sample filter step. Formulas are evaluated in
// double and rounded to float wherever a value is stored; 1e-12 offsets keep
// decaying state out of the subnormal range.
#include "plugin/filter_bank.h"

#include <cmath>

namespace vardelline {

namespace {

constexpr int32_t kPhaseNext[3] = {1, 2, 0};
constexpr int32_t kSlotNow[3] = {2, 1, 0};
constexpr int32_t kSlotPrev1[3] = {0, 2, 1};
constexpr int32_t kSlotPrev2[3] = {1, 0, 2};

constexpr double kDenormalOffset = 1e-12;

float stored(double value) { return static_cast<float>(value + kDenormalOffset); }

}  // namespace

float Pow2Approx(float x) {
    return static_cast<float>(std::exp(0.6931472 * static_cast<double>(x) + 0.0001) + kDenormalOffset);
}

void FilterBank::resetRing() {
    historyPhase = 0;
    slotNow = 0;
    slotPrev1 = 1;
    slotPrev2 = 2;
}

void FilterBank::clearHistories() {
    for (int slot = 0; slot < 3; ++slot) {
        for (int lane = 0; lane < kLanes; ++lane) {
            inHist[slot][lane] = 0.0f;
            outHist[slot][lane] = 0.0f;
        }
    }
}

void FilterBank::design(float start, float finish, float q, float sampleRate) {
    for (int band = 0; band < kBands; ++band) {
        double span = static_cast<double>(finish) - static_cast<double>(start);
        float position = static_cast<float>(static_cast<double>(start) + span * band / 7.0);
        float fc = static_cast<float>(20.0 * static_cast<double>(Pow2Approx(static_cast<float>(10.0 * position))));
        // Above about half the rate the design turns unstable; keep a margin.
        float highest = static_cast<float>(0.47 * static_cast<double>(sampleRate));
        if (fc > highest) fc = highest;
        centre[band] = fc;
        designBand(band, fc, q, sampleRate);
    }
}

void FilterBank::designBand(int band, float fc, float qValue, float sampleRate) {
    float q = qValue;
    if (!(q <= 0.99f)) q = 0.99f;  // NaN too
    if (q < 0.005f) q = 0.005f;
    double fs = sampleRate;
    float bw = static_cast<float>(static_cast<double>(q) * fc / fs);
    float w = static_cast<float>(fc / fs + 1e-12);
    float K = static_cast<float>(std::cos(3.14159 * bw) / std::sin(3.14159 * bw));
    float D = static_cast<float>(2.0 * std::cos(6.28318 * w) + 1e-12);
    float N = static_cast<float>(1.0 / (1.00000001 + static_cast<double>(K)));

    float nb0 = N;
    float nb1 = 0.0f;
    float nb2 = static_cast<float>(-static_cast<double>(N));
    float na0 = 0.0f;
    float na1 = static_cast<float>(-static_cast<double>(K) * D * N);
    float na2 = static_cast<float>((static_cast<double>(K) - 1.0) * N);

    coefB_[band][0] = stored(nb0);
    coefB_[band][1] = stored(nb1);
    coefB_[band][2] = stored(nb2);
    coefA_[band][0] = stored(na0);
    coefA_[band][1] = stored(na1);
    coefA_[band][2] = stored(na2);

    for (int lane = 2 * band; lane < 2 * band + 2; ++lane) {
        b0[lane] = coefB_[band][0];
        b2[lane] = coefB_[band][2];
        a1[lane] = coefA_[band][1];
        a2[lane] = coefA_[band][2];
    }
    clearHistories();
}

void FilterBank::advanceRing() {
    historyPhase = kPhaseNext[historyPhase];
    slotNow = kSlotNow[historyPhase];
    slotPrev1 = kSlotPrev1[historyPhase];
    slotPrev2 = kSlotPrev2[historyPhase];
}

void FilterBank::step(float inL, float inR) {
    advanceRing();
    float* __restrict inNow = inHist[slotNow];
    const float* __restrict inOld = inHist[slotPrev2];
    float* __restrict outNow = outHist[slotNow];
    const float* __restrict out1 = outHist[slotPrev1];
    const float* __restrict out2 = outHist[slotPrev2];
    for (int lane = 0; lane < kLanes; lane += 2) {
        inNow[lane] = inL;
        inNow[lane + 1] = inR;
    }
    for (int lane = 0; lane < kLanes; ++lane) {
        double acc = b0[lane] * inNow[lane] + b2[lane] * inOld[lane] - a1[lane] * out1[lane] -
                     a2[lane] * out2[lane] + kDenormalOffset;
        outNow[lane] = static_cast<float>(acc);
    }
}

}  // namespace vardelline
