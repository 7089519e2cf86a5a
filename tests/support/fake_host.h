// A host callback for tests that construct the effect object directly.
#pragma once

#include <memory>

#include "vst/plugin.h"

inline VstIntPtr fakeHostCallback(AEffect*, VstInt32 opcode, VstInt32, VstIntPtr, void*, float) {
    static VstTimeInfo timeInfo{};
    if (opcode == audioMasterVersion) return 2400;
    if (opcode == audioMasterGetTime) return reinterpret_cast<VstIntPtr>(&timeInfo);
    return 0;
}

inline std::unique_ptr<APlugin> makePlugin() {
    return std::make_unique<APlugin>(&fakeHostCallback);
}
