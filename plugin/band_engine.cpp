// The audio loop. Every stored value is rounded to float exactly where the
// algorithm stores it, so results match the reference arithmetic bit for bit.
#include "plugin/band_engine.h"

#include <algorithm>
#include <cfloat>
#include <cmath>
#include <cstring>

#include "plugin/rounding.h"
#include "plugin/simd_dispatch.h"
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

namespace {

// One line of one band and channel over a run of n samples written at ring
// positions w0, w0 + 1, ...: reads the entry `length` samples back, then
// writes the new one, sample by sample. Returns the values read in `read`.
// `feedback` < 0 marks a plain line, which stores the band signal unchanged.
VARDELLINE_HOT_LOOP void runLine(float* __restrict line, uint32_t mask, uint32_t w0, uint32_t length, const float* __restrict y,
             double feedback, bool plain, int n, float* __restrict read) {
    const uint32_t r0 = (w0 - length) & mask;
    const uint32_t ring = mask + 1;
    const bool contiguous = w0 + static_cast<uint32_t>(n) <= ring && r0 + static_cast<uint32_t>(n) <= ring;
    // When the read range lies wholly before the write range, no read sees
    // an entry written in this run and both can go as straight loops.
    if (contiguous && length >= static_cast<uint32_t>(n) && length <= ring - static_cast<uint32_t>(n)) {
        const float* __restrict src = line + r0;
        float* __restrict dst = line + w0;
        for (int k = 0; k < n; ++k) read[k] = src[k];
        if (plain) {
            for (int k = 0; k < n; ++k) dst[k] = y[k];
        } else {
            for (int k = 0; k < n; ++k) dst[k] = static_cast<float>(feedback * read[k] + y[k]);
        }
        return;
    }
    for (int k = 0; k < n; ++k) {
        const uint32_t w = (w0 + static_cast<uint32_t>(k)) & mask;
        const float value = line[(w - length) & mask];
        read[k] = value;
        line[w] = plain ? y[k] : static_cast<float>(feedback * value + y[k]);
    }
}

}  // namespace

VARDELLINE_HOT_LOOP void BandEngine::runBands(uint32_t firstPosition, int n, const float (*y)[kMaxRun], float* outL, float* outR) {
    const uint32_t mask = static_cast<uint32_t>(ringMask);
    const uint32_t w0 = firstPosition & mask;
    const double dMix = delayMix;
    const double cMix = chorusMix;
    alignas(32) float sumL[kMaxRun] = {};
    alignas(32) float sumR[kMaxRun] = {};
    alignas(32) float chorusRead[kMaxRun];
    alignas(32) float delayRead[kMaxRun];
    for (int b = 0; b < kBands; ++b) {
        for (int ch = 0; ch < 2; ++ch) {
            const int lane = 2 * b + ch;
            float* chorus = ch == 0 ? chorusLineL[b] : chorusLineR[b];
            float* plain = ch == 0 ? delayLineL[b] : delayLineR[b];
            const uint32_t chorusLength = static_cast<uint32_t>(ch == 0 ? chorusLenL[b] : chorusLenR[b]);
            const uint32_t delayLength = static_cast<uint32_t>(ch == 0 ? delayLenL[b] : delayLenR[b]);
            runLine(chorus, mask, w0, chorusLength, y[lane], bandFeedback[b], false, n, chorusRead);
            runLine(plain, mask, w0, delayLength, y[lane], 0.0, true, n, delayRead);
            // Bands are summed in order, each partial sum rounded to float.
            const double gain = ch == 0 ? bandGainL[b] : bandGainR[b];
            float* sum = ch == 0 ? sumL : sumR;
            for (int k = 0; k < n; ++k)
                sum[k] = static_cast<float>((dMix * delayRead[k] + cMix * chorusRead[k]) * gain + sum[k]);
        }
    }
    for (int k = 0; k < n; ++k) {
        outL[k] = outputSample(sumL[k]);
        outR[k] = outputSample(sumR[k]);
    }
}

void BandEngine::processBlock(const float* inL, const float* inR, float* outL, float* outR, int32_t n,
                              CounterTiming timing) {
    if (n <= 0) return;
    chorusTouched = true;
    delayTouched = true;
    // The lengths are updated when this count is a multiple of 32: the
    // advanced count for processReplacing, the count before it for process.
    const uint32_t updateLag = timing == CounterTiming::AdvanceBeforeUpdate ? 0u : 1u;
    int32_t done = 0;
    while (done < n) {
        const uint32_t position = counter + 1u;  // write position of the run's first sample
        const uint32_t updateCount = position - updateLag;
        const uint32_t phase = updateCount & 31u;
        if (phase == 0) updateModulation(static_cast<int32_t>(updateCount));
        const int run = static_cast<int>(std::min<int64_t>(32 - phase, n - done));

        alignas(32) float left[kMaxRun], right[kMaxRun];
        for (int k = 0; k < run; ++k) {
            left[k] = inputSample(inL[done + k]);
            right[k] = inputSample(inR[done + k]);
        }
        alignas(32) float bands[FilterBank::kLanes][kMaxRun];
        bank.run(left, right, run, bands);
        runBands(position, run, bands, outL + done, outR + done);
        counter += static_cast<uint32_t>(run);
        done += run;
    }
}

}  // namespace vardelline
