// The audio loop. Every stored value is rounded to float exactly where the
// algorithm stores it, so results match the reference arithmetic bit for bit.
#include "plugin/band_engine.h"

#include <algorithm>
#include <cfloat>
#include <cmath>
#include <cstring>

#include "plugin/lanes.h"
#include "plugin/portable_math.h"
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

// Non-finite input is taken as silence and input beyond +-1e30 is limited
// there, so that one bad sample cannot poison the filters and the feedback
// lines for good: with the lines' gain of at most 100 and eight bands summed,
// limited input stays far inside the float range.
constexpr float kLargestInput = 1e30f;

float inputSample(float x) {
    if (!std::isfinite(x)) x = 0.0f;
    x = std::clamp(x, -kLargestInput, kLargestInput);
    return static_cast<float>(static_cast<double>(x) + kDenormalOffset);
}

// Subnormal output costs downstream processing dearly; write it as zero.
float outputSample(float x) {
    return std::fabs(x) < FLT_MIN ? 0.0f : x;
}

}  // namespace

void* BandEngine::operator new(size_t size) {
    return allocateZeroedPages(size);
}
void BandEngine::operator delete(void* memory, size_t size) {
    freeZeroedPages(memory, size);
}

BandEngine::BandEngine() {
    ringMask = ringSizeFor(fs) - 1;
}

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
        lfoRate[b] =
            static_cast<float>(static_cast<double>(Pow2Approx(octaves)) * 0.168737744140625 / static_cast<double>(fs));
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

namespace {

// Delays of x samples (0 <= x < 2^31, as floats held in doubles) as whole
// lengths of at least one sample: RoundDown(x) + 1, capped below the ring.
// Lane by lane the same as the scalar RoundDown.
VARDELLINE_LANES_INLINE void storeLengths(Doubles4 x, int32_t* to) {
    constexpr double kLongest = BandEngine::kMaxDelayLength - 1;
    Doubles4 whole = nearestLanes(x - 0.4999999);
    whole = whole > kLongest ? whole - whole + kLongest : whole;
    const Ints4 lengths = __builtin_convertvector(whole, Ints4) + 1;
    std::memcpy(to, &lengths, sizeof lengths);
}

}  // namespace

// Four bands side by side.
VARDELLINE_HOT_LOOP void BandEngine::updateModulation(int32_t n) {
    alignas(32) double phase[kBands], sine[kBands];
    for (int b = 0; b < kBands; ++b) phase[b] = static_cast<double>(n) * lfoRate[b];
    portableSinLanes(phase, sine);
    const double rate = fs;
    for (int b = 0; b < kBands; b += 4) {
        const Doubles4 width = widened(lfoWidth + b);
        // A zero width leaves the sweep at exactly 1 whatever the sine gives.
        const Doubles4 sweep = width == 0.0 ? width : loadLanes(sine + b);
        const Doubles4 m = roundedToFloat(sweep * width + 1.0);
        const Doubles4 left = widened(P + kLeftDelay + b);
        const Doubles4 right = widened(P + kRightDelay + b);
        storeLengths(roundedToFloat(left * rate * 0.16), delayLenL + b);
        storeLengths(roundedToFloat(right * rate * 0.16), delayLenR + b);
        storeLengths(roundedToFloat(m * left * rate * 0.16), chorusLenL + b);
        storeLengths(roundedToFloat(m * right * rate * 0.16), chorusLenR + b);
    }
}

