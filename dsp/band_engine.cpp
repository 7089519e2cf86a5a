// The audio loop. Every stored value is rounded to float exactly where the
// algorithm stores it, so results match the reference arithmetic bit for bit.
#include "dsp/band_engine.h"

#include <algorithm>
#include <atomic>
#include <cfloat>
#include <cmath>
#include <cstring>
#include <type_traits>

#include "dsp/line_run.h"
#include "dsp/portable_trig.h"
#include "dsp/rounding.h"
#include "dsp/simd_dispatch.h"
#include "dsp/zeroed_pages.h"

namespace vardelline {

namespace {

constexpr double kDenormalOffset = 1e-12;

// The longest delay of seconds at rate fs, plus a sample (and one more for
// rounding), as the next power of two that holds it: the plain lines delay
// by up to 0.16 s, the chorus lines by twice that.
int32_t ringSizeFor(float fs, double seconds) {
    double longest = std::floor(seconds * static_cast<double>(fs)) + 2.0;
    int32_t size = 64;
    while (size < longest && size < BandEngine::kMaxRingSize) size *= 2;
    return size;
}
constexpr double kPlainSeconds = 0.16, kChorusSeconds = 0.32;

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

// inputSample on four samples at once, widened to double.
template <class Isa>
VARDELLINE_LANES_INLINE Doubles4 inputSamples(Floats4 x) {
    static_assert(Isa::kWidth == 4, "four lanes");
    const Floats4 zero = {};
    x = (x - x) == zero ? x : zero;  // NaN and the infinities give NaN
    x = x > kLargestInput ? zero + kLargestInput : x;
    x = x < -kLargestInput ? zero - kLargestInput : x;
    return Isa::widen(Isa::narrow(Isa::widen(x) + kDenormalOffset));
}

// The input of n frames as {left, right} pairs, ready for the filters.
template <class Isa>
VARDELLINE_LANES_INLINE void stageInput(const float* inL, const float* inR, int n, Doubles2* out) {
    int k = 0;
    for (; k + 4 <= n; k += 4) {
        const Doubles4 left = inputSamples<Isa>(load<Floats4>(inL + k));
        const Doubles4 right = inputSamples<Isa>(load<Floats4>(inR + k));
        store(out + k, __builtin_shufflevector(left, right, 0, 4, 1, 5));
        store(out + k + 2, __builtin_shufflevector(left, right, 2, 6, 3, 7));
    }
    for (; k < n; ++k) out[k] = Doubles2{inputSample(inL[k]), inputSample(inR[k])};
}

}  // namespace

void* BandEngine::operator new(size_t size) {
    return allocateZeroedPages(size);
}
void BandEngine::operator delete(void* memory, size_t size) {
    freeZeroedPages(memory, size);
}

namespace {

// Where each new engine starts writing its rings, so that many instances
// that run in step do not all use the same cache sets at the same time: a
// cache line further into the page for every instance, sixteen to a page.
uint32_t nextRingOffset() {
    static std::atomic<uint32_t> engines{0};
    constexpr uint32_t kStep = 1024 + 64;  // floats: a page and a cache line
    return engines.fetch_add(1, std::memory_order_relaxed) * kStep;
}

}  // namespace

BandEngine::BandEngine() : ringOffset(nextRingOffset()) {
    ringMask = ringSizeFor(fs, kChorusSeconds) - 1;
    plainMask = ringSizeFor(fs, kPlainSeconds) - 1;
}

void BandEngine::setSampleRate(float newRate) {
    fs = newRate;
    const int32_t chorusSize = ringSizeFor(newRate, kChorusSeconds);
    const int32_t plainSize = ringSizeFor(newRate, kPlainSeconds);
    if (chorusSize == ringMask + 1 && plainSize == plainMask + 1) return;
    // Cleared over the larger of the old and the new size: whatever was
    // written, and whatever the new size reads.
    bank.clearHistories();
    if (delayTouched) {
        clearLines(delayLineL, std::max(plainSize, plainMask + 1));
        clearLines(delayLineR, std::max(plainSize, plainMask + 1));
        delayTouched = false;
    }
    if (chorusTouched) {
        clearLines(chorusLineL, std::max(chorusSize, ringMask + 1));
        clearLines(chorusLineR, std::max(chorusSize, ringMask + 1));
        chorusTouched = false;
    }
    ringMask = chorusSize - 1;
    plainMask = plainSize - 1;
}

void BandEngine::clearLines(float (*lines)[kLineStride], int32_t size) {
    for (int b = 0; b < kBands; ++b) std::memset(lines[b], 0, sizeof(float) * static_cast<size_t>(size));
}

void BandEngine::clearChorusLines() {
    if (!chorusTouched) return;
    clearLines(chorusLineL, ringMask + 1);
    clearLines(chorusLineR, ringMask + 1);
    chorusTouched = false;
}

void BandEngine::setParameters(const float* values) {
    std::memcpy(P, values, sizeof P);
    bank.design(P[kStartFreq], P[kFinishFreq], P[kFreqQ], fs);
    updateBandControls();
}

namespace {

// A delay of x samples as a whole length of at least one sample, capped
// below the ring.
int32_t lengthOf(float x) {
    return std::min(RoundDown(x), BandEngine::kMaxDelayLength - 1) + 1;
}

}  // namespace

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
        plainLengths.delayL[b] = lengthOf(static_cast<float>(static_cast<double>(P[kLeftDelay + b]) * fs * 0.16));
        plainLengths.delayR[b] = lengthOf(static_cast<float>(static_cast<double>(P[kRightDelay + b]) * fs * 0.16));
        bandGainL[b] = 1.0f;
        bandGainR[b] = 1.0f;
        double pan = P[kPan + b];
        if (pan < 0.5)
            bandGainR[b] = static_cast<float>(2.0 * pan);
        else
            bandGainL[b] = static_cast<float>(2.0 - 2.0 * pan);
    }
}

