#include "dsp/simd_dispatch.h"

#include <cstdlib>
#include <cstring>

namespace vardelline {

namespace {

InstructionSet detect() {
#if defined(__SSE2__)
    InstructionSet widest = InstructionSet::Baseline;
#else
    InstructionSet widest = InstructionSet::Portable;  // the only variant built
#endif
#ifdef VARDELLINE_X86_DISPATCH
    __builtin_cpu_init();
    if (__builtin_cpu_supports("avx2")) widest = InstructionSet::Avx2;
#ifdef VARDELLINE_X86_AVX512
    if (widest == InstructionSet::Avx2 && __builtin_cpu_supports("avx512f") && __builtin_cpu_supports("avx512vl") &&
        __builtin_cpu_supports("avx512bw") && __builtin_cpu_supports("avx512dq"))
        widest = InstructionSet::Avx512;
#endif
#endif
    const char* limit = std::getenv("VARDELLINE_SIMD");
    if (limit != nullptr && std::strcmp(limit, "portable") == 0) widest = InstructionSet::Portable;
    if (limit != nullptr && std::strcmp(limit, "baseline") == 0 && widest != InstructionSet::Portable)
        widest = InstructionSet::Baseline;
    if (limit != nullptr && std::strcmp(limit, "avx2") == 0 && widest == InstructionSet::Avx512)
        widest = InstructionSet::Avx2;
    return widest;
}

// Set while the library loads; a caller that comes earlier still gets the
// baseline variants, which give the same results.
const InstructionSet chosen = detect();

}  // namespace

InstructionSet instructionSet() {
    return chosen;
}

}  // namespace vardelline
