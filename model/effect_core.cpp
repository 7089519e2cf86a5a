// The effect core: programs, parameters and the lock-free hand-over of
// every change to the audio thread.
#include "model/effect_core.h"

#include <cmath>

#include "dsp/zeroed_pages.h"
#include "model/factory_programs.h"
#include "model/value_text.h"

APluginProgram::APluginProgram() : values{}, name{} {
    vardelline::copyText(name, "Init", kNameSize);
}

namespace vardelline {

namespace {

// Marks a writer as active for the lifetime of the guard.
class WriteScope {
public:
    WriteScope(std::atomic<int32_t>& active, std::atomic<uint32_t>& serial) : active(active), serial(serial) {
        active.fetch_add(1);
    }
    ~WriteScope() {
        serial.fetch_add(1);
        active.fetch_sub(1);
    }
    WriteScope(const WriteScope&) = delete;
    WriteScope& operator=(const WriteScope&) = delete;

private:
    std::atomic<int32_t>& active;
    std::atomic<uint32_t>& serial;
};

}  // namespace

void* EffectCore::operator new(size_t size) {
    return allocateZeroedPages(size);
}
void EffectCore::operator delete(void* memory, size_t size) {
    freeZeroedPages(memory, size);
}

EffectCore::EffectCore() : params{} {
    suspend();
}

void EffectCore::loadFactoryPrograms() {
    for (int p = 0; p < kNumPrograms; ++p) {
        for (int i = 0; i < kFactoryValueCount; ++i)
            programs[p].values[i].store(kFactoryPrograms[p].values[i], std::memory_order_relaxed);
        copyText(programs[p].name, kFactoryPrograms[p].name, APluginProgram::kNameSize);
    }
}

// ---- parameters -------------------------------------------------------------

void EffectCore::storeParameter(int program, int index, float value) {
    WriteScope scope(writersActive, changeSerial);
    params[index].store(value, std::memory_order_relaxed);
    programs[program].values[index].store(value, std::memory_order_relaxed);
    paramWrites.fetch_add(1, std::memory_order_relaxed);
}

void EffectCore::setParameter(int index, float value) {
    if (index < 0 || index >= kNumParamSlots) return;
    storeParameter(current.load(std::memory_order_relaxed), index, limit(value));
}

float EffectCore::parameter(int index) const {
    if (index < 0 || index >= kNumParamSlots) return 0.0f;
    return params[index].load(std::memory_order_relaxed);
}

// ---- programs ---------------------------------------------------------------

bool EffectCore::setProgram(int program) {
    if (program < 0 || program >= kNumPrograms) return false;
    WriteScope scope(writersActive, changeSerial);
    current.store(program, std::memory_order_relaxed);
    // Back into the program being applied, never into one that another
    // thread has made current meanwhile.
    for (int i = 0; i < kNumParamSlots; ++i)
        storeParameter(program, i, limit(programs[program].values[i].load(std::memory_order_relaxed)));
    chorusClears.fetch_add(1, std::memory_order_relaxed);
    return true;
}

void EffectCore::setCurrentProgramName(const char* name) {
    if (name == nullptr) return;
    copyText(programs[currentProgram()].name, name, APluginProgram::kNameSize);
}

// ---- sample rate, suspend ---------------------------------------------------

bool EffectCore::isUsableRate(float rate) {
    return std::isfinite(rate) && rate >= 1.0f && rate <= 1.0e6f;
}

bool EffectCore::setSampleRate(float rate) {
    if (!isUsableRate(rate)) return false;
    WriteScope scope(writersActive, changeSerial);
    engineSampleRate.store(rate, std::memory_order_relaxed);
    rateChanges.fetch_add(1, std::memory_order_relaxed);
    return true;
}

void EffectCore::suspend() {
    WriteScope scope(writersActive, changeSerial);
    chorusClears.fetch_add(1, std::memory_order_relaxed);
}

// ---- audio ------------------------------------------------------------------

void EffectCore::applyPendingChanges() {
    const uint32_t serial = changeSerial.load();
    if (serial == appliedSerial) return;
    if (writersActive.load() != 0) return;

    float snapshot[kNumParamSlots];
    for (int i = 0; i < kNumParamSlots; ++i) snapshot[i] = params[i].load(std::memory_order_relaxed);
    const float rate = engineSampleRate.load(std::memory_order_relaxed);
    const uint32_t writes = paramWrites.load(std::memory_order_relaxed);
    const uint32_t clears = chorusClears.load(std::memory_order_relaxed);
    const uint32_t rates = rateChanges.load(std::memory_order_relaxed);
    std::atomic_thread_fence(std::memory_order_acquire);
    if (writersActive.load() != 0 || changeSerial.load() != serial) return;  // torn: try next block

    appliedSerial = serial;
    const bool rateChanged = rates != appliedRateChanges;
    if (rateChanged) engine.setSampleRate(rate);
    if (rateChanged || writes != appliedParamWrites) engine.setParameters(snapshot);
    if (clears != appliedChorusClears) engine.clearChorusLines();
    appliedRateChanges = rates;
    appliedParamWrites = writes;
    appliedChorusClears = clears;
}

void EffectCore::process(const float* inL, const float* inR, float* outL, float* outR, int32_t n,
                         CounterTiming timing) {
    applyPendingChanges();
    engine.processBlock(inL, inR, outL, outR, n, timing);
}

}  // namespace vardelline
