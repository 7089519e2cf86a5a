// Runs test signal through an instance block by block, the way the groups
// need it: either entry point, in place or not, fixed or random block sizes,
// checking every output sample and the buffers' guards.
#pragma once

#include <functional>
#include <random>
#include <vector>

#include "model/parameters.h"
#include "tools/host/validate_signal.h"
#include "tools/host/validate_subject.h"

namespace vardelline::host::validate {

constexpr int kLargestBlock = 4096;

struct RenderSetup {
    int blockSize = 512;    // 0: random sizes from 1 to kLargestBlock
    bool replacing = true;  // processReplacing, else process
    bool inPlace = false;   // outputs are the input buffers
    float bound = kOutputBoundPerUnitInput;
    bool keep = false;  // keep the output (left then right, per block)
};

struct RenderResult {
    OutputCheck check;
    bool guardsIntact = true;
    std::vector<float> output;
};

// The source of input: fills left and right with frames samples.
using InputSource = std::function<void(float* left, float* right, int frames)>;

// Called before each block with the number of frames done so far.
using BlockHook = std::function<void(long done)>;

// Parameter indices the validator sets by group, short names for the plug-in's layout.
namespace param {
constexpr int kStart = kStartFreq, kFinish = kFinishFreq, kQ = kFreqQ, kLeftDelay = vardelline::kLeftDelay,
              kRightDelay = vardelline::kRightDelay, kPan = vardelline::kPan, kSpeed = vardelline::kSpeed,
              kWidth = vardelline::kWidth, kFeedback = vardelline::kFeedback, kBalance = vardelline::kBalance,
              kCount = kNumParams;
}

// Sets every parameter to valueOf(index). For a Subject or a Sounding.
template <typename Instance, typename ValueOf>
void setAll(Instance& instance, const ValueOf& valueOf) {
    for (int i = 0; i < param::kCount; ++i) instance.setParameter(i, valueOf(i));
}

// Sets the eight parameters of a band group (kLeftDelay, kSpeed, ...) to value.
template <typename Instance>
void setBands(Instance& instance, int group, float value) {
    for (int b = 0; b < kNumBands; ++b) instance.setParameter(group + b, value);
}

// One block from the instance under test: inputs to outputs (maybe the same buffers).
using BlockProcessor = std::function<void(float** inputs, float** outputs, int frames)>;

// The render loop for any format: setup.replacing is not read.
RenderResult render(const BlockProcessor& process, const InputSource& input, long frames, const RenderSetup& setup,
                    std::mt19937_64& random, const BlockHook& beforeBlock = nullptr);

// Chorus and plain paths both busy: a random program, then random delays,
// speeds, widths and feedbacks below 0.9. For a Subject or a HostedPlugin.
template <typename Instance, typename Context>
void setBusy(Instance& instance, Context& context) {
    instance.setProgram(context.between(0, 7));
    for (int b = 0; b < kNumBands; ++b) {
        instance.setParameter(param::kLeftDelay + b, static_cast<float>(context.uniform()));
        instance.setParameter(param::kRightDelay + b, static_cast<float>(context.uniform()));
        instance.setParameter(param::kSpeed + b, static_cast<float>(context.uniform()));
        instance.setParameter(param::kWidth + b, static_cast<float>(context.uniform()));
        instance.setParameter(param::kFeedback + b, static_cast<float>(0.9 * context.uniform()));
    }
    instance.setParameter(param::kBalance, 0.5f);
}

RenderResult render(Subject& subject, const InputSource& input, long frames, const RenderSetup& setup,
                    std::mt19937_64& random, const BlockHook& beforeBlock = nullptr);

// The same with the test signal as input.
RenderResult render(Subject& subject, TestSignal& signal, long frames, const RenderSetup& setup,
                    std::mt19937_64& random, const BlockHook& beforeBlock = nullptr);

}  // namespace vardelline::host::validate