// The plain lengths follow the parameters alone; an update takes them over.
void BandEngine::takePlainLengths(Lengths& into) const {
    std::memcpy(into.delayL, plainLengths.delayL, sizeof into.delayL);
    std::memcpy(into.delayR, plainLengths.delayR, sizeof into.delayR);
}

namespace {

// Delays of x samples (0 <= x < 2^31, as floats held in doubles) as whole
// lengths of at least one sample: RoundDown(x) + 1, capped below the ring.
// Lane by lane the same as the scalar RoundDown.
template <class Isa>
VARDELLINE_LANES_INLINE void storeLengths(typename Isa::Doubles x, int32_t* to) {
    typedef typename Isa::Doubles Doubles;
    constexpr double kLongest = BandEngine::kMaxDelayLength - 1;
    Doubles whole = LaneMath<Isa>::nearest(x - 0.4999999);
    whole = whole > kLongest ? whole - whole + kLongest : whole;
    store(to, __builtin_convertvector(whole, typename Isa::Ints) + 1);
}

}  // namespace

// Isa::kWidth bands side by side.
template <class Isa>
VARDELLINE_LANES_INLINE void BandEngine::updateModulation(int32_t n, Lengths& into) const {
    typedef typename Isa::Doubles Doubles;
    typedef typename Isa::Floats Floats;
    typedef LaneMath<Isa> M;
    takePlainLengths(into);
    alignas(64) double phase[kBands], sine[kBands];
    for (int b = 0; b < kBands; ++b) phase[b] = static_cast<double>(n) * lfoRate[b];
    portableSinLanesWith<Isa>(phase, sine);
    const double rate = fs;
    for (int b = 0; b < kBands; b += Isa::kWidth) {
        const Doubles width = Isa::widen(load<Floats>(lfoWidth + b));
        // A zero width leaves the sweep at exactly 1 whatever the sine gives.
        const Doubles sweep = width == 0.0 ? width : load<Doubles>(sine + b);
        const Doubles m = M::roundedToFloat(sweep * width + 1.0);
        const Doubles left = Isa::widen(load<Floats>(P + kLeftDelay + b));
        const Doubles right = Isa::widen(load<Floats>(P + kRightDelay + b));
        storeLengths<Isa>(M::roundedToFloat(m * left * rate * 0.16), into.chorusL + b);
        storeLengths<Isa>(M::roundedToFloat(m * right * rate * 0.16), into.chorusR + b);
    }
}

