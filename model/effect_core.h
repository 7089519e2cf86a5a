// The effect as every plug-in format sees it: the parameter values, the
// eight programs and the band engine, with the hand-over of changes from
// any thread to the audio thread. It speaks no plug-in interface; each
// format's glue turns its host's calls into calls on this.
#pragma once

#include <atomic>
#include <cstddef>
#include <cstdint>

#include "dsp/band_engine.h"
#include "model/parameters.h"

// One program: a live edit buffer of parameter values plus its name.
class APluginProgram {
public:
    APluginProgram();

    static constexpr int kNumValues = 501;  // only 0..80 are used
    static constexpr size_t kNameSize = 64;

    // Written by whichever thread sets a parameter; read by setProgram.
    std::atomic<float> values[kNumValues];
    char name[kNameSize];
};

namespace vardelline {

// Changes (parameters, programs, sample rate, suspend) may come from any
// thread while a block runs. They are written to atomics bracketed by
// writersActive and counted in changeSerial; at the start of a block the
// audio thread takes a consistent snapshot if no writer is active and the
// serial did not move while it copied. If a writer was busy, the audio
// thread keeps the state it has and asks for a snapshot: the next writer to
// finish copies one while it knows no other writer is active and hands it
// over through a three-slot exchange. So a writer that never pauses cannot
// keep its changes from the audio thread, and neither side ever waits.
//
// The object is large (the engine's delay lines live inline) and must start
// zero-filled: it comes from zeroed pages that are only made resident where
// the engine touches them, and whatever holds it inline must do the same.
class EffectCore {
public:
    static void* operator new(size_t size);
    static void operator delete(void* memory, size_t size);

    EffectCore();

    // Writes the factory contents into all eight programs; nothing becomes
    // current until a program is set.
    void loadFactoryPrograms();

    // Any thread. Index 0..80 (others are ignored); the value is limited to
    // 0..1 (NaN to 0) and stored in the current program too.
    void setParameter(int index, float value);
    // Current value of slot 0..80; 0 elsewhere.
    float parameter(int index) const;

    // Any thread. Applies program 0..7 (others are ignored; answers false):
    // its values become the parameters, and the chorus lines are cleared.
    bool setProgram(int program);
    int currentProgram() const { return current.load(std::memory_order_relaxed); }
    APluginProgram& program(int index) { return programs[index]; }
    const APluginProgram& program(int index) const { return programs[index]; }
    void setCurrentProgramName(const char* name);

    // Any thread. A rate outside 1 Hz..1 MHz (or not finite) is refused.
    bool setSampleRate(float rate);
    float sampleRate() const { return engineSampleRate.load(std::memory_order_relaxed); }
    static bool isUsableRate(float rate);

    // Any thread: the chorus lines are cleared before the next block.
    void suspend();

    // Audio thread: takes the latest changes, then runs n frames.
    void process(const float* inL, const float* inR, float* outL, float* outR, int32_t n, CounterTiming timing);
    // Audio thread (or before there is one): brings the engine up to date.
    void applyPendingChanges();

    // The engine as the audio thread sees it; for tests and diagnostics.
    const BandEngine& engineState() const { return engine; }

private:
    // Everything the audio thread takes from the writers, copied at once.
    struct ChangeSnapshot {
        float params[kNumParamSlots];
        float rate;
        uint32_t serial;
        uint32_t paramWrites;
        uint32_t chorusClears;
        uint32_t rateChanges;
    };

    // Brackets every change; the last writer to leave publishes a snapshot
    // if the audio thread asked for one.
    class WriteScope {
    public:
        explicit WriteScope(EffectCore& core);
        ~WriteScope();
        WriteScope(const WriteScope&) = delete;
        WriteScope& operator=(const WriteScope&) = delete;

    private:
        EffectCore& core;
    };

    void storeParameter(int program, int index, float value);
    // False if a writer was active or the serial moved while copying.
    bool copyChanges(ChangeSnapshot& out) const;
    void applySnapshot(const ChangeSnapshot& snapshot);
    void publishIfWanted();

    // Written by any thread; read by the audio thread at the start of a
    // block through the sequence check.
    std::atomic<float> params[kNumParamSlots];
    std::atomic<float> engineSampleRate{BandEngine::kDefaultSampleRate};
    std::atomic<uint32_t> paramWrites{0};
    std::atomic<uint32_t> chorusClears{0};
    std::atomic<uint32_t> rateChanges{0};
    std::atomic<uint32_t> changeSerial{0};
    std::atomic<int32_t> writersActive{0};
    std::atomic<int32_t> current{0};

    // The hand-over of snapshots taken by writers: middleSlot holds a slot
    // index, with kFreshSlot set while the audio thread has not taken it.
    static constexpr uint32_t kFreshSlot = 4;
    static constexpr uint32_t kSlotMask = 3;
    ChangeSnapshot published[3];
    std::atomic<uint32_t> middleSlot{1};
    std::atomic<bool> snapshotWanted{false};
    std::atomic<bool> publishing{false};
    uint32_t backSlot = 2;   // owned by whichever writer holds publishing
    uint32_t frontSlot = 0;  // owned by the audio thread

    // What the audio thread last applied.
    uint32_t appliedSerial = 0;
    uint32_t appliedParamWrites = 0;
    uint32_t appliedChorusClears = 0;
    uint32_t appliedRateChanges = 0;

    APluginProgram programs[kNumPrograms];

    // Owned by the audio thread.
    BandEngine engine;
};

}  // namespace vardelline
