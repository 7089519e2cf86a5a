// How one band and channel's two delay lines go over a run of samples with
// constant lengths. Each sample reads a line before it writes it; a lane
// whose reads never see an entry written later in the same chunk goes eight
// samples at a time, any other sample by sample. Both give the same bits.
#pragma once

#include <algorithm>
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
static_assert(kChunk * sizeof(float) == sizeof(Floats8), "a chunk of band signal moves as one vector");

// The index masks of the two rings: the chorus lines' ring and the plain
// lines' ring, which holds half the delay and so is at most as long. Both are
// powers of two, so a position in the chorus ring masked with plain is the
// same position in the plain ring.
struct RingMasks {
    uint32_t chorus;
    uint32_t plain;
};

// Whether n entries from start, and the n entries length before them,
// lie in a ring (mask + 1 long) without wrapping, length being at least
// shortest and short enough that no read sees an entry written later.
inline bool rangesFit(uint32_t start, uint32_t mask, uint32_t length, uint32_t shortest, int n) {
    const uint32_t count = static_cast<uint32_t>(n);
    const uint32_t ring = mask + 1;
    return start + count <= ring && length >= shortest && length <= ring - count &&
           ((start - length) & mask) + count <= ring;
}

// Whether a lane can go in chunks over a run of n samples that writes chorus
// ring positions w0 .. w0 + n - 1: no range wraps around its ring, the chorus
// line only reads entries written before the chunk (so its length is at
// least a chunk), the plain line may be written before it is read (it only
// delays the band signal, so any length from 1 on gives the same reads) and
// no read sees an entry the run writes later.
inline bool goesInChunks(const LaneLines& lane, uint32_t w0, RingMasks masks, int n) {
    return n >= kChunk && rangesFit(w0, masks.chorus, lane.chorusLength, kChunk, n) &&
           rangesFit(w0 & masks.plain, masks.plain, lane.plainLength, 1, n);
}

