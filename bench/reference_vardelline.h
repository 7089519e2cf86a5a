// A plain scalar model of the effect's audio path, written for clarity
// rather than speed: one band filter at a time, 65536-entry rings, the
// history ring with its phase tables. The benchmarks measure the engine
// against it and the tests check the engine's output against it bit for bit.
#pragma once

#include <cmath>
#include <cstdint>
#include <cstring>
#include <memory>

namespace reference {

inline double nearestEven(double x) {
    double below = std::floor(x);
    double fraction = x - below;
    if (fraction > 0.5) return below + 1;
    if (fraction < 0.5) return below;
    return std::fmod(below, 2.0) == 0.0 ? below : below + 1;
}

inline int32_t RoundDown(float x) {
    return static_cast<int32_t>(nearestEven(static_cast<double>(x) - 0.4999999));
}

inline float Pow2Approx(float x) {
    return (float)(std::exp(0.6931472 * (double)x + 0.0001) + 1e-12);
}

struct Model {
    float params[81] = {};
    float engineSampleRate = 44100.0f;

    float bandCoefB[8][3] = {}, bandCoefA[8][3] = {};
    float inHistL[8][3] = {}, inHistR[8][3] = {}, outHistL[8][3] = {}, outHistR[8][3] = {};
    int32_t historyPhase = 0, slotNow = 0, slotPrev1 = 1, slotPrev2 = 2;

    int32_t sampleCounter = 0;
    float delayLineL[8][70001], delayLineR[8][70001], chorusLineL[8][70001], chorusLineR[8][70001];
    int32_t delayLenL[8] = {}, delayLenR[8] = {}, chorusLenL[8] = {}, chorusLenR[8] = {};
    float lfoRate[8] = {}, lfoWidth[8] = {}, bandFeedback[8] = {}, bandGainL[8] = {}, bandGainR[8] = {};
    float chorusMix = 0, delayMix = 0, sumL = 0, sumR = 0;

    static std::unique_ptr<Model> make() {
        auto model = std::make_unique<Model>();
        std::memset(model->delayLineL, 0, sizeof model->delayLineL);
        std::memset(model->delayLineR, 0, sizeof model->delayLineR);
        std::memset(model->chorusLineL, 0, sizeof model->chorusLineL);
        std::memset(model->chorusLineR, 0, sizeof model->chorusLineR);
        return model;
    }

    void setParameter(int index, float value) {
        if (value > 1) value = 1;
        if (!(value >= 0)) value = 0;
        params[index] = value;
        UpdateBandFilters();
        UpdateBandControls();
    }

    void clearChorusLines() {
        std::memset(chorusLineL, 0, sizeof chorusLineL);
        std::memset(chorusLineR, 0, sizeof chorusLineR);
    }

    // Keeps the filter histories: a redesign changes only the coefficients.
    void DesignBandFilter(int band, float fc, float width) {
        double q = width;
        if (!(q <= 0.99)) q = 0.99;
        if (q < 0.005) q = 0.005;
        double fs = engineSampleRate;
        float bw = (float)(q * fc / fs);
        float w = (float)(fc / fs + 1e-12);
        float K = (float)(std::cos(3.14159 * bw) / std::sin(3.14159 * bw));
        float D = (float)(2 * std::cos(6.28318 * w) + 1e-12);
        float N = (float)(1 / (1.00000001 + (double)K));
        float b[3] = {N, 0.0f, (float)(-(double)N)};
        float a[3] = {0.0f, (float)(-(double)K * D * N), (float)(((double)K - 1) * N)};
        for (int i = 0; i < 3; ++i) {
            bandCoefB[band][i] = (float)(b[i] + 1e-12);
            bandCoefA[band][i] = (float)(a[i] + 1e-12);
        }
    }

    void UpdateBandFilters() {
        for (int b = 0; b < 8; ++b) {
            float pos = (float)(params[0] + ((double)params[1] - params[0]) * b / 7);
            float fc = (float)(20 * (double)Pow2Approx((float)(10 * (double)pos)));
            DesignBandFilter(b, fc, params[2]);
        }
    }

    void UpdateBandControls() {
        chorusMix = 1;
        delayMix = 1;
        if (params[51] < 0.5)
            chorusMix = (float)(2 * (double)params[51]);
        else
            delayMix = (float)(2 - 2 * (double)params[51]);
        for (int b = 0; b < 8; ++b) {
            lfoRate[b] = (float)((double)Pow2Approx((float)(10 * (double)params[27 + b])) * 0.168737744140625 /
                                 engineSampleRate);
            bandFeedback[b] = (float)(0.99 * params[43 + b]);
            lfoWidth[b] = params[35 + b];
            bandGainL[b] = 1;
            bandGainR[b] = 1;
            float pan = params[19 + b];
            if (pan < 0.5)
                bandGainR[b] = (float)(2 * (double)pan);
            else
                bandGainL[b] = (float)(2 - 2 * (double)pan);
        }
    }

