// The audio loop. Every stored value is rounded to float exactly where the
// algorithm stores it, so results match the reference arithmetic bit for bit.
#include "plugin/band_engine.h"

#include <cfloat>
#include <cmath>
#include <cstring>

#include "plugin/rounding.h"
#include "plugin/zeroed_pages.h"

namespace vardelline {

namespace {

constexpr double kDenormalOffset = 1e-12;

// The longest chorus delay at rate fs is twice 0.16 s plus a sample (and one
// more for rounding); the ring is the next power of two that holds it.
int32_t ringSizeFor(float fs) {
    double longest = std::floor(0.32 * static_cast<double>(fs)) + 2.0;
    int32_t size = 64;
    while (size < longest && size < BandEngine::kMaxRingSize) size *= 2;
    return size;
}

// A delay of x samples as a whole length of at least one sample.
int32_t lengthOf(float x) {
    int32_t length = RoundDown(x);
    if (length >= BandEngine::kMaxDelayLength) return BandEngine::kMaxDelayLength;
    return length + 1;
}

// Non-finite input is taken as silence, so one bad sample cannot poison the
// filters and the feedback lines for good.
float inputSample(float x) {
    if (!std::isfinite(x)) x = 0.0f;
    return static_cast<float>(static_cast<double>(x) + kDenormalOffset);
}

// Subnormal output costs downstream processing dearly; write it as zero.
float outputSample(float x) { return std::fabs(x) < FLT_MIN ? 0.0f : x; }

}  // namespace

void* BandEngine::operator new(size_t size) { return allocateZeroedPages(size); }
void BandEngine::operator delete(void* memory, size_t size) { freeZeroedPages(memory, size); }

BandEngine::BandEngine() { ringMask = ringSizeFor(fs) - 1; }

void BandEngine::setSampleRate(float newRate) {
    fs = newRate;
    int32_t size = ringSizeFor(newRate);
    if (size == ringMask + 1) return;
    ringMask = size - 1;
    if (delayTouched) {
        clearLines(delayLineL, kBands);
        clearLines(delayLineR, kBands);
        delayTouched = false;
    }
    clearChorusLines();
}

void BandEngine::clearLines(float (*lines)[kLineStride], int count) {
    for (int i = 0; i < count; ++i) std::memset(lines[i], 0, sizeof(float) * static_cast<size_t>(ringMask + 1));
}

void BandEngine::clearChorusLines() {
    if (!chorusTouched) return;
    clearLines(chorusLineL, kBands);
    clearLines(chorusLineR, kBands);
    chorusTouched = false;
}

void BandEngine::setParameters(const float* values) {
    std::memcpy(P, values, sizeof P);
    bank.design(P[kStartFreq], P[kFinishFreq], P[kFreqQ], fs);
    updateBandControls();
}

void BandEngine::updateBandControls() {
    chorusMix = 1.0f;
    delayMix = 1.0f;
    double balance = P[kBalance];
    if (balance < 0.5)
        chorusMix = static_cast<float>(2.0 * balance);
    else
        delayMix = static_cast<float>(2.0 - 2.0 * balance);

    for (int b = 0; b < kBands; ++b) {
        float octaves = static_cast<float>(10.0 * static_cast<double>(P[kSpeed + b]));
        lfoRate[b] = static_cast<float>(static_cast<double>(Pow2Approx(octaves)) * 0.168737744140625 /
                                        static_cast<double>(fs));
        bandFeedback[b] = static_cast<float>(0.99 * static_cast<double>(P[kFeedback + b]));
        lfoWidth[b] = P[kWidth + b];
        bandGainL[b] = 1.0f;
        bandGainR[b] = 1.0f;
        double pan = P[kPan + b];
        if (pan < 0.5)
            bandGainR[b] = static_cast<float>(2.0 * pan);
        else
            bandGainL[b] = static_cast<float>(2.0 - 2.0 * pan);
    }
}

void BandEngine::updateModulation(int32_t n) {
    const double rate = fs;
    for (int b = 0; b < kBands; ++b) {
        double sweep = std::sin(static_cast<double>(n) * static_cast<double>(lfoRate[b]));
        double m = static_cast<float>(sweep * static_cast<double>(lfoWidth[b]) + 1.0);
        double left = P[kLeftDelay + b];
        double right = P[kRightDelay + b];
        delayLenL[b] = lengthOf(static_cast<float>(left * rate * 0.16));
        delayLenR[b] = lengthOf(static_cast<float>(right * rate * 0.16));
        chorusLenL[b] = lengthOf(static_cast<float>(m * left * rate * 0.16));
        chorusLenR[b] = lengthOf(static_cast<float>(m * right * rate * 0.16));
    }
}

void BandEngine::mixBands(float& sumL, float& sumR) {
    const uint32_t mask = static_cast<uint32_t>(ringMask);
    const uint32_t w = counter & mask;
    const double dMix = delayMix;
    const double cMix = chorusMix;
    float accL = 0.0f;
    float accR = 0.0f;
    for (int b = 0; b < kBands; ++b) {
        const double yL = bank.outputL(b);
        const double yR = bank.outputR(b);
        const double feedback = bandFeedback[b];

        const float cL = chorusLineL[b][(counter - static_cast<uint32_t>(chorusLenL[b])) & mask];
        const float cR = chorusLineR[b][(counter - static_cast<uint32_t>(chorusLenR[b])) & mask];
        chorusLineL[b][w] = static_cast<float>(feedback * cL + yL);
        chorusLineR[b][w] = static_cast<float>(feedback * cR + yR);

        const float dL = delayLineL[b][(counter - static_cast<uint32_t>(delayLenL[b])) & mask];
        const float dR = delayLineR[b][(counter - static_cast<uint32_t>(delayLenR[b])) & mask];
        delayLineL[b][w] = static_cast<float>(yL);
        delayLineR[b][w] = static_cast<float>(yR);

        accL = static_cast<float>((dMix * dL + cMix * cL) * bandGainL[b] + accL);
        accR = static_cast<float>((dMix * dR + cMix * cR) * bandGainR[b] + accR);
    }
    sumL = accL;
    sumR = accR;
}

void BandEngine::processBlock(const float* inL, const float* inR, float* outL, float* outR, int32_t n,
                              CounterTiming timing) {
    if (n <= 0) return;
    chorusTouched = true;
    delayTouched = true;
    const bool advanceFirst = timing == CounterTiming::AdvanceBeforeUpdate;
    for (int32_t k = 0; k < n; ++k) {
        if (advanceFirst) ++counter;
        if ((counter & 31u) == 0) updateModulation(static_cast<int32_t>(counter));
        const float left = inputSample(inL[k]);
        const float right = inputSample(inR[k]);
        if (!advanceFirst) ++counter;
        bank.step(left, right);
        float sumL, sumR;
        mixBands(sumL, sumR);
        outL[k] = outputSample(sumL);
        outR[k] = outputSample(sumR);
    }
}

}  // namespace vardelline
