// Block loop of a render, with timing of the plug-in's own work.
#include "tools/host/renderer.h"

#include <algorithm>
#include <chrono>
#include <cmath>
#include <string>
#include <vector>

#include "tools/host/host_error.h"
#include "tools/host/interruption.h"

namespace vardelline::host {

namespace {

std::string countText(int count, const std::string& thing) {
    return std::to_string(count) + " " + thing + (count == 1 ? "" : "s");
}

// Counts the frames since the output was last at or above a level.
class QuietRun {
public:
    explicit QuietRun(double dbfs) : threshold_(static_cast<float>(std::pow(10.0, dbfs / 20.0))) {}

    void add(const float* left, const float* right, size_t frames) {
        for (size_t i = 0; i < frames; ++i) {
            // A NaN counts as sound, so a broken output never ends a tail early.
            const bool quiet = std::fabs(left[i]) < threshold_ && std::fabs(right[i]) < threshold_;
            frames_ = quiet ? frames_ + 1 : 0;
        }
    }
    int64_t frames() const { return frames_; }

private:
    float threshold_;
    int64_t frames_ = 0;
};

}  // namespace

void requireStereoEffect(HostedPlugin& instance) {
    const int inputs = instance.inputCount();
    const int outputs = instance.outputCount();
    if (inputs != 2 || outputs != 2)
        throw HostError(instance.path() + ": plug-in has " + countText(inputs, "input") + " and " +
                        countText(outputs, "output") + "; need 2 of each");
    const std::string problem = instance.renderingProblem();
    if (!problem.empty()) throw HostError(instance.path() + ": " + problem);
}

RenderOutcome renderStream(HostedPlugin& instance, AudioSource& source, const TailPolicy& tail,
                           const BlockSink& sink, ProgressBar& progress) {
    using Clock = std::chrono::steady_clock;
    const size_t blockSize = static_cast<size_t>(instance.settings().blockSize);
    const double rate = instance.settings().sampleRate;
    std::vector<float> inLeft(blockSize), inRight(blockSize), outLeft(blockSize), outRight(blockSize);
    float* inputs[] = {inLeft.data(), inRight.data()};
    float* outputs[] = {outLeft.data(), outRight.data()};

    const auto tailLimit = static_cast<int64_t>(std::llround((tail.automatic ? tail.capSeconds : tail.seconds) * rate));
    const auto quietNeeded = static_cast<int64_t>(std::llround(TailPolicy::kQuietSeconds * rate));
    const int64_t expected = source.totalFrames() + (tail.automatic ? 0 : tailLimit);
    QuietRun quiet(TailPolicy::kQuietDbfs);
    RenderOutcome outcome;
    bool sourceDone = false;

    instance.resume();
    for (;;) {
        throwIfInterrupted();
        size_t frames = sourceDone ? 0 : source.read(inLeft.data(), inRight.data(), blockSize);
        if (frames == 0) {
            sourceDone = true;
            if (tail.automatic && quiet.frames() >= quietNeeded) break;
            const int64_t left = tailLimit - outcome.tailFrames;
            if (left <= 0) {
                outcome.tailCapped = tail.automatic;
                break;
            }
            frames = static_cast<size_t>(std::min<int64_t>(left, static_cast<int64_t>(blockSize)));
            std::fill_n(inLeft.begin(), frames, 0.0f);
            std::fill_n(inRight.begin(), frames, 0.0f);
            outcome.tailFrames += static_cast<int64_t>(frames);
        }
        const Clock::time_point start = Clock::now();
        instance.processReplacing(inputs, outputs, static_cast<int>(frames));
        outcome.processSeconds += std::chrono::duration<double>(Clock::now() - start).count();
        outcome.frames += static_cast<int64_t>(frames);
        quiet.add(outLeft.data(), outRight.data(), frames);
        sink(outLeft.data(), outRight.data(), frames);
        progress.update(outcome.frames, std::max(expected, outcome.frames));
    }
    instance.suspend();
    return outcome;
}

}  // namespace vardelline::host
