// The pieces of our sine and cosine, shared by the scalar functions and the
// lane-by-lane variants the engine uses, so that both give the same bits.
#pragma once

#include "dsp/portable_math.h"
#include "dsp/simd_dispatch.h"

namespace vardelline {
namespace trig {

// pi/2 as 21-bit parts (so k * part is exact for |k| < 2^32) plus a tail.
constexpr double kHalfPiParts[] = {0x1.921fbp+0,  0x1.5110bp-22, 0x1.18469p-44,
                                   0x1.13198p-65, 0x1.45c06p-86, 0x1.c1cd129024e09p-107};
constexpr double kTwoOverPi = 0x1.45f306dc9c883p-1;
constexpr double kQuarterPi = 0x1.921fb54442d18p-1;
constexpr double kTwoPi = 0x1.921fb54442d18p+2;
constexpr double kExactReductionLimit = 0x1p32;

// sin(x + y) for |x| <= pi/4, |y| tiny against x. T is double or a vector of doubles.
template <typename T>
VARDELLINE_LANES_INLINE T sinKernel(T x, T y) {
    constexpr double S1 = -1.66666666666666324348e-01, S2 = 8.33333333332248946124e-03,
                     S3 = -1.98412698298579493134e-04, S4 = 2.75573137070700676789e-06,
                     S5 = -2.50507602534068634195e-08, S6 = 1.58969099521155010221e-10;
    const T z = x * x;
    const T v = z * x;
    const T r = S2 + z * (S3 + z * (S4 + z * (S5 + z * S6)));
    return x - ((z * (0.5 * y - v * r) - y) - v * S1);
}

// cos(x + y) for |x| <= pi/4, |y| tiny against x.
template <typename T>
VARDELLINE_LANES_INLINE T cosKernel(T x, T y) {
    constexpr double C1 = 4.16666666666666019037e-02, C2 = -1.38888888888741095749e-03, C3 = 2.48015872894767294178e-05,
                     C4 = -2.75573143513906633035e-07, C5 = 2.08757232129817482790e-09,
                     C6 = -1.13596475577881948265e-11;
    const T z = x * x;
    const T r = z * (C1 + z * (C2 + z * (C3 + z * (C4 + z * (C5 + z * C6)))));
    const T hz = 0.5 * z;
    const T w = 1.0 - hz;
    return w + (((1.0 - w) - hz) + (z * r - x * y));
}

template <typename T>
struct Reduced {
    T hi;
    T lo;
};

// x - k * pi/2 for a whole number k held in a double (or lanes of them).
// Exact products and error-free sums keep the remainder good to about 100
// bits for |x| < 2^32.
template <typename T>
VARDELLINE_LANES_INLINE Reduced<T> subtractHalfPis(T x, T k) {
    T hi = x - k * kHalfPiParts[0];
    T lo{};
    for (int i = 1; i < 6; ++i) {
        const T term = -(k * kHalfPiParts[i]);
        const T sum = hi + term;  // two-sum: sum + error == hi + term exactly
        const T back = sum - hi;
        lo += (hi - (sum - back)) + (term - back);
        hi = sum;
    }
    const T r = hi + lo;
    return {r, lo - (r - hi)};
}

// sin of every lane, for lanes with |x| < 2^30 (the quotient of the reduction
// fits 32 bits).
template <class Isa>
VARDELLINE_LANES_INLINE typename Isa::Doubles sinLanes(typename Isa::Doubles x) {
    typedef typename Isa::Doubles Doubles;
    typedef typename Isa::Ints Ints;
    // k = floor(x * 2/pi + 0.5), as in the scalar reduction.
    const Doubles k = LaneMath<Isa>::floor(x * kTwoOverPi + 0.5);
    Reduced<Doubles> r = subtractHalfPis(x, k);
    // Lanes within pi/4 keep x itself, as the scalar path does (-0 stays -0).
    const auto near = (x <= kQuarterPi) & (x >= -kQuarterPi);
    const Doubles zero = x - x;
    r.hi = near ? x : r.hi;
    r.lo = near ? zero : r.lo;
    const Doubles quadrant = near ? zero : Isa::widen(__builtin_convertvector(k, Ints) & 3);
    const Doubles value = ((quadrant == 1.0) | (quadrant == 3.0)) ? cosKernel(r.hi, r.lo) : sinKernel(r.hi, r.lo);
    return quadrant >= 2.0 ? -value : value;
}

}  // namespace trig

// Eight sines, Isa::kWidth at a time; arguments the lanes cannot take (far
// out, NaN, the infinities) take the scalar path one by one.
template <class Isa>
VARDELLINE_LANES_INLINE void portableSinLanesWith(const double (&in)[8], double (&out)[8]) {
    typedef typename Isa::Doubles Doubles;
    for (int i = 0; i < 8; i += Isa::kWidth) {
        const Doubles x = load<Doubles>(in + i);
        if (anyLane(!((x < 0x1p30) & (x > -0x1p30)))) {
            for (int j = i; j < i + Isa::kWidth; ++j) out[j] = portableSin(in[j]);
            continue;
        }
        store(out + i, trig::sinLanes<Isa>(x));
    }
}

#ifdef VARDELLINE_X86_DISPATCH
VARDELLINE_AVX2 inline void portableSinLanesAvx2(const double (&in)[8], double (&out)[8]) {
    portableSinLanesWith<Avx2Isa>(in, out);
}
#endif
#ifdef VARDELLINE_X86_AVX512
VARDELLINE_AVX512 inline void portableSinLanesAvx512(const double (&in)[8], double (&out)[8]) {
    portableSinLanesWith<Avx512Isa::Comparing>(in, out);
}
#endif

}  // namespace vardelline
