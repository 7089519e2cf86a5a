// Classic argument reduction and minimax polynomials (the fdlibm kernels):
// sin and cos reduce by multiples of pi/2 held in six exactly multipliable
// parts, carrying the remainder as a double-double; exp reduces by multiples
// of ln 2 and rounds a rational approximation. Every step is an IEEE basic
// operation, so the results depend on nothing but SSE2-style double
// arithmetic without fused multiply-add.
#include "plugin/portable_math.h"

#include <cmath>
#include <cstdint>

namespace vardelline {

namespace {

// pi/2 as 21-bit parts (so k * part is exact for |k| < 2^32) plus a tail.
constexpr double kHalfPiParts[] = {0x1.921fbp+0,  0x1.5110bp-22, 0x1.18469p-44,
                                   0x1.13198p-65, 0x1.45c06p-86, 0x1.c1cd129024e09p-107};
constexpr double kTwoOverPi = 0x1.45f306dc9c883p-1;
constexpr double kQuarterPi = 0x1.921fb54442d18p-1;
constexpr double kTwoPi = 0x1.921fb54442d18p+2;
constexpr double kExactReductionLimit = 0x1p32;

// sin(x + y) for |x| <= pi/4, |y| tiny against x.
double sinKernel(double x, double y) {
    constexpr double S1 = -1.66666666666666324348e-01, S2 = 8.33333333332248946124e-03,
                     S3 = -1.98412698298579493134e-04, S4 = 2.75573137070700676789e-06,
                     S5 = -2.50507602534068634195e-08, S6 = 1.58969099521155010221e-10;
    const double z = x * x;
    const double v = z * x;
    const double r = S2 + z * (S3 + z * (S4 + z * (S5 + z * S6)));
    return x - ((z * (0.5 * y - v * r) - y) - v * S1);
}

// cos(x + y) for |x| <= pi/4, |y| tiny against x.
double cosKernel(double x, double y) {
    constexpr double C1 = 4.16666666666666019037e-02, C2 = -1.38888888888741095749e-03, C3 = 2.48015872894767294178e-05,
                     C4 = -2.75573143513906633035e-07, C5 = 2.08757232129817482790e-09,
                     C6 = -1.13596475577881948265e-11;
    const double z = x * x;
    const double r = z * (C1 + z * (C2 + z * (C3 + z * (C4 + z * (C5 + z * C6)))));
    const double hz = 0.5 * z;
    const double w = 1.0 - hz;
    return w + (((1.0 - w) - hz) + (z * r - x * y));
}

// The floor of x for |x| < 2^62.
int64_t floorToInt(double x) {
    const int64_t whole = static_cast<int64_t>(x);  // toward zero
    return static_cast<double>(whole) > x ? whole - 1 : whole;
}

struct Reduced {
    double hi;
    double lo;
    int quadrant;  // 0..3: x = hi + lo + quadrant * pi/2 (mod 2 pi)
};

// x - k * pi/2 with k the nearest integer to x * 2/pi. Exact products and
// error-free sums keep the remainder good to about 100 bits for |x| < 2^32.
// Larger arguments (an oscillator at an absurdly low sample rate) are first
// taken modulo the double nearest 2 pi, exactly: the phase is then off by a
// little, but the same on every platform.
Reduced reduce(double x) {
    if (std::fabs(x) <= kQuarterPi) return {x, 0.0, 0};
    if (std::fabs(x) >= kExactReductionLimit) x = std::fmod(x, kTwoPi);
    // |x| < 2^32 here, so the quotient fits an integer: its floor needs no
    // library call.
    const int64_t quotient = floorToInt(x * kTwoOverPi + 0.5);
    const double k = static_cast<double>(quotient);
    double hi = x - k * kHalfPiParts[0];
    double lo = 0.0;
    for (int i = 1; i < 6; ++i) {
        const double term = -(k * kHalfPiParts[i]);
        const double sum = hi + term;  // two-sum: sum + error == hi + term exactly
        const double back = sum - hi;
        lo += (hi - (sum - back)) + (term - back);
        hi = sum;
    }
    const double r = hi + lo;
    return {r, lo - (r - hi), static_cast<int>(quotient & 3)};
}

}  // namespace

double portableSin(double x) {
    if (!std::isfinite(x)) return x - x;  // NaN for NaN and the infinities
    const Reduced r = reduce(x);
    switch (r.quadrant) {
        case 0: return sinKernel(r.hi, r.lo);
        case 1: return cosKernel(r.hi, r.lo);
        case 2: return -sinKernel(r.hi, r.lo);
        default: return -cosKernel(r.hi, r.lo);
    }
}

double portableCos(double x) {
    if (!std::isfinite(x)) return x - x;
    const Reduced r = reduce(x);
    switch (r.quadrant) {
        case 0: return cosKernel(r.hi, r.lo);
        case 1: return -sinKernel(r.hi, r.lo);
        case 2: return -cosKernel(r.hi, r.lo);
        default: return sinKernel(r.hi, r.lo);
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
