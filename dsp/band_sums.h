// The last step of a run: the weighted, panned outputs of the sixteen lanes
// summed per channel in band order, each partial sum rounded to float.
#pragma once

#include <cfloat>
#include <cmath>

#include "dsp/filter_bank.h"
#include "dsp/simd_dispatch.h"

namespace vardelline {

// The lanes' outputs over a run (terms[lane][k]; lane 2b is band b left,
// 2b + 1 band b right) and where their sums go.
struct BandSums {
    const double (*terms)[FilterBank::kMaxRun];
    int length;
    float* outL;
    float* outR;
};

// Subnormal output costs downstream processing dearly; write it as zero.
inline float outputSample(float x) {
    return std::fabs(x) < FLT_MIN ? 0.0f : x;
}

template <typename Floats>
VARDELLINE_LANES_INLINE Floats outputSamples(Floats x) {
    const Floats zero = {};
    return ((x < zero + FLT_MIN) & (x > zero - FLT_MIN)) ? zero : x;
}

// Samples k to k + Isa::kWidth - 1 of a run.
template <class Isa>
VARDELLINE_LANES_INLINE void sumBands(const BandSums& sums, int k) {
    typedef typename Isa::Floats Floats;
    typedef typename Isa::Doubles Doubles;
    Floats left = {}, right = {};
    for (int lane = 0; lane < FilterBank::kLanes; lane += 2) {
        left = Isa::narrow(load<Doubles>(sums.terms[lane] + k) + Isa::widen(left));
        right = Isa::narrow(load<Doubles>(sums.terms[lane + 1] + k) + Isa::widen(right));
    }
    Isa::storeFloats(sums.outL + k, outputSamples(left));
    Isa::storeFloats(sums.outR + k, outputSamples(right));
}

// The samples from k to the end of the run, one by one.
inline void sumBandsFrom(const BandSums& sums, int k) {
    for (; k < sums.length; ++k) {
        float total[2] = {};
        for (int lane = 0; lane < FilterBank::kLanes; ++lane)
            total[lane & 1] = static_cast<float>(sums.terms[lane][k] + static_cast<double>(total[lane & 1]));
        sums.outL[k] = outputSample(total[0]);
        sums.outR[k] = outputSample(total[1]);
    }
}

}  // namespace vardelline
