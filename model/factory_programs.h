// Contents of the eight factory programs: names and the values of
// parameters 0..25 (all other parameters start at 0).
#pragma once

#include "model/parameters.h"

namespace vardelline {

constexpr int kFactoryValueCount = 26;

struct FactoryProgram {
    const char* name;
    float values[kFactoryValueCount];
};

extern const FactoryProgram kFactoryPrograms[kNumPrograms];

// A parameter's default: its value in the first factory program, which a
// fresh instance starts with (0 for indices the programs leave out).
float paramDefault(int index);

}  // namespace vardelline
