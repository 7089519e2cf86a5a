// Hot loops built twice, for AVX2 and for the baseline, with the choice made
// at run time. The arithmetic is the same in both (no fused multiply-add),
// so the results are bit for bit identical.
//
// VARDELLINE_HOT_LOOP lets the compiler clone a whole function. Loops that
// widen floats to doubles on their critical path are instead templates on an
// instruction set (BaselineIsa, Avx2Isa): this compiler splits a four-lane
// widening into halves through memory, which the AVX2 variant avoids with a
// single instruction.
#pragma once

#include "plugin/lanes.h"

#if defined(__GNUC__) && defined(__x86_64__) && defined(__linux__) && !defined(__clang__)
#define VARDELLINE_X86_DISPATCH 1
#define VARDELLINE_HOT_LOOP __attribute__((target_clones("avx2", "default")))
#else
#define VARDELLINE_HOT_LOOP
#endif

namespace vardelline {

struct BaselineIsa {
    VARDELLINE_LANES_INLINE static Doubles4 widen(Floats4 f) { return __builtin_convertvector(f, Doubles4); }
};

#ifdef VARDELLINE_X86_DISPATCH
#define VARDELLINE_AVX2 [[gnu::target("avx2")]]
// AVX-512 machines run the AVX2 arithmetic with 32 vector registers, which
// keeps the filter state of the interleaved loops out of memory.
#define VARDELLINE_AVX512 [[gnu::target("arch=x86-64-v4")]]

// Only ever inlined into functions built for AVX2 or AVX-512
// (VARDELLINE_AVX2, VARDELLINE_AVX512), so the instruction is written out
// directly.
struct Avx2Isa {
    VARDELLINE_LANES_INLINE static Doubles4 widen(Floats4 f) {
        Doubles4 d;
        asm("vcvtps2pd %x1, %t0" : "=x"(d) : "x"(f));
        return d;
    }
};

// Whether this processor runs the AVX2 and the AVX-512 variants; read once
// at load time.
bool cpuHasAvx2();
bool cpuHasAvx512();
#endif

}  // namespace vardelline
