// The band engine: delay lengths, controls, entry-point timing, block and
// buffer independence, channel separation and the sample-rate handling.
#include "dsp/band_engine.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <memory>
#include <random>
#include <vector>

using namespace vardelline;

namespace {

struct Params {
    float v[kNumParamSlots] = {};
    Params() {
        v[kFinishFreq] = 1.0f;
        v[kFreqQ] = 0.8f;
        for (int b = 0; b < 8; ++b) v[kPan + b] = 0.5f;
    }
};

std::unique_ptr<BandEngine> makeEngine(const Params& p, float fs = 44100.0f) {
    auto engine = std::make_unique<BandEngine>();
    engine->setSampleRate(fs);
    engine->setParameters(p.v);
    return engine;
}

std::vector<float> testSignal(int n, unsigned seed) {
    std::mt19937 random(seed);
    std::uniform_real_distribution<float> level(-1.0f, 1.0f);
    std::vector<float> signal(n);
    for (float& s : signal) s = level(random);
    return signal;
}

// Renders in and in2 through the engine in blocks of the given sizes (cycled).
void render(BandEngine& engine, const std::vector<float>& inL, const std::vector<float>& inR, std::vector<float>& outL,
            std::vector<float>& outR, std::vector<int> blocks, CounterTiming timing) {
    outL.assign(inL.size(), 0.0f);
    outR.assign(inR.size(), 0.0f);
    size_t pos = 0, i = 0;
    while (pos < inL.size()) {
        int n = std::min<int>(blocks[i++ % blocks.size()], static_cast<int>(inL.size() - pos));
        engine.processBlock(&inL[pos], &inR[pos], &outL[pos], &outR[pos], n, timing);
        pos += n;
    }
}

Params modulatedParams() {
    Params p;
    for (int b = 0; b < 8; ++b) {
        p.v[kLeftDelay + b] = 0.1f + 0.1f * b;
        p.v[kRightDelay + b] = 0.8f - 0.1f * b;
        p.v[kSpeed + b] = 0.3f + 0.05f * b;
        p.v[kWidth + b] = 0.5f;
        p.v[kFeedback + b] = 0.6f;
        p.v[kPan + b] = 0.125f * b;
    }
    p.v[kBalance] = 0.5f;
    return p;
}

}  // namespace

TEST(BandEngine, DelayLengthsAt44100) {
    Params p;
    p.v[kLeftDelay + 0] = 0.0f;
    p.v[kLeftDelay + 1] = 1.0f;
    p.v[kLeftDelay + 2] = 0.5f;
    p.v[kRightDelay + 3] = 1.0f;
    p.v[kWidth + 3] = 1.0f;
    p.v[kSpeed + 3] = 1.0f;
    auto engine = makeEngine(p);
    std::vector<float> in(4096, 0.0f), outL, outR;
    int lowest = 1 << 30, highest = 0;
    for (int block = 0; block < 40; ++block) {
        render(*engine, in, in, outL, outR, {32}, CounterTiming::AdvanceBeforeUpdate);
        if (block == 0) {
            EXPECT_EQ(engine->delayLengthL(0), 1);
            EXPECT_EQ(engine->delayLengthL(1), 7057);
            EXPECT_EQ(engine->delayLengthL(2), 3529);
            EXPECT_EQ(engine->chorusLengthL(1), 7057);  // no width: chorus equals plain
        }
        lowest = std::min(lowest, engine->chorusLengthR(3));
        highest = std::max(highest, engine->chorusLengthR(3));
    }
    EXPECT_GE(lowest, 1);
    EXPECT_LE(highest, 14113);
    EXPECT_LT(lowest, 200);
    EXPECT_GT(highest, 13900);
}

