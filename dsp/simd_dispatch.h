// The audio loop is built for AVX-512 (on x86-64), for AVX2 and for the
// baseline (SSE2) on x86, with the choice made once at load time, and in plain vector code
// any processor runs: the only variant elsewhere, chosen on x86 only when
// asked for. The arithmetic is the same in all (no fused multiply-add), so the
// results are bit for bit identical.
//
// The loop is a template on an instruction set (PortableIsa; Sse2Isa,
// BaselineIsa, Avx2Isa and Avx512Isa on x86), which gives the vector width,
// the loads and stores of floats and the conversions between float and
// double: on x86 this compiler splits a widening into halves through memory,
// which the x86 variants avoid with their own instructions. Each set also
// names its two-lane companion (Pair) for lanes that go in pairs. Everything
// the loop calls is always inlined into the variant, so it is built for that
// instruction set.
#pragma once

#include "dsp/lanes.h"

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

// AVX2 on 32 and 64-bit x86; AVX-512 on 64-bit only, where it has the
// registers to spare (32-bit code sees eight vector registers).
#if defined(__GNUC__) && !defined(__clang__) && (defined(__x86_64__) || (defined(__i386__) && defined(__SSE2__)))
#define VARDELLINE_X86_DISPATCH 1
#if defined(__x86_64__)
#define VARDELLINE_X86_AVX512 1
#endif
#endif

