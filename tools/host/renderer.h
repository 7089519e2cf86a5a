// The render loop: audio from a source through a plug-in instance into a
// file, in blocks of the instance's block size, as a host plays it.
#pragma once

#include <cstdint>

#include "tools/host/audio_file.h"
#include "tools/host/plugin_instance.h"
#include "tools/host/progress_bar.h"
#include "tools/host/render_stats.h"

namespace vardelline::host {

// Throws HostError unless the plug-in takes two inputs to two outputs
// through processReplacing.
void requireStereoEffect(PluginInstance& instance);

// Resumes the instance, streams the whole source and then tailFrames of
// silence through it into writer, and suspends it again. The writer is left
// for the caller to commit.
RenderStats renderStream(PluginInstance& instance, AudioSource& source, AudioFileWriter& writer, int64_t tailFrames,
                         ProgressBar& progress);

}  // namespace vardelline::host