#ifdef VARDELLINE_X86_AVX512
// All eight bands in one pass, with whole-number roundings and lane
// selections that need no comparisons (which this compiler does one lane at
// a time for eight lanes). The oscillator phases are never -0, where the
// four-lane sine's special case for small arguments would matter.
VARDELLINE_LANES_INLINE void BandEngine::updateModulationWide(int32_t n, Lengths& into) const {
    typedef Avx512Isa::Doubles Doubles;
    typedef int64_t Bits __attribute__((vector_size(64)));
    alignas(64) double phase[kBands];
    double largest = 0.0;
    for (int b = 0; b < kBands; ++b) {
        phase[b] = static_cast<double>(n) * lfoRate[b];
        largest = std::max(largest, std::fabs(phase[b]));
    }
    // Far phases (absurd rates) take the general path.
    if (!(largest < 0x1p30)) return updateModulation<Avx2Isa>(n, into);
    takePlainLengths(into);
    const Doubles x = load<Doubles>(phase);
    const Doubles k = Avx512Isa::floor(x * trig::kTwoOverPi + 0.5);
    const trig::Reduced<Doubles> r = trig::subtractHalfPis(x, k);
    const Bits quadrant = __builtin_convertvector(__builtin_convertvector(k, Ints8), Bits) & 3;
    const Bits odd = -(quadrant & 1);
    const Bits sine = reinterpret_cast<Bits>(trig::sinKernel(r.hi, r.lo));
    const Bits cosine = reinterpret_cast<Bits>(trig::cosKernel(r.hi, r.lo));
    const Bits chosen = ((cosine & odd) | (sine & ~odd)) ^ ((quadrant & 2) << 62);
    // A zero width gives a sweep of exactly 1: the sine times 0 is 0.
    const Doubles width = Avx512Isa::widen(load<Floats8>(lfoWidth));
    const Doubles m = Avx512Isa::widen(Avx512Isa::narrow(reinterpret_cast<Doubles>(chosen) * width + 1.0));
    const double rate = fs;
    const Doubles longest = Doubles{} + (kMaxDelayLength - 1);
    auto lengths = [&](const float* delay, int32_t* to) {
        const Doubles samples =
            Avx512Isa::widen(Avx512Isa::narrow(m * Avx512Isa::widen(load<Floats8>(delay)) * rate * 0.16));
        const Doubles whole = Avx512Isa::minimum(Avx512Isa::nearest(samples - 0.4999999), longest);
        store(to, __builtin_convertvector(whole, Ints8) + 1);
    };
    lengths(P + kLeftDelay, into.chorusL);
    lengths(P + kRightDelay, into.chorusR);
}
#endif

// The delay lengths for sample count n, the widest way the variant allows.
template <class Isa>
VARDELLINE_LANES_INLINE void BandEngine::modulate(int32_t n, Lengths& into) const {
#ifdef VARDELLINE_X86_AVX512
    if constexpr (std::is_same_v<Isa, Avx512Isa>) return updateModulationWide(n, into);
#endif
    updateModulation<typename Isa::Comparing>(n, into);
}

// Band b's lines on channel ch (0 left, 1 right), with the lane's band
// signal and outputs over a run.
VARDELLINE_LANES_INLINE LaneLines BandEngine::laneLines(int b, int ch, const float* y, double* terms) {
    return {ch == 0 ? chorusLineL[b] : chorusLineR[b],
            ch == 0 ? delayLineL[b] : delayLineR[b],
            static_cast<uint32_t>(ch == 0 ? lengths.chorusL[b] : lengths.chorusR[b]),
            static_cast<uint32_t>(ch == 0 ? lengths.delayL[b] : lengths.delayR[b]),
            bandFeedback[b],
            ch == 0 ? bandGainL[b] : bandGainR[b],
            y,
            terms};
}

