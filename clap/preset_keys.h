// Load keys of the factory programs: the program's index in decimal.
#pragma once

#include "model/parameters.h"

namespace vardelline::clapfx {

// "0".."7" as the program's index; -1 for anything else (null included).
inline int programOfLoadKey(const char* key) {
    if (key == nullptr || key[0] < '0' || key[0] >= '0' + kNumPrograms || key[1] != '\0') return -1;
    return key[0] - '0';
}

inline const char* loadKeyOfProgram(int program) {
    static const char* const kKeys[kNumPrograms] = {"0", "1", "2", "3", "4", "5", "6", "7"};
    return program >= 0 && program < kNumPrograms ? kKeys[program] : nullptr;
}

}  // namespace vardelline::clapfx
