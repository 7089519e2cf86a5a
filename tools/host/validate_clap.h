// Shared pieces of the validator's groups for a CLAP library: instances of
// the host's CLAP class and its block processor for the render loop.
#pragma once

#include <memory>

#include "tools/host/clap_instance.h"
#include "tools/host/validate_render.h"
#include "tools/host/validate_report.h"

namespace vardelline::host::validate {

std::unique_ptr<ClapInstance> clapInstance(GroupContext& context, float sampleRate, int blockSize = kLargestBlock);

// The instance's processReplacing as the render loop's block processor.
BlockProcessor processorOf(HostedPlugin& instance);

}  // namespace vardelline::host::validate
