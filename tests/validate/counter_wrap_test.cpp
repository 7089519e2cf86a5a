// The sample counter's wrap from 2^31 - 1 to -2^31 with the chorus swept at
// full width and full feedback, through both counter timings: the oscillator
// phase jumps there, but the output stays finite and bounded and every delay
// length stays inside the ring. (The plain path's continuity across the wrap
// is checked in tests/engine.)
#include <gtest/gtest.h>

#include <cmath>
#include <memory>
#include <random>
#include <vector>

#include "dsp/band_engine.h"

namespace {

using vardelline::BandEngine;
using vardelline::CounterTiming;

std::unique_ptr<BandEngine> sweptEngine(float rate) {
    std::unique_ptr<BandEngine> engine(new BandEngine);
    engine->setSampleRate(rate);
    float values[vardelline::kNumParamSlots] = {};
    values[vardelline::kFinishFreq] = 1.0f;
    values[vardelline::kFreqQ] = 0.5f;
    values[vardelline::kBalance] = 0.5f;
    for (int b = 0; b < 8; ++b) {
        values[vardelline::kLeftDelay + b] = 1.0f - 0.1f * static_cast<float>(b);
        values[vardelline::kRightDelay + b] = 0.1f * static_cast<float>(b);
        values[vardelline::kPan + b] = 0.5f;
        values[vardelline::kSpeed + b] = 1.0f;
        values[vardelline::kWidth + b] = 1.0f;
        values[vardelline::kFeedback + b] = 1.0f;
    }
    engine->setParameters(values);
    return engine;
}

class CounterWrap : public ::testing::TestWithParam<CounterTiming> {};

TEST_P(CounterWrap, SweptChorusStaysFiniteAndBoundedAndInsideTheRing) {
    constexpr float kRate = 48000.0f;
    constexpr int kBlock = 100;  // not a multiple of 32, so updates fall inside blocks
    auto engine = sweptEngine(kRate);
    engine->setSampleCounter(0x7FFFFFFFu - 30000u);
    std::mt19937 random(3);
    std::uniform_real_distribution<float> noise(-1.0f, 1.0f);
    std::vector<float> inL(kBlock), inR(kBlock), outL(kBlock), outR(kBlock);
    const int32_t largest = static_cast<int32_t>(0.32 * kRate) + 2;
    bool wrapped = false;
    for (int block = 0; block < 1200; ++block) {
        for (int k = 0; k < kBlock; ++k) inL[static_cast<size_t>(k)] = inR[static_cast<size_t>(k)] = noise(random);
        engine->processBlock(inL.data(), inR.data(), outL.data(), outR.data(), kBlock, GetParam());
        for (int k = 0; k < kBlock; ++k) {
            ASSERT_TRUE(std::isfinite(outL[static_cast<size_t>(k)]) && std::isfinite(outR[static_cast<size_t>(k)]));
            ASSERT_LT(std::fabs(outL[static_cast<size_t>(k)]), 1e4f);
            ASSERT_LT(std::fabs(outR[static_cast<size_t>(k)]), 1e4f);
        }
        for (int b = 0; b < 8; ++b) {
            for (int32_t length : {engine->chorusLengthL(b), engine->chorusLengthR(b)}) {
                ASSERT_GE(length, 0);
                ASSERT_LE(length, largest);
            }
        }
        wrapped = wrapped || engine->sampleCounter() < 0x80000000u;
    }
    EXPECT_TRUE(wrapped);
}

INSTANTIATE_TEST_SUITE_P(BothTimings, CounterWrap,
                         ::testing::Values(CounterTiming::AdvanceBeforeUpdate, CounterTiming::AdvanceAfterUpdate),
                         [](const auto& info) {
                             return info.param == CounterTiming::AdvanceBeforeUpdate ? "processReplacing" : "process";
                         });

}  // namespace