// Lanes whose chorus lines are one sample long (a delay of 0) feed back
// from each sample to the next. Eight or more have their lines written
// block by block (HeldLanes), then go in chunks like the others; of fewer,
// up to two whose plain lines are one sample long too keep that state in
// registers, and the others go sample by sample.
bool BandEngine::feedsLines(int n) const {
    constexpr int kFewestFed = 8;
    int oneSample = 0;
    for (int b = 0; b < kBands; ++b) oneSample += (lengths.chorusL[b] == 1) + (lengths.chorusR[b] == 1);
    return oneSample >= kFewestFed && n >= kChunk;
}

// The lines of every lane over this run, with the filters of the next run
// and the output sums of the previous one interleaved: the filters are one
// long chain of dependent arithmetic, the sums eight short ones, the held
// and sample-by-sample lanes chains of their own and the chunked lanes
// plenty of independent work, so the processor overlaps them all.
template <class Isa, bool kFeeding>
VARDELLINE_LANES_INLINE void BandEngine::runLines(const Run& run, const float (*y)[kMaxRun], double (*terms)[kMaxRun],
                                                  const Run& next, float (*nextY)[kMaxRun], const BandSums& previous) {
    const uint32_t mask = static_cast<uint32_t>(ringMask);
    const RingMasks masks = {mask, static_cast<uint32_t>(plainMask)};
    const uint32_t w0 = (run.position + ringOffset) & mask;
    const int n = run.length;
    const double dMix = delayMix, cMix = chorusMix;
    // Lanes that go in chunks fill this from the front, lanes whose lines
    // are fed from the back.
    ChunkedLane chunked[FilterBank::kLanes];
    LaneLines bySample[FilterBank::kLanes];
    int chunkedCount = 0, fedCount = 0, bySampleCount = 0;
    constexpr int kHeld = 2;
    HeldLane held[kHeld] = {};
    int heldCount = 0;
    for (int b = 0; b < kBands; ++b) {
        for (int ch = 0; ch < 2; ++ch) {
            const int lane = 2 * b + ch;
            // Written out rather than through laneLines: with AVX-512 this
            // loop comes out 2 % faster so.
            const LaneLines lines = {ch == 0 ? chorusLineL[b] : chorusLineR[b],
                                     ch == 0 ? delayLineL[b] : delayLineR[b],
                                     static_cast<uint32_t>(ch == 0 ? lengths.chorusL[b] : lengths.chorusR[b]),
                                     static_cast<uint32_t>(ch == 0 ? lengths.delayL[b] : lengths.delayR[b]),
                                     bandFeedback[b],
                                     ch == 0 ? bandGainL[b] : bandGainR[b],
                                     y[lane],
                                     terms[lane]};
            if (goesInChunks(lines, w0, masks, n)) {
                const ChunkedLane& c = chunked[chunkedCount++] = ChunkedLane(lines, w0, masks);
                // The run's line ranges, fetched while the loop starts, and
                // the next run's, fetched while this one goes.
                for (int k = 0; k < n + kMaxRun; k += 16) {
                    __builtin_prefetch(c.chorusIn + k);
                    __builtin_prefetch(c.plainIn + k);
                    __builtin_prefetch(c.chorusOut + k, 1);
                    __builtin_prefetch(c.plainOut + k, 1);
                }
            } else if (kFeeding && goesInChunksWhenFed(lines, w0, masks, n))
                chunked[FilterBank::kLanes - ++fedCount] = ChunkedLane(lines, w0, masks);
            else if (!kFeeding && heldCount < kHeld && lines.chorusLength == 1 && lines.plainLength == 1)
                held[heldCount++] = HeldLane(lines, w0, masks);
            else
                bySample[bySampleCount++] = lines;
        }
    }
    const ChunkedLane* fed = chunked + FilterBank::kLanes - fedCount;
    // Chunks start every eight samples; the last one ends with the run.
    const int chunksPerLane = (n + kChunk - 1) / kChunk;
    const int ownChunks = chunkedCount * chunksPerLane;
    const int totalChunks = ownChunks + fedCount * chunksPerLane;
    typedef HeldLanes<typename Isa::Comparing> Feeding;
    const int steps = std::max(n, next.length);
    // Chunks due by the end of step k, in 16-bit fixed point.
    const int chunksPerStep = steps > 0 ? (totalChunks * 65536 + steps - 1) / steps : 0;
    FilterBank::Stepper<Isa> filter(bank);
    // The previous run's sums go a few samples per step.
    const int sumSteps = previous.length / Isa::kWidth;
    // The chunks of the lanes that feed their own chorus lines go lane by
    // lane; those of the fed lanes sample range by sample range, each once
    // the line entries it reads are written.
    int chunk = 0, lane = 0, start = 0;
    int fedLane = 0, fedStart = 0;
    // feeding is the fed lanes' HeldLanes, or nullptr when there are none.
    auto runChunksUntil = [&](int until, auto feeding) __attribute__((always_inline)) {
        for (const int own = std::min(until, ownChunks); chunk < own; ++chunk) {
            runChunk<Isa>(chunked[lane], std::min(start, n - kChunk), dMix, cMix);
            start += kChunk;
            if (start >= n) {
                start = 0;
                ++lane;
            }
        }
        if constexpr (!std::is_same_v<decltype(feeding), std::nullptr_t>) {
            for (; chunk < until; ++chunk) {
                const int from = std::min(fedStart, n - kChunk);
                // It reads line entries up to from + kChunk - 2; those written
                // last are left a few steps to leave the store queue.
                if (feeding->done < std::min(from + 2 * kChunk, n)) return;
                runChunk<Isa, true>(fed[fedLane], from, dMix, cMix);
                if (++fedLane == fedCount) {
                    fedLane = 0;
                    fedStart += kChunk;
                }
            }
        }
    };
    // A copy of the loop for each way of holding lanes, so that their state
    // stays in registers.
    auto loop = [&](auto holding, auto feeding) __attribute__((always_inline)) {
        constexpr int kHolding = decltype(holding)::value;
        constexpr bool kFeedingNow = !std::is_same_v<decltype(feeding), std::nullptr_t>;
        static_assert(!kFeedingNow || kHolding == 0, "lanes are either fed or held");
        HeldLane one = held[0];
        HeldPair<typename Isa::Pair> two(held[0], held[1]);
        for (int k = 0; k < steps; ++k) {
            if (k < next.length) filter.step(next.in + k, nextY, k);
            if (k < sumSteps) sumBands<Isa>(previous, k * Isa::kWidth);
            if (k < n) {
                const uint32_t w = (w0 + static_cast<uint32_t>(k)) & mask;
                if (kHolding == 1) one.run(w, k, dMix, cMix);
                if (kHolding == 2) two.run(w, k, dMix, cMix);
                if constexpr (kFeedingNow) feeding->feedUntil(k + 1);
                for (int i = 0; i < bySampleCount; ++i) runSample(bySample[i], w0, masks, k, dMix, cMix);
            }
            // The chunks spread evenly over the steps.
            runChunksUntil(std::min(totalChunks, ((k + 1) * chunksPerStep) >> 16), feeding);
        }
    };
    if constexpr (kFeeding) {
        // No lane is held in registers here.
        if (fedCount > 0) {
            Feeding feeding(fed, fedCount, n);
            loop(std::integral_constant<int, 0>(), &feeding);
            feeding.feedUntil(n);
            runChunksUntil(totalChunks, &feeding);
        } else
            loop(std::integral_constant<int, 0>(), nullptr);
    } else if (heldCount == 2)
        loop(std::integral_constant<int, 2>(), nullptr);
    else if (heldCount == 1)
        loop(std::integral_constant<int, 1>(), nullptr);
    else
        loop(std::integral_constant<int, 0>(), nullptr);
    for (int k = steps; k < sumSteps; ++k) sumBands<Isa>(previous, k * Isa::kWidth);
    sumBandsFrom(previous, sumSteps * Isa::kWidth);
}

