// The extension tables the plug-in offers, each in a file of its own.
#pragma once

#include "clap/abi/editor_remote.h"
#include "clap/abi/extensions.h"

namespace vardelline::clapfx {

const clap_plugin_params* paramsExtension();
const clap_plugin_state* stateExtension();
const clap_plugin_audio_ports* audioPortsExtension();
const clap_plugin_latency* latencyExtension();
const clap_plugin_render* renderExtension();
const clap_plugin_preset_load* presetLoadExtension();
// Null where the library is built without a window system.
const clap_plugin_gui* guiExtension();
const clap_plugin_timer_support* timerSupportExtension();
const clap_plugin_posix_fd_support* posixFdSupportExtension();
// Ours, not CLAP's: the editor driven headless by our command-line host.
const vardelline_plugin_editor_remote* editorRemoteExtension();

// The table for an extension id, or null for one we do not offer.
const void* findExtension(const char* id);

}  // namespace vardelline::clapfx
