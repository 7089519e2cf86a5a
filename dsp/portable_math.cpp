// Classic argument reduction and minimax polynomials (the fdlibm kernels):
// sin and cos reduce by multiples of pi/2 held in six exactly multipliable
// parts, carrying the remainder as a double-double; exp reduces by multiples
// of ln 2 and rounds a rational approximation. Every step is an IEEE basic
// operation, so the results depend on nothing but SSE2-style double
// arithmetic without fused multiply-add.
#include "dsp/portable_math.h"

#include <cmath>
#include <cstdint>
#include <cstring>

#include "dsp/portable_trig.h"

namespace vardelline {

namespace {

using namespace trig;

// The floor of x for |x| < 2^62.
int64_t floorToInt(double x) {
    const int64_t whole = static_cast<int64_t>(x);  // toward zero
    return static_cast<double>(whole) > x ? whole - 1 : whole;
}

struct Quadrant {
    Reduced<double> part;
    int quadrant;  // 0..3: x = hi + lo + quadrant * pi/2 (mod 2 pi)
};

// x - k * pi/2 with k the nearest integer to x * 2/pi. Larger arguments (an oscillator at an absurdly low sample rate)
// are first taken modulo the double nearest 2 pi, exactly: the phase is then off by a little, but the same on every
// platform.
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

void portableSinLanes(const double (&x)[8], double (&out)[8]) {
#ifdef VARDELLINE_X86_AVX512
    if (instructionSet() == InstructionSet::Avx512) return portableSinLanesAvx512(x, out);
#endif
#ifdef VARDELLINE_X86_DISPATCH
    if (instructionSet() == InstructionSet::Avx2) return portableSinLanesAvx2(x, out);
#endif
    if (instructionSet() == InstructionSet::Portable) return portableSinLanesWith<PortableIsa>(x, out);
    portableSinLanesWith<BaselineIsa>(x, out);
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
