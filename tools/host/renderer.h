// The render loop: audio from a source through a plug-in instance, in blocks
// of the instance's block size, as a host plays it, followed by a tail of
// silence so that the delay and chorus lines can empty.
#pragma once

#include <cstdint>
#include <functional>

#include "tools/host/audio_source.h"
#include "tools/host/hosted_plugin.h"
#include "tools/host/progress_bar.h"

namespace vardelline::host {

// How much silence follows the input. Automatic: until the output has stayed
// below kQuietDbfs for kQuietSeconds, but no longer than capSeconds.
struct TailPolicy {
    static constexpr double kQuietDbfs = -90.0;
    static constexpr double kQuietSeconds = 0.5;
    static constexpr double kDefaultCapSeconds = 60.0;

    bool automatic = true;
    double seconds = 0.0;  // the fixed length when not automatic
    double capSeconds = kDefaultCapSeconds;
};

struct RenderOutcome {
    int64_t frames = 0;      // everything rendered, tail included
    int64_t tailFrames = 0;  // the silence after the input
    bool tailCapped = false; // the automatic tail reached its cap still sounding
    double processSeconds = 0.0;
};

// Receives each processed block.
using BlockSink = std::function<void(const float* left, const float* right, size_t frames)>;

// Throws HostError unless the plug-in takes two inputs to two outputs
// through processReplacing (CLAP: through one stereo main port).
void requireStereoEffect(HostedPlugin& instance);

// Resumes the instance, streams the whole source and then the tail through
// it into sink, and suspends it again. Between blocks it throws Interrupted
// when Ctrl-C or SIGTERM has arrived.
RenderOutcome renderStream(HostedPlugin& instance, AudioSource& source, const TailPolicy& tail,
                           const BlockSink& sink, ProgressBar& progress);

}  // namespace vardelline::host