// The sums of the previous run, the filters of the next one and this run's
// few samples follow one another: there is too little work to interleave.
template <class Isa>
VARDELLINE_LANES_INLINE void BandEngine::runShortLines(const Run& run, const float (*y)[kMaxRun],
                                                       double (*terms)[kMaxRun], const Run& next,
                                                       float (*nextY)[kMaxRun], const BandSums& previous) {
    const RingMasks masks = {static_cast<uint32_t>(ringMask), static_cast<uint32_t>(plainMask)};
    const uint32_t w0 = (run.position + ringOffset) & masks.chorus;
    const double dMix = delayMix, cMix = chorusMix;
    if (next.length > 0) {  // a block's last run has none
        FilterBank::Stepper<Isa> filter(bank);
        for (int k = 0; k < next.length; ++k) filter.step(next.in + k, nextY, k);
    }
    const int whole = previous.length - previous.length % Isa::kWidth;
    for (int k = 0; k < whole; k += Isa::kWidth) sumBands<Isa>(previous, k);
    sumBandsFrom(previous, whole);
    for (int b = 0; b < kBands; ++b) {
        for (int ch = 0; ch < 2; ++ch) {
            const int lane = 2 * b + ch;
            const LaneLines lines = laneLines(b, ch, y[lane], terms[lane]);
            for (int k = 0; k < run.length; ++k) runSample(lines, w0, masks, k, dMix, cMix);
        }
    }
}