TEST(BandEngine, ControlsFromBalancePanSpeedAndFeedback) {
    Params p;
    p.v[kBalance] = 0.75f;
    p.v[kPan + 0] = 0.0f;
    p.v[kPan + 1] = 1.0f;
    p.v[kPan + 2] = 0.25f;
    p.v[kFeedback + 0] = 1.0f;
    p.v[kSpeed + 0] = 0.0f;
    p.v[kSpeed + 1] = 1.0f;
    auto engine = makeEngine(p);
    EXPECT_EQ(engine->chorusMixValue(), 1.0f);
    EXPECT_EQ(engine->delayMixValue(), 0.5f);
    EXPECT_EQ(engine->gainLOf(0), 1.0f);
    EXPECT_EQ(engine->gainROf(0), 0.0f);
    EXPECT_EQ(engine->gainLOf(1), 0.0f);
    EXPECT_EQ(engine->gainROf(1), 1.0f);
    EXPECT_EQ(engine->gainROf(2), 0.5f);
    EXPECT_EQ(engine->feedbackOf(0), 0.99f);
    const double twoPi = 6.28318;
    EXPECT_NEAR(engine->lfoRateOf(0) * 44100.0 / twoPi, 0.02686, 1e-5);
    EXPECT_NEAR(engine->lfoRateOf(1) * 44100.0 / twoPi, 27.50, 1e-2);

    for (float balance : {0.0f, 0.5f, 1.0f}) {
        p.v[kBalance] = balance;
        engine->setParameters(p.v);
        EXPECT_EQ(engine->chorusMixValue(), balance == 0.0f ? 0.0f : 1.0f);
        EXPECT_EQ(engine->delayMixValue(), balance == 1.0f ? 0.0f : 1.0f);
    }
}

TEST(BandEngine, ProcessReplacingStartsWith31SilentSamples) {
    auto replacing = makeEngine(Params());
    auto accumulating = makeEngine(Params());
    std::vector<float> in(64, 0.5f), outL, outR, accL, accR;
    render(*replacing, in, in, outL, outR, {64}, CounterTiming::AdvanceBeforeUpdate);
    render(*accumulating, in, in, accL, accR, {64}, CounterTiming::AdvanceAfterUpdate);
    for (int k = 0; k < 31; ++k) {
        EXPECT_EQ(outL[k], 0.0f) << k;
        EXPECT_EQ(outR[k], 0.0f) << k;
    }
    EXPECT_NE(outL[31], 0.0f);
    // process sets the lengths on its first sample, so the second already
    // reads the first one's band signal back.
    EXPECT_NE(accL[1], 0.0f);
}

TEST(BandEngine, OutputDoesNotDependOnBlockSizesOrInPlaceBuffers) {
    const Params p = modulatedParams();
    auto inL = testSignal(20000, 1), inR = testSignal(20000, 2);
    for (CounterTiming timing : {CounterTiming::AdvanceBeforeUpdate, CounterTiming::AdvanceAfterUpdate}) {
        std::vector<float> refL, refR;
        render(*makeEngine(p), inL, inR, refL, refR, {20000}, timing);
        for (std::vector<int> blocks : std::vector<std::vector<int>>{{1}, {31, 33, 7}, {4096}, {1, 512, 3}}) {
            std::vector<float> outL, outR;
            render(*makeEngine(p), inL, inR, outL, outR, blocks, timing);
            ASSERT_EQ(outL, refL);
            ASSERT_EQ(outR, refR);
        }
        // In place: the outputs are the input arrays.
        auto engine = makeEngine(p);
        std::vector<float> l = inL, r = inR;
        for (size_t pos = 0; pos < l.size(); pos += 1000)
            engine->processBlock(&l[pos], &r[pos], &l[pos], &r[pos], 1000, timing);
        EXPECT_EQ(l, refL);
        EXPECT_EQ(r, refR);
    }
}

