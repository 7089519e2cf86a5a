// Who the plug-in is: its id and names, shared by the plug-in factory and
// the preset provider.
#pragma once

namespace vardelline::clapfx {

constexpr const char* kPluginId = "com.quorvane.vardelline";
constexpr const char* kPluginName = "Vardelline";
constexpr const char* kVendor = "Quorvane";

}  // namespace vardelline::clapfx
