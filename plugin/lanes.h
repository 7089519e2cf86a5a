// Four-wide vectors for the per-band work (GCC vector extensions): the
// compiler maps them onto whatever vector unit the function is built for
// (one AVX register, two SSE2 ones), and every lane does the same IEEE
// operations as the scalar code. Only operations every x86-64 vector unit
// has natively are used, so nothing falls back to lane-by-lane code.
#pragma once

#include <cstdint>
#include <cstring>

// Always inlined, so that they are built for the vector unit of the caller
// (a separate copy would be built for the baseline and pass vectors in memory).
#define VARDELLINE_LANES_INLINE [[gnu::always_inline]] inline

namespace vardelline {

typedef double Doubles4 __attribute__((vector_size(32)));
typedef float Floats4 __attribute__((vector_size(16)));
typedef int64_t Masks4 __attribute__((vector_size(32)));  // comparison results of Doubles4
typedef int32_t Ints4 __attribute__((vector_size(16)));

VARDELLINE_LANES_INLINE Doubles4 loadLanes(const double* values) {
    Doubles4 d;
    std::memcpy(&d, values, sizeof d);
    return d;
}

VARDELLINE_LANES_INLINE Doubles4 widened(const float* values) {
    Floats4 f;
    std::memcpy(&f, values, sizeof f);
    return __builtin_convertvector(f, Doubles4);
}

// Each lane rounded to float and widened back, as storing it as a float would.
VARDELLINE_LANES_INLINE Doubles4 roundedToFloat(Doubles4 x) {
    return __builtin_convertvector(__builtin_convertvector(x, Floats4), Doubles4);
}

// The floor of each lane, for lanes within the int32 range.
VARDELLINE_LANES_INLINE Doubles4 floorLanes(Doubles4 x) {
    const Doubles4 whole = __builtin_convertvector(__builtin_convertvector(x, Ints4), Doubles4);  // toward zero
    return whole > x ? whole - 1.0 : whole;
}

// Integer nearest to each lane, halves to even, for lanes within the int32
// range: lane by lane the same as Nearest.
VARDELLINE_LANES_INLINE Doubles4 nearestLanes(Doubles4 x) {
    const Doubles4 below = floorLanes(x);
    const Doubles4 fraction = x - below;  // exact
    const Doubles4 odd = __builtin_convertvector(__builtin_convertvector(below, Ints4) & 1, Doubles4);
    return (fraction > 0.5) | ((fraction == 0.5) & (odd != 0.0)) ? below + 1.0 : below;
}

VARDELLINE_LANES_INLINE bool anyLane(Masks4 mask) {
    return (mask[0] | mask[1] | mask[2] | mask[3]) != 0;
}

}  // namespace vardelline