// The loop that feeds held lanes' lines, kept out of processBlockWith; each
// variant's copy is built for its own instruction set.
template <class Isa>
[[gnu::noinline]] void BandEngine::runFedLines(const Run& run, const float (*y)[kMaxRun], double (*terms)[kMaxRun],
                                               const Run& next, float (*nextY)[kMaxRun], const BandSums& previous) {
    runLines<Isa, true>(run, y, terms, next, nextY, previous);
}
#ifdef VARDELLINE_X86_DISPATCH
template <>
VARDELLINE_AVX2 [[gnu::noinline]] void BandEngine::runFedLines<Avx2Isa>(const Run& run, const float (*y)[kMaxRun],
                                                                      double (*terms)[kMaxRun], const Run& next,
                                                                      float (*nextY)[kMaxRun],
                                                                      const BandSums& previous) {
    runLines<Avx2Isa, true>(run, y, terms, next, nextY, previous);
}
#endif
#ifdef VARDELLINE_X86_AVX512
template <>
VARDELLINE_AVX512 [[gnu::noinline]] void BandEngine::runFedLines<Avx512Isa>(const Run& run, const float (*y)[kMaxRun],
                                                                          double (*terms)[kMaxRun], const Run& next,
                                                                          float (*nextY)[kMaxRun],
                                                                          const BandSums& previous) {
    runLines<Avx512Isa, true>(run, y, terms, next, nextY, previous);
}
#endif

