// How one band and channel's two delay lines go over a run of samples with
// constant lengths. Each sample reads a line before it writes it; a lane
// whose reads never see an entry written later in the same chunk goes eight
// samples at a time, any other sample by sample. Both give the same bits.
#pragma once

#include <cstdint>
#include <cstring>

#include "dsp/simd_dispatch.h"

namespace vardelline {

struct LaneLines {
    float* chorus;
    float* plain;
    uint32_t chorusLength;
    uint32_t plainLength;
    double feedback;
    double gain;
    const float* y;  // the band signal over the run
    double* term;    // receives the weighted, panned output over the run
};

constexpr int kChunk = 8;

// The index masks of the two rings: the chorus lines' ring and the plain
// lines' ring, which holds half the delay and so is at most as long. Both are
// powers of two, so a position in the chorus ring masked with plain is the
// same position in the plain ring.
struct RingMasks {
    uint32_t chorus;
    uint32_t plain;
};

// Whether a lane can go in chunks over a run of n samples that writes chorus
// ring positions w0 .. w0 + n - 1: no range wraps around its ring, the chorus
// line only reads entries written before the chunk (so its length is at
// least a chunk), the plain line may be written before it is read (it only
// delays the band signal, so any length from 1 on gives the same reads) and
// no read sees an entry the run writes later.
inline bool goesInChunks(const LaneLines& lane, uint32_t w0, RingMasks masks, int n) {
    const uint32_t count = static_cast<uint32_t>(n);
    auto fits = [&](uint32_t start, uint32_t mask, uint32_t length, uint32_t shortest) {
        const uint32_t ring = mask + 1;
        return start + count <= ring && length >= shortest && length <= ring - count &&
               ((start - length) & mask) + count <= ring;
    };
    return n >= kChunk && fits(w0, masks.chorus, lane.chorusLength, kChunk) &&
           fits(w0 & masks.plain, masks.plain, lane.plainLength, 1);
}

// A lane that goes in chunks, with its run's ranges resolved to pointers:
// none of them wraps around its ring.
struct ChunkedLane {
    ChunkedLane() = default;
    ChunkedLane(const LaneLines& lane, uint32_t w0, RingMasks masks)
        : chorusIn(lane.chorus + ((w0 - lane.chorusLength) & masks.chorus)),
          plainIn(lane.plain + (((w0 & masks.plain) - lane.plainLength) & masks.plain)),
          chorusOut(lane.chorus + w0),
          plainOut(lane.plain + (w0 & masks.plain)),
          y(lane.y),
          term(lane.term),
          feedback(lane.feedback),
          gain(lane.gain) {}

    const float* chorusIn;
    const float* plainIn;
    float* chorusOut;
    float* plainOut;
    const float* y;
    double* term;
    double feedback;
    double gain;
};

// Eight samples of a lane that goes in chunks, from sample s of the run,
// Isa::kWidth at a time. Chunks may overlap: a sample done twice gives the
// same values again.
template <class Isa>
VARDELLINE_LANES_INLINE void runChunk(const ChunkedLane& lane, int s, double delayMix, double chorusMix) {
    typedef typename Isa::Doubles Doubles;
    std::memcpy(lane.plainOut + s, lane.y + s, kChunk * sizeof(float));
    for (int k = s; k < s + kChunk; k += Isa::kWidth) {
        const Doubles c = Isa::widen(Isa::loadFloats(lane.chorusIn + k));
        const Doubles d = Isa::widen(Isa::loadFloats(lane.plainIn + k));
        const Doubles y = Isa::widen(Isa::loadFloats(lane.y + k));
        Isa::storeFloats(lane.chorusOut + k, Isa::narrow(lane.feedback * c + y));
        store(lane.term + k, (delayMix * d + chorusMix * c) * lane.gain);
    }
}

// Sample k of a lane that goes sample by sample.
VARDELLINE_LANES_INLINE void runSample(const LaneLines& lane, uint32_t w0, RingMasks masks, int k, double delayMix,
                                       double chorusMix) {
    const uint32_t w = (w0 + static_cast<uint32_t>(k)) & masks.chorus;
    const float c = lane.chorus[(w - lane.chorusLength) & masks.chorus];
    lane.chorus[w] = static_cast<float>(lane.feedback * c + lane.y[k]);
    const uint32_t wp = w & masks.plain;
    const float d = lane.plain[(wp - lane.plainLength) & masks.plain];
    lane.plain[wp] = lane.y[k];
    lane.term[k] = (delayMix * d + chorusMix * c) * lane.gain;
}

// A lane whose lines are both one sample long: each sample reads what the
// sample before wrote, so the chorus value and the band signal carry over
// in registers rather than through the lines.
struct HeldLane {
    HeldLane() = default;
    HeldLane(const LaneLines& lanes, uint32_t w0, RingMasks masks)
        : lane(lanes),
          chorusLast(lanes.chorus[(w0 - 1) & masks.chorus]),
          bandLast(lanes.plain[(w0 - 1) & masks.plain]),
          plainMask(masks.plain) {}

    // Sample k, written at chorus ring position w.
    VARDELLINE_LANES_INLINE void run(uint32_t w, int k, double delayMix, double chorusMix) {
        const float y = lane.y[k];
        const float fed = static_cast<float>(lane.feedback * chorusLast + y);
        lane.chorus[w] = fed;
        lane.plain[w & plainMask] = y;
        lane.term[k] = (delayMix * bandLast + chorusMix * chorusLast) * lane.gain;
        chorusLast = fed;
        bandLast = y;
    }

    LaneLines lane;
    double chorusLast;  // floats, held in doubles
    double bandLast;
    uint32_t plainMask;
};

// Two such lanes side by side, in the two lanes of one register pair
// (Pair is the instruction set's two-lane companion): one chain of arithmetic
// serves both.
template <class Pair>
struct HeldPair {
    typedef typename Pair::Doubles Doubles;
    typedef typename Pair::Floats Floats;

    HeldPair(const HeldLane& a, const HeldLane& b)
        : first(a.lane),
          second(b.lane),
          chorusLast(Doubles{a.chorusLast, b.chorusLast}),
          bandLast(Doubles{a.bandLast, b.bandLast}),
          feedback(Doubles{a.lane.feedback, b.lane.feedback}),
          gain(Doubles{a.lane.gain, b.lane.gain}),
          plainMask(a.plainMask) {}

    VARDELLINE_LANES_INLINE void run(uint32_t w, int k, double delayMix, double chorusMix) {
        const float y0 = first.y[k], y1 = second.y[k];
        const Doubles band = Pair::widen(Floats{y0, y1});
        const Floats fed = Pair::narrow(feedback * chorusLast + band);
        first.chorus[w] = fed[0];
        second.chorus[w] = fed[1];
        first.plain[w & plainMask] = y0;
        second.plain[w & plainMask] = y1;
        const Doubles term = (delayMix * bandLast + chorusMix * chorusLast) * gain;
        first.term[k] = term[0];
        second.term[k] = term[1];
        chorusLast = Pair::widen(fed);
        bandLast = band;
    }

    LaneLines first, second;
    Doubles chorusLast, bandLast, feedback, gain;
    uint32_t plainMask;
};

}  // namespace vardelline
