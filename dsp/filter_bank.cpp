// Filter design and the per-sample filter step. Formulas are evaluated in
// double and rounded to float wherever a value is stored; 1e-12 offsets keep
// decaying state out of the subnormal range.
#include "dsp/filter_bank.h"

#include <cmath>
#include <cstring>

#include "dsp/portable_math.h"
#include "dsp/simd_dispatch.h"

namespace vardelline {

namespace {

constexpr double kDenormalOffset = 1e-12;

float stored(double value) {
    return static_cast<float>(value + kDenormalOffset);
}

}  // namespace

float Pow2Approx(float x) {
    return static_cast<float>(portableExp(0.6931472 * static_cast<double>(x) + 0.0001) + kDenormalOffset);
}

void FilterBank::clearHistories() {
    for (int ch = 0; ch < 2; ++ch) x1[ch] = x2[ch] = 0.0;
    for (int lane = 0; lane < kLanes; ++lane) y1[lane] = y2[lane] = 0.0;
}

int FilterBank::currentSlot() const {
    static constexpr int32_t kSlotNow[3] = {2, 1, 0};
    return kSlotNow[historyPhase];
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
    // The width is limited in double: it is never stored, so it never
    // passes through a float.
    double q = qValue;
    if (!(q <= 0.99)) q = 0.99;  // NaN too
    if (q < 0.005) q = 0.005;
    double fs = sampleRate;
    float bw = static_cast<float>(q * fc / fs);
    float w = static_cast<float>(fc / fs + 1e-12);
    float K = static_cast<float>(portableCos(3.14159 * bw) / portableSin(3.14159 * bw));
    float D = static_cast<float>(2.0 * portableCos(6.28318 * w) + 1e-12);
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
}

// The engine runs its own variants of this loop; this one serves
// sample-by-sample callers and tests.
void FilterBank::run(const float* inL, const float* inR, int n, float (*out)[kMaxRun]) {
    Stepper<BaselineIsa> stepper(*this);
    for (int k = 0; k < n; ++k) {
        const Doubles2 in = {inL[k], inR[k]};
        stepper.step(&in, out, k);
    }
}

void FilterBank::step(float inL, float inR) {
    float out[kLanes][kMaxRun];
    run(&inL, &inR, 1, out);
}

}  // namespace vardelline
