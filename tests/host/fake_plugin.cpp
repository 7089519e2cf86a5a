// A tiny VST 2 effect for testing the host: a stereo gain with two programs
// that writes what the host tells it, and what the host answers, into a log
// the tests read back. FAKE_REFUSE and FAKE_MONO build misbehaving variants.
#include <cstdio>
#include <cstring>
#include <string>

#include "vst/aeffectx.h"

#define FAKE_EXPORT extern "C" __attribute__((visibility("default")))

namespace {

std::string gLog;

void note(const std::string& entry) {
    gLog += (gLog.empty() ? "" : " ") + entry;
}

std::string number(double value) {
    char text[32];
    std::snprintf(text, sizeof text, "%g", value);
    return text;
}

struct FakeEffect {
    AEffect effect{};
    audioMasterCallback host = nullptr;
    float gain = 1.0f;
    float mode = 0.0f;
    float spare = 0.0f;
    int program = 0;
    int blockSize = 0;
    bool resumed = false;
};

const char* const kProgramNames[] = {"Unity", "Half Gain"};
const float kProgramGains[] = {1.0f, 0.5f};
const char* const kParamNames[] = {"Gain", "Mode Switch"};  // index 2 has no name

FakeEffect& fake(AEffect* e) {
    return *static_cast<FakeEffect*>(e->object);
}

float* slot(FakeEffect& f, VstInt32 index) {
    return index == 0 ? &f.gain : index == 1 ? &f.mode : index == 2 ? &f.spare : nullptr;
}

void copyOut(void* ptr, const char* text) {
    std::strcpy(static_cast<char*>(ptr), text);
}

VstIntPtr VST_CALL dispatcher(AEffect* e, VstInt32 opcode, VstInt32 index, VstIntPtr value, void* ptr, float opt) {
    FakeEffect& f = fake(e);
    switch (opcode) {
        case effOpen: note("open"); return 0;
        case effClose:
            note("close");
            delete &f;
            return 1;
        case effSetSampleRate: note("rate=" + number(opt)); return 0;
        case effSetBlockSize:
            f.blockSize = static_cast<int>(value);
            note("block=" + number(static_cast<double>(value)));
            return 0;
        case effMainsChanged:
            f.resumed = value != 0;
            note("mains=" + number(static_cast<double>(value)));
            return 0;
        case effSetProgram:
            if (value >= 0 && value < 2) {
                f.program = static_cast<int>(value);
                f.gain = kProgramGains[value];
            }
            return 0;
        case effGetProgram: return f.program;
        case effGetProgramName: copyOut(ptr, kProgramNames[f.program]); return 0;
        case effGetProgramNameIndexed:
            if (index < 0 || index >= 2) return 0;
            copyOut(ptr, kProgramNames[index]);
            return 1;
        case effGetParamName:
            if (index >= 0 && index < 2) copyOut(ptr, kParamNames[index]);
            return 0;
        case effGetEffectName: copyOut(ptr, "Fake"); return 1;
        case effVendorSpecific:  // lets a test make the plug-in automate a parameter
            f.host(e, audioMasterAutomate, index, 0, nullptr, opt);
            return 1;
        default: return 0;
    }
}

void VST_CALL processReplacing(AEffect* e, float** inputs, float** outputs, VstInt32 frames) {
    FakeEffect& f = fake(e);
    if (!f.resumed) note("process-while-suspended");
    if (frames > f.blockSize) note("oversized-block");
    const auto* time = reinterpret_cast<const VstTimeInfo*>(f.host(e, audioMasterGetTime, 0, 0, nullptr, 0.0f));
    if (time != nullptr)
        note("time=" + number(time->samplePos) + "@" + number(time->sampleRate) +
             ((time->flags & kVstTransportPlaying) ? "/playing" : "/stopped"));
    note("frames=" + number(frames));
    for (int c = 0; c < 2; ++c)
        for (VstInt32 i = 0; i < frames; ++i) outputs[c][i] = inputs[c][i] * f.gain;
}

void VST_CALL setParameter(AEffect* e, VstInt32 index, float value) {
    if (float* p = slot(fake(e), index)) *p = value;
}

float VST_CALL getParameter(AEffect* e, VstInt32 index) {
    const float* p = slot(fake(e), index);
    return p != nullptr ? *p : 0.0f;
}

}  // namespace

FAKE_EXPORT const char* fakePluginLog() {
    return gLog.c_str();
}
FAKE_EXPORT void fakePluginClearLog() {
    gLog.clear();
}

FAKE_EXPORT AEffect* VSTPluginMain(audioMasterCallback host) {
    note("version=" + number(static_cast<double>(host(nullptr, audioMasterVersion, 0, 0, nullptr, 0.0f))));
#ifdef FAKE_REFUSE
    return nullptr;
#endif
    auto* f = new FakeEffect;
    f->host = host;
    AEffect& e = f->effect;
    e.magic = kEffectMagic;
    e.dispatcher = dispatcher;
    e.setParameter = setParameter;
    e.getParameter = getParameter;
    e.processReplacing = processReplacing;
    e.numPrograms = 2;
    e.numParams = 3;
#ifdef FAKE_MONO
    e.numInputs = 1;
#else
    e.numInputs = 2;
#endif
    e.numOutputs = 2;
    e.flags = effFlagsCanReplacing;
    e.object = f;
    e.ioRatio = 1.0f;
    // Hosts must answer these already while the entry point runs.
    note("rate-at-main=" + number(static_cast<double>(host(&e, audioMasterGetSampleRate, 0, 0, nullptr, 0.0f))));
    note("block-at-main=" + number(static_cast<double>(host(&e, audioMasterGetBlockSize, 0, 0, nullptr, 0.0f))));
    return &e;
}
