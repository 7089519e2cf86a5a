// The band engine: per band and channel a plain delay line and a swept
// chorus line with feedback, fed by the filter bank, weighted by the
// delay/chorus balance and the band's pan, summed into two outputs.
// Plain DSP: it knows nothing of the plug-in interface or the editor, and
// belongs to one thread (the audio thread) at a time.
#pragma once

#include <cstddef>
#include <cstdint>

#include "dsp/band_sums.h"
#include "dsp/filter_bank.h"
#include "dsp/engine_params.h"

namespace vardelline {

struct LaneLines;

// When the sample counter advances relative to the delay-length update:
// process advances it after the update test, processReplacing before.
enum class CounterTiming { AdvanceAfterUpdate, AdvanceBeforeUpdate };

class BandEngine {
public:
    static constexpr int kBands = kNumBands;
    static constexpr int32_t kMaxRingSize = 65536;
    static constexpr int32_t kMaxDelayLength = kMaxRingSize - 1;
    // Rows are longer than the ring so that the 32 lines do not fall into
    // the same cache sets.
    static constexpr size_t kLineStride = kMaxRingSize + 80;
    static constexpr float kDefaultSampleRate = 44100.0f;

    // The engine is large and must start zero-filled.
    static void* operator new(size_t size);
    static void operator delete(void* memory, size_t size);

    BandEngine();

    // Makes fs the engine's rate. When the ring length this rate needs
    // differs from the current one, every line and every filter history
    // starts silent. Derived state follows at the next setParameters.
    void setSampleRate(float fs);
    float sampleRate() const { return fs; }
    int32_t ringSize() const { return ringMask + 1; }
    int32_t plainRingSize() const { return plainMask + 1; }

    // Takes all 81 parameter values: redesigns the filters (keeping their
    // histories) and recomputes the band controls.
    void setParameters(const float* values);

    // Silences the chorus lines of every band and channel.
    void clearChorusLines();

    // Writes n frames over the outputs; in and out may be the same memory.
    void processBlock(const float* inL, const float* inR, float* outL, float* outR, int32_t n, CounterTiming timing);

    // State, for tests and diagnostics.
    const FilterBank& filterBank() const { return bank; }
    const float* parameters() const { return P; }
    uint32_t sampleCounter() const { return counter; }
    void setSampleCounter(uint32_t value) { counter = value; }
    int32_t delayLengthL(int b) const { return lengths.delayL[b]; }
    int32_t delayLengthR(int b) const { return lengths.delayR[b]; }
    int32_t chorusLengthL(int b) const { return lengths.chorusL[b]; }
    int32_t chorusLengthR(int b) const { return lengths.chorusR[b]; }
    float lfoRateOf(int b) const { return lfoRate[b]; }
    float lfoWidthOf(int b) const { return lfoWidth[b]; }
    float feedbackOf(int b) const { return bandFeedback[b]; }
    float gainLOf(int b) const { return bandGainL[b]; }
    float gainROf(int b) const { return bandGainR[b]; }
    float chorusMixValue() const { return chorusMix; }
    float delayMixValue() const { return delayMix; }

private:
    void updateBandControls();
    // Delay lengths in samples, per band and channel, for the plain and the chorus lines.
    struct Lengths {
        alignas(32) int32_t delayL[kBands], delayR[kBands], chorusL[kBands], chorusR[kBands];
    };
    // The lengths for sample count n: four (or Isa::kWidth) bands at a time,
    // all eight in one pass on AVX-512, and the widest way the variant Isa allows.
    void takePlainLengths(Lengths& into) const;
    template <class Isa>
    void updateModulation(int32_t n, Lengths& into) const;
    void updateModulationWide(int32_t n, Lengths& into) const;
    template <class Isa>
    void modulate(int32_t n, Lengths& into) const;
    static constexpr int kMaxRun = FilterBank::kMaxRun;
    // Up to 32 samples between two length updates (or the block's edges),
    // with their input ready for the filters as {left, right} pairs.
    struct Run {
        uint32_t position;  // write position of the first sample
        int length;
        const Doubles2* in;
    };
    // The block loop, for one instruction set.
    template <class Isa>
    void processBlockWith(const float* inL, const float* inR, float* outL, float* outR, int32_t n,
                          CounterTiming timing);
    void processBlockAvx2(const float* inL, const float* inR, float* outL, float* outR, int32_t n,
                          CounterTiming timing);
    void processBlockPortable(const float* inL, const float* inR, float* outL, float* outR, int32_t n,
                              CounterTiming timing);
    void processBlockAvx512(const float* inL, const float* inR, float* outL, float* outR, int32_t n,
                            CounterTiming timing);
    // Runs the lines of every lane over run (band signals y) into terms, the
    // filters over the next run into nextY, and the sums of the previous run.
    // With kFeeding, lanes with one-sample chorus lines have their lines fed
    // four side by side (see feedsLines); that copy is a function of its own
    // (runFedLines, built for each instruction set), so that it leaves the
    // usual one untouched.
    template <class Isa, bool kFeeding>
    void runLines(const Run& run, const float (*y)[kMaxRun], double (*terms)[kMaxRun], const Run& next,
                  float (*nextY)[kMaxRun], const BandSums& previous);
    template <class Isa>
    void runFedLines(const Run& run, const float (*y)[kMaxRun], double (*terms)[kMaxRun], const Run& next,
                     float (*nextY)[kMaxRun], const BandSums& previous);
    // A run too short for any lane to go in chunks (the one-sample run that
    // ends a block where the lengths change on its last sample): every lane
    // sample by sample, with none of runLines' sorting of the lanes.
    template <class Isa>
    void runShortLines(const Run& run, const float (*y)[kMaxRun], double (*terms)[kMaxRun], const Run& next,
                       float (*nextY)[kMaxRun], const BandSums& previous);
    LaneLines laneLines(int b, int ch, const float* y, double* terms);
    // Whether a run of n samples feeds its held lanes' lines.
    bool feedsLines(int n) const;
    // Zeroes the first size entries of the eight lines.
    void clearLines(float (*lines)[kLineStride], int32_t size);

    float fs = kDefaultSampleRate;
    int32_t ringMask = 0;   // the chorus lines' ring
    int32_t plainMask = 0;  // the plain lines' ring, half as long or the same
    float P[kNumParamSlots] = {};

    FilterBank bank;

    uint32_t counter = 0;
    // Added to the count to give the rings' write position; differs between engines.
    const uint32_t ringOffset;
    Lengths lengths = {};
    Lengths plainLengths = {};  // the plain lengths the parameters give (chorus ones unused)
    float lfoRate[kBands] = {}, lfoWidth[kBands] = {}, bandFeedback[kBands] = {};
    float bandGainL[kBands] = {}, bandGainR[kBands] = {};
    float chorusMix = 0.0f, delayMix = 0.0f;

    // Whether the lines may hold anything but zeros (clearing clean lines is skipped).
    bool chorusTouched = false;
    bool delayTouched = false;

    float delayLineL[kBands][kLineStride];
    float delayLineR[kBands][kLineStride];
    float chorusLineL[kBands][kLineStride];
    float chorusLineR[kBands][kLineStride];
};

}  // namespace vardelline
