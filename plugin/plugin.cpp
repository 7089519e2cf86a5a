// APlugin: construction, programs, parameters, identity answers and the
// hand-over of every change to the audio thread.
//
// Changes (parameters, programs, sample rate, suspend) may come from any
// thread while a block runs. They are written to atomics bracketed by
// writersActive and counted in changeSerial; at the start of a block the
// audio thread takes a consistent snapshot if no writer is active and the
// serial did not move while it copied, and otherwise keeps the state it has
// until the next block. Neither side ever waits for the other.
#include "plugin/plugin.h"

#include <cmath>
#include <cstdio>
#include <cstring>

#include "plugin/factory_programs.h"
#include "plugin/plugin_editor.h"
#include "plugin/value_text.h"
#include "plugin/zeroed_pages.h"

using namespace vardelline;

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

bool isUsableRate(float rate) {
    return std::isfinite(rate) && rate >= 1.0f && rate <= 1.0e6f;
}

}  // namespace

APluginProgram::APluginProgram() : values{}, name{} {
    copyText(name, "Init", kNameSize);
}

void* APlugin::operator new(size_t size) {
    return allocateZeroedPages(size);
}
void APlugin::operator delete(void* memory, size_t size) {
    freeZeroedPages(memory, size);
}

APlugin::APlugin(audioMasterCallback audioMaster) : AudioEffectX(audioMaster, kNumPrograms, kNumParams) {
    suspend();
    setEditor(new APluginEditor(this));
    hasVu(false);
    setNumInputs(2);
    setNumOutputs(2);
    canMono(true);
    canProcessReplacing(true);
    isSynth(false);
    setUniqueID(fourCharCode("vdLn"));

    // The host may set a rate through the dispatcher while it answers.
    float rate = static_cast<float>(updateSampleRate());
    setEngineRate(isUsableRate(rate) ? rate : BandEngine::kDefaultSampleRate);

    for (int p = 0; p < kNumPrograms; ++p) {
        for (int i = 0; i < kFactoryValueCount; ++i)
            programs[p].values[i].store(kFactoryPrograms[p].values[i], std::memory_order_relaxed);
        copyText(programs[p].name, kFactoryPrograms[p].name, APluginProgram::kNameSize);
    }
    for (int p = kNumPrograms - 1; p >= 0; --p) setProgram(p);

    // No audio thread exists yet: bring the engine up to date here.
    applyPendingChanges();
}

// The editor goes first, while the fields it reports back to still exist.
APlugin::~APlugin() {
    delete editor;
    editor = nullptr;
}

// ---- parameters -------------------------------------------------------------

void APlugin::storeParameter(int program, int index, float value) {
    WriteScope scope(writersActive, changeSerial);
    params[index].store(value, std::memory_order_relaxed);
    programs[program].values[index].store(value, std::memory_order_relaxed);
    paramWrites.fetch_add(1, std::memory_order_relaxed);
}

void APlugin::setParameter(VstInt32 index, float value) {
    if (index < 0 || index >= kNumParamSlots) return;
    storeParameter(currentProgram.load(std::memory_order_relaxed), index, limit(value));
    if (editor) editor->update();
}

float APlugin::getParameter(VstInt32 index) {
    if (index < 0 || index >= kNumParams) return 0.0f;
    return params[index].load(std::memory_order_relaxed);
}

float APlugin::parameterValue(int index) const {
    if (index < 0 || index >= kNumParamSlots) return 0.0f;
    return params[index].load(std::memory_order_relaxed);
}

void APlugin::getParameterLabel(VstInt32 /*index*/, char* label) {
    copyText(label, "", kVstMaxParamStrLen);
}

void APlugin::getParameterDisplay(VstInt32 index, char* text) {
    if (index < 0 || index >= kNumParams) return;
    paramValueText(index, getParameter(index), text, kVstMaxParamStrLen);
}

void APlugin::getParameterName(VstInt32 index, char* text) {
    if (index < 0 || index >= kNumParams) return;
    paramHostName(index, text, kVstMaxParamStrLen);
}

// ---- programs ---------------------------------------------------------------

void APlugin::setProgram(VstInt32 program) {
    lastTimeInfo.store(getTimeInfo(0), std::memory_order_relaxed);
    if (program < 0 || program >= kNumPrograms) return;
    {
        WriteScope scope(writersActive, changeSerial);
        currentProgram.store(program, std::memory_order_relaxed);
        // Back into the program being applied, never into one that another
        // thread has made current meanwhile.
        for (int i = 0; i < kNumParamSlots; ++i)
            storeParameter(program, i, limit(programs[program].values[i].load(std::memory_order_relaxed)));
        chorusClears.fetch_add(1, std::memory_order_relaxed);
    }
    updateEditor();
}

