// The small extensions: one stereo main port each way, no latency, and
// offline rendering accepted (the effect sounds the same either way).
#include <cstring>

#include "clap/clap_effect.h"
#include "clap/extensions.h"
#include "model/parameters.h"

namespace vardelline::clapfx {

namespace {

uint32_t VCLAP_ABI portCount(const clap_plugin* plugin, bool) {
    return ClapEffect::from(plugin) != nullptr ? 1 : 0;
}

bool VCLAP_ABI portInfo(const clap_plugin* plugin, uint32_t index, bool isInput, clap_audio_port_info* info) {
    if (ClapEffect::from(plugin) == nullptr || index != 0 || info == nullptr) return false;
    std::memset(info, 0, sizeof *info);
    info->id = 0;
    copyText(info->name, isInput ? "Input" : "Output", sizeof info->name);
    info->flags = CLAP_AUDIO_PORT_IS_MAIN;
    info->channel_count = 2;
    info->port_type = CLAP_PORT_STEREO;
    // The engine reads each frame before it writes it, so buffers may be shared.
    info->in_place_pair = 0;
    return true;
}

uint32_t VCLAP_ABI latency(const clap_plugin*) {
    return 0;
}

bool VCLAP_ABI hardRealtime(const clap_plugin*) {
    return false;
}

bool VCLAP_ABI setRenderMode(const clap_plugin* plugin, int32_t mode) {
    return ClapEffect::from(plugin) != nullptr && (mode == CLAP_RENDER_REALTIME || mode == CLAP_RENDER_OFFLINE);
}

constexpr clap_plugin_audio_ports kAudioPorts = {portCount, portInfo};
constexpr clap_plugin_latency kLatency = {latency};
constexpr clap_plugin_render kRender = {hardRealtime, setRenderMode};

}  // namespace

const clap_plugin_audio_ports* audioPortsExtension() {
    return &kAudioPorts;
}
const clap_plugin_latency* latencyExtension() {
    return &kLatency;
}
const clap_plugin_render* renderExtension() {
    return &kRender;
}

}  // namespace vardelline::clapfx
