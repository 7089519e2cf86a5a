// Block loop of a render, with timing of the plug-in's own work.
#include "tools/host/renderer.h"

#include <algorithm>
#include <chrono>
#include <string>
#include <vector>

#include "tools/host/host_error.h"

namespace vardelline::host {

namespace {

std::string countText(int count, const std::string& thing) {
    return std::to_string(count) + " " + thing + (count == 1 ? "" : "s");
}

}  // namespace

void requireStereoEffect(PluginInstance& instance) {
    const AEffect& effect = instance.effect();
    if (effect.numInputs != 2 || effect.numOutputs != 2)
        throw HostError(instance.library().path() + ": plug-in has " + countText(effect.numInputs, "input") + " and " +
                        countText(effect.numOutputs, "output") + "; need 2 of each");
    if ((effect.flags & effFlagsCanReplacing) == 0 || effect.processReplacing == nullptr)
        throw HostError(instance.library().path() + ": plug-in cannot process in place (no processReplacing)");
}

RenderStats renderStream(PluginInstance& instance, AudioSource& source, AudioFileWriter& writer, int64_t tailFrames,
                         ProgressBar& progress) {
    using Clock = std::chrono::steady_clock;
    const size_t blockSize = static_cast<size_t>(instance.settings().blockSize);
    std::vector<float> inLeft(blockSize), inRight(blockSize), outLeft(blockSize), outRight(blockSize);
    float* inputs[] = {inLeft.data(), inRight.data()};
    float* outputs[] = {outLeft.data(), outRight.data()};

    RenderStats stats;
    stats.setSampleRate(instance.settings().sampleRate);
    const int64_t total = source.totalFrames() + tailFrames;
    bool sourceDone = false;
    int64_t tailLeft = tailFrames;

    instance.resume();
    for (;;) {
        size_t frames = sourceDone ? 0 : source.read(inLeft.data(), inRight.data(), blockSize);
        if (frames == 0) {
            sourceDone = true;
            frames = static_cast<size_t>(std::min<int64_t>(tailLeft, static_cast<int64_t>(blockSize)));
            if (frames == 0) break;
            tailLeft -= static_cast<int64_t>(frames);
            std::fill_n(inLeft.begin(), frames, 0.0f);
            std::fill_n(inRight.begin(), frames, 0.0f);
        }
        const Clock::time_point start = Clock::now();
        instance.processReplacing(inputs, outputs, static_cast<int>(frames));
        stats.addProcessingTime(std::chrono::duration<double>(Clock::now() - start).count());
        stats.addOutput(outLeft.data(), outRight.data(), frames);
        writer.write(outLeft.data(), outRight.data(), frames);
        progress.update(stats.frames(), total);
    }
    instance.suspend();
    return stats;
}

}  // namespace vardelline::host