namespace vardelline {

// Floats and doubles that fill their registers: loads, stores and the
// narrowing from double to float, which this compiler does in one step.
template <typename FloatVector, typename DoubleVector>
struct WholeVectors {
    typedef FloatVector Floats;
    typedef DoubleVector Doubles;
    VARDELLINE_LANES_INLINE static Floats narrow(Doubles d) { return __builtin_convertvector(d, Floats); }
    VARDELLINE_LANES_INLINE static Floats loadFloats(const float* p) { return load<Floats>(p); }
    VARDELLINE_LANES_INLINE static void storeFloats(float* p, Floats f) { store(p, f); }
};

// Two lanes with the conversions left to the compiler: the pairs of the
// portable variant. Floats uses its low two lanes.
struct PortablePairIsa {
    static constexpr int kWidth = 2;
    typedef Floats4 Floats;
    typedef Doubles2 Doubles;
    VARDELLINE_LANES_INLINE static Doubles widen(Floats f) {
        return __builtin_convertvector(__builtin_shufflevector(f, f, 0, 1), Doubles);
    }
    VARDELLINE_LANES_INLINE static Floats narrow(Doubles d) {
        const Floats2 pair = __builtin_convertvector(d, Floats2);
        return __builtin_shufflevector(pair, pair, 0, 1, 0, 1);
    }
};

// Four lanes in plain vector code, for any processor: the compiler maps the
// vectors onto its vector unit (two NEON registers each on ARM64) or splits
// them into scalars.
struct PortableIsa : WholeVectors<Floats4, Doubles4> {
    static constexpr int kWidth = 4;
    // The variant for code that compares lanes (see Avx512Isa).
    typedef PortableIsa Comparing;
    typedef PortablePairIsa Pair;
    typedef Ints4 Ints;
    VARDELLINE_LANES_INLINE static Doubles widen(Floats f) { return __builtin_convertvector(f, Doubles); }
    VARDELLINE_LANES_INLINE static Doubles widen(Ints i) { return __builtin_convertvector(i, Doubles); }
    // The floats at p, widened (each set's own, so that its loads can fold into the conversion).
    VARDELLINE_LANES_INLINE static Doubles loadWidened(const float* p) { return widen(loadFloats(p)); }
    // The pair of values at p repeated across the vector.
    VARDELLINE_LANES_INLINE static Doubles spread(const Doubles2* p) {
        const Doubles2 pair = load<Doubles2>(p);
        return __builtin_shufflevector(pair, pair, 0, 1, 0, 1);
    }
};

#if defined(__SSE2__)
struct BaselineIsa;

// Two lanes, in SSE2 registers: every x86 target has them, and vectors wider
// than the registers go through memory. Floats uses its low two lanes.
struct Sse2Isa {
    static constexpr int kWidth = 2;
    typedef BaselineIsa Comparing;
    typedef Sse2Isa Pair;
    typedef Floats4 Floats;
    typedef Doubles2 Doubles;
    VARDELLINE_LANES_INLINE static Doubles widen(Floats f) {
        return reinterpret_cast<Doubles>(_mm_cvtps_pd(reinterpret_cast<__m128>(f)));
    }
    VARDELLINE_LANES_INLINE static Floats narrow(Doubles d) {
        return reinterpret_cast<Floats>(_mm_cvtpd_ps(reinterpret_cast<__m128d>(d)));
    }
    VARDELLINE_LANES_INLINE static Doubles spread(const Doubles2* p) { return load<Doubles2>(p); }
    VARDELLINE_LANES_INLINE static Doubles loadWidened(const float* p) { return widen(loadFloats(p)); }
    VARDELLINE_LANES_INLINE static Floats loadFloats(const float* p) {
        double both;
        std::memcpy(&both, p, sizeof both);
        return reinterpret_cast<Floats>(_mm_castpd_ps(_mm_set_sd(both)));
    }
    VARDELLINE_LANES_INLINE static void storeFloats(float* p, Floats f) {
        const double both = _mm_cvtsd_f64(_mm_castps_pd(reinterpret_cast<__m128>(f)));
        std::memcpy(p, &both, sizeof both);
    }
};

// Four lanes with SSE2 conversions (this compiler's own widening goes
// through memory).
struct BaselineIsa : PortableIsa {
    typedef BaselineIsa Comparing;
    typedef Sse2Isa Pair;
    using PortableIsa::widen;
    VARDELLINE_LANES_INLINE static Doubles widen(Floats f) {
        const __m128 v = reinterpret_cast<__m128>(f);
        const Doubles2 low = reinterpret_cast<Doubles2>(_mm_cvtps_pd(v));
        const Doubles2 high = reinterpret_cast<Doubles2>(_mm_cvtps_pd(_mm_movehl_ps(v, v)));
        return __builtin_shufflevector(low, high, 0, 1, 2, 3);
    }
    VARDELLINE_LANES_INLINE static Doubles loadWidened(const float* p) { return widen(loadFloats(p)); }
    VARDELLINE_LANES_INLINE static Floats narrow(Doubles d) {
        const __m128 low = _mm_cvtpd_ps(reinterpret_cast<__m128d>(__builtin_shufflevector(d, d, 0, 1)));
        const __m128 high = _mm_cvtpd_ps(reinterpret_cast<__m128d>(__builtin_shufflevector(d, d, 2, 3)));
        return reinterpret_cast<Floats>(_mm_movelh_ps(low, high));
    }
};
#else
typedef PortableIsa BaselineIsa;
#endif

#ifdef VARDELLINE_X86_DISPATCH
#define VARDELLINE_AVX2 [[gnu::target("avx2")]]
#define VARDELLINE_AVX512 [[gnu::target("arch=x86-64-v4")]]

// Only ever inlined into functions built for AVX2 or AVX-512
// (VARDELLINE_AVX2, VARDELLINE_AVX512), so the instructions are written out
// directly.
struct Avx2Isa : BaselineIsa {
    typedef Avx2Isa Comparing;
    using WholeVectors::narrow;
    VARDELLINE_LANES_INLINE static Doubles widen(Floats f) {
        Doubles d;
        asm("vcvtps2pd %x1, %t0" : "=x"(d) : "x"(f));
        return d;
    }
    VARDELLINE_LANES_INLINE static Doubles widen(Ints i) {
        Doubles d;
        asm("vcvtdq2pd %x1, %t0" : "=x"(d) : "x"(i));
        return d;
    }
    VARDELLINE_LANES_INLINE static Doubles loadWidened(const float* p) {
        Doubles d;
        asm("vcvtps2pd %1, %t0" : "=x"(d) : "m"(*reinterpret_cast<const UnalignedFloats4*>(p)));
        return d;
    }
    VARDELLINE_LANES_INLINE static Doubles spread(const Doubles2* p) {
        Doubles d;
        asm("vbroadcastf128 %1, %t0" : "=x"(d) : "m"(*p));
        return d;
    }
};

#ifdef VARDELLINE_X86_AVX512
struct Avx512Isa : WholeVectors<Floats8, Doubles8> {
    static constexpr int kWidth = 8;
    typedef Sse2Isa Pair;
    // This compiler compares eight-lane vectors one lane at a time; four
    // lanes compare in one instruction.
    typedef Avx2Isa Comparing;
    typedef Ints8 Ints;
    VARDELLINE_LANES_INLINE static Doubles widen(Floats f) {
        Doubles d;
        asm("vcvtps2pd %t1, %g0" : "=v"(d) : "v"(f));
        return d;
    }
    VARDELLINE_LANES_INLINE static Doubles widen(Ints i) {
        Doubles d;
        asm("vcvtdq2pd %t1, %g0" : "=v"(d) : "v"(i));
        return d;
    }
    VARDELLINE_LANES_INLINE static Doubles loadWidened(const float* p) {
        Doubles d;
        asm("vcvtps2pd %1, %g0" : "=v"(d) : "m"(*reinterpret_cast<const UnalignedFloats8*>(p)));
        return d;
    }
    VARDELLINE_LANES_INLINE static Doubles spread(const Doubles2* p) {
        Doubles d;
        asm("vbroadcastf64x2 %1, %g0" : "=v"(d) : "m"(*p));
        return d;
    }
    // Whole-number roundings in one instruction each, whatever the rounding
    // mode: down, and to nearest with halves to even.
    VARDELLINE_LANES_INLINE static Doubles floor(Doubles x) {
        Doubles d;
        asm("vrndscalepd $9, %g1, %g0" : "=v"(d) : "v"(x));
        return d;
    }
    VARDELLINE_LANES_INLINE static Doubles nearest(Doubles x) {
        Doubles d;
        asm("vrndscalepd $8, %g1, %g0" : "=v"(d) : "v"(x));
        return d;
    }
    VARDELLINE_LANES_INLINE static Doubles minimum(Doubles a, Doubles b) {
        Doubles d;
        asm("vminpd %g2, %g1, %g0" : "=v"(d) : "v"(a), "v"(b));
        return d;
    }
};
#endif

#endif

// Portable is the plain vector code; on x86 it is built beside the others,
// to compare it with them, and chosen only when asked for.
enum class InstructionSet { Portable, Baseline, Avx2, Avx512 };

// The widest variant the audio loop uses: what the processor runs, chosen
// once at load time. The environment variable VARDELLINE_SIMD ("baseline",
// "avx2", "portable") limits it, to compare the variants or to rule one out.
InstructionSet instructionSet();

// Rounding helpers on lanes, for lanes within the int32 range.
template <class Isa>
struct LaneMath {
    typedef typename Isa::Doubles Doubles;
    typedef typename Isa::Floats Floats;
    typedef typename Isa::Ints Ints;

    // Each lane rounded to float and widened back, as storing it as a float would.
    VARDELLINE_LANES_INLINE static Doubles roundedToFloat(Doubles x) { return Isa::widen(Isa::narrow(x)); }

    VARDELLINE_LANES_INLINE static Doubles floor(Doubles x) {
        const Doubles whole = Isa::widen(__builtin_convertvector(x, Ints));  // toward zero
        return whole > x ? whole - 1.0 : whole;
    }

    // Integer nearest to each lane, halves to even: lane by lane the same as Nearest.
    VARDELLINE_LANES_INLINE static Doubles nearest(Doubles x) {
        const Doubles below = floor(x);
        const Doubles fraction = x - below;  // exact
        const Doubles odd = Isa::widen(__builtin_convertvector(below, Ints) & 1);
        return ((fraction > 0.5) | ((fraction == 0.5) & (odd != 0.0))) ? below + 1.0 : below;
    }
};

}  // namespace vardelline
