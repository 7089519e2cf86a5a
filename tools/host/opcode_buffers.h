// How many bytes the plug-in may write through ptr for each opcode that
// writes there; shared by the validator and the fuzzer, which both hand in
// buffers of exactly that size to catch writes past the bound.
#pragma once

#include <cstddef>

#include "vst/aeffectx.h"

namespace vardelline::host {

// The bound for opcode, or otherwise for opcodes that do not write through ptr.
constexpr size_t writeBound(VstInt32 opcode, size_t otherwise) {
    switch (opcode) {
        case effGetProgramName:
        case effGetProgramNameIndexed: return kVstMaxProgNameLen;
        case effGetParamLabel:
        case effGetParamDisplay:
        case effGetParamName: return kVstMaxParamStrLen;
        case effGetEffectName: return kVstMaxEffectNameLen;
        case effGetVendorString: return kVstMaxVendorStrLen;
        case effGetProductString: return kVstMaxProductStrLen;
        case effGetInputProperties:
        case effGetOutputProperties: return sizeof(VstPinProperties);
        case effEditGetRect:
        case effGetChunk: return sizeof(void*);
        default: return otherwise;
    }
}

}  // namespace vardelline::host
