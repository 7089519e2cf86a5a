// APlugin: construction, the host's calls on parameters, programs, rate and
// audio turned into calls on the effect core, and the identity answers.
#include "vst/plugin.h"

#include <cstdio>
#include <cstring>

#include "dsp/zeroed_pages.h"
#include "model/value_text.h"
#include "vst/plugin_editor.h"

using namespace vardelline;

void* APlugin::operator new(size_t size) {
    return allocateZeroedPages(size);
}
void APlugin::operator delete(void* memory, size_t size) {
    freeZeroedPages(memory, size);
}

APlugin::APlugin(audioMasterCallback audioMaster) : AudioEffectX(audioMaster, kNumPrograms, kNumParams) {
    setEditor(new APluginEditor(this));
    hasVu(false);
    setNumInputs(2);
    setNumOutputs(2);
    canMono(true);
    canProcessReplacing(true);
    isSynth(false);
    setUniqueID(fourCharCode("vdLn"));

    // The host may set a rate through the dispatcher while it answers.
    if (!core.setSampleRate(static_cast<float>(updateSampleRate()))) core.setSampleRate(BandEngine::kDefaultSampleRate);

    core.loadFactoryPrograms();
    for (int p = kNumPrograms - 1; p >= 0; --p) setProgram(p);

    // No audio thread exists yet: bring the engine up to date here.
    core.applyPendingChanges();
}

// The editor goes first, while the fields it reports back to still exist.
APlugin::~APlugin() {
    delete editor;
    editor = nullptr;
}

// ---- parameters -------------------------------------------------------------

void APlugin::setParameter(VstInt32 index, float value) {
    if (index < 0 || index >= kNumParamSlots) return;
    core.setParameter(index, value);
    if (editor) editor->update();
}

float APlugin::getParameter(VstInt32 index) {
    if (index < 0 || index >= kNumParams) return 0.0f;
    return core.parameter(index);
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
    if (core.setProgram(program)) updateEditor();
}

void APlugin::setProgramName(char* name) {
    if (name == nullptr) return;
    core.setCurrentProgramName(name);
    updateEditor();
}

void APlugin::getProgramName(char* name) {
    copyText(name, core.program(core.currentProgram()).name, kVstMaxProgNameLen);
}

bool APlugin::getProgramNameIndexed(VstInt32 /*category*/, VstInt32 index, char* text) {
    if (index < 0 || index >= kNumPrograms || text == nullptr) return false;
    copyText(text, core.program(index).name, kVstMaxProgNameLen);
    return true;
}

void APlugin::updateEditor() {
    if (!editorClosed.load() && editor) editor->update();
}

// ---- sample rate, suspend ---------------------------------------------------

void APlugin::setSampleRate(float newSampleRate) {
    if (!EffectCore::isUsableRate(newSampleRate)) return;
    AudioEffectX::setSampleRate(newSampleRate);
    core.setSampleRate(newSampleRate);
}

void APlugin::setBlockSizeAndSampleRate(VstInt32 newBlockSize, float newSampleRate) {
    blockSize = newBlockSize;
    setSampleRate(newSampleRate);
}

void APlugin::suspend() {
    core.suspend();
}

void APlugin::resume() {
    wantEvents(1);
}

// ---- audio ------------------------------------------------------------------

namespace {

// A block the engine can run: frames to do and all four channel buffers.
bool usableBlock(float** inputs, float** outputs, VstInt32 sampleFrames) {
    return sampleFrames > 0 && inputs != nullptr && outputs != nullptr && inputs[0] != nullptr &&
           inputs[1] != nullptr && outputs[0] != nullptr && outputs[1] != nullptr;
}

}  // namespace

void APlugin::process(float** inputs, float** outputs, VstInt32 sampleFrames) {
    if (!usableBlock(inputs, outputs, sampleFrames)) return;
    core.process(inputs[0], inputs[1], outputs[0], outputs[1], sampleFrames, CounterTiming::AdvanceAfterUpdate);
}

void APlugin::processReplacing(float** inputs, float** outputs, VstInt32 sampleFrames) {
    if (!usableBlock(inputs, outputs, sampleFrames)) return;
    core.process(inputs[0], inputs[1], outputs[0], outputs[1], sampleFrames, CounterTiming::AdvanceBeforeUpdate);
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