// Every engine starts writing its rings somewhere else (so that many
// instances do not contend for the same cache sets); what they play may not
// depend on where.
TEST(BandEngine, EnginesThatWriteTheirRingsFromElsewhereSoundTheSame) {
    const Params p = modulatedParams();
    auto inL = testSignal(40000, 3), inR = testSignal(40000, 4);
    std::vector<float> refL, refR;
    render(*makeEngine(p), inL, inR, refL, refR, {512}, CounterTiming::AdvanceBeforeUpdate);
    std::vector<std::unique_ptr<BandEngine>> others;
    for (int i = 0; i < 17; ++i) others.push_back(makeEngine(p));
    for (size_t i : {size_t{1}, size_t{9}, size_t{16}}) {
        std::vector<float> outL, outR;
        render(*others[i], inL, inR, outL, outR, {512}, CounterTiming::AdvanceBeforeUpdate);
        ASSERT_EQ(outL, refL) << "engine " << i;
        ASSERT_EQ(outR, refR) << "engine " << i;
    }
}

TEST(BandEngine, LeftInputNeverReachesTheRightOutput) {
    const Params p = modulatedParams();
    auto signal = testSignal(8000, 3);
    std::vector<float> silence(8000, 0.0f), outL, outR, quietL, quietR;
    render(*makeEngine(p), signal, silence, outL, outR, {256}, CounterTiming::AdvanceBeforeUpdate);
    render(*makeEngine(p), silence, silence, quietL, quietR, {256}, CounterTiming::AdvanceBeforeUpdate);
    EXPECT_EQ(outR, quietR);
    EXPECT_NE(outL, quietL);
}

TEST(BandEngine, NonFiniteInputIsSilenceAndDoesNotPoisonTheLines) {
    Params p = modulatedParams();
    for (int b = 0; b < 8; ++b) p.v[kFeedback + b] = 1.0f;
    auto inL = testSignal(6000, 4), inR = testSignal(6000, 5);
    auto clean = makeEngine(p);
    auto hostile = makeEngine(p);
    std::vector<float> badL = inL, badR = inR;
    const float nan = std::numeric_limits<float>::quiet_NaN(), inf = std::numeric_limits<float>::infinity();
    badL[100] = nan;
    badR[200] = inf;
    badL[300] = -inf;
    std::vector<float> cleanL, cleanR, outL, outR;
    inL[100] = inR[200] = inL[300] = 0.0f;  // what the hostile samples are taken as
    render(*clean, inL, inR, cleanL, cleanR, {128}, CounterTiming::AdvanceBeforeUpdate);
    render(*hostile, badL, badR, outL, outR, {128}, CounterTiming::AdvanceBeforeUpdate);
    EXPECT_EQ(outL, cleanL);
    EXPECT_EQ(outR, cleanR);
}

TEST(BandEngine, SubnormalOutputIsWrittenAsZero) {
    Params p;
    for (int b = 0; b < 8; ++b) p.v[kPan + b] = 1e-30f;  // right gain 2e-30
    auto engine = makeEngine(p);
    std::vector<float> in(4000, 0.0f), outL, outR;
    render(*engine, in, in, outL, outR, {64}, CounterTiming::AdvanceBeforeUpdate);
    for (float s : outR) EXPECT_TRUE(s == 0.0f || std::fabs(s) >= std::numeric_limits<float>::min());
}

TEST(BandEngine, SampleRateSetsLengthsAndRing) {
    Params p;
    p.v[kLeftDelay] = 1.0f;
    auto engine = makeEngine(p, 48000.0f);
    EXPECT_EQ(engine->ringSize(), 16384);
    EXPECT_EQ(engine->plainRingSize(), 8192);  // the plain lines hold half as much
    std::vector<float> in(64, 0.0f), outL, outR;
    render(*engine, in, in, outL, outR, {64}, CounterTiming::AdvanceBeforeUpdate);
    EXPECT_EQ(engine->delayLengthL(0), 7681);
    engine->setSampleRate(96000.0f);
    EXPECT_EQ(engine->ringSize(), 32768);
    EXPECT_EQ(engine->plainRingSize(), 16384);
    engine->setSampleRate(192000.0f);
    EXPECT_EQ(engine->ringSize(), 65536);
    EXPECT_EQ(engine->plainRingSize(), 32768);
    engine->setSampleRate(1.0e6f);
    engine->setParameters(p.v);
    render(*engine, in, in, outL, outR, {64}, CounterTiming::AdvanceBeforeUpdate);
    EXPECT_EQ(engine->delayLengthL(0), BandEngine::kMaxDelayLength);
}

