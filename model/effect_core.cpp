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

EffectCore::WriteScope::WriteScope(EffectCore& core) : core(core) {
    core.writersActive.fetch_add(1);
}

EffectCore::WriteScope::~WriteScope() {
    core.changeSerial.fetch_add(1);
    if (core.writersActive.fetch_sub(1) == 1) core.publishIfWanted();
}

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
    WriteScope scope(*this);
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
    WriteScope scope(*this);
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
    WriteScope scope(*this);
    engineSampleRate.store(rate, std::memory_order_relaxed);
    rateChanges.fetch_add(1, std::memory_order_relaxed);
    return true;
}

void EffectCore::suspend() {
    WriteScope scope(*this);
    chorusClears.fetch_add(1, std::memory_order_relaxed);
}

// ---- audio ------------------------------------------------------------------

bool EffectCore::copyChanges(ChangeSnapshot& out) const {
    const uint32_t serial = changeSerial.load();
    if (writersActive.load() != 0) return false;
    for (int i = 0; i < kNumParamSlots; ++i) out.params[i] = params[i].load(std::memory_order_relaxed);
    out.rate = engineSampleRate.load(std::memory_order_relaxed);
    out.paramWrites = paramWrites.load(std::memory_order_relaxed);
    out.chorusClears = chorusClears.load(std::memory_order_relaxed);
    out.rateChanges = rateChanges.load(std::memory_order_relaxed);
    out.serial = serial;
    std::atomic_thread_fence(std::memory_order_acquire);
    return writersActive.load() == 0 && changeSerial.load() == serial;
}

void EffectCore::publishIfWanted() {
    if (!snapshotWanted.load(std::memory_order_relaxed)) return;
    if (publishing.exchange(true, std::memory_order_acquire)) return;  // another writer is on it
    if (copyChanges(published[backSlot])) {
        snapshotWanted.store(false, std::memory_order_relaxed);
        backSlot = middleSlot.exchange(backSlot | kFreshSlot, std::memory_order_acq_rel) & kSlotMask;
    }
    publishing.store(false, std::memory_order_release);
}

void EffectCore::applySnapshot(const ChangeSnapshot& snapshot) {
    appliedSerial = snapshot.serial;
    const bool rateChanged = snapshot.rateChanges != appliedRateChanges;
    if (rateChanged) engine.setSampleRate(snapshot.rate);
    if (rateChanged || snapshot.paramWrites != appliedParamWrites) engine.setParameters(snapshot.params);
    if (snapshot.chorusClears != appliedChorusClears) engine.clearChorusLines();
    appliedRateChanges = snapshot.rateChanges;
    appliedParamWrites = snapshot.paramWrites;
    appliedChorusClears = snapshot.chorusClears;
}

void EffectCore::applyPendingChanges() {
    if (middleSlot.load(std::memory_order_acquire) & kFreshSlot) {
        frontSlot = middleSlot.exchange(frontSlot, std::memory_order_acq_rel) & kSlotMask;
        const ChangeSnapshot& taken = published[frontSlot];
        // Serials wrap; a snapshot older than what was applied directly is stale.
        if (static_cast<int32_t>(taken.serial - appliedSerial) > 0) applySnapshot(taken);
    }
    if (changeSerial.load() == appliedSerial) return;
    ChangeSnapshot snapshot;
    if (copyChanges(snapshot))
        applySnapshot(snapshot);
    else
        snapshotWanted.store(true, std::memory_order_relaxed);  // torn: a writer will publish one
}

void EffectCore::process(const float* inL, const float* inR, float* outL, float* outR, int32_t n,
                         CounterTiming timing) {
    applyPendingChanges();
    engine.processBlock(inL, inR, outL, outR, n, timing);
}

}  // namespace vardelline
