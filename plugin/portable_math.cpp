// Classic argument reduction and minimax polynomials (the fdlibm kernels):
// sin and cos reduce by multiples of pi/2 held in six exactly multipliable
// parts, carrying the remainder as a double-double; exp reduces by multiples
// of ln 2 and rounds a rational approximation. Every step is an IEEE basic
// operation, so the results depend on nothing but SSE2-style double
// arithmetic without fused multiply-add.
#include "plugin/portable_math.h"

#include <cmath>
#include <cstdint>
#include <cstring>

#include "plugin/lanes.h"
#include "plugin/simd_dispatch.h"

namespace vardelline {

namespace {

// pi/2 as 21-bit parts (so k * part is exact for |k| < 2^32) plus a tail.
constexpr double kHalfPiParts[] = {0x1.921fbp+0,  0x1.5110bp-22, 0x1.18469p-44,
                                   0x1.13198p-65, 0x1.45c06p-86, 0x1.c1cd129024e09p-107};
constexpr double kTwoOverPi = 0x1.45f306dc9c883p-1;
constexpr double kQuarterPi = 0x1.921fb54442d18p-1;
constexpr double kTwoPi = 0x1.921fb54442d18p+2;
constexpr double kExactReductionLimit = 0x1p32;

// sin(x + y) for |x| <= pi/4, |y| tiny against x. T is double or Doubles8.
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

// The floor of x for |x| < 2^62.
int64_t floorToInt(double x) {
    const int64_t whole = static_cast<int64_t>(x);  // toward zero
    return static_cast<double>(whole) > x ? whole - 1 : whole;
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

struct Quadrant {
    Reduced<double> part;
    int quadrant;  // 0..3: x = hi + lo + quadrant * pi/2 (mod 2 pi)
};

// x - k * pi/2 with k the nearest integer to x * 2/pi. Larger arguments (an oscillator at an absurdly low sample rate) are first
// taken modulo the double nearest 2 pi, exactly: the phase is then off by a
// little, but the same on every platform.
Quadrant reduce(double x) {
    if (std::fabs(x) <= kQuarterPi) return {{x, 0.0}, 0};
    if (std::fabs(x) >= kExactReductionLimit) x = std::fmod(x, kTwoPi);
    // |x| < 2^32 here, so the quotient fits an integer: its floor needs no
    // library call.
    const int64_t quotient = floorToInt(x * kTwoOverPi + 0.5);
    return {subtractHalfPis(x, static_cast<double>(quotient)), static_cast<int>(quotient & 3)};
}

}  // namespace

double portableSin(double x) {
    if (!std::isfinite(x)) return x - x;  // NaN for NaN and the infinities
    const Quadrant q = reduce(x);
    const Reduced<double>& r = q.part;
    switch (q.quadrant) {
        case 0: return sinKernel(r.hi, r.lo);
        case 1: return cosKernel(r.hi, r.lo);
        case 2: return -sinKernel(r.hi, r.lo);
        default: return -cosKernel(r.hi, r.lo);
    }
}

double portableCos(double x) {
    if (!std::isfinite(x)) return x - x;
    const Quadrant q = reduce(x);
    const Reduced<double>& r = q.part;
    switch (q.quadrant) {
        case 0: return cosKernel(r.hi, r.lo);
        case 1: return -sinKernel(r.hi, r.lo);
        case 2: return -cosKernel(r.hi, r.lo);
        default: return sinKernel(r.hi, r.lo);
    }
}

namespace {

VARDELLINE_LANES_INLINE Doubles4 portableSin(Doubles4 x) {
    // k = floor(x * 2/pi + 0.5), as in the scalar reduction.
    const Doubles4 k = floorLanes(x * kTwoOverPi + 0.5);
    Reduced<Doubles4> r = subtractHalfPis(x, k);
    // Lanes within pi/4 keep x itself, as the scalar path does (-0 stays -0).
    const Masks4 near = (x <= kQuarterPi) & (x >= -kQuarterPi);
    r.hi = near ? x : r.hi;
    r.lo = near ? x - x : r.lo;
    const Doubles4 quadrant = near ? x - x : __builtin_convertvector(__builtin_convertvector(k, Ints4) & 3, Doubles4);
    const Doubles4 value = (quadrant == 1.0) | (quadrant == 3.0) ? cosKernel(r.hi, r.lo) : sinKernel(r.hi, r.lo);
    return quadrant >= 2.0 ? -value : value;
}

}  // namespace

VARDELLINE_HOT_LOOP void portableSinLanes(const double (&in)[8], double (&out)[8]) {
    for (int half = 0; half < 8; half += 4) {
        const Doubles4 x = loadLanes(in + half);
        // Quotients up to 2^30 fit the 32-bit lanes; anything else (far
        // arguments, NaN, the infinities) takes the scalar path lane by lane.
        if (anyLane(!((x < 0x1p30) & (x > -0x1p30)))) {
            for (int i = half; i < half + 4; ++i) out[i] = portableSin(in[i]);
            continue;
        }
        const Doubles4 result = portableSin(x);
        std::memcpy(out + half, &result, sizeof result);
    }
}

double portableExp(double x) {
    constexpr double kLn2Hi = 0x1.62e42feep-1;  // 32 bits: k * kLn2Hi is exact
    constexpr double kLn2Lo = 0x1.a39ef35793c76p-33;
    constexpr double kInvLn2 = 0x1.71547652b82fep+0;
    constexpr double P1 = 1.66666666666666019037e-01, P2 = -2.77777777770155933842e-03, P3 = 6.61375632143793436117e-05,
                     P4 = -1.65339022054652515390e-06, P5 = 4.13813679705723846039e-08;
    if (x != x) return x;
    if (x > 709.782712893383973096) return HUGE_VAL;
    if (x < -745.133219101941108420) return 0.0;
    if (std::fabs(x) < 0x1p-54) return 1.0 + x;

    const double k = std::floor(x * kInvLn2 + 0.5);
    const double hi = x - k * kLn2Hi;
    const double lo = k * kLn2Lo;
    const double r = hi - lo;
    const double t = r * r;
    const double c = r - t * (P1 + t * (P2 + t * (P3 + t * (P4 + t * P5))));
    const double y = 1.0 - ((lo - (r * c) / (2.0 - c)) - hi);
    return std::ldexp(y, static_cast<int>(k));
}

}  // namespace vardelline
