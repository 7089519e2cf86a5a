// Instances and settings for the CLAP groups.
#include "tools/host/validate_clap.h"

namespace vardelline::host::validate {

std::unique_ptr<ClapInstance> clapInstance(GroupContext& context, float sampleRate, int blockSize) {
    return std::make_unique<ClapInstance>(context.plugins->clapModule(), HostSettings{sampleRate, blockSize});
}

BlockProcessor processorOf(HostedPlugin& instance) {
    return [&instance](float** in, float** out, int n) { instance.processReplacing(in, out, n); };
}

}  // namespace vardelline::host::validate
