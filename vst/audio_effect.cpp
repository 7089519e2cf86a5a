// AudioEffect: the descriptor, the thunks the host enters through, the
// dispatcher for opcodes 0..24 and the basic requests to the host.
#include "vst/audio_effect.h"

#include <cmath>
#include <cstring>

namespace {

AudioEffect* effectOf(AEffect* e) {
    return static_cast<AudioEffect*>(e->object);
}

VstIntPtr VST_CALL dispatcherThunk(AEffect* e, VstInt32 opcode, VstInt32 index, VstIntPtr value, void* ptr, float opt) {
    AudioEffect* effect = effectOf(e);
    VstIntPtr result = effect->dispatcher(opcode, index, value, ptr, opt);
    if (opcode == effClose) {
        delete effect;
        return 1;
    }
    return result;
}

void VST_CALL processThunk(AEffect* e, float** inputs, float** outputs, VstInt32 sampleFrames) {
    effectOf(e)->process(inputs, outputs, sampleFrames);
}

void VST_CALL processReplacingThunk(AEffect* e, float** inputs, float** outputs, VstInt32 sampleFrames) {
    effectOf(e)->processReplacing(inputs, outputs, sampleFrames);
}

void VST_CALL setParameterThunk(AEffect* e, VstInt32 index, float parameter) {
    effectOf(e)->setParameter(index, parameter);
}

float VST_CALL getParameterThunk(AEffect* e, VstInt32 index) {
    return effectOf(e)->getParameter(index);
}

// Rounds to the nearest integer; values outside the int32 range and NaN give 0.
VstIntPtr roundToInt(double x) {
    if (!(std::fabs(x) < 2147483647.0)) return 0;
    return static_cast<VstIntPtr>(std::nearbyint(x));
}

}  // namespace

AudioEffect::AudioEffect(audioMasterCallback audioMaster, VstInt32 numPrograms, VstInt32 numParams)
    : sampleRate(44100.0f),
      editor(nullptr),
      numPrograms(numPrograms),
      numParams(numParams),
      curProgram(0),
      blockSize(1024),
      audioMaster(audioMaster) {
    std::memset(&cEffect, 0, sizeof cEffect);
    cEffect.magic = kEffectMagic;
    cEffect.dispatcher = dispatcherThunk;
    cEffect.process = processThunk;
    cEffect.setParameter = setParameterThunk;
    cEffect.getParameter = getParameterThunk;
    cEffect.numPrograms = numPrograms;
    cEffect.numParams = numParams;
    cEffect.numInputs = 1;
    cEffect.numOutputs = 2;
    cEffect.ioRatio = 1.0f;
    cEffect.object = this;
    cEffect.uniqueID = fourCharCode("NoEf");
    cEffect.version = 1;
    cEffect.processReplacing = processReplacingThunk;
}

AudioEffect::~AudioEffect() {
    delete editor;
}

void AudioEffect::setEditor(AEffEditor* newEditor) {
    editor = newEditor;
    setFlag(effFlagsHasEditor, newEditor != nullptr);
}

void AudioEffect::setFlag(VstInt32 flag, bool state) {
    if (state)
        cEffect.flags |= flag;
    else
        cEffect.flags &= ~flag;
}

VstIntPtr AudioEffect::callHost(VstInt32 opcode, VstInt32 index, VstIntPtr value, void* ptr, float opt) {
    if (audioMaster == nullptr) return 0;
    return audioMaster(&cEffect, opcode, index, value, ptr, opt);
}

void AudioEffect::setParameterAutomated(VstInt32 index, float value) {
    setParameter(index, value);
    callHost(audioMasterAutomate, index, 0, nullptr, value);
}

VstInt32 AudioEffect::getMasterVersion() {
    VstIntPtr version = callHost(audioMasterVersion);
    return version == 0 ? 1 : static_cast<VstInt32>(version);
}

VstInt32 AudioEffect::getCurrentUniqueId() {
    return static_cast<VstInt32>(callHost(audioMasterCurrentId));
}

void AudioEffect::masterIdle() {
    callHost(audioMasterIdle);
}

bool AudioEffect::isInputConnected(VstInt32 input) {
    return callHost(audioMasterPinConnected, input, 0) == 0;
}

bool AudioEffect::isOutputConnected(VstInt32 output) {
    return callHost(audioMasterPinConnected, output, 1) == 0;
}

VstIntPtr AudioEffect::dispatcher(VstInt32 opcode, VstInt32 index, VstIntPtr value, void* ptr, float opt) {
    switch (opcode) {
        case effOpen: open(); return 0;
        case effClose: close(); return 0;
        case effSetProgram:
            // Values below the int32 range must not wrap into a valid program.
            if (value < numPrograms) setProgram(value < INT32_MIN ? -1 : static_cast<VstInt32>(value));
            return 0;
        case effGetProgram: return getProgram();
        case effSetProgramName: setProgramName(static_cast<char*>(ptr)); return 0;
        case effGetProgramName: getProgramName(static_cast<char*>(ptr)); return 0;
        case effGetParamLabel: getParameterLabel(index, static_cast<char*>(ptr)); return 0;
        case effGetParamDisplay: getParameterDisplay(index, static_cast<char*>(ptr)); return 0;
        case effGetParamName: getParameterName(index, static_cast<char*>(ptr)); return 0;
        case effGetVu: return roundToInt(static_cast<double>(getVu()) * 32767.0);
        case effSetSampleRate: setSampleRate(opt); return 0;
        case effSetBlockSize: setBlockSize(static_cast<VstInt32>(value)); return 0;
        case effMainsChanged:
            if (value == 0)
                suspend();
            else
                resume();
            return 0;
        case effEditGetRect: return editor ? editor->getRect(static_cast<ERect**>(ptr)) : 0;
        case effEditOpen: return editor ? editor->open(ptr) : 0;
        case effEditClose:
            if (editor) editor->close();
            return 0;
        case effEditIdle:
            if (editor) editor->idle();
            return 0;
        case effIdentify: return fourCharCode("NvEf");
        case effGetChunk: return getChunk(static_cast<void**>(ptr), index != 0);
        case effSetChunk: return setChunk(ptr, static_cast<VstInt32>(value), index != 0);
        default: return 0;
    }
}
