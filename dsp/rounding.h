// Integer rounding shared by the engine and the readout texts. Both work on
// the exact double value, so the FPU rounding mode never changes a result.
#pragma once

#include <cmath>
#include <cstdint>

namespace vardelline {

// Integer nearest to x, halves to even.
inline double Nearest(double x) {
    if (!(std::fabs(x) < 4503599627370496.0)) return x;  // 2^52: already integral, or NaN/Inf
    int64_t below = static_cast<int64_t>(x);
    below -= static_cast<double>(below) > x;  // floor for negative x
    const double fraction = x - static_cast<double>(below);  // exact
    // Without branches: fractions are as likely above a half as below.
    const int64_t up = (fraction > 0.5) | ((fraction == 0.5) & (below & 1));
    return static_cast<double>(below + up);
}

// Nearest integer to x - 0.4999999 with x taken as float: the floor of x,
// except that a value less than 1e-7 below the next integer gives that integer.
// Saturates at the int32 range; NaN gives INT32_MIN.
inline int32_t RoundDown(float x) {
    double r = Nearest(static_cast<double>(x) - 0.4999999);
    if (!(r > -2147483648.0)) return INT32_MIN;
    if (r > 2147483647.0) return INT32_MAX;
    return static_cast<int32_t>(r);
}

}  // namespace vardelline