// The filter histories go with the lines, and only then: a rate that keeps
// the ring size keeps them too.
TEST(BandEngine, RingSizeChangeSilencesEveryLineAndFilter) {
    Params p;
    for (int b = 0; b < 8; ++b) p.v[kLeftDelay + b] = p.v[kRightDelay + b] = 0.05f;
    auto engine = makeEngine(p);
    auto noise = testSignal(4096, 6);
    std::vector<float> outL, outR, silence(4096, 0.0f);
    render(*engine, noise, noise, outL, outR, {512}, CounterTiming::AdvanceBeforeUpdate);
    const float running = engine->filterBank().outputL(4);
    ASSERT_NE(running, 0.0f);
    engine->setSampleRate(48000.0f);
    engine->setParameters(p.v);
    EXPECT_EQ(engine->ringSize(), 16384);
    EXPECT_EQ(engine->filterBank().outputL(4), running);
    engine->setSampleRate(96000.0f);
    for (int b = 0; b < 8; ++b) EXPECT_EQ(engine->filterBank().outputL(b), 0.0f) << b;
    engine->setParameters(p.v);
    auto fresh = makeEngine(p, 96000.0f);
    fresh->setSampleCounter(engine->sampleCounter());
    std::vector<float> freshL, freshR;
    render(*engine, silence, silence, outL, outR, {512}, CounterTiming::AdvanceBeforeUpdate);
    render(*fresh, silence, silence, freshL, freshR, {512}, CounterTiming::AdvanceBeforeUpdate);
    // Lengths of the first 32 samples differ (fresh ones are 0); compare after the update.
    EXPECT_TRUE(std::equal(outL.begin() + 64, outL.end(), freshL.begin() + 64));
}

TEST(BandEngine, DelayLinesCarryOnAcrossTheCounterWrap) {
    Params p;
    for (int b = 0; b < 8; ++b) p.v[kLeftDelay + b] = p.v[kRightDelay + b] = 0.2f;
    auto nearWrap = makeEngine(p);
    auto aligned = makeEngine(p);
    nearWrap->setSampleCounter(0x7FFFFFFFu - 5000u + 1u);  // wraps to -2^31 inside the run
    aligned->setSampleCounter(0x10000u * 100u - 5000u);    // same low 16 bits, same multiple-of-32 phase
    auto noise = testSignal(12000, 7);
    std::vector<float> wrapL, wrapR, refL, refR;
    render(*nearWrap, noise, noise, wrapL, wrapR, {512}, CounterTiming::AdvanceBeforeUpdate);
    render(*aligned, noise, noise, refL, refR, {512}, CounterTiming::AdvanceBeforeUpdate);
    EXPECT_EQ(wrapL, refL);  // no width: the oscillator phase does not matter
    EXPECT_EQ(wrapR, refR);
}

TEST(BandEngine, NothingChangesForEmptyOrNegativeBlocks) {
    auto engine = makeEngine(modulatedParams());
    float sample = 7.0f;
    engine->processBlock(&sample, &sample, &sample, &sample, 0, CounterTiming::AdvanceBeforeUpdate);
    engine->processBlock(&sample, &sample, &sample, &sample, -5, CounterTiming::AdvanceAfterUpdate);
    EXPECT_EQ(sample, 7.0f);
    EXPECT_EQ(engine->sampleCounter(), 0u);
}
