// A deliberately broken plug-in for testing the validator: it loads the real
// plug-in and hands its descriptor to the host with one fault slipped into
// one entry, chosen at build time. The validator must catch each fault.
//   BROKEN_OVERRUN  effGetParamName of index 80 writes one byte past the host's buffer
//   BROKEN_ALLOCATE processReplacing allocates memory
//   BROKEN_POISON   after a NaN input sample, every output sample is NaN
//   BROKEN_NAMES    effSetProgramName is ignored
//   BROKEN_SHARED   instances share one gain, so one instance's parameter
//                   changes another's output
#include <dlfcn.h>

#include <cmath>
#include <cstdlib>
#include <limits>

#include "vst/aeffectx.h"

#define BROKEN_EXPORT extern "C" __attribute__((visibility("default")))

namespace {

// The real plug-in's entries (the same for every instance).
AEffectDispatcherProc realDispatcher = nullptr;
AEffectProcessProc realProcessReplacing = nullptr;
AEffectSetParameterProc realSetParameter = nullptr;

VstIntPtr VST_CALL dispatcher(AEffect* e, VstInt32 opcode, VstInt32 index, VstIntPtr value, void* ptr, float opt) {
#if defined(BROKEN_NAMES)
    if (opcode == effSetProgramName) return 0;
#endif
    const VstIntPtr answer = realDispatcher(e, opcode, index, value, ptr, opt);
#if defined(BROKEN_OVERRUN)
    if (opcode == effGetParamName && ptr != nullptr && index == 80) static_cast<char*>(ptr)[kVstMaxParamStrLen] = 'X';
#endif
    return answer;
}

#if defined(BROKEN_SHARED)
float sharedGain = 1.0f;
#endif

void VST_CALL processReplacing(AEffect* e, float** inputs, float** outputs, VstInt32 frames) {
#if defined(BROKEN_ALLOCATE)
    void* volatile scratch = std::malloc(64);
    std::free(scratch);
#endif
#if defined(BROKEN_POISON)
    static thread_local bool poisoned = false;
    for (VstInt32 k = 0; inputs != nullptr && k < frames; ++k)
        if (std::isnan(inputs[0][k]) || std::isnan(inputs[1][k])) poisoned = true;
#endif
    realProcessReplacing(e, inputs, outputs, frames);
#if defined(BROKEN_POISON)
    if (poisoned)
        for (int c = 0; c < 2; ++c)
            for (VstInt32 k = 0; k < frames; ++k) outputs[c][k] = std::numeric_limits<float>::quiet_NaN();
#endif
#if defined(BROKEN_SHARED)
    for (int c = 0; c < 2; ++c)
        for (VstInt32 k = 0; k < frames; ++k) outputs[c][k] *= sharedGain;
#endif
}

void VST_CALL setParameter(AEffect* e, VstInt32 index, float value) {
#if defined(BROKEN_SHARED)
    if (index == 52) sharedGain = 1.0f + value;  // a parameter without effect of its own
#endif
    realSetParameter(e, index, value);
}

}  // namespace

BROKEN_EXPORT AEffect* VSTPluginMain(audioMasterCallback host) {
    static void* library = dlopen(REAL_PLUGIN, RTLD_NOW | RTLD_LOCAL);
    if (library == nullptr) return nullptr;
    auto entry = reinterpret_cast<AEffect* (*)(audioMasterCallback)>(dlsym(library, "VSTPluginMain"));
    AEffect* effect = entry != nullptr ? entry(host) : nullptr;
    if (effect == nullptr) return nullptr;
    realDispatcher = effect->dispatcher;
    realProcessReplacing = effect->processReplacing;
    realSetParameter = effect->setParameter;
    effect->dispatcher = dispatcher;
    effect->processReplacing = processReplacing;
    effect->setParameter = setParameter;
    return effect;
}
