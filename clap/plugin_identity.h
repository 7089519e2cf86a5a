// Who the plug-in is: its id, names and descriptor, shared by the plug-in
// factory and the preset provider.
#pragma once

#include "clap/abi/core.h"

namespace vardelline::clapfx {

constexpr const char* kPluginId = "com.quorvane.vardelline";
constexpr const char* kPluginName = "Vardelline";
constexpr const char* kVendor = "Quorvane";

const clap_plugin_descriptor* pluginDescriptor();

}  // namespace vardelline::clapfx