template <class Isa>
VARDELLINE_LANES_INLINE void BandEngine::processBlockWith(const float* inL, const float* inR, float* outL, float* outR,
                                                          int32_t n, CounterTiming timing) {
    // The lengths are updated when this count is a multiple of 32: the
    // advanced count for processReplacing, the count before it for process.
    const uint32_t updateLag = timing == CounterTiming::AdvanceBeforeUpdate ? 0u : 1u;
    typedef typename Isa::Comparing Comparing;
    // Runs end where the lengths are updated, or with the block.
    alignas(16) Doubles2 inputs[2][kMaxRun];
    auto runFrom = [&](int32_t done, uint32_t position, int slot) __attribute__((always_inline)) {
        const uint32_t phase = (position - updateLag) & 31u;
        const int length = done < n ? static_cast<int>(std::min<int64_t>(32 - phase, n - done)) : 0;
        stageInput<Comparing>(inL + done, inR + done, length, inputs[slot]);
        return Run{position, length, inputs[slot]};
    };
    // The lengths change where a run starts with an update. They are worked
    // out one run ahead, so that their long chain of arithmetic overlaps the
    // line work of the run before.
    auto updateCountOf = [&](const Run& r) { return r.position - updateLag; };
    auto startsWithUpdate = [&](const Run& r) { return r.length > 0 && (updateCountOf(r) & 31u) == 0; };
    alignas(64) float bands[2][FilterBank::kLanes][kMaxRun];
    alignas(64) double terms[2][FilterBank::kLanes][kMaxRun];
    // Each run's outputs are summed while the next run goes.
    BandSums previous = {terms[1], 0, outL, outR};
    int slot = 0;
    Run run = runFrom(0, counter + 1u, slot);
    if (startsWithUpdate(run)) modulate<Isa>(static_cast<int32_t>(updateCountOf(run)), lengths);
    {
        FilterBank::Stepper<Isa> filter(bank);
        for (int k = 0; k < run.length; ++k) filter.step(run.in + k, bands[slot], k);
    }
    for (int32_t done = 0; done < n;) {
        const Run next = runFrom(done + run.length, run.position + static_cast<uint32_t>(run.length), slot ^ 1);
        Lengths upcoming;
        const bool update = startsWithUpdate(next);
        if (update) modulate<Isa>(static_cast<int32_t>(updateCountOf(next)), upcoming);
        if (run.length < kChunk)
            runShortLines<Isa>(run, bands[slot], terms[slot], next, bands[slot ^ 1], previous);
        else if (feedsLines(run.length))
            runFedLines<Isa>(run, bands[slot], terms[slot], next, bands[slot ^ 1], previous);
        else
            runLines<Isa, false>(run, bands[slot], terms[slot], next, bands[slot ^ 1], previous);
        previous = {terms[slot], run.length, outL + done, outR + done};
        counter += static_cast<uint32_t>(run.length);
        done += run.length;
        run = next;
        slot ^= 1;
        if (update) lengths = upcoming;
    }
    const int whole = previous.length - previous.length % Isa::kWidth;
    for (int k = 0; k < whole; k += Isa::kWidth) sumBands<Isa>(previous, k);
    sumBandsFrom(previous, whole);
}

#ifdef VARDELLINE_X86_DISPATCH
VARDELLINE_AVX2 void BandEngine::processBlockAvx2(const float* inL, const float* inR, float* outL, float* outR,
                                                  int32_t n, CounterTiming timing) {
    processBlockWith<Avx2Isa>(inL, inR, outL, outR, n, timing);
}
#endif

#ifdef VARDELLINE_X86_AVX512
VARDELLINE_AVX512 void BandEngine::processBlockAvx512(const float* inL, const float* inR, float* outL, float* outR,
                                                      int32_t n, CounterTiming timing) {
    processBlockWith<Avx512Isa>(inL, inR, outL, outR, n, timing);
}
#endif

#if defined(__SSE2__)
// The plain vector code, on x86 only when asked for (VARDELLINE_SIMD=portable),
// to check it against the other variants and time it.
void BandEngine::processBlockPortable(const float* inL, const float* inR, float* outL, float* outR, int32_t n,
                                      CounterTiming timing) {
    processBlockWith<PortableIsa>(inL, inR, outL, outR, n, timing);
}
#endif

void BandEngine::processBlock(const float* inL, const float* inR, float* outL, float* outR, int32_t n,
                              CounterTiming timing) {
    if (n <= 0) return;
    chorusTouched = true;
    delayTouched = true;
#ifdef VARDELLINE_X86_AVX512
    if (instructionSet() == InstructionSet::Avx512) return processBlockAvx512(inL, inR, outL, outR, n, timing);
#endif
#ifdef VARDELLINE_X86_DISPATCH
    if (instructionSet() == InstructionSet::Avx2) return processBlockAvx2(inL, inR, outL, outR, n, timing);
#endif
#if defined(__SSE2__)
    if (instructionSet() == InstructionSet::Portable) return processBlockPortable(inL, inR, outL, outR, n, timing);
    processBlockWith<Sse2Isa>(inL, inR, outL, outR, n, timing);
#else
    processBlockWith<PortableIsa>(inL, inR, outL, outR, n, timing);
#endif
}

}  // namespace vardelline