namespace {

// The read and write positions of one line over a run of n samples.
struct LineRun {
    uint32_t read;   // ring position read by the run's first sample
    uint32_t write;  // ring position written by the run's first sample
    // No read of this run sees an entry the run itself writes, and neither
    // range wraps around the ring: the samples can go as straight loops.
    bool straight;
};

LineRun lineRun(uint32_t w0, uint32_t length, uint32_t mask, int n) {
    const uint32_t ring = mask + 1;
    const uint32_t count = static_cast<uint32_t>(n);
    const uint32_t r0 = (w0 - length) & mask;
    const bool straight = w0 + count <= ring && r0 + count <= ring && length >= count && length <= ring - count;
    return {r0, w0, straight};
}

// The lines of one band and channel over a run. Each sample reads a line
// before it writes it, so lengths shorter than the run (or 0) take entries
// written earlier in the same run. term[k] receives the lane's weighted,
// panned output, still in double: the bands are summed in order later.
struct Lane {
    float* chorus;
    float* plain;
    uint32_t chorusLength;
    uint32_t plainLength;
    const float* y;
    double feedback;
    double gain;
    double* term;
};

// Both lines run straight: plain loops over the run, with the lane's output
// added to the running sum of the bands before it.
VARDELLINE_HOT_LOOP void runStraight(const Lane& lane, const LineRun& c, const LineRun& d, double dMix, double cMix,
                                     int n, float* __restrict sum) {
    const float* __restrict chorusIn = lane.chorus + c.read;
    float* __restrict chorusOut = lane.chorus + c.write;
    const float* __restrict plainIn = lane.plain + d.read;
    float* __restrict plainOut = lane.plain + d.write;
    const float* __restrict y = lane.y;
    const double feedback = lane.feedback, gain = lane.gain;
    for (int k = 0; k < n; ++k) {
        const float cv = chorusIn[k];
        const float dv = plainIn[k];
        chorusOut[k] = static_cast<float>(feedback * cv + y[k]);
        plainOut[k] = y[k];
        sum[k] = static_cast<float>((dMix * dv + cMix * cv) * gain + sum[k]);
    }
}

// Lanes whose lines feed back within the run go sample by sample; taking the
// lanes side by side lets their independent chains overlap.
void runInterleaved(const Lane* lanes, int count, uint32_t mask, uint32_t w0, double dMix, double cMix, int n) {
    for (int k = 0; k < n; ++k) {
        const uint32_t w = (w0 + static_cast<uint32_t>(k)) & mask;
        for (int i = 0; i < count; ++i) {
            const Lane& lane = lanes[i];
            const float cv = lane.chorus[(w - lane.chorusLength) & mask];
            lane.chorus[w] = static_cast<float>(lane.feedback * cv + lane.y[k]);
            const float dv = lane.plain[(w - lane.plainLength) & mask];
            lane.plain[w] = lane.y[k];
            lane.term[k] = (dMix * dv + cMix * cv) * lane.gain;
        }
    }
}

// sum[k] = (float)(term[k] + sum[k]) for one band, as the ordered sum needs.
VARDELLINE_HOT_LOOP void addBand(const double* __restrict term, float* __restrict sum, int n) {
    for (int k = 0; k < n; ++k) sum[k] = static_cast<float>(term[k] + sum[k]);
}

}  // namespace

void BandEngine::runBands(uint32_t firstPosition, int n, const float (*y)[kMaxRun], float* outL, float* outR) {
    const uint32_t mask = static_cast<uint32_t>(ringMask);
    const uint32_t w0 = firstPosition & mask;
    const double dMix = delayMix, cMix = chorusMix;
    alignas(32) double terms[FilterBank::kLanes][kMaxRun];
    Lane lanes[FilterBank::kLanes];
    bool straight[FilterBank::kLanes];
    LineRun chorusRuns[FilterBank::kLanes], plainRuns[FilterBank::kLanes];
    Lane waiting[FilterBank::kLanes];
    int waitingCount = 0;
    for (int b = 0; b < kBands; ++b) {
        for (int ch = 0; ch < 2; ++ch) {
            const int index = 2 * b + ch;
            Lane& lane = lanes[index];
            lane = {ch == 0 ? chorusLineL[b] : chorusLineR[b],
                    ch == 0 ? delayLineL[b] : delayLineR[b],
                    static_cast<uint32_t>(ch == 0 ? chorusLenL[b] : chorusLenR[b]),
                    static_cast<uint32_t>(ch == 0 ? delayLenL[b] : delayLenR[b]),
                    y[index],
                    bandFeedback[b],
                    ch == 0 ? bandGainL[b] : bandGainR[b],
                    terms[index]};
            chorusRuns[index] = lineRun(w0, lane.chorusLength, mask, n);
            plainRuns[index] = lineRun(w0, lane.plainLength, mask, n);
            straight[index] = chorusRuns[index].straight && plainRuns[index].straight;
            if (!straight[index]) waiting[waitingCount++] = lane;
        }
    }
    // Lanes that feed back within the run first, into their terms; then the
    // bands are summed in order, each partial sum rounded to float.
    runInterleaved(waiting, waitingCount, mask, w0, dMix, cMix, n);
    alignas(32) float sums[2][kMaxRun] = {};
    for (int index = 0; index < FilterBank::kLanes; ++index) {
        float* sum = sums[index & 1];
        if (straight[index])
            runStraight(lanes[index], chorusRuns[index], plainRuns[index], dMix, cMix, n, sum);
        else
            addBand(terms[index], sum, n);
    }
    for (int k = 0; k < n; ++k) {
        outL[k] = outputSample(sums[0][k]);
        outR[k] = outputSample(sums[1][k]);
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
