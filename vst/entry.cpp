// The library's exported entry: hosts call VSTPluginMain (or the older name
// main) once per instance with their callback and get the descriptor back.
#include "vst/plugin.h"

#if defined(_WIN32)
#define VST_EXPORT extern "C" __declspec(dllexport)
#else
#define VST_EXPORT extern "C" __attribute__((visibility("default")))
#endif

VST_EXPORT AEffect* VST_CALL VSTPluginMain(audioMasterCallback audioMaster) {
    // A host that passes no callback, or answers 0 to the version query, gets no instance.
    if (audioMaster == nullptr) return nullptr;
    if (audioMaster(nullptr, audioMasterVersion, 0, 0, nullptr, 0.0f) == 0) return nullptr;
    try {
        return (new APlugin(audioMaster))->getAeffect();
    } catch (...) {
        return nullptr;  // no exception may cross into the host
    }
}

// C++ reserves the name main for programs, so the export gets it through an
// assembler label. Windows DLLs export VSTPluginMain a second time as main
// through cmake/vardelline.def instead: the linker decorates 32-bit names
// itself and finds no assembler-labelled main.
#if !defined(_WIN32)
VST_EXPORT AEffect* VST_CALL mainEntry(audioMasterCallback audioMaster) __asm__("main");

AEffect* VST_CALL mainEntry(audioMasterCallback audioMaster) {
    return VSTPluginMain(audioMaster);
}
#endif