// Whether a lane whose chorus line is one sample long can go in chunks once
// its chorus line has been fed over the run (HeldLanes): the same
// ranges without wrapping, and the reads of the chorus line then see only
// what the feeding wrote.
inline bool goesInChunksWhenFed(const LaneLines& lane, uint32_t w0, RingMasks masks, int n) {
    return n >= kChunk && lane.chorusLength == 1 && rangesFit(w0, masks.chorus, 1, 1, n) &&
           rangesFit(w0 & masks.plain, masks.plain, lane.plainLength, 1, n);
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
// same values again. A held lane (kFed) has had both its lines written by
// HeldLanes.
template <class Isa, bool kFed = false>
VARDELLINE_LANES_INLINE void runChunkOf(const ChunkedLane& lane, int s, double delayMix, double chorusMix) {
    typedef typename Isa::Doubles Doubles;
    // One move where the vectors are that wide (memcpy would go sixteen bytes at a time).
    if (!kFed) store(lane.plainOut + s, load<Floats8>(lane.y + s));
    for (int k = s; k < s + kChunk; k += Isa::kWidth) {
        const Doubles c = Isa::loadWidened(lane.chorusIn + k);
        const Doubles d = Isa::loadWidened(lane.plainIn + k);
        const Doubles y = Isa::loadWidened(lane.y + k);
        if (!kFed) Isa::storeFloats(lane.chorusOut + k, Isa::narrow(lane.feedback * c + y));
        store(lane.term + k, (delayMix * d + chorusMix * c) * lane.gain);
    }
}

// Two-lane vectors leave runChunkOf's loop rolled, and its stores might
// touch the lane's fields as far as the compiler knows, so it would load
// them again every turn: a copy of their own keeps them in registers. Wider
// vectors unroll the loop and do better without the copy.
template <class Isa, bool kFed = false>
VARDELLINE_LANES_INLINE void runChunk(const ChunkedLane& lane, int s, double delayMix, double chorusMix) {
    if constexpr (Isa::kWidth == 2) {
        const ChunkedLane own = lane;
        runChunkOf<Isa, kFed>(own, s, delayMix, chorusMix);
    } else
        runChunkOf<Isa, kFed>(lane, s, delayMix, chorusMix);
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

// Lanes whose chorus lines are one sample long feed each sample's chorus
// value into the next one's. When many lanes do, their lines are written
// first, four lanes side by side (Isa is a four-lane set): blocks of four
// samples are turned so that the lanes lie across a vector, go through the
// feedback one sample after the other, and are turned back. The lanes then
// go in chunks like the others, reading what was written.
template <class Isa>
struct HeldQuad {
    typedef typename Isa::Floats Floats;
    typedef typename Isa::Doubles Doubles;
    static constexpr int kLanes = 4;
    static_assert(Isa::kWidth == kLanes, "four lanes");

    HeldQuad() = default;
    // lanes[0 .. count - 1]; missing lanes repeat the last one, which writes
    // the same values to the same places.
    HeldQuad(const ChunkedLane* lanes, int count) {
        for (int i = 0; i < kLanes; ++i) {
            const ChunkedLane& lane = lanes[i < count ? i : count - 1];
            y[i] = lane.y;
            out[i] = lane.chorusOut;
            plain[i] = lane.plainOut;
            feedback[i] = lane.feedback;
            last[i] = lane.chorusIn[0];
        }
    }

    // The chorus values of one sample, band signals across the vector.
    VARDELLINE_LANES_INLINE Floats next(Floats band) {
        const Floats fed = Isa::narrow(feedback * last + Isa::widen(band));
        last = Isa::widen(fed);
        return fed;
    }

    // Samples k .. k + 3.
    VARDELLINE_LANES_INLINE void feedBlock(int k) {
        Floats r[kLanes];
        for (int i = 0; i < kLanes; ++i) {
            r[i] = load<Floats>(y[i] + k);
            store(plain[i] + k, r[i]);
        }
        transpose(r);
        for (int i = 0; i < kLanes; ++i) r[i] = next(r[i]);
        transpose(r);
        for (int i = 0; i < kLanes; ++i) store(out[i] + k, r[i]);
    }

    // Sample k alone.
    VARDELLINE_LANES_INLINE void feedSample(int k) {
        const Floats fed = next(Floats{y[0][k], y[1][k], y[2][k], y[3][k]});
        for (int i = 0; i < kLanes; ++i) {
            out[i][k] = fed[i];
            plain[i][k] = y[i][k];
        }
    }

    // Rows become columns.
    VARDELLINE_LANES_INLINE static void transpose(Floats* r) {
        const Floats t0 = __builtin_shufflevector(r[0], r[1], 0, 4, 1, 5);
        const Floats t1 = __builtin_shufflevector(r[0], r[1], 2, 6, 3, 7);
        const Floats t2 = __builtin_shufflevector(r[2], r[3], 0, 4, 1, 5);
        const Floats t3 = __builtin_shufflevector(r[2], r[3], 2, 6, 3, 7);
        r[0] = __builtin_shufflevector(t0, t2, 0, 1, 4, 5);
        r[1] = __builtin_shufflevector(t0, t2, 2, 3, 6, 7);
        r[2] = __builtin_shufflevector(t1, t3, 0, 1, 4, 5);
        r[3] = __builtin_shufflevector(t1, t3, 2, 3, 6, 7);
    }

    const float* y[kLanes];
    float* out[kLanes];
    float* plain[kLanes];
    Doubles feedback;
    Doubles last;  // chorus values (floats, held in doubles)
};

// The lines of up to sixteen held lanes over a run of n samples, written a
// block at a time as the run goes.
template <class Isa>
struct HeldLanes {
    typedef HeldQuad<Isa> Quad;
    static constexpr int kMaxQuads = 4;

    HeldLanes(const ChunkedLane* lanes, int count, int n)
        : quadCount(std::min(kMaxQuads, (count + Quad::kLanes - 1) / Quad::kLanes)), length(n) {
        for (int q = 0; q < quadCount; ++q)
            quads[q] = Quad(lanes + q * Quad::kLanes, std::min(Quad::kLanes, count - q * Quad::kLanes));
    }

    // Writes the lines up to sample `until`: whole blocks, and the samples
    // after the last whole block once until reaches the run's end.
    VARDELLINE_LANES_INLINE void feedUntil(int until) {
        for (; done + Quad::kLanes <= until; done += Quad::kLanes)
            for (int q = 0; q < quadCount; ++q) quads[q].feedBlock(done);
        if (until < length) return;
        for (; done < length; ++done)
            for (int q = 0; q < quadCount; ++q) quads[q].feedSample(done);
    }

    Quad quads[kMaxQuads];
    int quadCount;
    int length;
    int done = 0;  // samples written
};

}  // namespace vardelline
