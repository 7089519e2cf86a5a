// The audio loop is built up to three times, for AVX-512, for AVX2 and for
// the baseline, with the choice made at run time. The arithmetic is the same
// in all (no fused multiply-add), so the results are bit for bit identical.
//
// VARDELLINE_HOT_LOOP lets the compiler clone a whole function. The block
// loop is instead a template on an instruction set (BaselineIsa, Avx2Isa,
// Avx512Isa), which gives the vector width and the widening from float to
// double: this compiler splits a widening into halves through memory, which
// the x86 variants avoid with a single instruction.
#pragma once

#include <cstring>

#include "plugin/lanes.h"

#if defined(__GNUC__) && defined(__x86_64__) && defined(__linux__) && !defined(__clang__)
#define VARDELLINE_X86_DISPATCH 1
#define VARDELLINE_HOT_LOOP __attribute__((target_clones("avx2", "default")))
#else
#define VARDELLINE_HOT_LOOP
#endif

namespace vardelline {

typedef double Doubles2 __attribute__((vector_size(16)));
typedef double Doubles8 __attribute__((vector_size(64)));
typedef float Floats8 __attribute__((vector_size(32)));

template <typename Vector>
VARDELLINE_LANES_INLINE Vector load(const void* from) {
    Vector v;
    std::memcpy(&v, from, sizeof v);
    return v;
}

template <typename Vector>
VARDELLINE_LANES_INLINE void store(void* to, const Vector& v) {
    std::memcpy(to, &v, sizeof v);
}

struct BaselineIsa {
    static constexpr int kWidth = 4;
    typedef Floats4 Floats;
    typedef Doubles4 Doubles;
    VARDELLINE_LANES_INLINE static Doubles widen(Floats f) { return __builtin_convertvector(f, Doubles); }
    // The pair of values at p repeated across the vector.
    VARDELLINE_LANES_INLINE static Doubles spread(const Doubles2* p) {
        const Doubles2 pair = load<Doubles2>(p);
        return __builtin_shufflevector(pair, pair, 0, 1, 0, 1);
    }
};

#ifdef VARDELLINE_X86_DISPATCH
#define VARDELLINE_AVX2 [[gnu::target("avx2")]]
#define VARDELLINE_AVX512 [[gnu::target("arch=x86-64-v4")]]

// Only ever inlined into functions built for AVX2 or AVX-512
// (VARDELLINE_AVX2, VARDELLINE_AVX512), so the instruction is written out
// directly.
struct Avx2Isa : BaselineIsa {
    VARDELLINE_LANES_INLINE static Doubles widen(Floats f) {
        Doubles d;
        asm("vcvtps2pd %x1, %t0" : "=x"(d) : "x"(f));
        return d;
    }
    VARDELLINE_LANES_INLINE static Doubles spread(const Doubles2* p) {
        Doubles d;
        asm("vbroadcastf128 %1, %t0" : "=x"(d) : "m"(*p));
        return d;
    }
};

struct Avx512Isa {
    static constexpr int kWidth = 8;
    typedef Floats8 Floats;
    typedef Doubles8 Doubles;
    VARDELLINE_LANES_INLINE static Doubles widen(Floats f) {
        Doubles d;
        asm("vcvtps2pd %t1, %g0" : "=v"(d) : "v"(f));
        return d;
    }
    VARDELLINE_LANES_INLINE static Doubles spread(const Doubles2* p) {
        Doubles d;
        asm("vbroadcastf64x2 %1, %g0" : "=v"(d) : "m"(*p));
        return d;
    }
};

// Whether this processor runs the AVX2 and the AVX-512 variants; read once
// at load time.
bool cpuHasAvx2();
bool cpuHasAvx512();
#endif

}  // namespace vardelline