void APlugin::setProgramName(char* name) {
    if (name == nullptr) return;
    copyText(programs[currentProgram.load()].name, name, APluginProgram::kNameSize);
    updateEditor();
}

void APlugin::getProgramName(char* name) {
    copyText(name, programs[currentProgram.load()].name, kVstMaxProgNameLen);
}

bool APlugin::getProgramNameIndexed(VstInt32 /*category*/, VstInt32 index, char* text) {
    if (index < 0 || index >= kNumPrograms || text == nullptr) return false;
    copyText(text, programs[index].name, kVstMaxProgNameLen);
    return true;
}

void APlugin::updateEditor() {
    if (!editorClosed.load() && editor) editor->update();
}

// ---- sample rate, suspend ---------------------------------------------------

void APlugin::setEngineRate(float rate) {
    WriteScope scope(writersActive, changeSerial);
    engineSampleRate.store(rate, std::memory_order_relaxed);
    rateChanges.fetch_add(1, std::memory_order_relaxed);
}

void APlugin::setSampleRate(float newSampleRate) {
    if (!isUsableRate(newSampleRate)) return;
    AudioEffectX::setSampleRate(newSampleRate);
    setEngineRate(newSampleRate);
}

void APlugin::setBlockSizeAndSampleRate(VstInt32 newBlockSize, float newSampleRate) {
    blockSize = newBlockSize;
    setSampleRate(newSampleRate);
}

void APlugin::suspend() {
    WriteScope scope(writersActive, changeSerial);
    chorusClears.fetch_add(1, std::memory_order_relaxed);
}

void APlugin::resume() {
    wantEvents(1);
}

// ---- audio ------------------------------------------------------------------

void APlugin::applyPendingChanges() {
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

namespace {

// A block the engine can run: frames to do and all four channel buffers.
bool usableBlock(float** inputs, float** outputs, VstInt32 sampleFrames) {
    return sampleFrames > 0 && inputs != nullptr && outputs != nullptr && inputs[0] != nullptr &&
           inputs[1] != nullptr && outputs[0] != nullptr && outputs[1] != nullptr;
}

}  // namespace

void APlugin::process(float** inputs, float** outputs, VstInt32 sampleFrames) {
    if (!usableBlock(inputs, outputs, sampleFrames)) return;
    applyPendingChanges();
    engine.processBlock(inputs[0], inputs[1], outputs[0], outputs[1], sampleFrames, CounterTiming::AdvanceAfterUpdate);
}

void APlugin::processReplacing(float** inputs, float** outputs, VstInt32 sampleFrames) {
    if (!usableBlock(inputs, outputs, sampleFrames)) return;
    applyPendingChanges();
    engine.processBlock(inputs[0], inputs[1], outputs[0], outputs[1], sampleFrames, CounterTiming::AdvanceBeforeUpdate);
}

// ---- identity -----------------------------------------------------------------

VstInt32 APlugin::processEvents(VstEvents* /*events*/) {
    return 1;
}

bool APlugin::getOutputProperties(VstInt32 index, VstPinProperties* properties) {
    if (index >= 2 || index < 0 || properties == nullptr) return false;
    char label[kVstMaxLabelLen];
    snprintf(label, sizeof label, "Vardelline %d", index + 1);
    copyText(properties->label, label, sizeof properties->label);
    properties->flags = kVstPinIsActive | kVstPinIsStereo;
    return true;
}

bool APlugin::getEffectName(char* name) {
    if (name == nullptr) return false;
    copyText(name, "Vardelline", kVstMaxEffectNameLen);
    return true;
}

bool APlugin::getVendorString(char* text) {
    if (text == nullptr) return false;
    copyText(text, "Quorvane", kVstMaxVendorStrLen);
    return true;
}

bool APlugin::getProductString(char* text) {
    if (text == nullptr) return false;
    copyText(text, "Vardelline", kVstMaxProductStrLen);
    return true;
}

VstInt32 APlugin::canDo(char* text) {
    if (text == nullptr) return -1;
    static const char* const kCapabilities[] = {"receiveVstEvents", "receiveVstMidiEvent", "receiveVstTimeInfo"};
    for (const char* capability : kCapabilities) {
        if (std::strcmp(text, capability) == 0) return 1;
    }
    return -1;
}

VstIntPtr APlugin::vendorSpecific(VstInt32 lArg, VstIntPtr lArg2, void* ptrArg, float floatArg) {
    if (editor == nullptr) return 0;
    return static_cast<APluginEditor*>(editor)->vendorSpecific(lArg, lArg2, ptrArg, floatArg);
}