    void UpdateModulation() {
        int32_t n = sampleCounter;
        double fs = engineSampleRate;
        for (int b = 0; b < 8; ++b) {
            float m = (float)(std::sin((double)n * lfoRate[b]) * lfoWidth[b] + 1);
            delayLenL[b] = RoundDown((float)((double)params[3 + b] * fs * 0.16)) + 1;
            delayLenR[b] = RoundDown((float)((double)params[11 + b] * fs * 0.16)) + 1;
            chorusLenL[b] = RoundDown((float)((double)m * params[3 + b] * fs * 0.16)) + 1;
            chorusLenR[b] = RoundDown((float)((double)m * params[11 + b] * fs * 0.16)) + 1;
        }
    }

    void AdvanceHistoryRing() {
        static const int32_t phaseNextTable[3] = {1, 2, 0}, slotNowTable[3] = {2, 1, 0}, slotPrev1Table[3] = {0, 2, 1},
                             slotPrev2Table[3] = {1, 0, 2};
        historyPhase = phaseNextTable[historyPhase];
        slotNow = slotNowTable[historyPhase];
        slotPrev1 = slotPrev1Table[historyPhase];
        slotPrev2 = slotPrev2Table[historyPhase];
    }

    void FilterChannel(int b, float in, float (*inHist)[3], float (*outHist)[3]) {
        inHist[b][slotNow] = in;
        outHist[b][slotNow] =
            (float)((double)bandCoefB[b][0] * inHist[b][slotNow] + (double)bandCoefB[b][2] * inHist[b][slotPrev2] -
                    (double)bandCoefA[b][1] * outHist[b][slotPrev1] - (double)bandCoefA[b][2] * outHist[b][slotPrev2] +
                    1e-12);
    }

    void MixBands(float inL, float inR) {
        for (int b = 0; b < 8; ++b) {
            FilterChannel(b, inL, inHistL, outHistL);
            FilterChannel(b, inR, inHistR, outHistR);
        }
        sumL = 0;
        sumR = 0;
        uint32_t count = (uint32_t)sampleCounter;
        uint32_t w = count & 0xFFFF;
        for (int b = 0; b < 8; ++b) {
            float yL = outHistL[b][slotNow], yR = outHistR[b][slotNow];
            float cL = chorusLineL[b][(count - (uint32_t)chorusLenL[b]) & 0xFFFF];
            float cR = chorusLineR[b][(count - (uint32_t)chorusLenR[b]) & 0xFFFF];
            chorusLineL[b][w] = (float)((double)bandFeedback[b] * cL + yL);
            chorusLineR[b][w] = (float)((double)bandFeedback[b] * cR + yR);
            float dL = delayLineL[b][(count - (uint32_t)delayLenL[b]) & 0xFFFF];
            float dR = delayLineR[b][(count - (uint32_t)delayLenR[b]) & 0xFFFF];
            delayLineL[b][w] = yL;
            delayLineR[b][w] = yR;
            sumL = (float)(((double)delayMix * dL + (double)chorusMix * cL) * bandGainL[b] + sumL);
            sumR = (float)(((double)delayMix * dR + (double)chorusMix * cR) * bandGainR[b] + sumR);
        }
    }

    void advanceCounter() { sampleCounter = (int32_t)((uint32_t)sampleCounter + 1u); }

    // process: the length update tests the count before it advances.
    void process(const float* inL, const float* inR, float* outL, float* outR, int32_t frames) {
        for (int32_t k = 0; k < frames; ++k) {
            if ((sampleCounter & 31) == 0) UpdateModulation();
            float l = (float)(inL[k] + 1e-12), r = (float)(inR[k] + 1e-12);
            advanceCounter();
            AdvanceHistoryRing();
            MixBands(l, r);
            outL[k] = sumL;
            outR[k] = sumR;
        }
    }

    // processReplacing: the count advances first.
    void processReplacing(const float* inL, const float* inR, float* outL, float* outR, int32_t frames) {
        for (int32_t k = 0; k < frames; ++k) {
            advanceCounter();
            if ((sampleCounter & 31) == 0) UpdateModulation();
            float l = (float)(inL[k] + 1e-12), r = (float)(inR[k] + 1e-12);
            AdvanceHistoryRing();
            MixBands(l, r);
            outL[k] = sumL;
            outR[k] = sumR;
        }
    }
};

}  // namespace reference
