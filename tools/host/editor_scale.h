// The --scale option of the commands that open the editor, and the message
// that tells the plug-in the factor (the hosts' effVendorSpecific 'PreS'
// 'AeCs' convention, the factor in opt), sent before the editor opens.
#pragma once

#include <CLI/CLI.hpp>

#include "tools/host/plugin_instance.h"

namespace vardelline::host {

// scale stays 0 unless the option is given.
void addScaleOption(CLI::App& command, double& scale);
// Refuses a factor outside 1..3; 0 (not given) passes.
void checkScale(double scale);
// Tells the plug-in the factor, unless it is 0.
void tellEditorScale(PluginInstance& instance, double scale);
// A position in the editor's layout pixels as a device pixel at the factor
// (one inside the layout pixel, so the editor reads back the same pixel).
int devicePixel(int layoutPixel, double scale);

}  // namespace vardelline::host
